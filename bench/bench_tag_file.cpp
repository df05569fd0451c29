// Reading a large tag-point file: 200,000 landmarks in two volumes with
// weights, ids and labels (about 13 MB).
#include "tag_file.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::string make_tag_file(int count)
{
    std::string path = "/tmp/bench_tag_file_" + std::to_string(::getpid()) + ".tag";
    std::FILE *fp = std::fopen(path.c_str(), "w");
    if (fp == nullptr)
        return {};
    std::fprintf(fp, "bench\nVolumes = 2;\n%% generated\nPoints =\n");
    for (int i = 0; i < count; ++i) {
        double x = i * 0.125 - 1000.0;
        std::fprintf(fp, " %.3f %.3f %d %.3f %.3f %d 1 %d %d \"p%d\"\n", x, -x, i % 97,
                     x + 1, -x - 1, i % 89, i % 5, i, i);
    }
    std::fprintf(fp, ";\n");
    std::fclose(fp);
    return path;
}

void BM_input_tag_file(benchmark::State &state)
{
    const int count = static_cast<int>(state.range(0));
    std::string path = make_tag_file(count);
    if (path.empty()) {
        state.SkipWithError("cannot write the tag file");
        return;
    }
    long bytes = 0;
    if (std::FILE *fp = std::fopen(path.c_str(), "rb")) {
        std::fseek(fp, 0, SEEK_END);
        bytes = std::ftell(fp);
        std::fclose(fp);
    }
    for (auto _ : state) {
        int n_volumes = 0, n_points = 0;
        double **positions = nullptr, **positions2 = nullptr, *weights = nullptr;
        int *structure_ids = nullptr, *patient_ids = nullptr;
        STRING *labels = nullptr;
        if (input_tag_file(path.c_str(), &n_volumes, &n_points, &positions, &positions2,
                           &weights, &structure_ids, &patient_ids, &labels) != OK ||
            n_points != count) {
            state.SkipWithError("reading failed");
            break;
        }
        benchmark::DoNotOptimize(positions[n_points - 1][2]);
        free_tag_points(n_volumes, n_points, positions, positions2, weights,
                        structure_ids, patient_ids, labels);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["points"] = count;
    std::remove(path.c_str());
}
BENCHMARK(BM_input_tag_file)->Arg(10000)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
