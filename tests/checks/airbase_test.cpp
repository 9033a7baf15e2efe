#include "analysis/airbase_levelling.h"
#include "checks/check_fixture.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

using namespace vantor::testing;

TEST(AirbaseScript, EntriesCountOnlyBeforeTheLastAtLine) {
    const AirbaseScript s = parseAirbaseScript("; levelling script\r\n"
                                               "\r\n"
                                               "@\r\n"
                                               "200, 2,1, 0\r\n"
                                               "0,1, 0,-1, 5,5, 5,5, 5,5\r\n"
                                               "@\r\n"
                                               "201, 5,2, 7\r\n"
                                               "1,1, 2,2, 3,3, 4,4, 5,5\r\n"
                                               "-1,-1, -2,-2, -3,-3, -4,-4, -5,-5\r\n"
                                               "end of entry\r\n"
                                               "202, 1,0, 0\r\n"
                                               "@\r\n"
                                               "203, 1,1, 0\r\n"
                                               "9,9, 0,0, 0,0, 0,0, 0,0\r\n");
    ASSERT_EQ(s.entries.size(), 4u);
    EXPECT_EQ(s.counted, 3u);
    EXPECT_EQ(s.entries[0].ocdId, 200);
    EXPECT_EQ(s.entries[0].pairsPerLine, 2);
    ASSERT_EQ(s.entries[0].lines.size(), 1u);
    EXPECT_EQ(s.entries[0].lines[0][1].dy, -1);
    EXPECT_EQ(s.entries[0].lines[0][4].dx, 5); // stored, though not used
    ASSERT_EQ(s.entries[1].lines.size(), 2u);
    EXPECT_EQ(s.entries[1].lines[1][2].dx, -3);
    EXPECT_EQ(s.entries[1].fourthValue, 7);
    EXPECT_EQ(s.entries[2].ocdId, 202);
    EXPECT_FALSE(s.cut);
    // "%d ," does not match "%d,": the values after the mismatch stay 0.
    const AirbaseScript odd = parseAirbaseScript("201,5 ,2,7\r\n");
    ASSERT_EQ(odd.entries.size(), 1u);
    EXPECT_EQ(odd.entries[0].pairsPerLine, 5);
    EXPECT_EQ(odd.entries[0].offsetLineCount, 0);
}

TEST(AirbaseScript, NothingIsStoredPastTheLimitsAndNoAtLineCountsNothing) {
    std::string text;
    for (int e = 0; e < 41; ++e) {
        text += std::to_string(300 + e) + ", 5,12, 0\r\n";
        for (int l = 0; l < 12; ++l) {
            text += "1,1, 1,1, 1,1, 1,1, 1,1\r\n";
        }
        text += "-\r\n";
    }
    AirbaseScript s = parseAirbaseScript(text);
    EXPECT_EQ(s.entries.size(), maxAirbaseEntries);
    EXPECT_EQ(s.entries[0].lines.size(), maxOffsetLines);
    EXPECT_EQ(s.entries[38].ocdId, 338);
    EXPECT_EQ(s.counted, 0u);
    EXPECT_TRUE(s.cut);
    s = parseAirbaseScript(text + "@\r\n***END\r\n@\r\n");
    EXPECT_EQ(s.counted, maxAirbaseEntries);
}

struct Airfield {
    TerrainMatrix m = flatMatrix(7);
    OcdList ocd =
        ocdListOf({ocdEntry(200, 140, 0, "Airbase"), ocdEntry(201, 141, 0, "Highway Strip"),
                   ocdEntry(202, 140, 0, "Kimpo")});
    CheckObjects objects;
    OccupancyGrid grid;

    AirbaseLevelling level(const std::string& script, std::vector<ObjectRecord> airbases) {
        grid = gridWith(m, objects, std::move(airbases));
        return levelAirbases(m, grid, objects.table, ocd, parseAirbaseScript(script),
                             {0, 0, 15, 15});
    }
    std::uint16_t h(std::int32_t x, std::int32_t y) const { return m.at(x, y).elevation; }
};

