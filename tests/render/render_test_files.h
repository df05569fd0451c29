// Inputs for the renderer's process tests: a flat square grid surface in
// the z = 0 plane, facing +z, whose statistics run from left to right, and
// a colour bar whose two ends are flat colours.
#pragma once

#include <QColor>

#include <string>
#include <vector>

namespace render_test {

// (n + 1) x (n + 1) points from -50 to 50 in x and y, two triangles a cell,
// all normals +z, as an ASCII .obj file's text.
std::string grid_surface(int n);
int grid_points(int n);
// x of each point of the grid, in file order.
std::vector<float> grid_x(int n);

// A statistics file with the given columns of values.
void write_statistics(const std::string& path, const std::vector<std::string>& names,
                      const std::vector<std::vector<float>>& columns);

// A 4 x 64 bar: the top 16 rows `top`, the bottom 16 rows `bottom`, a blend between.
void write_bar(const std::string& path, QColor top, QColor bottom);

}  // namespace render_test
