#include "app/commands.h"
#include "audit/audit_text.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(AuditText, TheSummarySaysWhatRanWhatWasSkippedAndWhatIsNew) {
    AuditReport report;
    report.findings.resize(1);
    const auto outcome = [&report](AuditCheck check) -> AuditOutcome& {
        return report.outcomes[auditIndex(check)];
    };
    outcome(AuditCheck::Roads) = {true, false, "", 1, 0};
    outcome(AuditCheck::Rivers) = {true, false, "", 0, 0};
    outcome(AuditCheck::Radar) = {true, true, "no export", 0, 0};
    outcome(AuditCheck::Urban) = {true, true, "Object-CheckerScript.dat is missing", 0, 0};
    AuditSummaryText t = auditSummaryText(report);
    EXPECT_EQ(t.count, "1 finding");
    EXPECT_EQ(t.byCheck, "roads 1, rivers 0");
    EXPECT_EQ(t.skipped, "urban (Object-CheckerScript.dat is missing); radar (no export)");
    EXPECT_EQ(t.fresh, "");
    EXPECT_EQ(t.sinceBaseline, "");

    report.findings.resize(3);
    report.baseline = AuditBaseline{};
    report.baseline->path = "morning.json";
    report.baseline->fresh = 1;
    report.baseline->known = 2;
    t = auditSummaryText(report);
    EXPECT_EQ(t.count, "3 findings");
    EXPECT_EQ(t.fresh, "1 new");
    EXPECT_EQ(t.sinceBaseline, "since the baseline morning.json (2 known; new ones in bold)");
    report.baseline->renumbered = 1;
    EXPECT_EQ(auditSummaryText(report).sinceBaseline,
              "since the baseline morning.json (2 known, 1 of them under another objective ID; "
              "new ones in bold)");
}

TEST(AuditText, AFindingsRepairsInOneLine) {
    AuditFinding f;
    EXPECT_EQ(findingRepairsText(f), "");
    f.repairNote = "no tile of the script fits";
    EXPECT_EQ(findingRepairsText(f), "no tile of the script fits");
    f.suggestions.emplace_back().text = "tile 10005 on the post";
    f.suggestions.emplace_back().text = "tile 13003 on the post";
    EXPECT_EQ(findingRepairsText(f),
              "tile 10005 on the post; or tile 13003 on the post (no tile of the script fits)");
    f.repairNote.clear();
    EXPECT_EQ(findingRepairsText(f), "tile 10005 on the post; or tile 13003 on the post");
}

AuditFinding finding(AuditCheck check, std::int32_t x, std::int32_t y, std::string detail = "") {
    AuditFinding f;
    f.check = check;
    f.mapX = x;
    f.mapY = y;
    f.detail = std::move(detail);
    return f;
}

AuditFinding objectFinding(std::int32_t id, std::string name) {
    AuditFinding f = finding(AuditCheck::Parents, 40, 56, "no Parent");
    f.objectId = id;
    f.objectName = std::move(name);
    return f;
}

constexpr std::size_t column(AuditColumn c) {
    return static_cast<std::size_t>(c);
}

