#include "audit/repair_text.h"

#include "objectives/list_model.h"

#include <cstdio>

namespace vantor {

namespace {

std::string postText(std::int32_t x, std::int32_t y) {
    return "Map X " + std::to_string(x) + ", Map Y " + std::to_string(y);
}

std::string plural(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

std::string edgeBreakDetail(const EdgeBreak& b, ListKind listKind) {
    return "tile " + std::to_string(b.tileId) + ": " +
           reportErrorText(static_cast<std::uint16_t>(b.direction), listKind, false);
}

std::string farTileMissingDetail(std::uint32_t tileId) {
    return "two-tile bridge tile " + std::to_string(tileId) +
           " without its far tile (placing bridges rejects it)";
}

std::string tileRepairText(const TileRepair& r, bool farTile) {
    std::string where = farTile ? "at the bridge's far post"
                        : r.direction == 0
                            ? "on the post"
                            : std::string("on the neighbour to the ") + directionName(r.direction);
    std::string text = "tile " + std::to_string(r.to) + " " + where + " (" + postText(r.x, r.y) +
                       ", now tile " + std::to_string(r.from) + "): mends " +
                       plural(r.mended, "fault", "faults");
    if (!farTile) {
        text += ", changes " + plural(r.changedEdges, "edge", "edges");
    }
    return text;
}

std::string edgeRepairNote(const EdgeRepairs& found, int direction) {
    const std::string neighbour = std::string("the neighbour to the ") + directionName(direction);
    const char* elsewhere = found.refused ? " without breaking another script" : "";
    if (found.postFits) {
        return {};
    }
    if (found.neighbourFits) {
        return "no tile of the script fits the post; changing " + neighbour + " instead would";
    }
    if (!found.neighbourOnMap) {
        return std::string("no tile of the script fits the post") + elsewhere + " (" + neighbour +
               " is off the map)";
    }
    return std::string("no tile of the script fits the post or ") + neighbour + elsewhere;
}

std::string farTileNote(const FarTileRepairs& found) {
    const std::string where = "the far tile belongs at " + postText(found.x, found.y) + ", " +
                              (found.direction == 3 ? "east" : "north") + " of the bridge";
    if (!found.onMap) {
        return where + ", off the map";
    }
    if (found.repairs.empty()) {
        return where + "; no far tile of the bridge script fits there" +
               (found.refused ? " without breaking another script" : "");
    }
    return {};
}

} // namespace vantor
