#pragma once

#include "audit/audit.h"
#include "scans/edge_repair.h"
#include "terrain/terrain_matrix.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

// The checks a mend takes on: the terrain's (roads, rivers, transitions, bridges) and parents.
bool mendsCheck(AuditCheck check);

// One fault the mend took on, and what became of it.
struct MendStep {
    enum class Outcome {
        Changed,       // the tile of `repair` was put on its post
        MendedEarlier, // an earlier change of this mend took the fault away
        NoRepair,      // nothing mends it; `note` says why
        Refused,       // the first repair would have made a new fault; not made
    };
    AuditCheck check = AuditCheck::Roads;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::string detail; // as the audit words the fault
    Outcome outcome = Outcome::NoRepair;
    std::optional<TileRepair> repair;
    std::string note;
};

struct TerrainMend {
    std::vector<MendStep> steps;     // fault by fault, check by check in the audit's order
    std::vector<TileRepair> applied; // the changes, in the order made
    std::size_t remaining = 0;       // faults of the checks taken on, after the mend
};

// Mends the terrain in memory: every fault of the selected terrain checks (in the audit's
// order) that is still there gets the first-ranked repair its audit finding would suggest,
// found on the terrain as the earlier changes left it; before a change is made, the
// neighbourhood of its post is scanned again in every script at hand, and a change that would
// make a new fault is not made. A check is taken on when it is selected and its script is at
// hand (the bridge script for bridges).
TerrainMend mendTerrain(TerrainMatrix& matrix, const RepairScripts& scripts,
                        const AuditSelection& selected);

// Puts the repairs chosen from an audit's suggestions on the terrain, as mendTerrain puts its
// own: a repair whose post has changed since, or that would now make a new fault, is refused.
TerrainMend applyTileRepairs(TerrainMatrix& matrix, const RepairScripts& scripts,
                             const std::vector<TileRepair>& repairs);

// Puts back the tiles the changes replaced, last change first.
void undoTileRepairs(TerrainMatrix& matrix, const std::vector<TileRepair>& applied);

// The Parents a mend writes: for each objective's line (from 0) the Parent its parents finding
// suggests, with the findings that have none.
struct ParentMend {
    std::map<std::size_t, std::int32_t> parents;
    std::vector<std::size_t> changed;       // the findings (positions in the report) mended
    std::vector<std::size_t> withoutRepair; // and those that have no suggestion
};
ParentMend planParentMend(const AuditReport& parentsAudit);

// The source's text with those Parents written in place of the old ones (the blanks before
// each kept), every other byte as it was; the title line is the caller's.
std::string withParents(std::string_view sourceText,
                        const std::map<std::size_t, std::int32_t>& parents);

} // namespace vantor
