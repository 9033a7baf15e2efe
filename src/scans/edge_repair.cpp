#include "scans/edge_repair.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <tuple>

namespace vantor {

namespace {

constexpr std::array<RepairScript, 3> edgeScripts{RepairScript::Road, RepairScript::River,
                                                  RepairScript::Transition};

std::size_t indexOf(RepairScript which) {
    return static_cast<std::size_t>(which);
}

std::uint8_t maskOf(const TileScript& script, std::uint32_t tile) {
    const TileRecord* record = findTile(script, static_cast<std::int32_t>(tile));
    return record == nullptr ? 0 : static_cast<std::uint8_t>(record->edgeMask & 15);
}

// The edges the four neighbours of (x, y) offer it: those whose tile, in the script, has the
// edge that faces the post. A neighbour off the map offers none.
std::uint8_t offeredEdges(const TileView& view, const TileScript& script, std::int32_t x,
                          std::int32_t y) {
    std::uint8_t offered = 0;
    for (int d = 1; d <= 4; ++d) {
        const auto [dx, dy] = stepTowards(d);
        const std::int64_t nx = std::int64_t{x} + dx;
        const std::int64_t ny = std::int64_t{y} + dy;
        if (!view.matrix.contains(nx, ny)) {
            continue;
        }
        const TileRecord* record =
            findTile(script, static_cast<std::int32_t>(view.at(static_cast<std::int32_t>(nx),
                                                               static_cast<std::int32_t>(ny))));
        if (record != nullptr && (record->edgeMask & oppositeEdgeBit(d)) != 0) {
            offered = static_cast<std::uint8_t>(offered | edgeBit(d));
        }
    }
    return offered;
}

// What putting `to` on (x, y) does to the neighbourhood: the faults it mends, or none when it
// makes a new one.
std::optional<int> faultsMended(const TerrainMatrix& m, const RepairScripts& scripts,
                                const std::vector<TerrainFault>& before, std::int32_t x,
                                std::int32_t y, std::uint32_t to) {
    const std::vector<TerrainFault> after =
        faultsAround(TileView{m, TileChange{x, y, to}}, scripts, x, y);
    std::vector<TerrainFault> made;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(made));
    if (!made.empty()) {
        return std::nullopt;
    }
    std::vector<TerrainFault> mended;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(),
                        std::back_inserter(mended));
    return static_cast<int>(mended.size());
}

std::uint32_t distanceBetween(std::uint32_t a, std::uint32_t b) {
    return a > b ? a - b : b - a;
}

// The order of the suggestions: more mended, the post's own tile set, fewer edges changed, the
// nearer tile id, the post at fault first.
bool rankedBefore(const TileRepair& a, const TileRepair& b) {
    const auto key = [](const TileRepair& r) {
        return std::tuple(-r.mended, r.to / 1000 != r.from / 1000, r.changedEdges,
                          distanceBetween(r.to, r.from), r.direction != 0, r.to);
    };
    return key(a) < key(b);
}

struct Tried {
    bool fitted = false; // some tile agreed with the neighbours
    bool refused = false;
};

// The tiles of the script that agree with the neighbours of (x, y), each tried on the post.
Tried tryPost(const TerrainMatrix& m, const RepairTables& tables, RepairScript which,
              std::int32_t x, std::int32_t y, int direction, std::vector<TileRepair>& repairs) {
    Tried tried;
    const TileScript& script = *scriptFor(tables.scripts, which);
    const TileView view{m, {}};
    const std::uint32_t now = view.at(x, y);
    const std::uint8_t offered = offeredEdges(view, script, x, y);
    const std::uint8_t mask = maskOf(script, now);
    const std::vector<TerrainFault> before = faultsAround(view, tables.scripts, x, y);
    for (const std::uint32_t tile : tables.byMask[indexOf(which)][offered]) {
        if (tile == now) {
            continue;
        }
        tried.fitted = true;
        const std::optional<int> mended = faultsMended(m, tables.scripts, before, x, y, tile);
        if (!mended || *mended == 0) {
            tried.refused = tried.refused || !mended;
            continue;
        }
        repairs.push_back({x, y, now, tile, direction,
                           std::popcount(static_cast<unsigned>(mask ^ offered)), *mended});
    }
    return tried;
}

} // namespace

const TileScript* scriptFor(const RepairScripts& s, RepairScript which) {
    switch (which) {
    case RepairScript::Road:
        return s.road;
    case RepairScript::River:
        return s.river;
    case RepairScript::Transition:
        return s.transition;
    case RepairScript::Bridge:
        return s.bridge;
    }
    return nullptr;
}

