#include "app/application_state.h"
#include "app/commands.h"
#include "flows/mend_flow.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>

namespace vantor {
namespace {

AuditFinding tileFinding(AuditCheck check, std::int32_t x, std::int32_t y) {
    AuditFinding f;
    f.check = check;
    f.mapX = x;
    f.mapY = y;
    AuditSuggestion s;
    s.tile = TileRepair{};
    s.tile->x = x;
    s.tile->y = y;
    s.tile->to = 10005;
    f.suggestions.push_back(s);
    return f;
}

AuditFinding parentFinding(std::size_t line) {
    AuditFinding f;
    f.check = AuditCheck::Parents;
    f.sourceLine = line;
    f.suggestions.emplace_back().parent = 17;
    return f;
}

AuditFinding commandFinding(AuditCheck check) {
    AuditFinding f;
    f.check = check;
    f.suggestions.emplace_back().text = "a whole command mends it";
    return f;
}

TEST(ApplyChoice, TheCoreChoosesWhatApplyMends) {
    TheaterAudit audit;
    audit.inputs = {{"terrain", "/t/Theater.L2", 1}, {"source", "/t/Objectives.csv", 2}};
    audit.report.findings = {
        tileFinding(AuditCheck::Roads, 5, 6),  // 0
        tileFinding(AuditCheck::Roads, 5, 6),  // 1: the other side of the same gap
        tileFinding(AuditCheck::Roads, 9, 9),  // 2
        tileFinding(AuditCheck::Rivers, 1, 1), // 3
        parentFinding(40),                     // 4
        parentFinding(41),                     // 5
        commandFinding(AuditCheck::Urban),     // 6
        commandFinding(AuditCheck::Airbases),  // 7
        commandFinding(AuditCheck::Radar),     // 8
    };
    audit.report.findings.push_back(tileFinding(AuditCheck::Roads, 3, 3)); // 9
    audit.report.findings.back().suggestions.clear(); // no repair: never mended
    struct Case {
        const char* name;
        std::size_t finding;
        bool wholeCheck;
        int command;
        std::size_t tiles;
        std::vector<std::size_t> lines;
    };
    const Case cases[] = {
        {"one break", 2, false, 0, 1, {}},
        {"every road break, a gap's post once", 0, true, 0, 2, {}},
        {"another check's breaks are left", 3, true, 0, 1, {}},
        {"one Parent", 5, false, 0, 0, {41}},
        {"every Parent", 4, true, 0, 0, {40, 41}},
        {"the city check", 6, false, cmd::CheckCityJunction, 0, {}},
        {"the levelling", 7, false, cmd::LevelAirbases, 0, {}},
        {"the radar profiles", 8, false, cmd::RadarProfiles, 0, {}},
        {"a whole check of command findings mends nothing itself", 6, true, 0, 0, {}},
        {"a finding without a repair", 9, false, 0, 0, {}},
        {"no such finding", 10, false, 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ApplyChoice choice = chooseRepairs(audit, c.finding, c.wholeCheck);
        EXPECT_EQ(choice.command, c.command);
        EXPECT_EQ(choice.tiles.size(), c.tiles);
        EXPECT_EQ(choice.parentLines, c.lines);
        EXPECT_EQ(choice.sourcePath, c.lines.empty() ? "" : "/t/Objectives.csv");
    }
}

TEST(ApplyChoice, EachCheckCountsWhatIsNewSinceTheBaseline) {
    AuditReport report;
    report.findings = {tileFinding(AuditCheck::Roads, 5, 6), tileFinding(AuditCheck::Roads, 9, 9),
                       tileFinding(AuditCheck::Rivers, 1, 1)};
    const std::vector<BaselineFinding> baseline = {{auditFindingKey(report.findings[1]), ""}};
    compareWithBaseline(report, baseline, "before.json");
    EXPECT_EQ(report.outcomes[auditIndex(AuditCheck::Roads)].fresh, 1u);
    EXPECT_EQ(report.outcomes[auditIndex(AuditCheck::Rivers)].fresh, 1u);
    EXPECT_EQ(report.baseline->fresh, 2u);
    compareWithBaseline(report, {}, "empty.json");
    EXPECT_EQ(report.outcomes[auditIndex(AuditCheck::Roads)].fresh, 2u) << "counted again, anew";
}

// After an Apply the selection goes to the next finding of the same check that is still found;
// at the end of the check, back to the one before; none when the check is gone.
TEST(ApplyChoice, TheNextFindingAfterAnApplyIsOfTheSameCheck) {
    AuditReport before;
    before.findings = {tileFinding(AuditCheck::Roads, 1, 1),   // 0
                       tileFinding(AuditCheck::Roads, 2, 2),   // 1
                       tileFinding(AuditCheck::Roads, 3, 3),   // 2
                       tileFinding(AuditCheck::Roads, 4, 4),   // 3
                       tileFinding(AuditCheck::Rivers, 5, 5)}; // 4
    const auto without = [&](std::initializer_list<std::size_t> gone) {
        AuditReport after;
        for (std::size_t i = 0; i < before.findings.size(); ++i) {
            if (std::find(gone.begin(), gone.end(), i) == gone.end()) {
                after.findings.push_back(before.findings[i]);
            }
        }
        return after;
    };
    struct Case {
        const char* name;
        std::size_t applied;
        AuditReport after;
        std::optional<std::size_t> next;
    };
    const Case cases[] = {
        {"the next one", 1, without({1}), 1},
        {"a gap's two breaks went together", 1, without({1, 2}), 1},
        {"the last of the check: the one before", 3, without({3}), 2},
        {"the check's last finding: none", 4, without({4}), std::nullopt},
        {"nothing went: the next all the same", 0, without({}), 1},
        {"no such finding", 9, without({}), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(nextFindingAfterApply(before, c.applied, c.after), c.next);
    }
    AuditReport moved = without({0, 1, 2, 3});
    moved.findings.insert(moved.findings.begin(), tileFinding(AuditCheck::Roads, 8, 8));
    EXPECT_EQ(nextFindingAfterApply(before, 0, moved), 0u) << "a road finding found anew";
}

TEST(ApplyChoice, ApplyAllAsksWithTheCountAndTheFiles) {
    ApplicationState state;
    state.files.inputs.held = {{{}, "/t/Theater.L2"}, {{}, "/t/Theater.O2"}};
    TheaterAudit audit;
    audit.report.findings = {tileFinding(AuditCheck::Roads, 1, 1),
                             tileFinding(AuditCheck::Roads, 2, 2),
                             tileFinding(AuditCheck::Rivers, 3, 3), parentFinding(40)};
    audit.report.findings.push_back(tileFinding(AuditCheck::Roads, 3, 3));
    audit.report.findings.back().suggestions.clear(); // not counted: nothing to apply
    EXPECT_EQ(applyAllQuestion(state, audit, 0, chooseRepairs(audit, 0, true)),
              "Apply the first repair of 2 findings of the check roads?\r\n\r\n2 tiles are changed "
              "and the terrain pair is written back: /t/Theater.L2 and /t/Theater.O2. The pair it "
              "replaces is kept in its history (Edit > Undo).");
    EXPECT_EQ(applyAllQuestion(state, audit, 2, chooseRepairs(audit, 2, true)),
              "Apply the first repair of 1 finding of the check rivers?\r\n\r\n1 tile is changed "
              "and the terrain pair is written back: /t/Theater.L2 and /t/Theater.O2. The pair it "
              "replaces is kept in its history (Edit > Undo).");
    audit.inputs = {{"source", "/t/Objectives.csv", 2}};
    EXPECT_EQ(applyAllQuestion(state, audit, 3, chooseRepairs(audit, 3, true)),
              "Apply the first repair of 1 finding of the check parents?\r\n\r\n1 Parent is set in "
              "a new export, asked for next; /t/Objectives.csv stays as it is.");
}

} // namespace
} // namespace vantor
