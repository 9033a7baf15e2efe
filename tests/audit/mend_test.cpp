#include "audit/mend.h"
#include "objectives/export_format.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vantor {
namespace {

constexpr std::uint32_t land = 1;

// Road tiles 10000 + edge mask for the masks given.
TileScript roads(const std::vector<int>& masks) {
    std::string text;
    for (const int mask : masks) {
        text += "4, " + std::to_string(10000 + mask) + ", E, D, 0, " + std::to_string(mask & 1) +
                ", " + std::to_string(mask & 2) + ", " + std::to_string(mask & 4) + ", " +
                std::to_string(mask & 8) + "\r\n";
    }
    TileScript script;
    EXPECT_TRUE(parseTileScript(script, ScriptKind::Road, text).ok);
    return script;
}

TerrainMatrix landOf(std::int32_t side) {
    TerrainMatrix m;
    allocateMatrix(m, side, side, SevenByteRecords);
    for (TerrainPost& p : m.posts) {
        p.tileId = land;
    }
    return m;
}

AuditSelection only(AuditCheck check) {
    AuditSelection selected{};
    selected[auditIndex(check)] = true;
    return selected;
}

TEST(Mend, WhatRemainsIsWhatHadNoRepair) {
    struct Case {
        const char* name;
        std::vector<int> masks; // the road tiles of the script
        std::size_t changed;
        std::size_t earlier;
        std::size_t without;
    };
    // Two east-west roads, each with a gap: row 2 of 10004 10005 _ 10005 10001, row 5 the same.
    const Case cases[] = {
        {"every gap filled, the second break of each by the first change", {1, 4, 5}, 2, 2, 0},
        {"without the straight tile the road ends at each gap", {1, 4}, 4, 0, 0},
        {"with straights alone the road's ends have no tile that fits", {5}, 2, 2, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerrainMatrix m = landOf(8);
        for (const std::int32_t y : {2, 5}) {
            const std::uint32_t row[] = {10004, 10005, land, 10005, 10001};
            for (std::int32_t x = 0; x < 5; ++x) {
                m.at(x, y).tileId = row[x];
            }
        }
        const TerrainMatrix before = m;
        const TileScript script = roads(c.masks);
        const TerrainMend mend =
            mendTerrain(m, {&script, nullptr, nullptr, nullptr}, only(AuditCheck::Roads));
        std::size_t changed = 0, earlier = 0, without = 0;
        for (const MendStep& step : mend.steps) {
            changed += step.outcome == MendStep::Outcome::Changed ? 1 : 0;
            earlier += step.outcome == MendStep::Outcome::MendedEarlier ? 1 : 0;
            if (step.outcome == MendStep::Outcome::NoRepair) {
                ++without;
                EXPECT_NE(step.note.find("no tile of the script fits"), std::string::npos);
            }
        }
        EXPECT_EQ(changed, c.changed);
        EXPECT_EQ(earlier, c.earlier);
        EXPECT_EQ(without, c.without);
        EXPECT_EQ(mend.applied.size(), c.changed);
        EXPECT_EQ(mend.remaining, c.without) << "the breaks left are those without a repair";
        // Undone, the terrain is as it was.
        undoTileRepairs(m, mend.applied);
        EXPECT_EQ(std::vector<TerrainPost>(m.posts.begin(), m.posts.end()),
                  std::vector<TerrainPost>(before.posts.begin(), before.posts.end()));
    }
}

TEST(Mend, ChosenRepairsAreRefusedWhenThePostChangedOrAFaultWouldFollow) {
    TerrainMatrix m = landOf(8);
    const TileScript script = roads({1, 4, 5});
    m.at(0, 2).tileId = 10004;
    m.at(1, 2).tileId = 10005;
    const RepairScripts scripts{&script, nullptr, nullptr, nullptr};
    const std::vector<TileRepair> chosen = {
        {1, 2, 10005, 10001, 0, 1, 1}, // ends the road: fine
        {5, 5, 10005, 10001, 0, 1, 1}, // the post holds land, not 10005
        {4, 4, land, 10005, 0, 2, 1},  // a straight road in the middle of nowhere
    };
    const TerrainMend mend = applyTileRepairs(m, scripts, chosen);
    ASSERT_EQ(mend.steps.size(), 3u);
    EXPECT_EQ(mend.steps[0].outcome, MendStep::Outcome::Changed);
    EXPECT_EQ(mend.steps[1].outcome, MendStep::Outcome::Refused);
    EXPECT_EQ(mend.steps[1].note, "the post no longer holds tile 10005");
    EXPECT_EQ(mend.steps[2].outcome, MendStep::Outcome::Refused);
    EXPECT_NE(mend.steps[2].note.find("would make a new fault"), std::string::npos);
    EXPECT_EQ(m.at(1, 2).tileId, 10001u);
    EXPECT_EQ(m.at(4, 4).tileId, land);
}

TEST(Mend, ParentsAreWrittenWhereTheOldOnesStood) {
    const std::string text = "1.0 Objective Export\r\n"
                             "Name,\r\n"
                             "A, Town, 2, 10, 102, 1, 1, 0, 0, 0, 0, 2, 10, 0, 0, 100, 100, 0, 1, "
                             "60, 0, 2, 0, 1, 0.019,\r\n"
                             "B, Village, 3, 11, 103, 2, 2, 0, 0, 0, 0, 2, 11, 0, 0, 100, 100, 0, "
                             "1, 30, 77, 2, 0, 1, 0.019,\n"
                             "C, Village, 3, 12, 103, 3, 3, 0, 0, 0, 0, 2, 12, 0, 0, 100, 100, 0, "
                             "1, 30, 10, 2, 0, 1, 0.019,";
    const std::string out = withParents(text, {{3, 10}, {2, 11}});
    std::string expected = text.substr(text.find('\n') + 1);
    expected.replace(expected.find(" 0, 2, 0, 1"), 11, " 11, 2, 0, 1");
    expected.replace(expected.find(" 77, 2,"), 7, " 10, 2,");
    EXPECT_EQ(out, expected) << "the title line is the caller's; every other byte stays";
}

} // namespace
} // namespace vantor
