#include "flows/set_tile_flow.h"

#include "app/application_state.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "base/file_lookup.h"
#include "base/text_util.h"
#include "flows/audit_flow.h"
#include "flows/terrain_flow.h"
#include "scans/tile_script.h"
#include "terrain/terrain_file.h"

#include <algorithm>

namespace vantor {

namespace {

// The tile scripts of the start folder that a change must keep whole; those that cannot be read
// are named and left out. Held in place: `at` points into it.
struct HeldScripts {
    TileScript road, river, transition, bridge;
    RepairScripts at;
    std::vector<std::string> missing;

    explicit HeldScripts(const ApplicationState& state) {
        const struct {
            ScriptKind kind;
            TileScript* script;
            const TileScript** into;
        } wanted[] = {
            {ScriptKind::Road, &road, &at.road},
            {ScriptKind::River, &river, &at.river},
            {ScriptKind::Transition, &transition, &at.transition},
            {ScriptKind::Bridge, &bridge, &at.bridge},
        };
        for (const auto& w : wanted) {
            if (loadTileScript(*w.script, w.kind, state.folders.startDirectory, ScriptWording::Own)
                    .ok) {
                *w.into = w.script;
            } else {
                missing.emplace_back(scriptFileName(w.kind));
            }
        }
    }
    HeldScripts(const HeldScripts&) = delete;
    HeldScripts& operator=(const HeldScripts&) = delete;
};

} // namespace

std::string setTileWhat(std::int32_t x, std::int32_t y, std::uint32_t from, std::uint32_t to) {
    return "Set tile at " + std::to_string(x) + "," + std::to_string(y) + ": " +
           std::to_string(from) + " \u2192 " + std::to_string(to);
}

std::optional<std::string> setTileProblem(const ApplicationState& state,
                                          const SetTileRequest& request) {
    const TerrainMatrix& matrix = state.terrain.matrix;
    if (!state.terrain.terrainOpen || matrix.empty()) {
        return "No terrain is open.";
    }
    if (!matrix.contains(request.x, request.y)) {
        return "Map X " + std::to_string(request.x) + ", Map Y " + std::to_string(request.y) +
               " is off the map (" + std::to_string(matrix.width) + " x " +
               std::to_string(matrix.height) + " posts, from 0).";
    }
    if (matrix.recordFormat == SevenByteRecords && request.tile > 0xFFFF) {
        return "Tile " + std::to_string(request.tile) +
               " does not fit this terrain's 7-byte records, which hold tile ids up to 65535.";
    }
    if (matrix.at(request.x, request.y).tileId == request.tile) {
        return "The post at " + std::to_string(request.x) + "," + std::to_string(request.y) +
               " already has tile " + std::to_string(request.tile) + ".";
    }
    return std::nullopt;
}

std::vector<TileChoice> tileChoicesAt(const ApplicationState& state, std::int32_t x,
                                      std::int32_t y) {
    const TerrainMatrix& matrix = state.terrain.matrix;
    if (!state.terrain.terrainOpen || !matrix.contains(x, y)) {
        return {};
    }
    const HeldScripts scripts(state);
    return tilesThatFit(matrix, buildRepairTables(scripts.at), x, y);
}

std::string setTileOutcome(const SetTileRequest& request, const SetTileResult& r) {
    const auto faults = [](std::size_t n) {
        return n == 0 ? std::string("none") : countText(n, "fault", "faults");
    };
    return setTileWhat(request.x, request.y, r.from, request.tile) + "; it mends " +
           faults(r.effect.mended.size()) + " and makes " + faults(r.effect.made.size()) + ".";
}

bool setTileCommand(ApplicationState& state, const Platform& platform) {
    TilePick pick{state.tools.tileX, state.tools.tileY, 0};
    if (!state.terrain.matrix.contains(pick.x, pick.y)) {
        pick.x = state.terrain.matrix.width / 2; // the middle of the map, to begin with
        pick.y = state.terrain.matrix.height / 2;
    }
    if (!platform.pickTile || !platform.pickTile(pick)) {
        return false;
    }
    state.tools.tileX = pick.x;
    state.tools.tileY = pick.y;
    SetTileRequest request{pick.x, pick.y, pick.tile};
    request.announce = !platform.showStatus;
    const SetTileResult r = setTile(state, platform, request);
    if (r.terrainWritten && platform.showStatus) {
        std::string text = setTileOutcome(request, r);
        if (state.files.inputs.held.size() == 2) {
            text += " Written into " + fromFsPath(state.files.inputs.held[0].path) + " and " +
                    fromFsPath(state.files.inputs.held[1].path) + "; Edit > Undo takes it back.";
        }
        platform.showStatus(text);
    }
    return r.done;
}

SetTileResult setTile(ApplicationState& state, const Platform& platform,
                      const SetTileRequest& request) {
    SetTileResult r;
    if (const std::optional<std::string> problem = setTileProblem(state, request)) {
        showMessage(platform, *problem, texts::error, MessageIcon::Error);
        return r;
    }
    const HeldScripts scripts(state);
    r.scriptsMissing = scripts.missing;
    TerrainMatrix& matrix = state.terrain.matrix;
    std::uint32_t& tile = matrix.at(request.x, request.y).tileId;
    r.from = tile;
    r.effect = effectOfTile(matrix, scripts.at, request.x, request.y, request.tile);
    if (request.dryRun) {
        r.done = true;
        return r;
    }
    if (isMatrixFile(state.terrain.terrainPath)) {
        writeTerrainBack(state, platform, "changed", "set the tile", {}); // says why it cannot
        return r;
    }
    // The findings of the last audit no longer hold; it is run again on the changed terrain.
    const bool audited = state.audit.done;
    const std::string auditedSource = lastAuditSource(state);
    forgetAudit(state, platform);
    tile = request.tile;
    r.terrainWritten =
        writeTerrainBack(state, platform, "changed", "set the tile",
                         setTileWhat(request.x, request.y, r.from, request.tile), request.announce);
    if (!r.terrainWritten) {
        tile = r.from;
    }
    if (audited) {
        auditAgain(state, platform, auditedSource);
    }
    r.done = r.terrainWritten;
    return r;
}

namespace {

std::string faultsText(const std::vector<TerrainFault>& faults) {
    std::string text;
    for (const TerrainFault& f : faults) {
        text += (text.empty() ? "" : "; ") + faultText(f);
    }
    return text;
}

} // namespace

TileChoiceRow tileChoiceRow(const TileChoice& c) {
    TileChoiceRow row;
    row.tile = c.repair.to;
    row.text[0] = std::to_string(c.repair.to);
    row.text[1] = repairScriptName(c.script);
    row.text[2] = c.mended.empty() ? "nothing; makes no fault" : faultsText(c.mended);
    row.text[3] = std::to_string(c.repair.changedEdges);
    return row;
}

TilePickEffect tilePickEffect(ApplicationState& state, const Platform& platform, std::int32_t x,
                              std::int32_t y, std::string_view typed) {
    TilePickEffect e;
    const std::string text = trimBlanks(typed);
    if (text.empty()) {
        e.lines.push_back("Choose a tile above or type its ID.");
        return e;
    }
    std::uint64_t tile = 0;
    const bool number = text.size() <= 10 && std::all_of(text.begin(), text.end(), [](char c) {
                            return c >= '0' && c <= '9';
                        });
    if (number) {
        tile = std::stoull(text);
    }
    e.warning = true;
    if (!number || tile > 0xFFFFFFFFull) {
        e.lines.push_back(text + " is no tile ID.");
        return e;
    }
    const SetTileRequest request{x, y, static_cast<std::uint32_t>(tile), true};
    if (const std::optional<std::string> problem = setTileProblem(state, request)) {
        e.lines.push_back(*problem);
        return e;
    }
    e.warning = false;
    const SetTileResult r = setTile(state, platform, request);
    e.settable = r.done;
    e.tile = request.tile;
    e.lines.push_back(setTileOutcome(request, r));
    if (!r.effect.mended.empty()) {
        e.lines.push_back("Mends: " + faultsText(r.effect.mended));
    }
    if (!r.effect.made.empty()) {
        e.boldFrom = e.lines.size();
        e.lines.push_back("Makes: " + faultsText(r.effect.made) +
                          " (set all the same if you wish)");
        e.warning = true;
    }
    if (!r.scriptsMissing.empty()) {
        std::string missing;
        for (const std::string& name : r.scriptsMissing) {
            missing += (missing.empty() ? "" : ", ") + name;
        }
        e.lines.push_back("Not looked at: " + missing + " cannot be read from the start folder.");
    }
    return e;
}

} // namespace vantor