const char* directionName(int direction) {
    switch (direction) {
    case 1:
        return "West";
    case 2:
        return "North";
    case 3:
        return "East";
    case 4:
        return "South";
    default:
        return "";
    }
}

TileEffect effectOfTile(const TerrainMatrix& m, const RepairScripts& scripts, std::int32_t x,
                        std::int32_t y, std::uint32_t tile) {
    const std::vector<TerrainFault> before = faultsAround(TileView{m, {}}, scripts, x, y);
    const std::vector<TerrainFault> after =
        faultsAround(TileView{m, TileChange{x, y, tile}}, scripts, x, y);
    TileEffect effect;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(),
                        std::back_inserter(effect.mended));
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(effect.made));
    return effect;
}

std::vector<TileChoice> tilesThatFit(const TerrainMatrix& m, const RepairTables& tables,
                                     std::int32_t x, std::int32_t y) {
    std::vector<TileChoice> choices;
    const TileView view{m, {}};
    const std::uint32_t now = view.at(x, y);
    for (const RepairScript which : edgeScripts) {
        const TileScript* script = scriptFor(tables.scripts, which);
        if (script == nullptr) {
            continue;
        }
        const std::uint8_t offered = offeredEdges(view, *script, x, y);
        const std::uint8_t mask = maskOf(*script, now);
        for (const std::uint32_t tile : tables.byMask[indexOf(which)][offered]) {
            const bool listed = std::any_of(choices.begin(), choices.end(),
                                            [tile](const auto& c) { return c.repair.to == tile; });
            if (tile == now || listed) {
                continue;
            }
            TileEffect effect = effectOfTile(m, tables.scripts, x, y, tile);
            if (!effect.made.empty()) {
                continue;
            }
            TileChoice& choice = choices.emplace_back();
            choice.repair = {x,
                             y,
                             now,
                             tile,
                             0,
                             std::popcount(static_cast<unsigned>(mask ^ offered)),
                             static_cast<int>(effect.mended.size())};
            choice.script = which;
            choice.mended = std::move(effect.mended);
        }
    }
    std::stable_sort(choices.begin(), choices.end(), [](const TileChoice& a, const TileChoice& b) {
        return rankedBefore(a.repair, b.repair);
    });
    return choices;
}

std::string faultText(const TerrainFault& f) {
    const std::string where = std::to_string(f.x) + "," + std::to_string(f.y);
    if (f.script == RepairScript::Bridge) {
        return "two-tile bridge at " + where + " without its far tile";
    }
    return std::string(repairScriptName(f.script)) + " break to the " + directionName(f.direction) +
           " of " + where;
}

const char* repairScriptName(RepairScript script) {
    switch (script) {
    case RepairScript::Road:
        return "road";
    case RepairScript::River:
        return "river";
    case RepairScript::Transition:
        return "transition";
    case RepairScript::Bridge:
        return "bridge";
    }
    return "";
}

std::vector<TerrainFault> faultsAround(const TileView& view, const RepairScripts& scripts,
                                       std::int32_t x, std::int32_t y) {
    std::vector<TerrainFault> faults;
    const std::array<std::pair<std::int32_t, std::int32_t>, 5> cross{
        {{x, y}, {x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}}};
    for (const RepairScript which : edgeScripts) {
        const TileScript* script = scriptFor(scripts, which);
        if (script == nullptr) {
            continue;
        }
        for (const auto& [px, py] : cross) {
            postEdgeBreaks(view, *script, px, py, [&](const EdgeBreak& b) {
                faults.push_back({which, b.mapX, b.mapY, b.direction});
            });
        }
    }
    if (scripts.bridge != nullptr) {
        // The post's own bridge, and those whose far post it may be.
        for (const auto& [px, py] : {std::pair{x, y}, std::pair{x - 1, y}, std::pair{x, y - 1}}) {
            const std::optional<BridgeTile> bridge = bridgeTileAt(view, *scripts.bridge, px, py);
            if (bridge && bridge->farTileMissing) {
                faults.push_back({RepairScript::Bridge, px, py, 0});
            }
        }
    }
    std::sort(faults.begin(), faults.end());
    faults.erase(std::unique(faults.begin(), faults.end()), faults.end());
    return faults;
}

