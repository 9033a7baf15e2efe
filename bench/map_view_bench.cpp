// The desktop map on the 256 x 256-section sample theater (4096 x 4096 posts) at full zoom-out:
// the time of one frame of a pan once the tiles are cached, and of the first frame, whose tiles
// are drawn in the background; and the pan's frame with a comparison's changed posts marked. A
// frame at 60 Hz has 16.7 ms.

#include "app/application_state.h"
#include "sample/sample_theater.h"
#include "ui/map_view.h"

#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>

namespace {

using namespace vantor;

ApplicationState& bigTheater() {
    static ApplicationState state = [] {
        ApplicationState s;
        SampleOptions options;
        options.sections = 256;
        s.terrain.matrix = generateSampleTerrain(options);
        s.terrain.terrainOpen = true;
        return s;
    }();
    return state;
}

// Frames of a pan four pixels to and fro, the tiles drawn and cached first.
double panFrames(benchmark::State& state) {
    ui::MapView view(bigTheater());
    view.resize(1000, 800);
    view.terrainChanged(true);
    QImage frame(view.size(), QImage::Format_ARGB32_Premultiplied);
    view.render(&frame);
    view.waitForTiles();
    view.render(&frame);
    double shift = 4;
    for (auto _ : state) {
        view.panBy(shift, 0);
        shift = -shift;
        view.render(&frame);
        benchmark::DoNotOptimize(frame.constBits());
    }
    return view.pixelsPerPost();
}

void BM_PanFrameAtFullZoomOut(benchmark::State& state) {
    state.counters["pixels per post"] = panFrames(state);
}
BENCHMARK(BM_PanFrameAtFullZoomOut)->Unit(benchmark::kMillisecond);

// The same pan while a comparison is shown whose terrain changed one post in a hundred (167,772
// posts, every one in view): its marks cost on top of the frame.
void BM_PanFrameWithAComparison(benchmark::State& state) {
    ApplicationState& theater = bigTheater();
    TerrainDiff changes;
    const TerrainMatrix& m = theater.terrain.matrix;
    for (std::int64_t i = 0; i < std::int64_t{m.width} * m.height; i += 100) {
        changes.posts.push_back({static_cast<std::int32_t>(i % m.width),
                                 static_cast<std::int32_t>(i / m.width),
                                 {},
                                 {}});
    }
    changes.postsChanged = changes.posts.size();
    theater.diff.last.terrain = std::move(changes);
    theater.diff.done = true;
    panFrames(state);
    state.counters["posts marked"] = static_cast<double>(theater.diff.last.terrain->posts.size());
    theater.diff = {};
}
BENCHMARK(BM_PanFrameWithAComparison)->Unit(benchmark::kMillisecond);

void BM_FirstFrameWithItsTiles(benchmark::State& state) {
    ui::MapView view(bigTheater());
    view.resize(1000, 800);
    QImage frame(view.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        view.terrainChanged(true); // an empty cache
        view.render(&frame);
        view.waitForTiles();
        view.render(&frame);
        benchmark::DoNotOptimize(frame.constBits());
    }
}
BENCHMARK(BM_FirstFrameWithItsTiles)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
