// Radar profiles per second with the default settings on the 64 x 64-section sample theater: the
// step-by-step walk that works everything out per step, against the profile computation on one
// thread and on every core, in one run.

#include "analysis/radar_profile.h"
#include "sample/sample_theater.h"
#include "support/radar_direct.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

using namespace vantor;

constexpr std::int32_t last = 1023;

const TerrainMatrix& terrain() {
    static const TerrainMatrix m = [] {
        SampleOptions options;
        options.sections = 64;
        return generateSampleTerrain(options);
    }();
    return m;
}

// Radars on a grid over the island, where the relief masks some rays and not others.
const std::vector<RadarSite>& sites() {
    static const std::vector<RadarSite> s = [] {
        std::vector<RadarSite> out;
        for (std::int32_t y = 64; y < 1024; y += 64) {
            for (std::int32_t x = 64; x < 1024; x += 64) {
                out.push_back({x, y});
            }
        }
        return out;
    }();
    return s;
}

void BM_RadarDirectWalk(benchmark::State& s) {
    const TerrainMatrix& m = terrain();
    for (auto _ : s) {
        for (const RadarSite& site : sites()) {
            benchmark::DoNotOptimize(
                direct::profile(m, defaultRadarSettings, last, site.mapX, site.mapY));
        }
    }
    s.SetItemsProcessed(s.iterations() * static_cast<std::int64_t>(sites().size()));
}

void BM_RadarProfiles(benchmark::State& s) {
    const TerrainMatrix& m = terrain();
    const RadarWalk walk = makeRadarWalk(defaultRadarSettings, last, m);
    std::vector<RadarProfile> profiles(sites().size());
    for (auto _ : s) {
        radarProfiles(walk, sites(), profiles, static_cast<unsigned>(s.range(0)));
        benchmark::DoNotOptimize(profiles.data());
    }
    s.SetItemsProcessed(s.iterations() * static_cast<std::int64_t>(sites().size()));
}

} // namespace

BENCHMARK(BM_RadarDirectWalk)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RadarProfiles)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
