// Vertex-statistics files the size of a full-resolution hemisphere:
// 163,842 rows x 4 columns, new style (about 5 MB).
#include "zelVertstatsFile.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace {

constexpr int rows = 163842;

struct Fixture {
    std::filesystem::path dir;
    std::string input, output;
    zelVertstatsFile file;
    std::size_t bytes = 0;

    Fixture() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "bench-vertstats-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            throw std::runtime_error("mkdtemp failed");
        dir = tmpl;
        input = (dir / "in.vertstats").string();
        output = (dir / "out.vertstats").string();
        std::mt19937 rng(7);
        std::normal_distribution<float> t(0.0f, 3.0f);
        std::uniform_real_distribution<float> p(0.0f, 1.0f);
        std::vector<float> a(rows), b(rows), c(rows), d(rows);
        for (int i = 0; i < rows; ++i) {
            a[i] = t(rng);
            b[i] = p(rng);
            c[i] = static_cast<float>(i % 97);
            d[i] = t(rng) * 1000.0f;
        }
        zelVertstatsFile f;
        f.addToHistory("made for the benchmark\n");
        f.putDataColumn(a, "tstat");
        f.putDataColumn(b, "p.value");
        f.putDataColumn(c, "label");
        f.putDataColumn(d, "effect");
        quiet([&] { f.writeFile(input, false); });
        bytes = std::filesystem::file_size(input);
        file.loadFile(input.c_str(), true);
    }
    ~Fixture() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // writeFile reports progress on standard output; keep it out of the results.
    template <typename F>
    static void quiet(F f) {
        std::ostringstream sink;
        auto* old = std::cout.rdbuf(sink.rdbuf());
        f();
        std::cout.rdbuf(old);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_loadFile(benchmark::State& state) {
    Fixture& fx = fixture();
    for (auto _ : state) {
        zelVertstatsFile f;
        f.loadFile(fx.input.c_str(), true);
        benchmark::DoNotOptimize(f.getNumRows());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fx.bytes));
    state.counters["file_MB"] = static_cast<double>(fx.bytes) / 1e6;
}

void BM_writeFile(benchmark::State& state) {
    Fixture& fx = fixture();
    for (auto _ : state)
        Fixture::quiet([&] { benchmark::DoNotOptimize(fx.file.writeFile(fx.output, false)); });
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fx.bytes));
}

void BM_getDataColumnByName(benchmark::State& state) {
    Fixture& fx = fixture();
    for (auto _ : state) {
        std::vector<float> column = fx.file.getDataColumn("p.value");
        benchmark::DoNotOptimize(column.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rows * sizeof(float)));
}

} // namespace

// A well-formed header of about 64 KB: a history of many nested entries,
// as analysis pipelines that log every step write them, and no rows.
void BM_loadLargeHeader(benchmark::State& state) {
    std::string text = "<header>\n<history>\n";
    for (int i = 0; text.size() < 64 * 1024; ++i) {
        const std::string step = "step" + std::to_string(i % 50);
        text += "<" + step + ">\nprogram --option " + std::to_string(i) + "\n<args>\na b c\n</args>\n</" +
                step + ">\n";
    }
    text += "</history>\n</header>\nvalue\n";
    const std::string path = (fixture().dir / "header.vertstats").string();
    std::ofstream(path, std::ios::binary) << text;
    for (auto _ : state) {
        zelVertstatsFile f(path.c_str(), true);
        benchmark::DoNotOptimize(f.getNumColumns());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

BENCHMARK(BM_loadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_loadLargeHeader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_writeFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_getDataColumnByName)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
