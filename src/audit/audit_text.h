#pragma once

#include "audit/audit.h"

#include <string>

namespace vantor {

// The words a desktop program shows of an audit beside the map, the same in every front end;
// each front end only sets them out (bold, lines).
struct AuditSummaryText {
    std::string count;         // "235 findings"
    std::string byCheck;       // "roads 2, rivers 4, ..." for the checks that ran
    std::string fresh;         // "12 new", against a baseline; empty without one
    std::string sinceBaseline; // "since the baseline B.json (223 known; new ones in bold)"
    std::string skipped;       // "radar (why); ..." for the checks that could not run
};
AuditSummaryText auditSummaryText(const AuditReport& report);

// A finding's repairs in one line: every suggestion, best first, joined by "; or ", then the
// note on what has none (in brackets after them, or alone).
std::string findingRepairsText(const AuditFinding& finding);

} // namespace vantor
