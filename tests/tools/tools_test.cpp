#include "analysis/radar_rewrite.h"
#include "base/text_file.h"
#include "base/text_reader.h"
#include "objectives/export_format.h"
#include "support/temp_dir.h"
#include "support/terrain_files.h"
#include "terrain/terrain_diff.h"
#include "tools/export_diff.h"
#include "tools/id_mover.h"
#include "tools/link_removal.h"
#include "tools/parent_check.h"
#include "tools/theater_diff.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace vantor {
namespace {

using testing::TempDir;

constexpr std::time_t now = 1733572800; // a fixed moment for the title lines

std::string header() {
    return "1.0 Objective Export  Mon Dec 07 12:00:00 2026\r\n" + std::string(exportColumnLine) +
           "\r\n";
}

struct Object {
    const char* name = "Alpha";
    const char* type = "City";
    int id = 150;
    int objective = 5;
    int x = 10;
    int y = 20;
    int xid = 150;
    int parent = 0;
    std::vector<int> links;
};

// An objective line as the tactical editor writes it, with old radar values and CR LF.
std::string line(const Object& o) {
    std::ostringstream s;
    s << o.name << ", " << o.type << ", 1, " << o.id << ", " << o.objective << ", " << o.x << ", "
      << o.y << ", 0, 0, 0, 0, 1, " << o.xid << ", 0, 0, 0, 0, 0, 3, 50, " << o.parent << ", 1, "
      << o.links.size() << ", 3, ";
    for (int target : o.links) {
        s << "1, 2, 3, 4, 5, 6, 7, 8, " << target << ", ";
    }
    s << "0.120, 0.120, 0.120, 0.120, 0.120, 0.120, 0.120, 0.120,\r\n";
    return s.str();
}

// Runs a rewrite of the source text and returns what it wrote.
template <class Rewrite> std::string rewrite(const std::string& source, Rewrite run) {
    TempDir dir;
    const auto in = dir.write("in.csv", source);
    TextReader file;
    EXPECT_TRUE(openTextReader(file, in));
    SafeWriter out;
    EXPECT_TRUE(beginSafeWrite(out, dir.path / "out.csv"));
    run(file, out);
    EXPECT_TRUE(commitSafeWrite(out));
    return testing::readFile(dir.path / "out.csv");
}

std::string title() {
    return exportTitleLine(now);
}

TerrainMatrix flat() {
    TerrainMatrix m;
    EXPECT_TRUE(allocateMatrix(m, 64, 64, SevenByteRecords));
    return m;
}

TEST(LinkRemoval, ObjectsLoseParentAndLinksAndGainTheProfileOfTheirPost) {
    TerrainMatrix m = flat();
    m.at(10, 25).elevation = 2000; // masks the sector around north of the radar at (10, 20)
    const RadarWalk walk = makeRadarWalk(defaultRadarSettings, 63, m);
    const std::string flatValues = formatRadarValues(radarProfile(walk, 40, 40));
    const std::string maskedValues = formatRadarValues(radarProfile(walk, 10, 20));
    ASSERT_NE(flatValues, maskedValues);

    Object a;
    a.parent = 1234;
    a.links = {180, 190};
    Object b;
    b.name = "  Beta";
    b.x = 40;
    b.y = 40;
    Object c = b;
    c.name = "Gamma";
    const std::string source =
        header() + line(a) + "\r\n" + "1, 2, 3, 4, 5, 6, 7, 8, 9, 10\r\n" + line(b) + line(c);
    LinkRemoval result;
    const std::string out = rewrite(source, [&](TextReader& in, SafeWriter& o) {
        result = removeObjectLinks(in, o, walk, now);
    });
    const std::string first20 =
        "Alpha, City, 1, 150, 5, 10, 20, 0, 0, 0, 0, 1, 150, 0, 0, 0, 0, 0, 3, 50";
    const std::string at40 = ", City, 1, 150, 5, 40, 40, 0, 0, 0, 0, 1, 150, 0, 0, 0, 0, 0, 3, 50";
    const std::string nl = platformLineEnd;
    EXPECT_EQ(out, title() + std::string(exportColumnLine) + "\r\n" + first20 + ", 0, 1, 0, 3," +
                       maskedValues + ", " + nl + "  Beta" + at40 + ", 0, 1, 0, 3," + flatValues +
                       ", " + nl + "Gamma" + at40 + ", 0, 1, 0, 3," + flatValues + ", " + nl);
    EXPECT_TRUE(result.headerRead);
    EXPECT_EQ(result.written, 3);
}

TEST(LinkRemoval, ShortSourcesWriteWhatTheyHold) {
    const TerrainMatrix m = flat();
    const RadarWalk walk = makeRadarWalk(defaultRadarSettings, 63, m);
    for (const std::string& source : {std::string(), std::string("1.0 Objective Export\r\n")}) {
        LinkRemoval result;
        const std::string out = rewrite(source, [&](TextReader& in, SafeWriter& o) {
            result = removeObjectLinks(in, o, walk, now);
        });
        EXPECT_EQ(out, source.empty() ? "" : title());
        EXPECT_FALSE(result.headerRead);
    }
}

TEST(RadarRewrite, OldValuesGiveWayToTheProfile) {
    TerrainMatrix m = flat();
    const RadarWalk walk = makeRadarWalk(defaultRadarSettings, 63, m);
    const std::string at00 = " " + formatRadarValues(radarProfile(walk, 0, 0));
    const std::string at1020 = " " + formatRadarValues(radarProfile(walk, 10, 20));
    const std::string nl = platformLineEnd;
    struct Case {
        const char* what;
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"old radar values cut after the last comma before the first full stop",
         "Radar, Radar, 1, 7, 9, 10, 20, 0, 0.250, 0.250,\n",
         "Radar, Radar, 1, 7, 9, 10, 20, 0," + at1020 + nl},
        {"a CR LF line leaves no CR inside", "Radar, Radar, 1, 7, 9, 10, 20, 0.5\r\n",
         "Radar, Radar, 1, 7, 9, 10, 20," + at1020 + nl},
        {"a full stop inside field 3 is passed over", "R, T, S, 1.5, 9, 10, 20, 3.25\n",
         "R, T, S, 1.5, 9, 10, 20," + at1020 + nl},
        {"no full stop from field 3 on: the line stays whole", "A.b, c, d, e\n",
         "A.b, c, d, e" + at00 + nl},
        {"fewer than three commas: dropped", "one, two\n", ""},
        {"blank line: dropped", "\r\n", ""},
    };
    for (const Case& c : cases) {
        RadarRewrite result;
        const std::string out = rewrite(header() + c.in, [&](TextReader& in, SafeWriter& o) {
            result = writeRadarProfiles(in, o, walk, now, nullptr);
        });
        EXPECT_EQ(out, title() + exportColumnLine + "\r\n" + c.out) << c.what;
        EXPECT_EQ(result.objects, 1) << c.what; // dropped lines are counted too
    }
}

