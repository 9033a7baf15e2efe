#pragma once

#include "audit/audit.h"
#include "terrain/theater.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The findings table beside the map: its columns, and a finding's row as every front end shows
// it. A number column sorts by its number; the rest by their text.
enum class AuditColumn { Check, MapX, MapY, SectX, SectY, TileX, TileY, Object, Detail, Repair };
inline constexpr std::size_t auditColumnCount = 10;
inline constexpr std::array<const char*, auditColumnCount> auditColumnTitles{
    "Check",  "Map X",  "Map Y",  "Sect X", "Sect Y",
    "Tile X", "Tile Y", "Object", "Detail", "Repair"};
struct AuditRow {
    std::array<std::string, auditColumnCount> text;
    std::array<std::optional<std::int64_t>, auditColumnCount> number;
    std::string repairs; // every repair, whole (findingRepairsText): the Repair cell's tip
    bool fresh = false;  // new against the baseline: shown in bold
};
AuditRow auditRow(const AuditReport& report, const AuditFinding& finding,
                  const TheaterDefinition& theater);

// The order of two rows by a column: numbers as numbers, the rest as text; negative, zero or
// positive. Equal rows keep the audit's order (the caller's stable sort).
int compareAuditRows(const AuditRow& a, const AuditRow& b, std::size_t column);

// The search box and the check filter: whether a row is shown. An empty search matches every
// row; the check is the audit index of the check shown, or none for all checks.
bool auditRowShown(const AuditRow& row, const AuditFinding& finding, std::string_view search,
                   std::optional<std::size_t> check);

// The check filter's entries after "All checks": the checks that found something, as
// "roads (2)", with their audit indexes.
struct AuditFilterEntry {
    std::string text;
    std::size_t check = 0;
};
inline constexpr const char* allChecksEntry = "All checks";
std::vector<AuditFilterEntry> auditFilterEntries(const AuditReport& report);

// What the panel's controls do, as their tooltips say.
namespace audittips {
inline constexpr const char* checkFilter = "Show the findings of one check";
inline constexpr const char* savePage =
    "Write the audit as one self-contained page: map, markers and table";
inline constexpr const char* saveJson = "Write every finding as JSON (docs/audit.schema.json)";
inline constexpr const char* apply =
    "Put the selected finding's first repair in place: the terrain pair is written back (the "
    "previous pair kept in its history: Edit > Undo), a Parent goes to a new export; for a "
    "finding a command mends, run that command";
inline constexpr const char* applyAll =
    "Put the first repair of every finding of the selected finding's check in place";
inline constexpr const char* baseline =
    "Read an earlier audit's JSON: the findings it holds are known, the others new (in bold)";
} // namespace audittips

// The selected finding explained under the table: its detail, every suggestion (best first),
// then what has no repair.
struct FindingExplanation {
    std::string detail;
    std::vector<std::string> suggestions;
    std::string note; // empty: nothing to add
    // Apply runs the command that mends the whole file where one does ("Run Command...").
    std::string applyText;
    bool applyEnabled = false;
    bool applyAllEnabled = false;
};
FindingExplanation explainFinding(const AuditFinding& finding, int mendingCommand);

} // namespace vantor
