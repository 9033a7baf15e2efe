// Drawing the map: the whole 64 x 64-section sample theater at one pixel per post, in relief
// and by tile classes, on one thread and on every core, against one pass that reads every post
// in the same run.

#include "map/map_render.h"
#include "sample/sample_theater.h"

#include <benchmark/benchmark.h>

namespace {

using namespace vantor;

const TerrainMatrix& terrain() {
    static const TerrainMatrix m = [] {
        SampleOptions options;
        options.sections = 64;
        return generateSampleTerrain(options);
    }();
    return m;
}

MapWindow wholeMap() {
    const TerrainMatrix& m = terrain();
    return {0, m.height - 1, m.width, m.height, 1};
}

void BM_ReadEveryPost(benchmark::State& state) {
    const TerrainMatrix& m = terrain();
    for (auto _ : state) {
        std::uint64_t sum = 0;
        for (const TerrainPost& p : m.posts) {
            sum += p.tileId + p.elevation;
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ReadEveryPost)->Unit(benchmark::kMillisecond);

void BM_RenderRelief(benchmark::State& state) {
    MapImage image;
    const auto threads = static_cast<unsigned>(state.range(0));
    for (auto _ : state) {
        renderTerrain(terrain(), {}, MapMode::Relief, wholeMap(), image, threads);
        benchmark::DoNotOptimize(image.pixels.data());
    }
}
BENCHMARK(BM_RenderRelief)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_RenderTiles(benchmark::State& state) {
    TileClassifier classes;
    for (std::uint32_t mask = 1; mask < 16; ++mask) {
        classes.classes[sample_tiles::road + mask] = TileClass::Road;
        classes.classes[sample_tiles::river + mask] = TileClass::River;
    }
    classes.index();
    MapImage image;
    for (auto _ : state) {
        renderTerrain(terrain(), classes, MapMode::Tiles, wholeMap(), image, 0);
        benchmark::DoNotOptimize(image.pixels.data());
    }
}
BENCHMARK(BM_RenderTiles)->Unit(benchmark::kMillisecond);

} // namespace