TEST(RadarRewrite, ReportsEveryObjectAsItIsDone) {
    const TerrainMatrix m = flat();
    const RadarWalk walk = makeRadarWalk(defaultRadarSettings, 63, m);
    std::string source = header();
    for (int i = 0; i < 600; ++i) {
        Object o;
        o.x = i % 64;
        o.y = (i * 7) % 64;
        source += line(o);
    }
    std::vector<std::int32_t> counts;
    RadarRewrite result;
    rewrite(source, [&](TextReader& in, SafeWriter& o) {
        result = writeRadarProfiles(in, o, walk, now, [&](std::int32_t n) {
            counts.push_back(n);
            return false;
        });
    });
    ASSERT_EQ(counts.size(), 600u);
    EXPECT_EQ(counts.front(), 1);
    EXPECT_EQ(counts.back(), 600);
    EXPECT_EQ(result.objects, 600);
    EXPECT_FALSE(result.stopped);

    // Asked to stop after the 300th object, the copy ends there.
    rewrite(source, [&](TextReader& in, SafeWriter& o) {
        result = writeRadarProfiles(in, o, walk, now, [](std::int32_t n) { return n == 300; });
    });
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.objects, 300);
}

TEST(ParentCheck, ObjectsGoByWhetherTheirParentIsACityOrTownOfTheFile) {
    struct Routed {
        Object object;
        const char* file; // "", "no" or "wrong"
    };
    auto make = [](const char* name, const char* type, int id, int parent) {
        Object o;
        o.name = name;
        o.type = type;
        o.id = id;
        o.parent = parent;
        return o;
    };
    const Routed rows[] = {
        {make("Town", "Town", 100, 7), "wrong"},
        {make("Capital", "CITY", 200, 0), "no"},
        {make("Village of town", "Village", 300, 100), ""},
        {make("Village of capital", "Village", 301, 200), ""},
        {make("Village of village", "Village", 302, 300), "wrong"},
        {make("Township", "Townships", 400, 200), ""},
        {make("Child of township", "Village", 401, 400), ""},
        {make("Large id", "Village", 402, 65636), "wrong"}, // 65636 & 0xFFFF is 100
    };
    std::string source = header();
    std::string no = title() + exportColumnLine + "\r\n";
    std::string wrong = no;
    for (const Routed& r : rows) {
        source += line(r.object);
        if (std::string(r.file) == "no") {
            no += line(r.object);
        } else if (std::string(r.file) == "wrong") {
            wrong += line(r.object);
        }
    }
    // Without its leading blank a type is not a city.
    source += "Bare,City, 1, 500, 5, 1, 1, 0, 0, 0, 0, 1, 500, 0, 0, 0, 0, 0, 3, 50, 0, 1, 0, 3,\n";
    no += "Bare,City, 1, 500, 5, 1, 1, 0, 0, 0, 0, 1, 500, 0, 0, 0, 0, 0, 3, 50, 0, 1, 0, 3,\n";
    source += "Child of bare, Village, 1, 501, 5, 1, 1, 0, 0, 0, 0, 1, 501, 0, 0, 0, 0, 0, 3, 50, "
              "500, 1, 0, 3,\n";
    wrong += "Child of bare, Village, 1, 501, 5, 1, 1, 0, 0, 0, 0, 1, 501, 0, 0, 0, 0, 0, 3, 50, "
             "500, 1, 0, 3,\n";
    source += "Short, Village, 1, 502\n"; // no Parent column: goes nowhere

    TempDir dir;
    TextReader in;
    ASSERT_TRUE(openTextReader(in, dir.write("in.csv", source)));
    SafeWriter noParent;
    SafeWriter wrongParent;
    ASSERT_TRUE(beginSafeWrite(noParent, dir.path / "no.csv"));
    ASSERT_TRUE(beginSafeWrite(wrongParent, dir.path / "wrong.csv"));
    const ParentCheck result = checkParentLinks(in, noParent, wrongParent, now);
    ASSERT_TRUE(commitSafeWritePair(noParent, wrongParent));
    EXPECT_EQ(testing::readFile(dir.path / "no.csv"), no);
    EXPECT_EQ(testing::readFile(dir.path / "wrong.csv"), wrong);
    EXPECT_EQ(result.zeroParent, 2);
    EXPECT_EQ(result.wrongParent, 4);
}

