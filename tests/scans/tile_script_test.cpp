#include "scans/tile_script.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(TileScript, LineTypesFillTheirTables) {
    TileScript s;
    const ScriptLoad load = parseTileScript(s, ScriptKind::Bridge,
                                            "; bridge script\r\n"
                                            "\r\n"
                                            "1, 13002, 1, 2, W, N, E, S\r\n"
                                            "0, 13003, 1, 2, W, x, y, z\r\n"
                                            "1, 13001, 2, 1,W, a, b, c\r\n"
                                            "2, 7, 1, 99, 1, -1\r\n"
                                            "2, 8, 1, 99, 0, 0\r\n"
                                            "3, 2, 13000, 13999, 13001, 13002, 13003, 13004\r\n"
                                            "3, 1, 5, 6, 20000, 20001\r\n"
                                            "6, 1, 2, 3\r\n"
                                            "9, 1, 2, 3\r\n"
                                            "x, 1, 2, 3\r\n");
    ASSERT_TRUE(load.ok);
    ASSERT_EQ(s.tiles.size(), 3u);
    EXPECT_EQ(s.tiles[0].span, 2);
    EXPECT_EQ(s.tiles[0].direction, 'W');
    EXPECT_EQ(s.tiles[0].variable, 1);
    EXPECT_EQ(s.tiles[0].letters, (std::array<char, 3>{'N', 'E', 'S'}));
    EXPECT_EQ(s.tiles[1].span, -2) << "opposing tiles store their span negated";
    EXPECT_EQ(s.tiles[2].direction, 0) << "a letter directly after the comma is not seen";
    ASSERT_EQ(s.variables[1].size(), 2u);
    EXPECT_EQ(s.variables[1][0].objectiveType, 7);
    EXPECT_EQ(s.variables[1][0].xOffset, 1);
    EXPECT_EQ(s.variables[1][0].yOffset, -1);
    EXPECT_EQ(s.lowerBound, 13000);
    EXPECT_EQ(s.upperBound, 13999) << "later range lines keep the bounds already set";
    ASSERT_EQ(s.ranges.size(), 3u);
    EXPECT_EQ(s.ranges[2].low, 20000);
    EXPECT_TRUE(s.opposing.contains(13003));
    EXPECT_TRUE(s.firstBridge.contains(13002));
}

TEST(TileScript, EdgeLinesMasksAndBounds) {
    TileScript road;
    ASSERT_TRUE(parseTileScript(road, ScriptKind::Road,
                                "4, 10005, R, D, 0, 1, 0, 4, 0\n4, 10010, R, D, 0, 0, 2, 0, 8\n"
                                "4, 10005, R, D, 0, 8, 0, 0, 0\n4, 10001, R, D, 0, 255, 2, 0, 0\n"
                                "4, 10002, R, D, 0, 2147483647, 4, 0, 0\n")
                    .ok);
    EXPECT_EQ(findTile(road, 10005)->edgeMask, 5) << "the first record of a tile id counts";
    EXPECT_EQ(findTile(road, 10010)->edgeMask, 10);
    EXPECT_EQ(findTile(road, 10001)->edgeMask, 1) << "edge values add up modulo 256";
    // Found by fuzzing: values at the 32-bit limit add up modulo 256 without overflowing.
    EXPECT_EQ(findTile(road, 10002)->edgeMask, 3);
    EXPECT_EQ(road.lowerBound, 10001);
    EXPECT_EQ(road.upperBound, 10010);
    EXPECT_EQ(findTile(road, 4), nullptr);

    TileScript transition;
    ASSERT_TRUE(
        parseTileScript(transition, ScriptKind::Transition, "7, 12003, T, T, 0, 1, 2, 0, 0\n").ok);
    EXPECT_EQ(transition.lowerBound, 0) << "only road and river scripts start the lower bound high";
    EXPECT_EQ(transition.upperBound, 12003);

    TileScript bridge;
    ASSERT_TRUE(parseTileScript(bridge, ScriptKind::Bridge, "1, 5, 1, 1, W, N, E, S\n").ok);
    EXPECT_TRUE(bridge.ranges.empty());
    EXPECT_EQ(bridge.lowerBound, 0);
    EXPECT_EQ(bridge.upperBound, 0);
}

