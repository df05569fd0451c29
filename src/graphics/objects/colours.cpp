// Surface property defaults and the colour arrays of polygons, lines and
// quadmesh records.
#include "objects.h"

void get_default_surfprop(Surfprop *surfprop)
{
    surfprop->ambient = 0.3f;
    surfprop->diffuse = 0.3f;
    surfprop->specular = 0.4f;
    surfprop->specular_exponent = 10.0f;
    surfprop->opacity = 1.0f;
}

// Every colour array comes from the allocation routines, so a present
// array is freed whatever the flag and counts say: a flag of 1 with no
// items (or 2 with no points) would otherwise leak the array.
void free_colours(int, Colour *colours, int, int)
{
    if (colours != nullptr)
        free_array(colours, "colours", __LINE__);
}
