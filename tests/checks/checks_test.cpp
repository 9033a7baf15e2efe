#include "base/safe_writer.h"
#include "base/text_file.h"
#include "base/text_reader.h"
#include "checks/check_fixture.h"
#include "checks/checked_export.h"
#include "checks/city_check.h"
#include "checks/object_check.h"
#include "objectives/export_format.h"
#include "support/temp_dir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>

namespace vantor {
namespace {

using namespace vantor::testing;

// ---------------------------------------------------------------- occupancy grid

TEST(OccupancyGrid, TakesTheTilesAndReportsEveryPostTakenTwice) {
    TerrainMatrix m = flatMatrix(0x12345);
    CheckObjects objects;
    objects.table = {object(10, 1, " City", 3, 4), object(11, 2, " Town", 3, 4),
                     object(12, 3, " Village", 3, 4), object(13, 4, " Depot", 16, 0),
                     object(14, 5, " Radar", 5, 5)};
    OccupancyGrid grid;
    ASSERT_TRUE(buildOccupancyGrid(m, grid));
    EXPECT_EQ(grid.at(15, 15).tileId, 0x2345); // the low 16 bits
    MultipleObjects multiple;
    std::vector<bool> placed;
    for (std::size_t i = 0; i < objects.table.size(); ++i) {
        placed.push_back(placeObject(grid, objects.table, i, multiple));
    }
    EXPECT_EQ(placed, (std::vector<bool>{true, false, false, false, true}));
    EXPECT_EQ(grid.at(3, 4).object, tableObjectRef(0));
    EXPECT_EQ(multiple.report, "11\t Town\t*** X= 3\tY= 4\t*** 10\t City\r\n"
                               "12\t Village\t*** X= 3\tY= 4\t*** 10\t City\r\n"
                               "13\t Depot\t*** X= 16\tY= 0\t*** not on the map\r\n");
    EXPECT_EQ(multipleObjectsMessage(multiple),
              " 5 Objects read from Master.cvs file.\r\n 3 Objects on tile with another "
              "Object.\r\n Error report in MultiObjectErr.txt file.");
}

TEST(OccupancyGrid, ALongReportKeepsEveryLine) {
    TerrainMatrix m = flatMatrix(1);
    CheckObjects objects;
    for (int i = 0; i < 200; ++i) {
        objects.table.push_back(object(100 + i, 1, " Village", 2, 2));
    }
    OccupancyGrid grid = gridWith(m, objects, objects.table);
    MultipleObjects multiple;
    buildOccupancyGrid(m, grid);
    for (std::size_t i = 0; i < objects.table.size(); ++i) {
        placeObject(grid, objects.table, i, multiple);
    }
    EXPECT_GT(multiple.report.size(), 2047u);
    EXPECT_EQ(std::count(multiple.report.begin(), multiple.report.end(), '\n'), 199);
}

TEST(OccupancyGrid, AStoppedBuildLeavesNoGrid) {
    TerrainMatrix m = flatMatrix(1, 32);
    OccupancyGrid grid;
    int rows = 0;
    EXPECT_FALSE(buildOccupancyGrid(m, grid, [&](std::int32_t) { return ++rows == 3; }));
    EXPECT_TRUE(grid.cells.empty());
}

// ---------------------------------------------------------------- city and junction check

// Tile IDs of the test map and the tile codes TileInfo gives them.
constexpr std::uint16_t cityTile = 100;    // 0x1a0: city, town, junction classes
constexpr std::uint16_t portTile = 101;    // 0x1a3: a port
constexpr std::uint16_t factoryTile = 102; // 0x1a4: two factories
constexpr std::uint16_t mixedTile = 103;   // 0x1a5: classes 106 and 101
constexpr std::uint16_t bareTile = 104;    // a code no class has
constexpr std::uint16_t threeTile = 105;   // 0x1b0: three cities
constexpr std::uint16_t plainTile = 50;    // in no table

struct CityWorld {
    OcdList ocd = ocdListOf(
        {ocdEntry(201, 101, 0x1a0, "1a0 City"), ocdEntry(202, 102, 0x1a0, "1a0 Town"),
         ocdEntry(203, 104, 0x1a0, "1a0 Junction"), ocdEntry(204, 105, 0x1a3, "1a3 Port"),
         ocdEntry(205, 150, 0x1a4, "1a4 Factory A"), ocdEntry(206, 150, 0x1a4, "1a4 Factory B"),
         ocdEntry(207, 103, 0, "Village"), ocdEntry(208, 106, 0x1a5, "1a5 Other"),
         ocdEntry(209, 101, 0x1a5, "1a5 City"), ocdEntry(211, 101, 0x1b0, "1b0 City A"),
         ocdEntry(212, 101, 0x1b0, "1b0 City B"), ocdEntry(213, 101, 0x1b0, "1b0 City C"),
         ocdEntry(214, 101, 0x1b0, "A very long class name"),
         ocdEntry(215, 136, 0x1a0, "1a0 Radar")});
    TileInfoList tiles;
    CityTileTables tables;
    std::uint32_t rotating = 0;