TEST(AuditText, ARowHoldsTheFindingsCellsAndIsBoldOnlyWhenNewAgainstABaseline) {
    const TheaterDefinition theater = builtInTheater();
    AuditReport report;
    AuditFinding f = objectFinding(17, "Town 17");
    f.suggestions.emplace_back().text = "Parent 3 Road 3";
    f.suggestions.emplace_back().text = "Parent 4 Road 4";
    f.repairNote = "or by hand";
    AuditRow row = auditRow(report, f, theater);
    EXPECT_EQ(row.text[column(AuditColumn::Check)], "parents");
    EXPECT_EQ(row.text[column(AuditColumn::MapX)], "40");
    EXPECT_EQ(row.number[column(AuditColumn::MapY)], 56);
    EXPECT_EQ(row.number[column(AuditColumn::SectX)], userSectX(theater, 40));
    EXPECT_EQ(row.number[column(AuditColumn::TileY)], userTileY(theater, 56));
    EXPECT_EQ(row.text[column(AuditColumn::Object)], "17 Town 17");
    EXPECT_EQ(row.number[column(AuditColumn::Object)], 17);
    EXPECT_EQ(row.text[column(AuditColumn::Detail)], "no Parent");
    EXPECT_EQ(row.text[column(AuditColumn::Repair)], "Parent 3 Road 3") << "the best one";
    EXPECT_EQ(row.repairs, "Parent 3 Road 3; or Parent 4 Road 4 (or by hand)");

    // A finding of no objective has no Object number: it sorts by its (empty) text.
    AuditFinding terrain = finding(AuditCheck::Roads, 511, 195);
    terrain.repairNote = "no tile of the script fits";
    row = auditRow(report, terrain, theater);
    EXPECT_EQ(row.text[column(AuditColumn::Object)], "");
    EXPECT_FALSE(row.number[column(AuditColumn::Object)].has_value());
    EXPECT_EQ(row.text[column(AuditColumn::Repair)], "no tile of the script fits");

    struct Case {
        const char* name;
        bool baseline;
        bool known;
        bool fresh;
    };
    const Case cases[] = {
        {"no baseline", false, false, false},
        {"new against the baseline", true, false, true},
        {"known to the baseline", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        report.baseline.reset();
        if (c.baseline) {
            report.baseline = AuditBaseline{};
        }
        terrain.known = c.known;
        EXPECT_EQ(auditRow(report, terrain, theater).fresh, c.fresh);
    }
}

TEST(AuditText, NumberColumnsSortAsNumbersAndTheRestAsText) {
    const TheaterDefinition theater = builtInTheater();
    const AuditReport report;
    const auto row = [&](const AuditFinding& f) { return auditRow(report, f, theater); };
    const AuditRow x9 = row(finding(AuditCheck::Roads, 9, 100, "b road"));
    const AuditRow x10 = row(finding(AuditCheck::Rivers, 10, 20, "a river"));
    const AuditRow object9 = row(objectFinding(9, "Zeta"));
    const AuditRow object10 = row(objectFinding(10, "Alpha"));
    const AuditRow noObject = row(finding(AuditCheck::Parents, 1, 1));
    struct Case {
        const char* name;
        const AuditRow& a;
        const AuditRow& b;
        AuditColumn column;
        int sign;
    };
    const Case cases[] = {
        {"Map X 9 before 10", x9, x10, AuditColumn::MapX, -1},
        {"Map X 10 after 9", x10, x9, AuditColumn::MapX, 1},
        {"Map Y 100 after 20", x9, x10, AuditColumn::MapY, 1},
        {"the same Map X", x9, x9, AuditColumn::MapX, 0},
        {"Detail as text", x9, x10, AuditColumn::Detail, 1},
        {"checks in their running order, not by name", x9, x10, AuditColumn::Check, -1},
        {"object 9 before 10, whatever their names", object9, object10, AuditColumn::Object, -1},
        {"no object before an object", noObject, object9, AuditColumn::Object, -1},
        {"an object after no object", object10, noObject, AuditColumn::Object, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int order = compareAuditRows(c.a, c.b, column(c.column));
        EXPECT_EQ((order > 0) - (order < 0), c.sign);
    }
    EXPECT_EQ(compareAuditRows(x9, x10, auditColumnCount), 0) << "no such column";
}

TEST(AuditText, TheSearchMatchesAnyCellWithoutRegardToCaseAndTheFilterOneCheck) {
    const TheaterDefinition theater = builtInTheater();
    const AuditReport report;
    const AuditFinding road = finding(AuditCheck::Roads, 511, 195, "Road edge does not meet");
    const AuditFinding parent = objectFinding(17, "Town 17");
    const AuditRow roadRow = auditRow(report, road, theater);
    const AuditRow parentRow = auditRow(report, parent, theater);
    const std::size_t roads = auditIndex(AuditCheck::Roads);
    const std::size_t rivers = auditIndex(AuditCheck::Rivers);
    struct Case {
        const char* search;
        std::optional<std::size_t> check;
        bool roadShown;
        bool parentShown;
    };
    const Case cases[] = {
        {"", std::nullopt, true, true},
        {"   ", std::nullopt, true, true},
        {"ROAD", std::nullopt, true, false},
        {"  town 17\t", std::nullopt, false, true}, // blanks about it go
        {"511", std::nullopt, true, false},         // a number cell
        {"parents", std::nullopt, false, true},     // the check's name
        {"town  17", std::nullopt, false, false},   // blanks inside stay
        {"nowhere", std::nullopt, false, false},
        {"", roads, true, false},
        {"", rivers, false, false},
        {"town", roads, false, false},
        {"road", roads, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.search + "\" check " +
                     (c.check ? std::to_string(*c.check) : "all"));
        EXPECT_EQ(auditRowShown(roadRow, road, c.search, c.check), c.roadShown);
        EXPECT_EQ(auditRowShown(parentRow, parent, c.search, c.check), c.parentShown);
    }
}

TEST(AuditText, TheCheckFilterOffersTheChecksThatRanAndFoundSomething) {
    AuditReport report;
    const auto outcome = [&report](AuditCheck check) -> AuditOutcome& {
        return report.outcomes[auditIndex(check)];
    };
    outcome(AuditCheck::Roads) = {true, false, "", 2, 0};
    outcome(AuditCheck::Rivers) = {true, false, "", 0, 0};          // clean
    outcome(AuditCheck::Urban) = {false, false, "", 5, 0};          // not selected
    outcome(AuditCheck::Parents) = {true, false, "", 12, 0};        //
    outcome(AuditCheck::Radar) = {true, true, "no profiles", 3, 0}; // skipped
    const std::vector<AuditFilterEntry> entries = auditFilterEntries(report);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].text, "roads (2)");
    EXPECT_EQ(entries[0].check, auditIndex(AuditCheck::Roads));
    EXPECT_EQ(entries[1].text, "parents (12)");
    EXPECT_EQ(entries[1].check, auditIndex(AuditCheck::Parents));
    EXPECT_TRUE(auditFilterEntries(AuditReport{}).empty());
}

