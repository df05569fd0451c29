// Sphere generation, subdivision and compressed sphere files.
#include "compressed_polygons.h"
#include "geometry.h"
#include "object_io.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

const Point ORIGIN = {0.0f, 0.0f, 0.0f};

void BM_create_tetrahedral_sphere(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        polygons_struct p;
        if (create_tetrahedral_sphere(&ORIGIN, 1, 1, 1, n, &p) != OK)
            state.SkipWithError("sphere not built");
        benchmark::DoNotOptimize(p.points);
        delete_polygons(&p);
    }
    state.counters["triangles"] = n;
}
BENCHMARK(BM_create_tetrahedral_sphere)->Arg(81920)->Arg(327680)->Unit(benchmark::kMillisecond);

// One subdivision step of a sphere of n triangles (n -> 4n).
void BM_subdivide_polygons(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    polygons_struct base;
    create_tetrahedral_sphere(&ORIGIN, 1, 1, 1, n, &base);
    for (auto _ : state) {
        state.PauseTiming();
        polygons_struct p = base;
        alloc_array(p.colours, 1, "bench_sphere", __LINE__);
        p.colours[0] = base.colours[0];
        alloc_array(p.points, p.n_points, "bench_sphere", __LINE__);
        alloc_array(p.normals, p.n_points, "bench_sphere", __LINE__);
        alloc_array(p.end_indices, p.n_items, "bench_sphere", __LINE__);
        alloc_array(p.indices, 3 * p.n_items, "bench_sphere", __LINE__);
        std::copy(base.points, base.points + p.n_points, p.points);
        std::copy(base.end_indices, base.end_indices + p.n_items, p.end_indices);
        std::copy(base.indices, base.indices + 3 * p.n_items, p.indices);
        state.ResumeTiming();
        subdivide_polygons(&p);
        state.PauseTiming();
        delete_polygons(&p);
        state.ResumeTiming();
    }
    delete_polygons(&base);
    state.counters["from"] = n;
    state.counters["to"] = 4.0 * n;
}
BENCHMARK(BM_subdivide_polygons)->Arg(20480)->Arg(81920)->Arg(327680)->Arg(1310720)
    ->Unit(benchmark::kMillisecond);

std::string write_sphere(int n, File_formats form)
{
    std::string name = "/tmp/bench_sphere_" + std::to_string(getpid()) + "_" +
                       std::to_string(n) + (form == BINARY_FORMAT ? "b" : "a") + ".obj";
    object_struct *object = create_object(POLYGONS);
    create_tetrahedral_sphere(&ORIGIN, 1, 1, 1, n, get_polygons_ptr(object));
    set_use_compressed_polygons_flag(true);
    output_graphics_file(name.c_str(), form, 1, &object);
    delete_object(object);
    return name;
}

void read_compressed(benchmark::State &state, File_formats form)
{
    const int n = static_cast<int>(state.range(0));
    const std::string name = write_sphere(n, form);
    std::FILE *f = std::fopen(name.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    const double bytes = double(std::ftell(f));
    std::fclose(f);
    for (auto _ : state) {
        File_formats read_form;
        int n_objects = 0;
        object_struct **objects = nullptr;
        if (input_graphics_file(name.c_str(), &read_form, &n_objects, &objects) != OK ||
            n_objects != 1 || get_polygons_ptr(objects[0])->n_items != n)
            state.SkipWithError("file not read back");
        delete_object_list(n_objects, objects);
    }
    std::remove(name.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["file_bytes"] = bytes;
}
void BM_read_compressed_binary(benchmark::State &state) { read_compressed(state, BINARY_FORMAT); }
void BM_read_compressed_ascii(benchmark::State &state) { read_compressed(state, ASCII_FORMAT); }
BENCHMARK(BM_read_compressed_binary)->Arg(81920)->Arg(327680)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_read_compressed_ascii)->Arg(81920)->Arg(327680)->Unit(benchmark::kMillisecond);

void BM_write_compressed_binary(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    object_struct *object = create_object(POLYGONS);
    create_tetrahedral_sphere(&ORIGIN, 1, 1, 1, n, get_polygons_ptr(object));
    set_use_compressed_polygons_flag(true);
    const std::string name = "/tmp/bench_sphere_w" + std::to_string(getpid()) + ".obj";
    for (auto _ : state)
        output_graphics_file(name.c_str(), BINARY_FORMAT, 1, &object);
    std::remove(name.c_str());
    delete_object(object);
}
BENCHMARK(BM_write_compressed_binary)->Arg(327680)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
