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

} // namespace
} // namespace vantor
