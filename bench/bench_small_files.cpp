// Opening, reading and closing a small file many times, as a surface file
// whose model objects each name the same small file does.
#include "quillon.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

void BM_open_read_close_small_file(benchmark::State &state)
{
    std::string path = "/tmp/bench_small_files_" + std::to_string(::getpid()) + ".txt";
    if (std::FILE *fp = std::fopen(path.c_str(), "w")) {
        for (int i = 0; i < 20; ++i)
            std::fprintf(fp, "%d %.3f\n", i, i * 0.5);
        std::fclose(fp);
    } else {
        state.SkipWithError("cannot write the file");
        return;
    }
    for (auto _ : state) {
        File file;
        if (open_file(path.c_str(), READ_FILE, ASCII_FORMAT, &file) != OK) {
            state.SkipWithError("opening failed");
            break;
        }
        int i = 0;
        float v = 0;
        for (int k = 0; k < 20; ++k)
            if (io_int(file, READ_FILE, ASCII_FORMAT, &i) != OK ||
                io_float(file, READ_FILE, ASCII_FORMAT, &v) != OK)
                state.SkipWithError("reading failed");
        benchmark::DoNotOptimize(v);
        close_file(file);
    }
    state.SetItemsProcessed(state.iterations());
    std::remove(path.c_str());
}
BENCHMARK(BM_open_read_close_small_file)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
