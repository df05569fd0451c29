// Marker records.
#include "objects.h"

void initialize_marker(marker_struct *marker, int marker_type, Colour colour)
{
    marker->marker_type = marker_type;
    marker->colour = colour;
    marker->size = 1.0;
    marker->label = nullptr;
    marker->first_id = 0;
    marker->second_id = 0;
}

void delete_marker(marker_struct *marker)
{
    delete_string(marker->label);
    marker->label = nullptr;
}
