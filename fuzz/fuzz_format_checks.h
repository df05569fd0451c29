// What the readers of other programs' formats promise, checked on every
// record they hand out.
#pragma once

#include "fuzz_check.h"
#include "objects.h"
#include "vertex_data.h"

// A triangle surface: every index names a point, every point has a normal.
inline float check_triangle_surface(object_struct *object)
{
    fuzz_require(get_object_type(object) == POLYGONS, "a polygons object");
    const polygons_struct *p = get_polygons_ptr(object);
    fuzz_require(p->n_points >= 0 && p->n_items >= 0, "counts are not negative");
    float sum = 0.0f;
    for (int i = 0; i < p->n_items; ++i) {
        fuzz_require(p->end_indices[i] == 3 * (i + 1), "every item a triangle");
        for (int k = 3 * i; k < 3 * i + 3; ++k)
            fuzz_require(p->indices[k] >= 0 && p->indices[k] < p->n_points,
                         "every index names a point");
    }
    for (int i = 0; i < p->n_points; ++i)
        sum += p->points[i].x + p->points[i].y + p->points[i].z + p->normals[i].x +
               p->normals[i].y + p->normals[i].z;
    return sum;
}

// Columns come all of one length, and none at all after a failure.
inline float check_columns(Status status, const vertex_data &data)
{
    if (status != OK) {
        fuzz_require(data.columns.empty(), "no columns after a failure");
        return 0.0f;
    }
    fuzz_require(!data.columns.empty(), "a read gives at least one column");
    float sum = 0.0f;
    for (const vertex_column &column : data.columns) {
        fuzz_require(column.values.size() == data.columns[0].values.size(),
                     "every column of one length");
        fuzz_require(!column.name.empty() &&
                         column.name.find_first_of(" \t\n") == std::string::npos,
                     "a name usable in a statistics file");
        for (float v : column.values)
            sum += v;
    }
    return sum;
}