TEST(ParentCheck, WithoutCitiesOrTownsEveryParentIsWrong) {
    Object a;
    a.type = "Village";
    a.parent = 5;
    Object b = a;
    b.parent = 0;
    TempDir dir;
    TextReader in;
    ASSERT_TRUE(openTextReader(in, dir.write("in.csv", header() + line(a) + line(b))));
    SafeWriter no;
    SafeWriter wrong;
    ASSERT_TRUE(beginSafeWrite(no, dir.path / "no.csv"));
    ASSERT_TRUE(beginSafeWrite(wrong, dir.path / "wrong.csv"));
    const ParentCheck result = checkParentLinks(in, no, wrong, now);
    EXPECT_EQ(result.zeroParent, 1);
    EXPECT_EQ(result.wrongParent, 1);
    abandonSafeWrite(no);
    abandonSafeWrite(wrong);
}

TEST(IdMover, IdentifiersOfTheRangeMoveWithTheirLinksAndParents) {
    const IdMoveLimits limits{100, 199, 1100};
    Object inRange;
    inRange.id = 150;
    inRange.xid = 3;
    inRange.parent = 120;
    inRange.links = {180};
    Object childOfMoved;
    childOfMoved.id = 250;
    childOfMoved.xid = 250;
    childOfMoved.parent = 150;
    Object untouched;
    untouched.id = 300;
    untouched.xid = 300;
    untouched.parent = 99;
    untouched.links = {200, 99};

    std::string moved = line(inRange);
    EXPECT_TRUE(moveLineIds(moved, limits));
    EXPECT_EQ(readIntField(IdField, moved), 1150);
    EXPECT_EQ(readIntField(XidField, moved), 1150);
    EXPECT_EQ(readIntField(ParentField, moved), 1120);
    EXPECT_EQ(readIntField(32, moved), 1180);
    EXPECT_EQ(fieldText(IdField, moved), "1150"); // rewritten numbers have no blank

    std::string child = line(childOfMoved);
    EXPECT_TRUE(moveLineIds(child, limits));
    EXPECT_EQ(readIntField(IdField, child), 250);
    EXPECT_EQ(readIntField(ParentField, child), 1150);

    IdMove result;
    const std::string source = header() + line(inRange) + line(childOfMoved) + line(untouched);
    const std::string out = rewrite(
        source, [&](TextReader& in, SafeWriter& o) { result = moveObjectIds(in, o, limits, now); });
    EXPECT_EQ(out, title() + exportColumnLine + "\r\n" + moved + child + line(untouched));
    EXPECT_EQ(result.changed, 2);
    EXPECT_EQ(result.unchanged, 1);
}

