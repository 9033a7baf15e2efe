#pragma once

#include "base/map_area.h"
#include "base/message.h"
#include "scans/tile_script.h"
#include "scans/tile_view.h"
#include "terrain/terrain_matrix.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace vantor {

struct BridgeObject {
    std::int32_t identifier = 0;
    std::int32_t objectiveType = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t owner = 1;
    std::int32_t supply = 235;
    std::int32_t priority = 20;
    std::int32_t controller = 1;
};

// One bridge objective in the export format, without its line end.
std::string bridgeObjectLine(const BridgeObject& bridge);

// The rotating selector: the 1-based entry of a variable with n entries.
std::int32_t rotatingEntry(std::int32_t& selector, std::size_t n);

inline constexpr const char* rejectionFileName = "NoOpposingTile.txt";

// The values a placement gives its objects, and whether it places them (writes their lines) or
// only counts them.
struct BridgeValues {
    std::int32_t startingObjectId = 6000;
    std::int32_t maximumObjectId = 65536;
    std::int32_t owner = 1;
    std::int32_t supply = 235;
    std::int32_t priority = 20;
    std::int32_t controller = 1;
    bool placing = true;
    std::int32_t progressWidth = 0; // the theater's X Map Extent, for the bar's position
};

struct BridgePlacement {
    std::int32_t placed = 0; // placed, or found when nothing is placed
    std::int32_t rejected = 0;
    std::int32_t withoutEntries = 0;
    std::string rejections; // the lines of NoOpposingTile.txt
    std::int32_t nextIdentifier = 0;
    bool stopped = false; // the user asked to stop
    std::optional<MessageBoxRequest> overrun;
};

// Bridge placement over the area (kept on the map) with a loaded bridge script: every bridge
// tile gets an objective from its variable (the rotating selector picks the entry), handed to
// onBridge as its export line; a two-tile bridge without its far tile is rejected. progress
// hears the count and the bar's position after each bridge; a true answer ends the walk at the
// end of that row. An identifier past the maximum ends it at once with its overrun message.
BridgePlacement placeBridges(const TerrainMatrix& matrix, const TileScript& script,
                             const MapArea& area, const BridgeValues& values,
                             std::int32_t& selector,
                             const std::function<void(const std::string&)>& onBridge,
                             const RowProgress& progress = {});

// A bridge tile of the whole map as the placement sees it, without placing anything: its
// script record, whether a two-tile bridge lacks its far tile (the placement rejects it), and
// the entries of its variable (null or empty: nothing could be placed there).
struct BridgeTile {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t tileId = 0;
    const TileRecord* record = nullptr;
    bool farTileMissing = false;
    const std::vector<RandomSelectEntry>* entries = nullptr;
};
void forEachBridgeTile(const TerrainMatrix& matrix, const TileScript& script,
                       const std::function<void(const BridgeTile&)>& onTile);

// The bridge the script makes of the post's tile as the view shows it (within the script's
// bounds and ranges), if it makes one.
std::optional<BridgeTile> bridgeTileAt(const TileView& view, const TileScript& script,
                                       std::int32_t x, std::int32_t y);
// Where a two-tile bridge's far tile belongs: east of it for direction letter W, else north.
std::pair<std::int32_t, std::int32_t> farPostOf(const TileRecord& record, std::int32_t x,
                                                std::int32_t y);
// A tile the script lists as the far side of a two-tile bridge (a negative span).
bool isOpposingTile(const TileScript& script, std::uint32_t tile);

// The messages of the placement's end.
std::string bridgeRejectionsMessage(std::int32_t rejected);
std::string bridgeSummary(const BridgePlacement& result, bool placing);

} // namespace vantor
