#include "audit/audit_checks.h"
#include "audit/mend.h"

#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace vantor {
namespace {

// The table is the one list of checks: its rows are whole, its names and styles tell the checks
// apart, and what reads it (selection by name, the mend, the schema of the JSON report) agrees.
TEST(AuditCheckTable, EveryRowIsWholeAndItsOwn) {
    std::set<std::string> names;
    std::set<std::pair<std::string, std::string>> styles;
    for (const AuditCheckFacts& facts : auditCheckTable) {
        SCOPED_TRACE(facts.name);
        EXPECT_TRUE(names.insert(facts.name).second);
        EXPECT_TRUE(std::regex_match(facts.name, std::regex("[a-z]+")));
        EXPECT_EQ(auditCheckNamed(facts.name), facts.check);
        EXPECT_TRUE(std::regex_match(facts.style.colour, std::regex("#[0-9A-F]{6}")));
        EXPECT_TRUE(styles.insert({facts.style.colour, facts.style.shape}).second);
        EXPECT_TRUE(std::string("error warning note").find(facts.level) != std::string::npos);
        EXPECT_FALSE(std::string(facts.summary).empty());
        EXPECT_TRUE(std::string(facts.repair).ends_with("."));
        // Tile repairs are the mend's; a check without the source is one of the terrain alone.
        if (facts.tileRepairs) {
            EXPECT_EQ(facts.mender, AuditMender::Mend);
        }
        if (!facts.needsSource) {
            EXPECT_TRUE(facts.tileRepairs);
        }
        EXPECT_EQ(mendsCheck(facts.check), facts.mender == AuditMender::Mend);
    }
    EXPECT_EQ(auditCheckNamed("road"), std::nullopt);
    EXPECT_EQ(auditCheckNames(), "roads, rivers, transitions, bridges, multi, offmap, urban, "
                                 "parents, ids, airbases, radar");
}

TEST(AuditCheckTable, TheJsonSchemaNamesEveryCheck) {
    std::ifstream file(VANTOR_AUDIT_SCHEMA);
    ASSERT_TRUE(file) << VANTOR_AUDIT_SCHEMA;
    std::stringstream text;
    text << file.rdbuf();
    std::string quoted;
    for (const AuditCheckFacts& facts : auditCheckTable) {
        quoted += std::string(quoted.empty() ? "" : ", ") + "\"" + facts.name + "\"";
    }
    EXPECT_NE(text.str().find("\"enum\": [" + quoted + "]"), std::string::npos) << quoted;
}

} // namespace
} // namespace vantor