TEST(IdMover, ShiftsDownAndEmptyRangesLeaveEveryByte) {
    Object o;
    o.id = 5000;
    o.parent = 5001;
    o.links = {5002, 7};
    std::string down = line(o);
    EXPECT_TRUE(moveLineIds(down, {5000, 5999, 100}));
    EXPECT_EQ(readIntField(IdField, down), 100);
    EXPECT_EQ(readIntField(ParentField, down), 101);
    EXPECT_EQ(readIntField(32, down), 102);
    EXPECT_EQ(readIntField(41, down), 7);

    const std::string source = header() + line(o) + "\r\n" + "odd, line\n";
    IdMove result;
    const std::string out = rewrite(source, [&](TextReader& in, SafeWriter& w) {
        result = moveObjectIds(in, w, {6000, 5000, 10}, now);
    });
    EXPECT_EQ(out, title() + source.substr(header().find('\n') + 1));
    EXPECT_EQ(result.changed, 0);
    EXPECT_EQ(result.unchanged, 3);

    // A link count larger than the links present stops at the last link.
    std::string overstated = line(o);
    replaceIntField(LCountField, overstated, 2000000000);
    EXPECT_TRUE(moveLineIds(overstated, {7, 7, 8}));
    EXPECT_EQ(readIntField(41, overstated), 8);
}

TEST(IdMover, TheDialogKeepsValuesThatAreNotNumbers) {
    IdMoveLimits limits{1, 2, 3};
    IdLimitsDialogModel model = idLimitsDialogModel(limits);
    EXPECT_EQ(model.oldEnd, "2");
    model.oldStart = " 40abc";
    model.oldEnd = "none";
    model.newStart = "-12";
    readIdLimitsDialog(model, limits);
    EXPECT_EQ(limits.oldStart, 40);
    EXPECT_EQ(limits.oldEnd, 2);
    EXPECT_EQ(limits.newStart, -12);
}

