// The road scan and bridge placement against one pass that only reads every post's tile id,
// on the sample theater, in one run.

#include "app/application_state.h"
#include "app/platform.h"
#include "flows/scan_flow.h"
#include "sample/sample_theater.h"

#include <benchmark/benchmark.h>
#include <map>

namespace {

using namespace vantor;

ApplicationState& theater(std::int32_t sections) {
    static std::map<std::int32_t, ApplicationState> made;
    if (auto it = made.find(sections); it != made.end()) {
        return it->second;
    }
    ApplicationState& state = made[sections];
    SampleOptions options;
    options.sections = sections;
    state.terrain.matrix = generateSampleTerrain(options);
    applyTerrainGeometry(state.theater, sections);
    state.terrain.terrainOpen = true;
    state.scan.writeToFile = false; // the scan itself, without the report's few lines
    return state;
}

void BM_TileIdPass(benchmark::State& s) {
    const ApplicationState& state = theater(static_cast<std::int32_t>(s.range(0)));
    for (auto _ : s) {
        std::uint64_t sum = 0;
        for (const TerrainPost& post : state.terrain.matrix.posts) {
            sum += post.tileId;
        }
        benchmark::DoNotOptimize(sum);
    }
}

void BM_RoadScan(benchmark::State& s) {
    ApplicationState& state = theater(static_cast<std::int32_t>(s.range(0)));
    const Platform platform;
    state.list.listKind = ListKind::MisalignedRoads;
    for (auto _ : s) {
        parseTileScript(state.scan.script, ScriptKind::Road, sampleScript(2));
        benchmark::DoNotOptimize(runEdgeScanStep(state, platform));
    }
}

void BM_BridgePlacement(benchmark::State& s) {
    ApplicationState& state = theater(static_cast<std::int32_t>(s.range(0)));
    const Platform platform;
    state.list.listKind = ListKind::Objects;
    for (auto _ : s) {
        parseTileScript(state.scan.script, ScriptKind::Bridge, sampleScript(1));
        benchmark::DoNotOptimize(runBridgePlacementStep(state, platform));
    }
}

BENCHMARK(BM_TileIdPass)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoadScan)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BridgePlacement)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond);

} // namespace
