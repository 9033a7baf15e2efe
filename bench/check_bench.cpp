// The object checks on the 64 x 64-section sample theater with 5,000 objectives: the city and
// junction check and the object check (search range 1) over the whole map, against one pass
// that reads every cell of the occupancy grid, in one run. Each iteration works on a fresh copy
// of the grid and the objects, which the baseline copies too.

#include "checks/city_check.h"
#include "checks/object_check.h"
#include "reference/ocd_list.h"
#include "reference/tile_info.h"
#include "sample/sample_theater.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>

namespace {

using namespace vantor;

struct World {
    TerrainMatrix matrix;
    OccupancyGrid grid;
    CheckObjects objects;
    OcdList ocd;
    TileInfoList tiles;
    CityTileTables tables;
    TileScript script;
};

const World& world() {
    static const World built = [] {
        World w;
        SampleOptions options;
        options.sections = 64;
        w.matrix = generateSampleTerrain(options);
        const std::filesystem::path dir =
            std::filesystem::temp_directory_path() / "vantor-check-bench";
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "Falcon4.ocd", std::ios::binary) << sampleClassFile();
        std::ofstream(dir / "TileInfo.dat", std::ios::binary) << sampleTileInfoFile();
        generateOcdList(dir.string());
        std::string problem;
        loadOcdList(w.ocd, dir.string(), problem);
        loadTileInfoList(w.tiles, dir.string(), problem);
        std::filesystem::remove_all(dir);
        parseCityTileTables(w.tables, sampleCheckerScript());
        parseTileScript(w.script, ScriptKind::Checker, sampleCheckerScript());

        // Urban tiles on a fine grid, and 5,000 objectives scattered over the land.
        for (std::int32_t y = 2; y < w.matrix.height; y += 6) {
            for (std::int32_t x = 2; x < w.matrix.width; x += 6) {
                if (sampleLand(w.matrix, x, y)) {
                    w.matrix.at(x, y).tileId =
                        sample_tiles::cityBlock + static_cast<std::uint32_t>((x + y) % 5);
                }
            }
        }
        const char* types[] = {" City", " Town", " Village", " Junction", " Factory"};
        const std::int32_t classes[] = {sample_classes::city, sample_classes::town,
                                        sample_classes::village, sample_classes::junction, 115};
        buildOccupancyGrid(w.matrix, w.grid);
        MultipleObjects multiple;
        std::uint32_t seed = 12345;
        while (w.objects.table.size() < 5000) {
            seed = seed * 1664525u + 1013904223u;
            const auto x = static_cast<std::int32_t>((seed >> 8) % 1024);
            const auto y = static_cast<std::int32_t>((seed >> 18) % 1024);
            if (!sampleLand(w.matrix, x, y) || w.grid.at(x, y).object != noObject) {
                continue;
            }
            const std::size_t k = w.objects.table.size() % 5;
            ObjectRecord r;
            r.identifier = static_cast<std::int32_t>(10 + w.objects.table.size());
            r.objectiveClass = classes[k];
            r.type = types[k];
            r.x = x;
            r.y = y;
            w.objects.table.push_back(r);
            placeObject(w.grid, w.objects.table, w.objects.table.size() - 1, multiple);
        }
        return w;
    }();
    return built;
}

constexpr MapArea wholeMap{0, 0, 1023, 1023};

void BM_GridPass(benchmark::State& state) {
    const World& w = world();
    for (auto _ : state) {
        OccupancyGrid grid = w.grid;
        CheckObjects objects = w.objects;
        std::uint64_t sum = 0;
        for (const OccupancyCell& c : grid.cells) {
            sum += c.tileId + c.object;
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(objects);
    }
}
BENCHMARK(BM_GridPass)->Unit(benchmark::kMillisecond);

void BM_CityCheck(benchmark::State& state) {
    const World& w = world();
    std::uint32_t rotating = 0;
    std::int32_t counted = 0;
    for (auto _ : state) {
        OccupancyGrid grid = w.grid;
        CheckObjects objects = w.objects;
        const CityCheckResult r = runCityCheck(grid, objects, {w.ocd, w.tiles, w.tables}, wholeMap,
                                               {6000, 65536}, rotating);
        counted = r.counts.total();
        benchmark::DoNotOptimize(r);
    }
    state.counters["objects changed/placed/deleted"] = counted;
}
BENCHMARK(BM_CityCheck)->Unit(benchmark::kMillisecond);

void BM_ObjectCheck(benchmark::State& state) {
    const World& w = world();
    std::int32_t counted = 0;
    for (auto _ : state) {
        OccupancyGrid grid = w.grid;
        CheckObjects objects = w.objects;
        const ObjectCheckResult r =
            runObjectCheck(grid, objects, w.script, wholeMap, 1, {6000, 65536});
        counted = r.counts.total();
        benchmark::DoNotOptimize(r);
    }
    state.counters["objects placed/changed/moved"] = counted;
}
BENCHMARK(BM_ObjectCheck)->Unit(benchmark::kMillisecond);

} // namespace