TEST(BridgeFix, ObjectsOfAScriptedTypeMoveByTheEntrysOffsets) {
    TileScript script;
    script.entries = {{7, 1, 32, 32}, {9, 1, 30, 35}, {9, 2, 0, 0}};
    Object same;
    same.objective = 7;
    same.x = 100;
    same.y = 200;
    Object shifted = same;
    shifted.objective = 9;
    Object other = same;
    other.objective = 8;
    const std::string source = header() + line(same) + line(shifted) + line(other);
    BridgeFix result;
    const std::string out = rewrite(source, [&](TextReader& in, SafeWriter& w) {
        result = fixBridgeOffsets(in, w, script, now);
    });
    std::string sameOut = line(same);
    sameOut.replace(sameOut.find(", 100, 200,"), 11, ",100,200,");
    std::string shiftedOut = line(shifted);
    shiftedOut.replace(shiftedOut.find(", 100, 200,"), 11, ",98,203,");
    EXPECT_EQ(out, title() + exportColumnLine + "\r\n" + sameOut + shiftedOut + line(other));
    EXPECT_EQ(result.moved, 2);

    TileScript none;
    const std::string unchanged = rewrite(source, [&](TextReader& in, SafeWriter& w) {
        result = fixBridgeOffsets(in, w, none, now);
    });
    EXPECT_EQ(result.moved, 0);
    EXPECT_EQ(unchanged, title() + source.substr(header().find('\n') + 1));
}

} // namespace
} // namespace vantor