TEST(TileScript, EndMarkerAndCheckerLines) {
    struct Case {
        const char* text;
        std::size_t tiles;
    };
    const Case cases[] = {
        {"***END\n4, 1, R, D, 0, 1, 0, 0, 0\n", 0},
        {"***end of script\n4, 1, R, D, 0, 1, 0, 0, 0\n", 0},
        {"  ***END\n4, 1, R, D, 0, 1, 0, 0, 0\n", 1}, // preceded by blanks: not the marker
        {"4, 1, R, D, 0, 1, 0, 0, 0\n***END\n4, 2, R, D, 0, 1, 0, 0, 0\n", 1},
    };
    for (const Case& c : cases) {
        TileScript s;
        EXPECT_TRUE(parseTileScript(s, ScriptKind::Road, c.text).ok);
        EXPECT_EQ(s.tiles.size(), c.tiles) << c.text;
    }

    TileScript checker;
    ASSERT_TRUE(parseTileScript(checker, ScriptKind::Checker,
                                "8, 100, 7\n8, 200, 1, 2, 3, 4, 5\n8, 300, 1, 2, 9\n")
                    .ok);
    ASSERT_EQ(checker.checkers.size(), 3u);
    const CheckerRecord& a = checker.checkers[0];
    EXPECT_EQ(a.tileId, 100);
    EXPECT_EQ(a.cityClass + a.townClass + a.villageClass + a.junctionClass, 0);
    EXPECT_EQ(a.newJunctionClass, 7);
    const CheckerRecord& b = checker.checkers[1];
    EXPECT_EQ(b.cityClass, 1);
    EXPECT_EQ(b.junctionClass, 4);
    EXPECT_EQ(b.newJunctionClass, 5);
    const CheckerRecord& c = checker.checkers[2];
    EXPECT_EQ(c.townClass, 2);
    EXPECT_EQ(c.villageClass, 0);
    EXPECT_EQ(c.newJunctionClass, 9);
}

TEST(TileScript, RandomSelectOverflowStopsTheLoad) {
    std::string forty;
    for (int i = 0; i < 40; ++i) {
        forty += "2, " + std::to_string(i) + ", 5, 0, 0, 0\n";
    }
    for (const std::string& text :
         {forty, std::string("2, 1, 0, 0, 0, 0\n"), std::string("2, 1, 60, 0, 0, 0\n")}) {
        TileScript s;
        const ScriptLoad load =
            parseTileScript(s, ScriptKind::Bridge, text + "4, 9, R, D, 0, 1, 0, 0, 0\n");
        EXPECT_FALSE(load.ok);
        ASSERT_EQ(load.messages.size(), 1u);
        EXPECT_EQ(load.messages[0].text, "Number of Random Select variables exceeded");
        EXPECT_EQ(load.messages[0].title, "Error");
        EXPECT_TRUE(s.tiles.empty()) << "nothing after the failing line is read";
    }
    TileScript full;
    EXPECT_EQ(full.variables[5].size(), 0u);
}

TEST(TileScript, AMissingFileIsReportedAndTheTablesStay) {
    testing::TempDir dir;
    TileScript s;
    ASSERT_TRUE(parseTileScript(s, ScriptKind::Road, "4, 1, R, D, 0, 1, 0, 0, 0\n").ok);
    const ScriptLoad load = loadTileScript(s, ScriptKind::Road, dir.str());
    EXPECT_FALSE(load.ok);
    ASSERT_EQ(load.messages.size(), 1u);
    EXPECT_EQ(load.messages[0].text,
              " Could not script file: " + (dir.path / "Object-RoadScript.dat").string() +
                  " (No such file or directory)");
    EXPECT_EQ(load.messages[0].title, "Missing Script File");
    EXPECT_EQ(load.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(s.tiles.size(), 1u);

    dir.write("object-roadscript.DAT", "4, 2, R, D, 0, 1, 0, 0, 0\n");
    EXPECT_TRUE(loadTileScript(s, ScriptKind::Road, dir.str()).ok) << "found whatever its case";
    EXPECT_EQ(s.tiles[0].tileId, 2);
}

} // namespace
} // namespace vantor