TEST(AirbaseLevelling, TheTwoPairsEntryLevelsExactlyItsTwoPosts) {
    Airfield a;
    a.m.at(5, 5).elevation = 500;
    a.m.at(5, 6).tileId = 0; // a tile of ID 0 keeps its elevation
    const AirbaseLevelling r =
        a.level("200, 2,1, 0\r\n0,1, 0,-1, 5,5, 5,5, 5,5\r\n@\r\n",
                {object(1, 200, " Airbase", 5, 5), object(2, 201, " Airbase", 9, 9)});
    EXPECT_EQ(r.levelled, 1);
    EXPECT_EQ(a.h(5, 4), 500);
    EXPECT_EQ(a.h(5, 6), 100);
    EXPECT_EQ(a.h(10, 10), 100); // (5, 5) is beyond the pairs used
    EXPECT_EQ(airbaseSummary(r.levelled), " 1 Airbases were leveled.");
}

TEST(AirbaseLevelling, OnlyClassCode140IsLevelled) {
    Airfield a;
    a.m.at(9, 9).elevation = 900;
    const AirbaseLevelling r = a.level("201, 1,1, 0\r\n1,0, 0,0, 0,0, 0,0, 0,0\r\n@\r\n",
                                       {object(2, 201, " Airbase", 9, 9)});
    EXPECT_EQ(r.levelled, 0);
    EXPECT_EQ(a.h(10, 9), 100);
}

TEST(AirbaseLevelling, TheLaterAirbaseWinsAndTheMapEdgeIsKept) {
    Airfield a;
    a.m.at(2, 3).elevation = 200;
    a.m.at(4, 3).elevation = 400;
    a.m.at(15, 15).elevation = 1500;
    const AirbaseLevelling r =
        a.level("200, 2,1, 0\r\n1,0, 2,0, 0,0, 0,0, 0,0\r\n@\r\n"
                "202, 3,2, 0\r\n0,0, 1,0, -1,0, 0,0, 0,0\r\n0,1, 1,1, -1,1, 0,0, 0,0\r\n@\r\n",
                {object(1, 200, " Airbase", 2, 3), object(2, 200, " Airbase", 4, 3),
                 object(3, 202, " Airbase", 15, 15)});
    EXPECT_EQ(r.levelled, 3);
    EXPECT_EQ(a.h(3, 3), 200);
    EXPECT_EQ(a.h(4, 3), 200); // levelled by the first, then it levels from there
    EXPECT_EQ(a.h(5, 3), 200);
    EXPECT_EQ(a.h(6, 3), 200);
    EXPECT_EQ(a.h(14, 15), 1500);
    EXPECT_EQ(a.h(14, 14), 100);
}

TEST(AirbaseLevelling, AScriptWithoutAtLineLevelsNothing) {
    Airfield a;
    const AirbaseLevelling r =
        a.level("200, 1,1, 0\r\n1,0, 0,0, 0,0, 0,0, 0,0\r\n", {object(1, 200, " Airbase", 2, 3)});
    EXPECT_EQ(r.levelled, 0);
}

TEST(AirbaseLevelling, AStopRequestEndsAfterTheRow) {
    Airfield a;
    a.grid = gridWith(a.m, a.objects, {object(1, 200, " Airbase", 2, 3)});
    int rows = 0;
    const AirbaseLevelling r =
        levelAirbases(a.m, a.grid, a.objects.table, a.ocd,
                      parseAirbaseScript("200, 1,1, 0\r\n1,0, 0,0, 0,0, 0,0, 0,0\r\n@\r\n"),
                      {0, 0, 15, 15}, [&](std::int32_t, std::int32_t) { return ++rows == 2; });
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(rows, 2);
}

} // namespace
} // namespace vantor