namespace vantor {
namespace {

// An export line with the fields the comparison reads where the program reads them.
std::string diffLine(const std::string& name, int id, int cls, int x, int y, int parent,
                     std::vector<int> links = {}, int priority = 50) {
    std::string s = name + ", Town, 2, " + std::to_string(id) + ", " + std::to_string(cls) + ", " +
                    std::to_string(x) + ", " + std::to_string(y) + ", 0, 0, 0, 0, 2, " +
                    std::to_string(id) + ", 0, 0, 100, 100, 0, 1, " + std::to_string(priority) +
                    ", " + std::to_string(parent) + ", 2, " + std::to_string(links.size()) +
                    ", 1, ";
    for (int target : links) {
        s += "0, 0, 0, 0, 0, 0, 0, 0, " + std::to_string(target) + ", ";
    }
    return s + "0.019, 0.019, 0.019, 0.019, 0.019, 0.019, 0.019, 0.019,";
}

TEST(ExportDiff, ObjectivesAreFollowedThroughRenumberingsMovesAndRewrites) {
    const std::string title = "1.0 Objective Export  Mon Dec 07 12:00:00 2026";
    const std::string columns = exportColumnLine;
    const std::vector<std::string> base = {
        title, columns, diffLine("City 10", 10, 101, 5, 5, 0, {11}),
        diffLine("Town 11", 11, 102, 9, 9, 10, {10}), diffLine("Village 12", 12, 103, 7, 7, 11)};
    struct Case {
        const char* name;
        std::vector<std::string> after;
        std::size_t added, deleted, changed, renumbered, moved, reclassed, parents, links;
        std::vector<std::string> fields; // of the first change
    };
    const Case cases[] = {
        {"the same", base, 0, 0, 0, 0, 0, 0, 0, 0, {}},
        {"renumbered, Parents and links with them",
         {title, columns, diffLine("City 10", 20, 101, 5, 5, 0, {21}),
          diffLine("Town 11", 21, 102, 9, 9, 20, {20}), diffLine("Village 12", 22, 103, 7, 7, 21)},
         0,
         0,
         0,
         3,
         0,
         0,
         0,
         0,
         {}},
        {"renumbered and moved: matched by name",
         {title, columns, diffLine("City 10", 20, 101, 5, 5, 0, {21}),
          diffLine("Town 11", 21, 102, 9, 9, 20, {20}), diffLine("Village 12", 22, 103, 8, 7, 21)},
         0,
         0,
         1,
         3,
         1,
         0,
         0,
         0,
         {}},
        {"re-classed in place",
         {title, columns, base[2], base[3], diffLine("Village 12", 12, 104, 7, 7, 11)},
         0,
         0,
         1,
         0,
         0,
         1,
         0,
         0,
         {}},
        {"a Parent and a field changed",
         {title, columns, base[2], base[3], diffLine("Village 12", 12, 103, 7, 7, 10, {}, 60)},
         0,
         0,
         1,
         0,
         0,
         0,
         1,
         0,
         {"Priority"}},
        {"one deleted, its link gone, one added",
         {title, columns, diffLine("City 10", 10, 101, 5, 5, 0), base[3],
          diffLine("Junction 13", 13, 104, 3, 3, 0)},
         1,
         1,
         1,
         0,
         0,
         0,
         0,
         1,
         {}},
    };
    const auto views = [](const std::vector<std::string>& lines) {
        return std::vector<std::string_view>(lines.begin(), lines.end());
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ExportDiff d = diffExports(views(base), views(c.after));
        EXPECT_EQ(d.added.size(), c.added);
        EXPECT_EQ(d.deleted.size(), c.deleted);
        EXPECT_EQ(d.changed.size(), c.changed);
        EXPECT_EQ(d.renumbered, c.renumbered);
        EXPECT_EQ(d.moved, c.moved);
        EXPECT_EQ(d.reclassed, c.reclassed);
        EXPECT_EQ(d.parentsChanged, c.parents);
        EXPECT_EQ(d.linksChanged, c.links);
        EXPECT_EQ(d.same(), c.added + c.deleted + c.changed + c.renumbered == 0);
        if (!d.changed.empty()) {
            EXPECT_EQ(d.changed[0].fields, c.fields);
        }
    }
    // The Parent named by the objectives it names.
    const ExportDiff parent = diffExports(
        views(base),
        views({title, columns, base[2], base[3], diffLine("Village 12", 12, 103, 7, 7, 10)}));
    ASSERT_EQ(parent.changed.size(), 1u);
    EXPECT_EQ(parent.changed[0].parentBefore, "11 Town 11");
    EXPECT_EQ(parent.changed[0].parentAfter, "10 City 10");
}

// What a comparison prints after its summary: each changed post and each changed field with
// what it was and what it became, the first `limit` of each, then how many more.
TEST(TheaterDiff, TheDetailsGiveWhatEachPostAndFieldWasAndBecame) {
    const TerrainMatrix before = testing::randomMatrix(2, SevenByteRecords, 7);
    TerrainMatrix after = before;
    after.at(17, 2).tileId += 1;
    for (std::int32_t x = 0; x < 5; ++x) {
        after.at(x, 20).elevation = static_cast<std::uint16_t>(after.at(x, 20).elevation + 3);
    }
    const std::string title = "1.0 Objective Export  Mon Dec 07 12:00:00 2026";
    const std::vector<std::string> earlier = {title, exportColumnLine,
                                              diffLine("Village 12", 12, 103, 7, 7, 11)};
    const std::vector<std::string> later = {title, exportColumnLine,
                                            diffLine("Village 12", 12, 103, 8, 7, 11, {}, 60)};
    TheaterDiff d;
    d.terrain = diffTerrain(before, after);
    d.objectives = diffExports(std::vector<std::string_view>(earlier.begin(), earlier.end()),
                               std::vector<std::string_view>(later.begin(), later.end()));
    ASSERT_EQ(d.objectives->changed.size(), 1u);
    EXPECT_EQ(d.objectives->changed[0].fieldValues,
              (std::vector<std::pair<std::string, std::string>>{{"50", "60"}}));
    TerrainPost tiled = before.at(17, 2);
    tiled.tileId += 1;
    const std::string tileLine =
        "  Map X 17, Map Y 2 (Sect X 1, Sect Y 1): " + postText(before.at(17, 2)) + "; " +
        postText(tiled) + "\n";
    const std::string objectLine = "  changed 12 Village 12 (class 103, Map X 7, Map Y 7), now 12 "
                                   "Village 12 (class 103, Map X 8, Map Y 7): moved; Priority "
                                   "\"50\" to \"60\"\n";
    const struct {
        std::size_t limit;
        std::vector<std::string> holds;
        std::vector<std::string> lacks;
    } cases[] = {
        {1000, {tileLine, "  Map X 4, Map Y 20 (Sect X 0, Sect Y 0): ", objectLine}, {"more"}},
        {2,
         {tileLine, "  Map X 0, Map Y 20 ", "  and 4 more\n", objectLine},
         {"Map X 1, Map Y 20"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        const std::string text = diffDetails(d, c.limit);
        for (const std::string& line : c.holds) {
            EXPECT_NE(text.find(line), std::string::npos) << line << "\nin\n" << text;
        }
        for (const std::string& line : c.lacks) {
            EXPECT_EQ(text.find(line), std::string::npos) << line << "\nin\n" << text;
        }
    }
}

} // namespace
} // namespace vantor
