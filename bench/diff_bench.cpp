// What the comparison of two versions costs on the 256 x 256-section sample theater, in one run:
// git's text form of the terrain pair against reading the pair, the post-by-post comparison
// (the later pair read, then compared) against reading it; the text form of the export and the
// comparison of two exports against reading the export.

#include "base/input_file.h"
#include "base/text_util.h"
#include "bench_theater.h"
#include "flows/diff_flow.h"
#include "objectives/export_format.h"
#include "sample/sample_theater.h"
#include "terrain/terrain_diff.h"
#include "terrain/terrain_file.h"
#include "terrain/terrain_text.h"
#include "terrain/terrain_writer.h"
#include "tools/export_diff.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace vantor;
namespace fs = std::filesystem;

struct Sample {
    fs::path dir;
    std::string l2;
    std::string source;
    TerrainMatrix before; // the later version is the files: one post in a hundred changed
};

Sample& sample() {
    static Sample* s = [] {
        auto* made = new Sample;
        made->dir = bench::writeBenchTheater("vantor-diff-bench");
        std::string error;
        made->l2 = (made->dir / sampleL2Name).string();
        made->source = (made->dir / sampleExportName).string();
        if (!readTerrainInto(made->l2, builtInTheater(), made->before, error)) {
            std::fprintf(stderr, "Cannot read the sample terrain: %s\n", error.c_str());
            std::exit(1);
        }
        for (std::size_t i = 0; i < made->before.posts.size(); i += 100) {
            made->before.posts[i].elevation ^= 1;
        }
        return made;
    }();
    return *s;
}

void readPair(benchmark::State& state) {
    Sample& s = sample();
    for (auto _ : state) {
        TerrainMatrix m;
        std::string error;
        benchmark::DoNotOptimize(readTerrainInto(s.l2, builtInTheater(), m, error));
        benchmark::DoNotOptimize(m.posts.data());
    }
}

void pairAsText(benchmark::State& state) {
    Sample& s = sample();
    std::FILE* sink = std::fopen("/dev/null", "wb");
    const fs::path o2 = s.dir / sampleO2Name;
    for (auto _ : state) {
        // As git runs it: each file read whole by itself and printed.
        std::vector<unsigned char> bytes;
        std::string error;
        readWholeFile(s.l2, bytes, error);
        benchmark::DoNotOptimize(writeL2Text(bytes, sink));
        readWholeFile(o2, bytes, error);
        benchmark::DoNotOptimize(writeO2Text(bytes, sink));
    }
    std::fclose(sink);
}

void comparePairs(benchmark::State& state) {
    Sample& s = sample();
    std::size_t changed = 0;
    for (auto _ : state) {
        TerrainMatrix m;
        std::string error;
        readTerrainInto(s.l2, builtInTheater(), m, error);
        changed = diffTerrain(s.before, m).postsChanged;
    }
    state.counters["posts changed"] = static_cast<double>(changed);
}

void readExport(benchmark::State& state) {
    Sample& s = sample();
    for (auto _ : state) {
        std::string text;
        std::string error;
        benchmark::DoNotOptimize(readTextFile(s.source, text, error));
        benchmark::DoNotOptimize(text.data());
    }
}

void exportAsText(benchmark::State& state) {
    Sample& s = sample();
    for (auto _ : state) {
        std::string text;
        std::string error;
        readTextFile(s.source, text, error);
        benchmark::DoNotOptimize(exportText(text));
    }
}

void compareExports(benchmark::State& state) {
    Sample& s = sample();
    for (auto _ : state) {
        std::string text;
        std::string error;
        readTextFile(s.source, text, error);
        std::vector<std::string_view> lines;
        forEachTextLine(text, [&](std::string_view line) {
            lines.push_back(line);
            return true;
        });
        benchmark::DoNotOptimize(diffExports(lines, lines).unchanged);
    }
}

BENCHMARK(readPair)->Unit(benchmark::kMillisecond);
BENCHMARK(pairAsText)->Unit(benchmark::kMillisecond);
BENCHMARK(comparePairs)->Unit(benchmark::kMillisecond);
BENCHMARK(readExport)->Unit(benchmark::kMillisecond);
BENCHMARK(exportAsText)->Unit(benchmark::kMillisecond);
BENCHMARK(compareExports)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
