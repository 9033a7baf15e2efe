#include "scans/bridge_placement.h"

#include "app/application_state.h"
#include "app/commands.h"
#include "app/dispatcher.h"
#include "app/list_flow.h"
#include "app/platform_calls.h"
#include "base/file_lookup.h"
#include "base/safe_writer.h"
#include "base/text_util.h"
#include "objectives/export_format.h"

#include <ctime>

namespace vantor {

namespace {

std::string n(std::int64_t v) {
    return std::to_string(v);
}

bool inRanges(const TileScript& script, std::uint32_t tile) {
    for (const TileIdRange& r : script.ranges) {
        if (static_cast<std::int64_t>(r.low) <= tile && tile <= static_cast<std::int64_t>(r.high)) {
            return true;
        }
    }
    return false;
}

bool isOpposingTile(const TileScript& script, std::uint32_t tile) {
    return script.opposing.contains(static_cast<std::int32_t>(tile));
}

} // namespace

std::int32_t skipReservedIdentifiers(std::int32_t id) {
    if (id == 3800) {
        return 18579;
    }
    if (id == 18630) {
        return 21000;
    }
    return id;
}

std::string bridgeObjectLine(const BridgeObject& b) {
    return "0, Bridge, XXXX, " + n(b.identifier) + ", " + n(b.objectiveType) + ", " + n(b.x) +
           ", " + n(b.y) + ",0,0,0,0, " + n(b.owner) + ", " + n(b.identifier) + ",0,0, " +
           n(b.supply) + ",0,0,1, " + n(b.priority) + ",0, " + n(b.controller) + ",0, 0 0,";
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

std::int32_t runBridgePlacement(ApplicationState& state, const Platform& platform) {
    const TerrainMatrix& m = state.matrix;
    const TileScript& script = state.script;
    const ScanParameters& p = state.scan;
    const bool write = state.writeToFile && state.outputFile.isOpen();
    std::FILE* out = state.outputFile.handle.get();
    const std::string eol = platformLineEnd;

    std::int32_t counter = p.startingObjectId;
    std::int32_t placed = 0;
    std::int32_t rejected = 0;
    std::int32_t withoutEntries = 0;
    std::string rejections;
    state.abortRequested = false;
    state.progress.objectsCounted = 0;

    if (write && !state.appendToOutput) {
        writeText(out, std::string(exportTitle) + " " + titleTime(std::time(nullptr)) + eol +
                           exportColumnLine + eol);
    }

    const std::int32_t x0 = std::max(p.startMapX, 0);
    const std::int32_t y0 = std::max(p.startMapY, 0);
    const std::int32_t x1 = std::min(state.theater.lastMapX, m.width - 1);
    const std::int32_t y1 = std::min(state.theater.lastMapY, m.height - 1);
    const auto lower = static_cast<std::uint32_t>(script.lowerBound);
    const auto upper = static_cast<std::uint32_t>(script.upperBound);
    bool overrun = false;
    for (std::int32_t y = y0; y <= y1 && !overrun; ++y) {
        for (std::int32_t x = x0; x <= x1; ++x) {
            const std::uint32_t tile = m.at(x, y).tileId;
            if (tile < lower || tile > upper) {
                continue;
            }
            counter = skipReservedIdentifiers(counter);
            if (!inRanges(script, tile)) {
                continue;
            }
            const auto bridge = script.firstBridge.find(static_cast<std::int32_t>(tile));
            if (bridge == script.firstBridge.end()) {
                continue;
            }
            const TileRecord& record = script.tiles[bridge->second];
            if (record.span == 2) {
                const std::int32_t ox = record.direction == 'W' ? x + 1 : x;
                const std::int32_t oy = record.direction == 'W' ? y : y + 1;
                if (!m.contains(ox, oy) || !isOpposingTile(script, m.at(ox, oy).tileId)) {
                    ++rejected;
                    rejections +=
                        "TileID = " + n(tile) + "\t X = " + n(x) + "\t Y= " + n(y) + "\r\n";
                    continue;
                }
            }
            // A bridge whose variable offers no object cannot be placed; it uses no identifier.
            const std::vector<RandomSelectEntry>* entries = record.variable <= randomSelectVariables
                                                                ? &script.variables[record.variable]
                                                                : nullptr;
            if (entries == nullptr || entries->empty()) {
                ++withoutEntries;
                continue;
            }
            if (write) {
                const std::int32_t pick = rotatingEntry(state.bridgeSelector, entries->size());
                const RandomSelectEntry& e = (*entries)[static_cast<std::size_t>(pick - 1)];
                const std::string line =
                    bridgeObjectLine({counter, e.objectiveType, x + e.xOffset, y + e.yOffset,
                                      p.owner, p.supply, p.priority, p.controller});
                writeText(out, line + eol);
                addRow(state.list, line, platform);
                if (platform.listChanged) {
                    platform.listChanged(ListChange::RowsAdded);
                }
            }
            ++counter;
            if (counter > p.maximumObjectId) {
                ++placed;
                state.progress.objectsCounted = placed;
                showMessage(platform,
                            formatWithInt("ID number %d exceeds the maximum useable ID number. "
                                          "Aborting placements",
                                          counter),
                            "ID Number Overrun", MessageIcon::Error);
                state.abortRequested = true;
                overrun = true;
                break;
            }
            ++placed;
            state.progress.objectsCounted = placed;
            state.progress.position = static_cast<std::int32_t>(
                (std::int64_t{state.theater.xTiles} * state.theater.xSections * y + x) / 256);
            dispatchCommand(state, platform, cmd::ProgressReport);
        }
        if (state.abortRequested) {
            break;
        }
    }

    bool rejectionsWritten = true;
    if (rejected != 0) {
        SafeWriter file;
        if (beginSafeWrite(file, findInFolder(state.startDirectory, rejectionFileName)) &&
            safeWrite(file, rejections.data(), rejections.size()) && commitSafeWrite(file)) {
            showMessage(platform,
                        " " + n(rejected) +
                            " Bridges rejected due to no opposing tile.\r\n Error report in "
                            "NoOpposingTile.txt file.",
                        "No Opposing Bridge Tile Errors", MessageIcon::Information);
        } else {
            abandonSafeWrite(file);
            rejectionsWritten = false;
            showMessage(platform, "Cannot write " + fromFsPath(file.target) + ": " + file.error,
                        "Error", MessageIcon::Error);
        }
    }
    if (withoutEntries != 0) {
        showMessage(platform,
                    " " + n(withoutEntries) +
                        " Bridges skipped: their script variable has no objects to place.",
                    "Bridge Placement", MessageIcon::Warning);
    }
    const bool reportSaved = !write || saveReportOutputs(state, platform);
    // The command fails when either file could not be written; each said why.
    state.outputFailed = !reportSaved || !rejectionsWritten;
    if (write && reportSaved) {
        showMessage(platform,
                    " " + n(placed) + " Bridges were placed.\r\n " + n(rejected) +
                        " Rejected due to no opposing tile.",
                    "Bridge Placement Finished", MessageIcon::Information);
        state.scan.startingObjectId = counter;
    } else if (!write) {
        showMessage(platform,
                    " " + n(placed) + " Bridges were found.\r\n " + n(rejected) +
                        " Rejected due to no opposing tile.",
                    "Bridge Placement Finished", MessageIcon::Information);
    }
    clearTileScript(state.script, ScriptKind::Bridge);
    state.scriptLoaded = false;
    state.abortRequested = false;
    return placed;
}

} // namespace vantor
