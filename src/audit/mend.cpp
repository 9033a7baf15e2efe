#include "audit/mend.h"

#include "audit/repair_text.h"
#include "objectives/export_format.h"
#include "objectives/list_kind.h"
#include "scans/bridge_placement.h"
#include "scans/edge_scan.h"

#include <algorithm>
#include <iterator>

namespace vantor {

namespace {

struct TerrainCheck {
    AuditCheck check;
    RepairScript script;
    ListKind kind;
};
constexpr TerrainCheck edgeChecks[] = {
    {AuditCheck::Roads, RepairScript::Road, ListKind::MisalignedRoads},
    {AuditCheck::Rivers, RepairScript::River, ListKind::MisalignedRivers},
    {AuditCheck::Transitions, RepairScript::Transition, ListKind::BadTransitions},
};

MendStep stepOf(AuditCheck check, std::int32_t x, std::int32_t y, std::string detail) {
    MendStep step;
    step.check = check;
    step.x = x;
    step.y = y;
    step.detail = std::move(detail);
    return step;
}

bool stillBroken(const TerrainMatrix& m, const TileScript& script, const EdgeBreak& b) {
    bool found = false;
    postEdgeBreaks(TileView{m, {}}, script, b.mapX, b.mapY,
                   [&](const EdgeBreak& now) { found = found || now.direction == b.direction; });
    return found;
}

// Whether putting the repair's tile on its post makes a fault its neighbourhood lacks now.
bool makesNewFault(const TerrainMatrix& m, const RepairScripts& scripts, const TileRepair& r) {
    const std::vector<TerrainFault> before = faultsAround(TileView{m, {}}, scripts, r.x, r.y);
    const std::vector<TerrainFault> after =
        faultsAround(TileView{m, TileChange{r.x, r.y, r.to}}, scripts, r.x, r.y);
    std::vector<TerrainFault> made;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(made));
    return !made.empty();
}

void apply(TerrainMatrix& m, const RepairScripts& scripts, const TileRepair& repair, MendStep& step,
           TerrainMend& mend) {
    if (makesNewFault(m, scripts, repair)) {
        step.outcome = MendStep::Outcome::Refused;
        step.note = "putting tile " + std::to_string(repair.to) + " on Map X " +
                    std::to_string(repair.x) + ", Map Y " + std::to_string(repair.y) +
                    " would make a new fault there";
        return;
    }
    m.at(repair.x, repair.y).tileId = repair.to;
    step.outcome = MendStep::Outcome::Changed;
    step.repair = repair;
    mend.applied.push_back(repair);
}

} // namespace

bool mendsCheck(AuditCheck check) {
    return auditCheckFacts(check).mender == AuditMender::Mend;
}

TerrainMend mendTerrain(TerrainMatrix& m, const RepairScripts& scripts,
                        const AuditSelection& selected) {
    TerrainMend mend;
    const RepairTables tables = buildRepairTables(scripts);
    const MapArea whole{0, 0, m.width - 1, m.height - 1};
    for (const TerrainCheck& c : edgeChecks) {
        const TileScript* script = scriptFor(scripts, c.script);
        if (!selected[auditIndex(c.check)] || script == nullptr) {
            continue;
        }
        std::vector<EdgeBreak> breaks;
        scanEdges(m, *script, whole, [&](const EdgeBreak& b) { breaks.push_back(b); });
        for (const EdgeBreak& b : breaks) {
            MendStep step = stepOf(c.check, b.mapX, b.mapY, edgeBreakDetail(b, c.kind));
            if (!stillBroken(m, *script, b)) {
                step.outcome = MendStep::Outcome::MendedEarlier;
            } else if (const EdgeRepairs found = suggestEdgeRepairs(m, tables, c.script, b, 1);
                       found.repairs.empty()) {
                step.note = edgeRepairNote(found, b.direction);
            } else {
                apply(m, scripts, found.repairs.front(), step, mend);
            }
            mend.steps.push_back(std::move(step));
        }
    }
    if (selected[auditIndex(AuditCheck::Bridges)] && scripts.bridge != nullptr) {
        std::vector<std::pair<std::int32_t, std::int32_t>> rejected;
        forEachBridgeTile(m, *scripts.bridge, [&](const BridgeTile& tile) {
            if (tile.farTileMissing) {
                rejected.emplace_back(tile.x, tile.y);
            }
        });
        for (const auto& [x, y] : rejected) {
            const std::optional<BridgeTile> tile =
                bridgeTileAt(TileView{m, {}}, *scripts.bridge, x, y);
            MendStep step = stepOf(AuditCheck::Bridges, x, y,
                                   farTileMissingDetail(tile ? tile->tileId : m.at(x, y).tileId));
            if (!tile || !tile->farTileMissing) {
                step.outcome = MendStep::Outcome::MendedEarlier;
            } else if (const FarTileRepairs found = suggestFarTile(m, tables, *tile, 1);
                       found.repairs.empty()) {
                step.note = farTileNote(found);
            } else {
                apply(m, scripts, found.repairs.front(), step, mend);
            }
            mend.steps.push_back(std::move(step));
        }
    }
    // A change makes no fault and mends at least the one it was made for, so what is left is
    // what had no repair: no need to scan the map again.
    for (const MendStep& step : mend.steps) {
        mend.remaining += step.outcome == MendStep::Outcome::NoRepair ||
                                  step.outcome == MendStep::Outcome::Refused
                              ? 1
                              : 0;
    }
    return mend;
}

