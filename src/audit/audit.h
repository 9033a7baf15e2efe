#pragma once

#include "analysis/airbase_levelling.h"
#include "analysis/radar_profile.h"
#include "audit/audit_checks.h"
#include "checks/city_check.h"
#include "reference/ocd_list.h"
#include "reference/tile_info.h"
#include "scans/edge_repair.h"
#include "scans/tile_script.h"
#include "terrain/terrain_matrix.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

using AuditSelection = std::array<bool, auditCheckCount>;
// The checks a command line asks for: those named in only ("roads,bridges"), else every check
// but those named in skip. Nothing when the selection is made, else what is wrong with it.
std::optional<std::string> selectAuditChecks(std::string_view only, std::string_view skip,
                                             AuditSelection& selected);

// What would mend a finding: a tile put on a post (roads, rivers, transitions, a bridge's far
// tile) or a Parent written for the object, with the words that say so.
struct AuditSuggestion {
    std::string text;
    std::optional<TileRepair> tile;
    std::optional<std::int32_t> parent;
    std::string parentName;
    double distance = 0; // posts to the suggested Parent
};

// One thing found: where it is and, where there is one, the objective it concerns; what would
// mend it, best first, and when nothing would, why (repairNote).
struct AuditFinding {
    AuditCheck check = AuditCheck::Roads;
    std::int32_t mapX = 0;
    std::int32_t mapY = 0;
    std::optional<std::int32_t> objectId;
    std::string objectName;
    std::string detail;
    std::vector<AuditSuggestion> suggestions;
    std::string repairNote;
    std::optional<std::size_t> sourceLine; // of the objective, in the source from 0
    std::string kind;   // what sort of finding of its check it is ("east", "zero", "stale")
    bool known = false; // it is in the baseline the audit was compared with
};

// A finding's key, the same in every audit of the theater while the finding stands:
// "check/Map X,Map Y/object ID or -/kind", e.g. "roads/511,195/-/east", "parents/40,56/17/zero".
std::string auditFindingKey(const AuditFinding& finding);

// A finding of an earlier audit, as its JSON holds it.
struct BaselineFinding {
    std::string key;
    std::string objectName; // empty for a finding of no objective
};

// An audit compared with an earlier one: each finding whose key the baseline holds (as often as
// it holds it) is known. So is an objective's finding whose key differs from one left in the
// baseline only by the objective's ID, where the two name the same objective: a checked export
// renumbers objectives, and their findings are not new for it. The others are new.
struct AuditBaseline {
    std::string path;
    std::size_t known = 0;
    std::size_t renumbered = 0; // of the known, those the baseline holds under another ID
    std::size_t fresh = 0;      // the findings not in the baseline
};

// What one check came to: not selected, skipped (its inputs are missing: never taken for
// clean), or run with the number of its findings.
struct AuditOutcome {
    bool selected = false;
    bool skipped = false;
    std::string reason; // why it was skipped
    std::size_t count = 0;
    std::size_t fresh = 0; // of them, those not in the baseline (once compared with one)
};

// Everything the audit reads, gathered once by the caller. A missing input is null, and every
// check that needs it carries the reason in `missing`.
struct AuditInputs {
    const TerrainMatrix* matrix = nullptr;
    std::int32_t lastMapX = 0; // the theater's, for the radar walk
    // The source export's lines, title and column lines first, without their line ends.
    const std::vector<std::string_view>* sourceLines = nullptr;
    const TileScript* roadScript = nullptr;
    const TileScript* riverScript = nullptr;
    const TileScript* transitionScript = nullptr;
    const TileScript* bridgeScript = nullptr;
    const OcdList* ocd = nullptr; // also lets the parents check tell cities and towns by class
    const TileInfoList* tileInfo = nullptr;
    const CityTileTables* cityTables = nullptr;
    const AirbaseScript* airbaseScript = nullptr;
    std::array<std::string, auditCheckCount> missing;
    bool suggestRepairs = true; // false: the findings alone, without what would mend them
    // The settings the stored radar profiles are compared with: those the radar command was
    // run with (settings it would refuse: the defaults).
    RadarSettings radarSettings = defaultRadarSettings;
};

// How the parents check tells a city or town: by the Type text alone (" City", " Town"), or
// also by the class code of its class in the class list (101 city, 102 town).
enum class ParentRule { Type, TypeOrClassCode };
inline constexpr std::int16_t cityClassCode = 101;
inline constexpr std::int16_t townClassCode = 102;
const char* parentRuleName(ParentRule rule);

struct AuditReport {
    std::array<AuditOutcome, auditCheckCount> outcomes;
    ParentRule parentRule = ParentRule::Type;           // as the parents check ran
    RadarSettings radarSettings = defaultRadarSettings; // as the radar check computed profiles
    std::vector<AuditFinding> findings;    // check by check, each in scan or file order
    std::optional<AuditBaseline> baseline; // when compared with an earlier audit
    bool stopped = false;
    std::size_t total() const { return findings.size(); }
};

// Marks the findings of the report that the baseline holds as known.
// Whether Apply can mend the finding by itself: its first repair is a tile or a Parent.
bool canApply(const AuditFinding& finding);

void compareWithBaseline(AuditReport& report, const std::vector<BaselineFinding>& baseline,
                         const std::string& baselinePath);

// Called before each check that runs; true stops the audit there.
using AuditProgress = std::function<bool(AuditCheck next)>;

// Runs the selected checks read-only: nothing of the inputs is changed and nothing is written.
AuditReport runAudit(const AuditInputs& inputs, const AuditSelection& selected,
                     const AuditProgress& progress = {});

// The checks each input serves, for the caller to tell which inputs it must gather.

// A file the audit read, as its reports name it.
struct AuditInput {
    std::string role; // "terrain", "offsets", "source", "script" or "list"
    std::string path;
    std::uint64_t size = 0;
};

// An audit with the files it read.
struct TheaterAudit {
    AuditReport report;
    std::vector<AuditInput> inputs;
    std::string error; // the source could not be read: nothing was audited
};

} // namespace vantor