    CityWorld() {
        const std::pair<std::uint32_t, std::uint32_t> codes[] = {
            {plainTile, 0x0},   {cityTile, 0x1a0}, {portTile, 0x1a3}, {factoryTile, 0x1a4},
            {mixedTile, 0x1a5}, {bareTile, 0x999}, {threeTile, 0x1b0}};
        for (const auto& [tile, code] : codes) {
            tiles.firstByTile.emplace(tile, tiles.records.size());
            tiles.records.push_back({tile, code});
        }
        tiles.loaded = true;
    }

    CityCheckResult run(OccupancyGrid& grid, CheckObjects& objects, std::int32_t next = 6000) {
        return runCityCheck(grid, objects, {ocd, tiles, tables}, {0, 0, 15, 15}, {next, 65536},
                            rotating);
    }
};

struct CityCase {
    const char* what;
    const char* script;
    std::uint16_t tile;
    std::int32_t objectClass; // 0: the post is empty
    // Expected: the class on the post afterwards (0: empty), or the object deleted.
    std::int32_t classAfter;
    bool deleted;
    const char* typeAfter;
    CityCheckCounts counts;
};

TEST(CityCheck, EachRuleOfEachTable) {
    const CityCase cases[] = {
        // Empty posts.
        {"kind 1 port", "1, 101, 0, 0", portTile, 0, 204, false, "0", {1, 0, 0}},
        {"kind 1 not a port", "1, 100, 0, 0", cityTile, 0, 0, false, "", {}},
        {"kind 1 given class", "1, 100, -1, 207", cityTile, 0, 207, false, "0", {1, 0, 0}},
        {"kind 2 class code", "2, 100, 2, 0", cityTile, 0, 202, false, "0", {1, 0, 0}},
        {"kind 2 written 0", "2, 100, 0, 0", cityTile, 0, 0, false, "", {}},
        {"kind 2 given class", "2, 100, -1, 208", cityTile, 0, 208, false, "0", {1, 0, 0}},
        {"kind 5 prefers 104", "5, 100, 0, 0", cityTile, 0, 203, false, "0", {1, 0, 0}},
        {"kind 5 class 237", "5, 100, -1, 0", cityTile, 0, 237, false, "0", {1, 0, 0}},
        {"kind 5 V1 set, V2", "5, 100, 2, 209", cityTile, 0, 209, false, "0", {1, 0, 0}},
        {"kind 5 V1 set, no V2", "5, 100, 2, 0", cityTile, 0, 237, false, "0", {1, 0, 0}},
        {"kind 5 no candidates", "5, 104, 0, 0", bareTile, 0, 237, false, "0", {1, 0, 0}},
        {"no table", "2, 100, 2, 0", plainTile, 0, 0, false, "", {}},
        // Objects on posts.
        {"city on no table", "", plainTile, 201, 201, true, " City", {0, 0, 1}},
        {"factory on no table", "", plainTile, 205, 205, false, " City", {}},
        {"city on a port tile", "1, 101, 0, 0", portTile, 201, 201, true, " City", {0, 0, 1}},
        {"port on a port tile", "1, 101, 0, 0", portTile, 204, 204, false, "0", {0, 1, 0}},
        {"factory on kind 2", "2, 102, 0, 0", factoryTile, 205, 205, false, "0", {0, 1, 0}},
        {"city on kind 2", "2, 100, 2, 0", cityTile, 201, 202, false, "0", {0, 1, 0}},
        {"city on kind 2 given", "2, 100, -1, 207", cityTile, 201, 207, false, "0", {0, 1, 0}},
        {"village on bare kind 2", "2, 104, 2, 0", bareTile, 207, 207, false, " City", {}},
        {"radar on kind 2", "2, 100, 2, 0", cityTile, 215, 215, false, " City", {}},
        {"city on kind 5", "5, 100, 0, 0", cityTile, 201, 203, false, " City", {1, 0, 0}},
        {"city on kind 5 given", "5, 100, -1, 208", cityTile, 201, 208, false, "0", {1, 0, 0}},
        {"no entry on kind 1", "1, 101, 0, 0", portTile, 777, 777, false, " City", {}},
    };
    for (const CityCase& c : cases) {
        SCOPED_TRACE(c.what);
        CityWorld w;
        parseCityTileTables(w.tables, c.script);
        TerrainMatrix m = flatMatrix(plainTile);
        m.at(5, 5).tileId = c.tile;
        CheckObjects objects;
        std::vector<ObjectRecord> records;
        if (c.objectClass != 0) {
            records.push_back(object(77, c.objectClass, " City", 5, 5));
        }
        OccupancyGrid grid = gridWith(m, objects, records);
        const CityCheckResult r = w.run(grid, objects);
        EXPECT_FALSE(r.end.stopped);
        EXPECT_EQ(r.counts.placed, c.counts.placed);
        EXPECT_EQ(r.counts.changed, c.counts.changed);
        EXPECT_EQ(r.counts.deleted, c.counts.deleted);
        const std::uint32_t ref = grid.at(5, 5).object;
        if (c.classAfter == 0) {
            EXPECT_EQ(ref, noObject);
            continue;
        }
        ASSERT_NE(ref, noObject);
        const ObjectRecord& o = objects.at(ref);
        EXPECT_EQ(o.objectiveClass, c.classAfter);
        EXPECT_EQ(o.deleted, c.deleted);
        EXPECT_EQ(o.type, c.typeAfter);
        const bool touched = c.counts.total() > 0 && !c.deleted;
        EXPECT_EQ(o.changed, touched);
        if (c.objectClass == 0) {
            EXPECT_EQ(o.identifier, 6000);
            EXPECT_EQ(r.end.nextIdentifier, 6001);
            const OcdEntry* e = findOcdById(w.ocd, static_cast<std::uint32_t>(c.classAfter));
            EXPECT_EQ(o.subtype, e == nullptr ? std::string() : std::string(e->nameText()));
        }
    }
}

TEST(CityCheck, TheRotatingPickTakesEqualCandidatesInTurn) {
    std::uint32_t counter = 0;
    std::vector<std::size_t> picks;
    for (int i = 0; i < 5; ++i) {
        picks.push_back(rotatingPick(counter, 3));
    }
    picks.push_back(rotatingPick(counter, 1));
    picks.push_back(rotatingPick(counter, 2));
    EXPECT_EQ(picks, (std::vector<std::size_t>{0, 1, 2, 0, 1, 0, 1}));

    CityWorld w;
    parseCityTileTables(w.tables, "2, 105, 1, 0\r\n");
    TerrainMatrix m = flatMatrix(plainTile);
    for (int x = 1; x <= 4; ++x) {
        m.at(x, 1).tileId = threeTile;
    }
    CheckObjects objects;
    OccupancyGrid grid = gridWith(m, objects, {});
    w.run(grid, objects);
    std::vector<std::int32_t> classes;
    for (const ObjectRecord& o : objects.created) {
        classes.push_back(o.objectiveClass);
    }
    EXPECT_EQ(classes, (std::vector<std::int32_t>{211, 212, 213, 214}));
    EXPECT_EQ(objects.created[3].subtype, "A very long class n"); // 19 characters
    // The counter runs on into the next check of the run.
    EXPECT_EQ(w.rotating, 4u);
}

TEST(CityCheck, Kind5PicksAmongCandidatesWithoutAPreferredClass) {
    CityWorld w;
    parseCityTileTables(w.tables, "5, 103, 0, 0\r\n");
    TerrainMatrix m = flatMatrix(plainTile);
    m.at(1, 1).tileId = mixedTile;
    m.at(2, 1).tileId = mixedTile;
    CheckObjects objects;
    OccupancyGrid grid = gridWith(m, objects, {object(5, 202, " Town", 2, 1)});
    const CityCheckResult r = w.run(grid, objects);
    ASSERT_EQ(objects.created.size(), 1u);
    EXPECT_EQ(objects.created[0].objectiveClass, 208); // the first pick
    EXPECT_EQ(objects.table[0].objectiveClass, 209);   // the second
    EXPECT_EQ(objects.table[0].type, " Town");         // a picked class keeps the type
    EXPECT_EQ(r.counts.placed, 2);
}

TEST(CityCheck, ATileOfIdZeroIsNeverTouched) {
    CityWorld w;
    parseCityTileTables(w.tables, "5, 0, -1, 0\r\n");
    TerrainMatrix m = flatMatrix(0);
    CheckObjects objects;
    OccupancyGrid grid = gridWith(m, objects, {object(5, 201, " City", 2, 1)});
    const CityCheckResult r = w.run(grid, objects);
    EXPECT_EQ(r.counts.total(), 0);
    EXPECT_FALSE(objects.table[0].deleted);
}

TEST(CityCheck, WithoutTileInfoRecordsNoPostIsRead) {
    CityWorld w;
    w.tiles = TileInfoList{};
    w.tiles.loaded = true;
    parseCityTileTables(w.tables, "5, 50, -1, 0\r\n");
    TerrainMatrix m = flatMatrix(plainTile);
    CheckObjects objects;
    OccupancyGrid grid = gridWith(m, objects, {object(5, 201, " City", 2, 1)});
    EXPECT_EQ(w.run(grid, objects).counts.total(), 0);
}

TEST(CityCheck, RunningOutOfIdentifiersStopsAtOnce) {
    CityWorld w;
    parseCityTileTables(w.tables, "5, 100, -1, 0\r\n");
    TerrainMatrix m = flatMatrix(cityTile);
    CheckObjects objects;
    OccupancyGrid grid = gridWith(m, objects, {});
    const CityCheckResult r = w.run(grid, objects, 65536);
    EXPECT_TRUE(r.end.stopped);
    ASSERT_TRUE(r.end.overrun.has_value());
    EXPECT_EQ(r.end.overrun->text,
              "ID number 65537 exceeds the maximum useable ID number. Aborting placements");
    EXPECT_EQ(r.end.overrun->title, "ID Number Overrun");
    EXPECT_EQ(r.counts.placed, 0);
    // A source whose largest identifier is the largest 32-bit value overruns without wrapping.
    CheckObjects more;
    OccupancyGrid again = gridWith(m, more, {});
    const CityCheckResult last = w.run(again, more, INT32_MAX);
    ASSERT_TRUE(last.end.overrun.has_value());
    EXPECT_NE(last.end.overrun->text.find("2147483648"), std::string::npos);
}

TEST(CityCheck, TheTablesSkipCommentsAndEndAtTheMarker) {
    CityTileTables t;
    parseCityTileTables(t,
                        "; comment\r\n\r\n@\r\n1, 10, 1, 2\r\n2, 11, 0, 3\r\n2, 12, -4, 5\r\n"
                        "5, 13, 6, 7\r\n8, 14, 1, 1, 1, 1, 1\r\n2, 100\r\n2, 15, 2147483647, 0\r\n"
                        "***end\r\n1, 99, 0, 0\r\n");
    ASSERT_EQ(t.kind1.size(), 1u);
    ASSERT_EQ(t.kind2.size(), 4u);
    ASSERT_EQ(t.kind5.size(), 1u);
    EXPECT_EQ(t.kind2[0].v1, 100);
    EXPECT_EQ(t.kind2[1].v1, -4);
    EXPECT_EQ(t.kind2[2].v1, 100);       // a line that ends early reads 0
    EXPECT_EQ(t.kind2[3].v1, INT32_MAX); // found by fuzzing: no wrap round past the limit
    EXPECT_EQ(t.kind5[0].v2, 7);
    EXPECT_EQ(citySummary({1, 2, 3}),
              " 1 Objects were placed.\r\n 3 Objects deleted.\r\n 2 Objects changed.");
}

// ---------------------------------------------------------------- object checker

TileScript checkerScript(const std::string& text) {
    TileScript s;
    parseTileScript(s, ScriptKind::Checker, text);
    return s;
}

ObjectCheckResult objectCheck(OccupancyGrid& grid, CheckObjects& objects, const TileScript& s,
                              std::int32_t range, std::int32_t next = 6000) {
    return runObjectCheck(grid, objects, s, {0, 0, 15, 15}, range, {next, 65536});
}

TEST(ObjectCheck, ReclassesUrbanObjectsAndConvertsOthers) {
    const TileScript s = checkerScript("3, 1, 300, 310, 300, 310\r\n"
                                       "8, 300, 0, 120, 0, 0, 0\r\n"
                                       "8, 301, 75, 120, 0, 0, 0\r\n"
                                       "8, 302, 0, 0, 0, 0, 400\r\n"
                                       "8, 303, 0, 0, 0, 0, 0\r\n");
    TerrainMatrix m = flatMatrix(1);
    m.at(1, 1).tileId = 300;
    m.at(2, 1).tileId = 301;
    m.at(3, 1).tileId = 302;
    m.at(4, 1).tileId = 303;
    m.at(5, 1).tileId = 300;
    CheckObjects objects;
    OccupancyGrid grid = gridWith(m, objects,
                                  {object(1, 5, " Town", 1, 1), object(2, 5, " CITY", 2, 1),
                                   object(3, 5, " Factory", 3, 1), object(4, 5, " Factory", 4, 1),
                                   object(5, 5, " Depot", 5, 1)});
    const ObjectCheckResult r = objectCheck(grid, objects, s, 0);
    EXPECT_EQ(objects.table[0].objectiveClass, 120);
    EXPECT_EQ(objects.table[1].objectiveClass, 75);
    EXPECT_EQ(objects.table[2].objectiveClass, 400);
    EXPECT_EQ(objects.table[2].type, "Junction");
    EXPECT_EQ(objects.table[2].subtype, "Intersection");
    EXPECT_FALSE(objects.table[3].changed);
    EXPECT_FALSE(objects.table[4].changed); // another type and no new junction class
    EXPECT_EQ(r.counts.changed, 3);
    EXPECT_EQ(r.counts.towns, 1);
    EXPECT_EQ(r.counts.cities, 1);
    EXPECT_EQ(r.counts.intersections, 1);
    EXPECT_EQ(r.counts.placed, 0);
}

TEST(ObjectCheck, PullsANearbyUrbanObjectOntoAnEmptyListedTile) {
    const TileScript s = checkerScript("3, 1, 300, 300, 300, 300\r\n8, 300, 0, 0, 33, 0, 400\r\n");
    TerrainMatrix m = flatMatrix(1);
    m.at(5, 5).tileId = 300;
    CheckObjects objects;
    OccupancyGrid grid =
        gridWith(m, objects, {object(1, 5, " Town", 5, 4), object(2, 5, " Village", 4, 5)});
    const ObjectCheckResult r = objectCheck(grid, objects, s, 1);
    EXPECT_EQ(r.counts.moved, 1);
    EXPECT_EQ(r.counts.placed, 0);
    EXPECT_EQ(grid.at(5, 5).object, tableObjectRef(1));
    EXPECT_EQ(grid.at(4, 5).object, noObject);
    EXPECT_EQ(objects.table[1].x, 5);
    EXPECT_EQ(objects.table[1].objectiveClass, 33);
    EXPECT_TRUE(objects.table[1].changed);
    EXPECT_FALSE(objects.table[0].changed); // town class 0: passed over
}

TEST(ObjectCheck, CreatesJunctionsOnEmptyTilesAndRespectsTheRanges) {
    const TileScript s = checkerScript("3, 1, 300, 320, 300, 305\r\n8, 300, 0, 0, 0, 0, 400\r\n"
                                       "8, 310, 0, 0, 0, 0, 400\r\n");
    TerrainMatrix m = flatMatrix(1);
    m.at(2, 2).tileId = 300;
    m.at(3, 2).tileId = 300;
    m.at(4, 2).tileId = 310; // within the bounds but in no range
    CheckObjects objects;
    OccupancyGrid grid = gridWith(m, objects, {object(1, 5, " Village", 9, 9)});
    const ObjectCheckResult r = objectCheck(grid, objects, s, 0, 7000);
    ASSERT_EQ(objects.created.size(), 2u);
    EXPECT_EQ(objects.created[0].identifier, 7000);
    EXPECT_EQ(objects.created[1].identifier, 7001);
    EXPECT_EQ(objects.created[1].x, 3);
    EXPECT_EQ(objects.created[0].type, "Junction");
    EXPECT_EQ(r.end.nextIdentifier, 7002);
    EXPECT_EQ(grid.at(4, 2).object, noObject);
    EXPECT_EQ(r.counts.placed, 2);

    CheckObjects more;
    OccupancyGrid again = gridWith(m, more, {});
    const ObjectCheckResult over = objectCheck(again, more, s, 0, 65536);
    EXPECT_TRUE(over.end.stopped);
    ASSERT_TRUE(over.end.overrun.has_value());
    EXPECT_NE(over.end.overrun->text.find("65537"), std::string::npos);
}

TEST(ObjectCheck, AStopRequestEndsAfterTheRow) {
    const TileScript s = checkerScript("3, 1, 1, 1, 1, 1\r\n8, 1, 0, 0, 0, 0, 400\r\n");
    TerrainMatrix m = flatMatrix(1);
    CheckObjects objects;
    OccupancyGrid grid = gridWith(m, objects, {});
    std::vector<std::int32_t> positions;
    const ObjectCheckResult r = runObjectCheck(grid, objects, s, {0, 0, 15, 15}, 0, {100, 65536},
                                               [&](std::int32_t counted, std::int32_t position) {
                                                   positions.push_back(position);
                                                   return counted >= 32;
                                               });
    EXPECT_TRUE(r.end.stopped);
    EXPECT_FALSE(r.end.overrun.has_value());
    EXPECT_EQ(objects.created.size(), 32u);
    EXPECT_EQ(positions, (std::vector<std::int32_t>{0, 0})); // (16 + 16 y) / 256
    EXPECT_EQ(objectCheckSummary(r.counts).substr(0, 26), " 32 Objects were placed.\r\n");
}

// ---------------------------------------------------------------- checked master export

std::string objectLine(const char* name, const char* type, int id, int cls, int x, int y,
                       const char* tail = ", 0, 0, 0, 0, 1, 0, 0, 0, 100, 100, 0, 2, 50, 0, 1, "
                                          "0, 1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1,") {
    std::ostringstream s;
    s << name << ", " << type << ", 1, " << id << ", " << cls << ", " << x << ", " << y
      << ", 0, 0, 0, 0, 1, " << id << tail << "\r\n";
    return s.str();
}

struct ExportRun {
    CheckedExport result;
    std::string text;
};

ExportRun exportOf(const std::string& source, const CheckObjects& objects, const OcdList& list,
                   const TerrainMatrix& m) {
    TempDir dir;
    { std::ofstream(dir.path / "source.csv", std::ios::binary) << source; }
    TextReader in;
    openTextReader(in, dir.path / "source.csv");
    SafeWriter out;
    beginSafeWrite(out, dir.path / "out.csv");
    const RadarWalk walk = makeRadarWalk({40, 1, 1}, m.width - 1, m);
    ExportRun run;
    run.result = writeCheckedExport(in, out, objects, list, walk, 1733572800);
    commitSafeWrite(out);
    std::ifstream back(dir.path / "out.csv", std::ios::binary);
    std::ostringstream text;
    text << back.rdbuf();
    run.text = text.str();
    return run;
}

const std::string head =
    "1.0 Objective Export  Mon Dec 07 12:00:00 2026\r\n" + std::string(exportColumnLine) + "\r\n";

std::string body(const std::string& text) {
    // Past the title line, whose time is the writer's own.
    return text.substr(text.find('\n') + 1);
}

TEST(CheckedExport, TheIdentifierSequenceSkipsItsTwoGaps) {
    EXPECT_EQ(nextExportIdentifier(10), 11);
    EXPECT_EQ(nextExportIdentifier(3799), 18579);
    EXPECT_EQ(nextExportIdentifier(18629), 21000);
    EXPECT_EQ(nextExportIdentifier(21000), 21001);
}

TEST(CheckedExport, RenumbersUnchangedLinesAndLeavesDeletedOnesOut) {
    const std::string source = head + objectLine("A", "Town", 500, 5, 1, 1) + "\r\n" +
                               objectLine("B", "Town", 7, 5, 2, 2) +
                               objectLine("C", "City", 9000, 5, 3, 3) +
                               objectLine("D", "City", 9001, 5, 4, 4);
    TerrainMatrix m = flatMatrix(1);
    CheckObjects objects;
    objects.table = {object(500, 5, " Town", 1, 1), object(7, 5, " Town", 2, 2),
                     object(9000, 5, " City", 3, 3), object(9001, 5, " City", 4, 4)};
    objects.table[1].deleted = true;
    const ExportRun run = exportOf(source, objects, ocdListOf({}), m);
    ASSERT_TRUE(run.result.ok);
    EXPECT_EQ(run.result.written, 3);
    EXPECT_EQ(run.result.added, 0);
    EXPECT_EQ(run.text.substr(0, 22), "1.0 Objective Export  ");
    EXPECT_EQ(body(run.text),
              std::string(exportColumnLine) + "\r\n" + objectLine("A", "Town", 10, 5, 1, 1) +
                  objectLine("C", "City", 11, 5, 3, 3) + objectLine("D", "City", 12, 5, 4, 4));
    EXPECT_EQ(checkedExportMessage(run.result),
              "Total of 3 Objects written.\r\n 0  new Objects added.");
}

// An object line with its Parent and link targets; the radar values close it.
std::string linkedLine(const char* name, int id, int parent, const std::vector<int>& links) {
    std::ostringstream s;
    s << name << ", Town, 1, " << id << ", 5, 1, 1, 0, 0, 0, 0, 1, " << id
      << ", 0, 0, 100, 100, 0, 1, 50, " << parent << ", 2, " << links.size() << ", 1, ";
    for (const int target : links) {
        s << "0, 0, 0, 0, 0, 0, 0, 0, " << target << ", ";
    }
    s << "0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1,\r\n";
    return s.str();
}

TEST(CheckedExport, ParentsAndLinksFollowTheRenumberedObjects) {
    // 500 -> 10, 7 deleted, 9000 -> 11, 9001 -> 12; 12345 is no object of the file.
    const std::string source = head + linkedLine("A", 500, 0, {9000}) +
                               linkedLine("B", 7, 500, {}) + linkedLine("C", 9000, 7, {7, 500}) +
                               linkedLine("D", 9001, 9000, {12345, 9001});
    CheckObjects objects;
    objects.table = {object(500, 5, " Town", 1, 1), object(7, 5, " Town", 1, 1),
                     object(9000, 5, " Town", 1, 1), object(9001, 5, " Town", 1, 1)};
    objects.table[1].deleted = true;
    objects.table[2].changed = true; // a rewritten line's references follow too
    TerrainMatrix m = flatMatrix(1);
    const ExportRun run = exportOf(source, objects, ocdListOf({}), m);
    std::string changedC = linkedLine("C", 11, 0, {10});
    changedC.replace(0, changedC.find(", 11,"), "C, Town, sub");
    EXPECT_EQ(body(run.text), std::string(exportColumnLine) + "\r\n" +
                                  linkedLine("A", 10, 0, {11}) + changedC +
                                  linkedLine("D", 12, 11, {12345, 12}));
    EXPECT_EQ(run.result.references.parentsMoved, 1);
    EXPECT_EQ(run.result.references.parentsCleared, 1);
    EXPECT_EQ(run.result.references.linksMoved, 3);
    EXPECT_EQ(run.result.references.linksDropped, 1);
    EXPECT_EQ(checkedExportMessage(run.result),
              "Total of 3 Objects written.\r\n 0  new Objects added.\r\n 1 Parents set to 0 and "
              "1 links dropped: their objects were deleted.");

    // Two objects with one identifier: references go to the first one written.
    const std::string twice = head + linkedLine("E", 40, 0, {}) + linkedLine("F", 40, 0, {}) +
                              linkedLine("G", 41, 40, {40});
    objects.table = {object(40, 5, " Town", 1, 1), object(40, 5, " Town", 1, 1),
                     object(41, 5, " Town", 1, 1)};
    objects.table[0].deleted = true;
    EXPECT_EQ(body(exportOf(twice, objects, ocdListOf({}), m).text),
              std::string(exportColumnLine) + "\r\n" + linkedLine("F", 10, 0, {}) +
                  linkedLine("G", 11, 10, {10}));
}

TEST(CheckedExport, RewritesChangedLinesWithTheirNewValues) {
    const std::string source = head + objectLine("Paris", "City", 44, 5, 1, 1);
    TerrainMatrix m = flatMatrix(1);
    CheckObjects objects;
    objects.table = {object(44, 5, " City", 1, 1)};
    objects.table[0].objectiveClass = 75;
    objects.table[0].x = 2;
    objects.table[0].y = 3;
    objects.table[0].subtype = " 1";
    objects.table[0].changed = true;
    const ExportRun run = exportOf(source, objects, ocdListOf({}), m);
    EXPECT_EQ(body(run.text),
              std::string(exportColumnLine) + "\r\n" + objectLine("Paris", "City", 10, 75, 2, 3));
}

TEST(CheckedExport, NewObjectsCarryTheirClassDefaultsAndRadarProfile) {
    TerrainMatrix m = flatMatrix(1);
    m.at(8, 8).elevation = 3000; // relief for the profile
    OcdEntry junction = ocdEntry(300, 104, 0, "Junction");
    junction.defaultFeatureCount = 2;
    junction.defaultPriority = 15;
    CheckObjects objects;
    objects.table = {object(3, 5, " Town", 1, 1)};
    ObjectRecord created = object(6000, 300, "Junction", 4, 5);
    created.subtype = "Intersection";
    objects.created = {created, object(6001, 301, "0", 6, 7)};
    objects.created[1].subtype = "";
    const ExportRun run =
        exportOf(head + objectLine("T", "Town", 3, 5, 1, 1), objects, ocdListOf({junction}), m);
    const RadarWalk walk = makeRadarWalk({40, 1, 1}, 15, m);
    const std::string eol = platformLineEnd;
    EXPECT_EQ(body(run.text),
              std::string(exportColumnLine) + "\r\n" + objectLine("T", "Town", 10, 5, 1, 1) +
                  "0, Junction, Intersection, 11, 300, 4, 5,0,0,1, 0, 1, 11,0,32768,235,235,0, "
                  "2, 15, 0, 1, 0, 0 0," +
                  formatRadarValues(radarProfile(walk, 4, 5)) + eol +
                  "0, 0, , 12, 301, 6, 7,0,0,1, 0, 1, 12,0,32768,235,235,0, 0, 0, 0, 1, 0,," +
                  formatRadarValues(radarProfile(walk, 6, 7)) + eol);
    EXPECT_EQ(run.result.written, 3);
    EXPECT_EQ(run.result.added, 2);
}

TEST(CheckedExport, TheFirstNewObjectAfter3790SourceLinesGets18579) {
    std::string source = head;
    CheckObjects objects;
    for (int i = 0; i < 3790; ++i) {
        source += objectLine("N", "Village", 100 + i, 5, 1, 1);
        objects.table.push_back(object(100 + i, 5, " Village", 1, 1));
    }
    objects.created = {object(9, 300, "Junction", 2, 2)};
    TerrainMatrix m = flatMatrix(1);
    const ExportRun run = exportOf(source, objects, ocdListOf({}), m);
    const std::string text = run.text;
    const std::size_t last = text.rfind("0, Junction");
    ASSERT_NE(last, std::string::npos);
    EXPECT_EQ(text.substr(last, 33), "0, Junction,  sub, 18579, 300, 2,");
    EXPECT_NE(text.find("N, Village, 1, 3799,"), std::string::npos);
}

TEST(CheckedExport, LinesPastTheLoadsEndAndShortLines) {
    // The third line ends the table (no comma after Y); the line after it keeps its content.
    const std::string source = head + objectLine("A", "Town", 1, 5, 1, 1) +
                               "Short, Town, 1, 2, 5, 1, 1\r\n" +
                               objectLine("B", "Town", 3, 5, 1, 1) + "no comma here\r\n" +
                               objectLine("C", "Town", 4, 5, 1, 1).substr(0, 40);
    CheckObjects objects;
    objects.table = {object(1, 5, " Town", 1, 1)};
    objects.created = {object(9, 300, "Junction", 2, 2)};
    TerrainMatrix m = flatMatrix(1);
    const ExportRun run = exportOf(source, objects, ocdListOf({}), m);
    EXPECT_EQ(run.result.written, 3);
    const std::string text = body(run.text);
    EXPECT_NE(text.find(objectLine("A", "Town", 10, 5, 1, 1)), std::string::npos);
    EXPECT_NE(text.find(objectLine("B", "Town", 11, 5, 1, 1)), std::string::npos);
    EXPECT_EQ(text.find("Short"), std::string::npos); // it lacks the commas of a rewrite
    EXPECT_EQ(text.find("C, Town"), std::string::npos);
    EXPECT_NE(text.find("0, Junction,  sub, 12,"), std::string::npos);
}

TEST(CheckedExport, ALastLineWithoutLineEndIsEndedBeforeNewObjects) {
    std::string last = objectLine("A", "Town", 1, 5, 1, 1);
    last.resize(last.size() - 2);
    CheckObjects objects;
    objects.table = {object(1, 5, " Town", 1, 1)};
    TerrainMatrix m = flatMatrix(1);
    std::string renumbered = objectLine("A", "Town", 10, 5, 1, 1);
    renumbered.resize(renumbered.size() - 2);
    ExportRun run = exportOf(head + last, objects, ocdListOf({}), m);
    EXPECT_EQ(body(run.text), std::string(exportColumnLine) + "\r\n" + renumbered);
    objects.created = {object(9, 300, "Junction", 2, 2)};
    run = exportOf(head + last, objects, ocdListOf({}), m);
    EXPECT_NE(body(run.text).find(renumbered + platformLineEnd + "0, Junction"), std::string::npos);
}

TEST(CheckedExport, ASourceWithoutItsTwoLinesFails) {
    CheckObjects objects;
    TerrainMatrix m = flatMatrix(1);
    EXPECT_FALSE(exportOf("1.0 Objective Export\r\n", objects, ocdListOf({}), m).result.ok);
    SafeWriter out;
    TextReader closed;
    EXPECT_FALSE(
        writeCheckedExport(closed, out, objects, ocdListOf({}), makeRadarWalk({40, 1, 1}, 15, m), 0)
            .ok);
}

} // namespace
} // namespace vantor
