// Reading a cortical-size surface (163,842 points, 327,680 triangles) from
// other programs' formats: a FreeSurfer binary surface and a GIFTI surface
// with gzip-compressed base64 arrays, and a curv file of one value per point.
//
//   bench_formats [benchmark options]   writes its files to /tmp once
#include "freesurfer_surface.h"
#include "geometry.h"
#include "gifti_surface.h"
#include "vertex_data.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::string freesurfer_path = "/tmp/gyrolux_bench_lh.white";
const std::string gifti_path = "/tmp/gyrolux_bench_lh.white.surf.gii";
const std::string curv_path = "/tmp/gyrolux_bench_lh.thickness";

void put_be32(std::ofstream &out, std::uint32_t v)
{
    const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out.write(bytes, 4);
}

void put_be_float(std::ofstream &out, float f)
{
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    put_be32(out, bits);
}

void ensure_files()
{
    if (fs::exists(freesurfer_path) && fs::exists(gifti_path) && fs::exists(curv_path))
        return;
    polygons_struct sphere;
    const Point centre = {0, 0, 0};
    create_tetrahedral_sphere(&centre, 70.0, 84.0, 63.0, 327680, &sphere);
    for (int i = 0; i < sphere.n_points; ++i) { // digits as real surfaces have them
        Point &p = sphere.points[i];
        float bump = 1.0f + 0.05f * std::sin(0.3f * p.x) * std::cos(0.2f * p.y);
        p = {p.x * bump, p.y * bump, p.z * bump};
    }
    std::ofstream fs_out(freesurfer_path, std::ios::binary);
    fs_out.write("\xff\xff\xfe" "created by bench_formats\n\n", 29);
    put_be32(fs_out, std::uint32_t(sphere.n_points));
    put_be32(fs_out, std::uint32_t(sphere.n_items));
    for (int i = 0; i < sphere.n_points; ++i) {
        put_be_float(fs_out, sphere.points[i].x);
        put_be_float(fs_out, sphere.points[i].y);
        put_be_float(fs_out, sphere.points[i].z);
    }
    for (int i = 0; i < 3 * sphere.n_items; ++i)
        put_be32(fs_out, std::uint32_t(sphere.indices[i]));
    fs_out.close();

    std::ofstream curv_out(curv_path, std::ios::binary);
    curv_out.write("\xff\xff\xff", 3);
    put_be32(curv_out, std::uint32_t(sphere.n_points));
    put_be32(curv_out, std::uint32_t(sphere.n_items));
    put_be32(curv_out, 1);
    for (int i = 0; i < sphere.n_points; ++i)
        put_be_float(curv_out, 2.5f + std::sin(0.1f * sphere.points[i].x));
    curv_out.close();

    output_gifti_surface(gifti_path.c_str(), &sphere, nullptr);
    delete_polygons(&sphere);
}

void BM_read_freesurfer_surface(benchmark::State &state)
{
    ensure_files();
    for (auto _ : state) {
        object_struct *object = nullptr;
        if (input_freesurfer_surface(freesurfer_path.c_str(), &object, nullptr) != OK)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(object);
        delete_object(object);
    }
}
BENCHMARK(BM_read_freesurfer_surface)->Unit(benchmark::kMillisecond);

void BM_read_gifti_gzip_surface(benchmark::State &state)
{
    ensure_files();
    for (auto _ : state) {
        object_struct *object = nullptr;
        if (input_gifti_surface(gifti_path.c_str(), &object, nullptr) != OK)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(object);
        delete_object(object);
    }
}
BENCHMARK(BM_read_gifti_gzip_surface)->Unit(benchmark::kMillisecond);

void BM_read_curv(benchmark::State &state)
{
    ensure_files();
    for (auto _ : state) {
        vertex_data data;
        if (input_freesurfer_curv(curv_path.c_str(), &data) != OK)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(data.columns.data());
    }
}
BENCHMARK(BM_read_curv)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
