// Quadrilateral mesh records: m by n points, point (i, j) at i * n + j.
#include "objects.h"

#include <cstdint>

Status initialize_quadmesh(quadmesh_struct *quadmesh, Colour colour,
                           const Surfprop *surfprop, int m, int n)
{
    quadmesh->colour_flag = ONE_COLOUR;
    quadmesh->colours = nullptr;
    if (alloc_array(quadmesh->colours, 1, "quadmesh", __LINE__) == OK)
        quadmesh->colours[0] = colour;
    if (surfprop != nullptr)
        quadmesh->surfprop = *surfprop;
    else
        get_default_surfprop(&quadmesh->surfprop);
    quadmesh->m = m;
    quadmesh->n = n;
    quadmesh->m_closed = 0;
    quadmesh->n_closed = 0;
    quadmesh->points = nullptr;
    quadmesh->normals = nullptr;
    quadmesh->bintree = nullptr;
    if (quadmesh->colours == nullptr)
        return ERROR;
    if (m > 0 && n > 0) {
        std::size_t count = std::size_t(m) * std::size_t(n);
        if (alloc_array(quadmesh->points, count, "quadmesh", __LINE__) != OK ||
            alloc_array(quadmesh->normals, count, "quadmesh", __LINE__) != OK)
            return ERROR;
    }
    return OK;
}

void delete_quadmesh(quadmesh_struct *quadmesh)
{
    free_colours(quadmesh->colour_flag, quadmesh->colours, 0, 0);
    quadmesh->colours = nullptr;
    free_array(quadmesh->points, "quadmesh", __LINE__);
    free_array(quadmesh->normals, "quadmesh", __LINE__);
    delete_bintree_if_any(&quadmesh->bintree);
}
