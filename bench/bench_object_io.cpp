// Reading and writing a high-resolution cortical-size surface (163,842
// points, 327,680 triangles) in both forms.
//
//   bench_object_io [benchmark options]   timings; writes its surfaces to /tmp once
//   bench_object_io --peak FILE           peak memory of one read of FILE
#include "object_io.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string ascii_path = "/tmp/gyrolux_bench_surface_ascii.obj";
const std::string binary_path = "/tmp/gyrolux_bench_surface_binary.obj";

// An icosahedron subdivided seven times, on a slightly bumpy sphere so that
// coordinates have the digits real surfaces have.
object_struct *make_surface()
{
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    std::vector<std::array<double, 3>> v = {
        {-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
        {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    std::vector<int> tri = {0, 11, 5, 0, 5, 1, 0, 1, 7, 0, 7, 10, 0, 10, 11, 1, 5, 9, 5, 11, 4,
                            11, 10, 2, 10, 7, 6, 7, 1, 8, 3, 9, 4, 3, 4, 2, 3, 2, 6, 3, 6, 8,
                            3, 8, 9, 4, 9, 5, 2, 4, 11, 6, 2, 10, 8, 6, 7, 9, 8, 1};
    for (int level = 0; level < 7; ++level) {
        std::unordered_map<std::uint64_t, int> mid;
        auto midpoint = [&](int a, int b) {
            std::uint64_t key = (std::uint64_t(std::min(a, b)) << 32) | std::uint32_t(std::max(a, b));
            auto [it, fresh] = mid.emplace(key, int(v.size()));
            if (fresh)
                v.push_back({(v[a][0] + v[b][0]) / 2, (v[a][1] + v[b][1]) / 2,
                             (v[a][2] + v[b][2]) / 2});
            return it->second;
        };
        std::vector<int> next;
        for (std::size_t i = 0; i < tri.size(); i += 3) {
            int a = tri[i], b = tri[i + 1], c = tri[i + 2];
            int ab = midpoint(a, b), bc = midpoint(b, c), ca = midpoint(c, a);
            next.insert(next.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
        }
        tri.swap(next);
    }
    object_struct *object = create_object(POLYGONS);
    polygons_struct *p = get_polygons_ptr(object);
    initialize_polygons_with_size(p, make_Colour(255, 255, 255), nullptr, int(v.size()),
                                  int(tri.size() / 3), 3);
    for (std::size_t i = 0; i < v.size(); ++i) {
        double len = std::sqrt(v[i][0] * v[i][0] + v[i][1] * v[i][1] + v[i][2] * v[i][2]);
        double x = v[i][0] / len, y = v[i][1] / len, z = v[i][2] / len;
        double r = 70.0 + 3.7 * std::sin(9 * x) * std::cos(7 * y) + 1.3 * z;
        p->points[i] = Point{float(r * x), float(r * y * 1.2), float(r * z * 0.9)};
        p->normals[i] = Vector{float(x), float(y), float(z)};
    }
    std::memcpy(p->indices, tri.data(), tri.size() * sizeof(int));
    return object;
}

void ensure_files()
{
    if (fs::exists(ascii_path) && fs::exists(binary_path))
        return;
    object_struct *surface = make_surface();
    output_graphics_file(ascii_path.c_str(), ASCII_FORMAT, 1, &surface);
    output_graphics_file(binary_path.c_str(), BINARY_FORMAT, 1, &surface);
    delete_object(surface);
}

void read_file(benchmark::State &state, const std::string &name)
{
    ensure_files();
    for (auto _ : state) {
        File_formats form;
        int n = 0;
        object_struct **objects = nullptr;
        if (input_graphics_file(name.c_str(), &form, &n, &objects) != OK || n != 1)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(objects);
        delete_object_list(n, objects);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(fs::file_size(name)));
    state.counters["file_MB"] = double(fs::file_size(name)) / 1e6;
}

void write_file(benchmark::State &state, File_formats form)
{
    object_struct *surface = make_surface();
    const std::string name = "/tmp/gyrolux_bench_write.obj";
    for (auto _ : state)
        if (output_graphics_file(name.c_str(), form, 1, &surface) != OK)
            state.SkipWithError("write failed");
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(fs::file_size(name)));
    state.counters["file_MB"] = double(fs::file_size(name)) / 1e6;
    fs::remove(name);
    delete_object(surface);
}

void BM_ReadAscii(benchmark::State &state) { read_file(state, ascii_path); }
void BM_ReadBinary(benchmark::State &state) { read_file(state, binary_path); }
void BM_WriteAscii(benchmark::State &state) { write_file(state, ASCII_FORMAT); }
void BM_WriteBinary(benchmark::State &state) { write_file(state, BINARY_FORMAT); }

// The machine is shared: the fastest repetition is the least disturbed one.
double fastest(const std::vector<double> &v)
{
    return *std::min_element(v.begin(), v.end());
}

BENCHMARK(BM_ReadAscii)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_ReadBinary)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_WriteAscii)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_WriteBinary)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);

long status_kib(const char *field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::strlen(field)));
    return -1;
}

int peak_of_read(const char *name)
{
    long before = status_kib("VmRSS:");
    File_formats form;
    int n = 0;
    object_struct **objects = nullptr;
    Status status = input_graphics_file(name, &form, &n, &objects);
    long peak = status_kib("VmHWM:");
    std::size_t arrays = 0;
    for (int i = 0; i < n; ++i) {
        if (get_object_type(objects[i]) != POLYGONS)
            continue;
        const polygons_struct *p = get_polygons_ptr(objects[i]);
        arrays += std::size_t(p->n_points) * (sizeof(Point) + sizeof(Vector)) +
                  std::size_t(p->n_items) * sizeof(int) +
                  std::size_t(p->n_items > 0 ? p->end_indices[p->n_items - 1] : 0) * sizeof(int);
    }
    std::printf("%s: status %s, file %.1f MB, arrays returned %.1f MB, "
                "peak resident growth during the read %.1f MB\n",
                name, status == OK ? "OK" : "ERROR", double(fs::file_size(name)) / 1e6,
                double(arrays) / 1e6, double(peak - before) * 1024.0 / 1e6);
    delete_object_list(n, objects);
    return status == OK ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--peak") == 0)
        return peak_of_read(argv[2]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
