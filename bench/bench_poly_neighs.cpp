// Point neighbour lists: an ordinary sphere, a sphere with crowded poles and a
// polygon whose corners alternate between two points.
#include "geometry.h"
#include "poly_neighs.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

const Point ORIGIN = {0.0f, 0.0f, 0.0f};

void find_neighbours(benchmark::State &state, const polygons_struct *polygons,
                     bool across)
{
    for (auto _ : state) {
        int *counts = nullptr;
        int **lists = nullptr;
        unsigned char *interior = nullptr;
        int **table = nullptr;
        if (create_polygon_point_neighbours(polygons, across, &counts, &lists, &interior,
                                            across ? nullptr : &table) != OK) {
            state.SkipWithError("neighbours not found");
            break;
        }
        benchmark::DoNotOptimize(lists);
        delete_polygon_point_neighbours(polygons, counts, lists, interior, table);
    }
}

// range(0): triangles; range(1): across polygons.
void BM_neighbours_tetrahedral_sphere(benchmark::State &state)
{
    polygons_struct sphere;
    if (create_tetrahedral_sphere(&ORIGIN, 1, 1, 1, int(state.range(0)), &sphere) != OK) {
        state.SkipWithError("sphere not built");
        return;
    }
    find_neighbours(state, &sphere, state.range(1) != 0);
    delete_polygons(&sphere);
}
BENCHMARK(BM_neighbours_tetrahedral_sphere)
    ->Args({327680, 0})->Args({327680, 1})->Unit(benchmark::kMillisecond);

// Four rows of range(0) columns: each pole has range(0) neighbours.
void BM_neighbours_crowded_poles(benchmark::State &state)
{
    polygons_struct sphere;
    if (create_polygons_sphere(&ORIGIN, 1, 1, 1, 4, int(state.range(0)), false,
                               &sphere) != OK) {
        state.SkipWithError("sphere not built");
        return;
    }
    find_neighbours(state, &sphere, state.range(1) != 0);
    delete_polygons(&sphere);
}
BENCHMARK(BM_neighbours_crowded_poles)
    ->Args({20000, 0})->Args({20000, 1})->Unit(benchmark::kMillisecond);

// range(0) corners alternating between points 0 and 1.
void BM_neighbours_alternating_corners(benchmark::State &state)
{
    const int n_corners = int(state.range(0));
    std::vector<int> indices(n_corners);
    for (int i = 0; i < n_corners; ++i)
        indices[i] = i % 2;
    std::vector<Point> points = {{0, 0, 0}, {1, 0, 0}};
    int end = n_corners;
    polygons_struct polygon{};
    polygon.n_points = 2;
    polygon.points = points.data();
    polygon.n_items = 1;
    polygon.end_indices = &end;
    polygon.indices = indices.data();
    find_neighbours(state, &polygon, state.range(1) != 0);
}
BENCHMARK(BM_neighbours_alternating_corners)
    ->Args({1000, 0})->Args({1000, 1})->Args({32000, 0})->Args({32000, 1})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