TEST(AuditText, TheExplanationSaysWhatMendsAFindingAndWhatApplyDoes) {
    AuditSuggestion tile;
    tile.text = "tile 10005 on the post";
    tile.tile = TileRepair{};
    AuditSuggestion parent;
    parent.text = "Parent 3 Road 3";
    parent.parent = 3;
    AuditSuggestion words;
    words.text = "Actions > Check Cities and Junctions";
    struct Case {
        const char* name;
        std::vector<AuditSuggestion> suggestions;
        std::string repairNote;
        int command;
        std::string note;
        const char* applyText;
        bool apply;
        bool applyAll;
    };
    const Case cases[] = {
        {"nothing mends it",
         {},
         "",
         0,
         "Nothing here is mended by a tile or a Parent.",
         "Apply",
         false,
         false},
        {"the reason nothing does", {}, "no tile fits", 0, "no tile fits", "Apply", false, false},
        {"a tile", {tile}, "", 0, "", "Apply", true, true},
        {"a Parent, then words", {parent, words}, "", 0, "", "Apply", true, true},
        {"the tile second", {words, tile}, "", 0, "", "Apply", false, false},
        {"a command mends the file",
         {words},
         "",
         cmd::CheckCityJunction,
         "",
         "Run Command...",
         true,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AuditFinding f = finding(AuditCheck::Roads, 1, 2, "the detail");
        f.suggestions = c.suggestions;
        f.repairNote = c.repairNote;
        const FindingExplanation e = explainFinding(f, c.command);
        EXPECT_EQ(e.detail, "the detail");
        ASSERT_EQ(e.suggestions.size(), c.suggestions.size());
        for (std::size_t i = 0; i < c.suggestions.size(); ++i) {
            EXPECT_EQ(e.suggestions[i], c.suggestions[i].text);
        }
        EXPECT_EQ(e.note, c.note);
        EXPECT_EQ(e.applyText, c.applyText);
        EXPECT_EQ(e.applyEnabled, c.apply);
        EXPECT_EQ(e.applyAllEnabled, c.applyAll);
    }
}

} // namespace
} // namespace vantor
