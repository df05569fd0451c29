// Parcellations at cortical size: a 163,842-vertex annotation of 36
// regions (the aparc atlas's size) read from its file, and the per-region
// table of four columns; also the outline's vertices and the colours per
// vertex that the viewer computes when a parcellation is shown.
//
//   bench_parcel [benchmark options]   writes its file to /tmp once
#include "geometry.h"
#include "parcel_colouring.h"
#include "parcel_files.h"
#include "region_statistics.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace {

const std::string annotation_path = "/tmp/gyrolux_bench_lh.aparc.annot";

struct cortex {
    polygons_struct sphere{};
    parcellation parcels;
    std::vector<std::vector<float>> columns;

    cortex()
    {
        const Point centre = {0, 0, 0};
        create_tetrahedral_sphere(&centre, 70.0, 84.0, 63.0, 327680, &sphere);
        // 6 x 6 patches by longitude and height, as contiguous as atlas regions
        for (int i = 0; i < 36; ++i)
            parcels.regions.push_back({i, "region" + std::to_string(i),
                                       distinct_parcel_colour(i)});
        parcels.format = FREESURFER_ANNOTATION;
        for (int v = 0; v < sphere.n_points; ++v) {
            const Point &p = sphere.points[v];
            const double longitude = std::atan2(p.y, p.x) + M_PI;
            const int column = std::min(5, int(longitude / (2 * M_PI) * 6));
            const int row = std::min(5, std::max(0, int((p.z / 63.0 + 1.0) * 3)));
            parcels.vertex_regions.push_back(p.z > 60 ? no_region : row * 6 + column);
        }
        for (int c = 0; c < 4; ++c) {
            std::vector<float> values;
            for (int v = 0; v < sphere.n_points; ++v)
                values.push_back(2.5f + std::sin(0.1f * sphere.points[v].x * (c + 1)));
            columns.push_back(std::move(values));
        }
        if (!std::filesystem::exists(annotation_path))
            output_freesurfer_annotation(annotation_path.c_str(), parcels);
    }
    ~cortex() { delete_polygons(&sphere); }
};

const cortex &shared()
{
    static const cortex c;
    return c;
}

void BM_read_annotation(benchmark::State &state)
{
    shared();
    for (auto _ : state) {
        parcellation parcels;
        if (input_freesurfer_annotation(annotation_path.c_str(), &parcels) != OK ||
            parcels.regions.size() != 36 || parcels.vertex_regions.size() != 163842)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(parcels.vertex_regions.data());
    }
}
BENCHMARK(BM_read_annotation)->Unit(benchmark::kMillisecond);

void BM_region_table_four_columns(benchmark::State &state)
{
    const cortex &c = shared();
    std::vector<gyroscene::named_column> columns;
    for (std::size_t i = 0; i < c.columns.size(); ++i)
        columns.push_back({"column" + std::to_string(i), &c.columns[i]});
    for (auto _ : state) {
        std::string csv = gyroscene::region_statistics_csv(c.parcels, columns);
        benchmark::DoNotOptimize(csv.data());
    }
}
BENCHMARK(BM_region_table_four_columns)->Unit(benchmark::kMillisecond);

void BM_outline_vertices(benchmark::State &state)
{
    const cortex &c = shared();
    for (auto _ : state) {
        std::vector<std::uint8_t> boundary = gyroscene::region_boundary_vertices(c.parcels, c.sphere);
        benchmark::DoNotOptimize(boundary.data());
    }
}
BENCHMARK(BM_outline_vertices)->Unit(benchmark::kMillisecond);

void BM_vertex_colours(benchmark::State &state)
{
    const cortex &c = shared();
    const std::vector<std::uint8_t> boundary = gyroscene::region_boundary_vertices(c.parcels, c.sphere);
    gyroscene::parcel_style style;
    style.outline = state.range(0) != 0;
    style.shown.assign(36, true);
    style.shown[7] = false;
    for (auto _ : state) {
        std::vector<parcel_colour> colours = gyroscene::parcel_vertex_colours(c.parcels, style, boundary);
        benchmark::DoNotOptimize(colours.data());
    }
}
BENCHMARK(BM_vertex_colours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
