// What the repairs cost on the 256 x 256-section sample theater, in one run: the audit with its
// repair suggestions against the audit that reports the findings alone, and the mend of every
// break (found, mended in memory, written back) against one terrain write-back of the pair.

#include "app/application_state.h"
#include "audit/mend.h"
#include "bench_theater.h"
#include "flows/audit_flow.h"
#include "reference/ocd_list.h"
#include "sample/sample_theater.h"
#include "terrain/l2_reader.h"
#include "terrain/terrain_writer.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace vantor;
namespace fs = std::filesystem;

struct Sample {
    fs::path dir;
    fs::path l2;
    fs::path o2;
    std::string source;
    ApplicationState state; // the terrain open, as a command finds it
    TileScript road, river, transition, bridge;
};

Sample& sample() {
    static Sample* s = [] {
        auto* made = new Sample;
        made->dir = bench::writeBenchTheater("vantor-repair-bench");
        made->l2 = made->dir / sampleL2Name;
        made->o2 = made->dir / sampleO2Name;
        made->source = (made->dir / sampleExportName).string();
        BinaryReader l2;
        BinaryReader o2;
        openForReading(l2, made->l2);
        openForReading(o2, made->o2);
        ApplicationState& state = made->state;
        readTerrain(l2, o2, state.terrain.matrix, {});
        state.terrain.terrainOpen = true;
        state.theater.lastMapX = state.terrain.matrix.width - 1;
        state.theater.lastMapY = state.terrain.matrix.height - 1;
        state.folders.startDirectory = made->dir.string();
        const std::string dir = made->dir.string();
        loadTileScript(made->road, ScriptKind::Road, dir);
        loadTileScript(made->river, ScriptKind::River, dir);
        loadTileScript(made->transition, ScriptKind::Transition, dir);
        loadTileScript(made->bridge, ScriptKind::Bridge, dir);
        return made;
    }();
    return *s;
}

AuditSelection everyCheck() {
    AuditSelection all{};
    all.fill(true);
    return all;
}

void audit(benchmark::State& state, bool repairs) {
    Sample& s = sample();
    std::size_t suggestions = 0;
    for (auto _ : state) {
        const TheaterAudit a = auditTheater(s.state, s.source, everyCheck(), {}, repairs);
        suggestions = 0;
        for (const AuditFinding& f : a.report.findings) {
            suggestions += f.suggestions.size();
        }
        benchmark::DoNotOptimize(a.report.findings.data());
    }
    state.counters["suggestions"] = static_cast<double>(suggestions);
}

void BM_AuditFindingsAlone(benchmark::State& state) {
    audit(state, false);
}
void BM_AuditWithRepairs(benchmark::State& state) {
    audit(state, true);
}

// The write-back of the pair, as the levelling and the mend write it.
void BM_TerrainWriteBack(benchmark::State& state) {
    Sample& s = sample();
    for (auto _ : state) {
        benchmark::DoNotOptimize(writeTerrainFiles(s.state.terrain.matrix, s.l2, s.o2, {}).status);
    }
}

// Every break of the sample found, mended in memory and the pair written back; then undone in
// memory (off the clock), so that each round mends the same breaks.
void BM_MendEveryBreak(benchmark::State& state) {
    Sample& s = sample();
    AuditSelection terrain{};
    for (AuditCheck c :
         {AuditCheck::Roads, AuditCheck::Rivers, AuditCheck::Transitions, AuditCheck::Bridges}) {
        terrain[auditIndex(c)] = true;
    }
    std::size_t changed = 0;
    for (auto _ : state) {
        const TerrainMend mend = mendTerrain(
            s.state.terrain.matrix, {&s.road, &s.river, &s.transition, &s.bridge}, terrain);
        benchmark::DoNotOptimize(writeTerrainFiles(s.state.terrain.matrix, s.l2, s.o2, {}).status);
        state.PauseTiming();
        changed = mend.applied.size();
        undoTileRepairs(s.state.terrain.matrix, mend.applied);
        state.ResumeTiming();
    }
    state.counters["tiles_changed"] = static_cast<double>(changed);
}

BENCHMARK(BM_AuditFindingsAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_AuditWithRepairs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_TerrainWriteBack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_MendEveryBreak)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    sample(); // written and read before the clock starts
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(sample().dir);
    return 0;
}