TerrainMend applyTileRepairs(TerrainMatrix& m, const RepairScripts& scripts,
                             const std::vector<TileRepair>& repairs) {
    TerrainMend mend;
    for (const TileRepair& r : repairs) {
        MendStep step = stepOf(AuditCheck::Roads, r.x, r.y,
                               "tile " + std::to_string(r.from) + " to " + std::to_string(r.to));
        if (!m.contains(r.x, r.y) || m.at(r.x, r.y).tileId != r.from) {
            step.outcome = MendStep::Outcome::Refused;
            step.note = "the post no longer holds tile " + std::to_string(r.from);
        } else {
            apply(m, scripts, r, step, mend);
        }
        mend.steps.push_back(std::move(step));
    }
    return mend;
}

void undoTileRepairs(TerrainMatrix& m, const std::vector<TileRepair>& applied) {
    for (auto it = applied.rbegin(); it != applied.rend(); ++it) {
        m.at(it->x, it->y).tileId = it->from;
    }
}

ParentMend planParentMend(const AuditReport& report) {
    ParentMend plan;
    for (std::size_t i = 0; i < report.findings.size(); ++i) {
        const AuditFinding& f = report.findings[i];
        if (f.check != AuditCheck::Parents || !f.sourceLine) {
            continue;
        }
        const auto suggestion =
            std::find_if(f.suggestions.begin(), f.suggestions.end(),
                         [](const AuditSuggestion& s) { return s.parent.has_value(); });
        if (suggestion == f.suggestions.end()) {
            plan.withoutRepair.push_back(i);
            continue;
        }
        plan.parents[*f.sourceLine] = *suggestion->parent;
        plan.changed.push_back(i);
    }
    return plan;
}

std::string withParents(std::string_view text, const std::map<std::size_t, std::int32_t>& parents) {
    std::string out;
    out.reserve(text.size() + 8 * parents.size());
    std::size_t number = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t newline = text.find('\n', at);
        const std::size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
        const std::string_view line = text.substr(at, end - at);
        const auto parent = parents.find(number);
        if (number > 0) {
            std::optional<std::size_t> field = fieldAfterCommas(ParentField, line);
            if (parent != parents.end() && field) {
                // The number goes where the old one stood; its blanks and the rest stay.
                std::size_t from = *field;
                while (from < line.size() && (line[from] == ' ' || line[from] == '\t')) {
                    ++from;
                }
                std::size_t to = line.find(',', from);
                if (to == std::string_view::npos) {
                    to = line.find_first_of("\r\n", from);
                    to = to == std::string_view::npos ? line.size() : to;
                }
                out.append(line.substr(0, from));
                out += std::to_string(parent->second);
                out.append(line.substr(to));
            } else {
                out.append(line);
            }
        }
        at = end;
        ++number;
    }
    return out;
}

} // namespace vantor
