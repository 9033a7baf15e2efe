#include "scans/bridge_placement.h"

#include "objectives/identifiers.h"

#include <optional>

namespace vantor {

namespace {

bool inRanges(const TileScript& script, std::uint32_t tile) {
    for (const TileIdRange& r : script.ranges) {
        if (static_cast<std::int64_t>(r.low) <= tile && tile <= static_cast<std::int64_t>(r.high)) {
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<BridgeTile> bridgeTileAt(const TileView& view, const TileScript& script,
                                       std::int32_t x, std::int32_t y) {
    const TerrainMatrix& m = view.matrix;
    if (!m.contains(x, y)) {
        return std::nullopt;
    }
    const std::uint32_t tile = view.at(x, y);
    if (tile < static_cast<std::uint32_t>(script.lowerBound) ||
        tile > static_cast<std::uint32_t>(script.upperBound) || !inRanges(script, tile)) {
        return std::nullopt;
    }
    const auto bridge = script.firstBridge.find(static_cast<std::int32_t>(tile));
    if (bridge == script.firstBridge.end()) {
        return std::nullopt;
    }
    BridgeTile found{x, y, tile, &script.tiles[bridge->second], false, nullptr};
    if (found.record->span == 2) {
        const auto [ox, oy] = farPostOf(*found.record, x, y);
        found.farTileMissing = !m.contains(ox, oy) || !isOpposingTile(script, view.at(ox, oy));
    }
    if (found.record->variable <= randomSelectVariables) {
        found.entries = &script.variables[found.record->variable];
    }
    return found;
}

std::pair<std::int32_t, std::int32_t> farPostOf(const TileRecord& record, std::int32_t x,
                                                std::int32_t y) {
    return record.direction == 'W' ? std::pair{x + 1, y} : std::pair{x, y + 1};
}

bool isOpposingTile(const TileScript& script, std::uint32_t tile) {
    return script.opposing.contains(static_cast<std::int32_t>(tile));
}

std::string bridgeObjectLine(const BridgeObject& b) {
    return "0, Bridge, XXXX, " + std::to_string(b.identifier) + ", " +
           std::to_string(b.objectiveType) + ", " + std::to_string(b.x) + ", " +
           std::to_string(b.y) + ",0,0,0,0, " + std::to_string(b.owner) + ", " +
           std::to_string(b.identifier) + ",0,0, " + std::to_string(b.supply) + ",0,0,1, " +
           std::to_string(b.priority) + ",0, " + std::to_string(b.controller) + ",0, 0 0,";
}

std::int32_t rotatingEntry(std::int32_t& selector, std::size_t count) {
    if (count == 1) {
        return 1;
    }
    ++selector;
    if (selector > static_cast<std::int64_t>(count)) {
        selector = 1;
    }
    return selector;
}

BridgePlacement placeBridges(const TerrainMatrix& m, const TileScript& script,
                             const MapArea& wanted, const BridgeValues& values,
                             std::int32_t& selector,
                             const std::function<void(const std::string&)>& onBridge,
                             const RowProgress& progress) {
    const MapArea area = clampedArea(wanted, m.width, m.height);
    const auto lower = static_cast<std::uint32_t>(script.lowerBound);
    const auto upper = static_cast<std::uint32_t>(script.upperBound);
    BridgePlacement result;
    std::int32_t counter = values.startingObjectId;
    bool stopRequested = false;
    for (std::int32_t y = area.startY; y <= area.endY; ++y) {
        for (std::int32_t x = area.startX; x <= area.endX; ++x) {
            const std::uint32_t tile = m.at(x, y).tileId;
            if (tile < lower || tile > upper) {
                continue;
            }
            counter = skipReservedIdentifiers(counter);
            const std::optional<BridgeTile> bridge = bridgeTileAt(TileView{m, {}}, script, x, y);
            if (!bridge) {
                continue;
            }
            if (bridge->farTileMissing) {
                ++result.rejected;
                result.rejections += "TileID = " + std::to_string(tile) +
                                     "\t X = " + std::to_string(x) + "\t Y= " + std::to_string(y) +
                                     "\r\n";
                continue;
            }
            // A bridge whose variable offers no object cannot be placed; it uses no identifier.
            const std::vector<RandomSelectEntry>* entries = bridge->entries;
            if (entries == nullptr || entries->empty()) {
                ++result.withoutEntries;
                continue;
            }
            if (values.placing) {
                const std::int32_t pick = rotatingEntry(selector, entries->size());
                const RandomSelectEntry& e = (*entries)[static_cast<std::size_t>(pick - 1)];
                onBridge(bridgeObjectLine({counter, e.objectiveType, x + e.xOffset, y + e.yOffset,
                                           values.owner, values.supply, values.priority,
                                           values.controller}));
            }
            ++counter;
            ++result.placed;
            if (counter > values.maximumObjectId) {
                result.overrun = identifierOverrun(counter);
                result.nextIdentifier = counter;
                return result;
            }
            const std::int32_t position =
                static_cast<std::int32_t>((std::int64_t{values.progressWidth} * y + x) / 256);
            stopRequested = (progress && progress(result.placed, position)) || stopRequested;
        }
        if (stopRequested) {
            result.stopped = true;
            break;
        }
    }
    result.nextIdentifier = counter;
    return result;
}

void forEachBridgeTile(const TerrainMatrix& m, const TileScript& script,
                       const std::function<void(const BridgeTile&)>& onTile) {
    const auto lower = static_cast<std::uint32_t>(script.lowerBound);
    const auto upper = static_cast<std::uint32_t>(script.upperBound);
    for (std::int32_t y = 0; y < m.height; ++y) {
        for (std::int32_t x = 0; x < m.width; ++x) {
            const std::uint32_t tile = m.at(x, y).tileId;
            if (tile < lower || tile > upper) {
                continue;
            }
            if (const std::optional<BridgeTile> bridge =
                    bridgeTileAt(TileView{m, {}}, script, x, y)) {
                onTile(*bridge);
            }
        }
    }
}

std::string bridgeRejectionsMessage(std::int32_t rejected) {
    return " " + std::to_string(rejected) +
           " Bridges rejected due to no opposing tile.\r\n Error report in NoOpposingTile.txt "
           "file.";
}

std::string bridgeSummary(const BridgePlacement& result, bool placing) {
    return " " + std::to_string(result.placed) +
           (placing ? " Bridges were placed." : " Bridges were found.") + "\r\n " +
           std::to_string(result.rejected) + " Rejected due to no opposing tile.";
}

} // namespace vantor