RepairTables buildRepairTables(const RepairScripts& scripts) {
    RepairTables tables;
    tables.scripts = scripts;
    for (const RepairScript which : edgeScripts) {
        const TileScript* script = scriptFor(scripts, which);
        if (script == nullptr) {
            continue;
        }
        auto& byMask = tables.byMask[indexOf(which)];
        for (const auto& [tile, first] : script->firstRecord) {
            byMask[script->tiles[first].edgeMask & 15].push_back(static_cast<std::uint32_t>(tile));
        }
        for (auto& tiles : byMask) {
            std::sort(tiles.begin(), tiles.end());
        }
    }
    if (scripts.bridge != nullptr) {
        for (const auto& [tile, isOpposing] : scripts.bridge->opposing) {
            if (isOpposing) {
                tables.opposingTiles.push_back(static_cast<std::uint32_t>(tile));
            }
        }
        std::sort(tables.opposingTiles.begin(), tables.opposingTiles.end());
    }
    return tables;
}

EdgeRepairs suggestEdgeRepairs(const TerrainMatrix& m, const RepairTables& tables,
                               RepairScript which, const EdgeBreak& broken, std::size_t most) {
    EdgeRepairs result;
    if (which == RepairScript::Bridge || scriptFor(tables.scripts, which) == nullptr ||
        !m.contains(broken.mapX, broken.mapY)) {
        return result;
    }
    std::vector<TileRepair> atPost;
    const Tried post = tryPost(m, tables, which, broken.mapX, broken.mapY, 0, atPost);
    const auto [dx, dy] = stepTowards(broken.direction);
    const std::int64_t nx = std::int64_t{broken.mapX} + dx;
    const std::int64_t ny = std::int64_t{broken.mapY} + dy;
    std::vector<TileRepair> atNeighbour;
    Tried neighbour;
    result.neighbourOnMap = m.contains(nx, ny);
    if (result.neighbourOnMap) {
        neighbour = tryPost(m, tables, which, static_cast<std::int32_t>(nx),
                            static_cast<std::int32_t>(ny), broken.direction, atNeighbour);
    }
    result.postFits = !atPost.empty();
    result.neighbourFits = !atNeighbour.empty();
    result.refused =
        (post.refused && !result.postFits) || (neighbour.refused && !result.neighbourFits);
    result.repairs = std::move(atPost);
    result.repairs.insert(result.repairs.end(), atNeighbour.begin(), atNeighbour.end());
    std::stable_sort(result.repairs.begin(), result.repairs.end(), rankedBefore);
    if (result.repairs.size() > most) {
        result.repairs.resize(most);
    }
    return result;
}

FarTileRepairs suggestFarTile(const TerrainMatrix& m, const RepairTables& tables,
                              const BridgeTile& bridge, std::size_t most) {
    FarTileRepairs result;
    if (tables.scripts.bridge == nullptr || bridge.record == nullptr) {
        return result;
    }
    const auto [fx, fy] = farPostOf(*bridge.record, bridge.x, bridge.y);
    result.x = fx;
    result.y = fy;
    result.direction = fx != bridge.x ? 3 : 2;
    result.onMap = m.contains(fx, fy);
    if (!result.onMap) {
        return result;
    }
    const TileView view{m, {}};
    const std::uint32_t now = view.at(fx, fy);
    const std::vector<TerrainFault> before = faultsAround(view, tables.scripts, fx, fy);
    std::vector<std::pair<bool, TileRepair>> found; // with whether its letter is another
    for (const std::uint32_t tile : tables.opposingTiles) {
        const std::optional<int> mended = faultsMended(m, tables.scripts, before, fx, fy, tile);
        if (!mended || *mended == 0) {
            result.refused = true;
            continue;
        }
        char letter = 0;
        for (const TileRecord& r : tables.scripts.bridge->tiles) {
            if (r.tileId == static_cast<std::int32_t>(tile) && r.span < 0) {
                letter = r.direction;
                break;
            }
        }
        found.push_back({letter != bridge.record->direction,
                         {fx, fy, now, tile, result.direction, 0, *mended}});
    }
    std::stable_sort(found.begin(), found.end(), [&](const auto& a, const auto& b) {
        return std::tuple(a.first, -a.second.mended, distanceBetween(a.second.to, bridge.tileId)) <
               std::tuple(b.first, -b.second.mended, distanceBetween(b.second.to, bridge.tileId));
    });
    for (const auto& [otherLetter, repair] : found) {
        if (result.repairs.size() < most) {
            result.repairs.push_back(repair);
        }
    }
    result.refused = result.refused && result.repairs.empty();
    return result;
}

} // namespace vantor
