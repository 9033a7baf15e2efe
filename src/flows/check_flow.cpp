#include "flows/check_flow.h"

#include "app/application_state.h"
#include "app/commands.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "app/version.h"
#include "base/file_lookup.h"
#include "base/input_file.h"
#include "base/safe_writer.h"
#include "base/text_util.h"
#include "checks/checked_export.h"
#include "checks/object_check.h"
#include "flows/audit_flow.h"
#include "flows/dispatcher.h"
#include "flows/flow_files.h"
#include "flows/scan_flow.h"
#include "flows/terrain_flow.h"
#include "terrain/l2_reader.h"
#include "terrain/terrain_writer.h"

#include <ctime>

namespace vantor {

namespace {

constexpr const char* noTerrainForObjects =
    "Cannot scan Objects until the terrain file (L2) is opened.";

// Progress of a check after each row: stops when the user asked, else shows the count.
RowProgress checkProgress(ApplicationState& state, const Platform& platform) {
    return [&state, &platform](std::int32_t counted, std::int32_t position) {
        if (state.progress.abortRequested) {
            return true;
        }
        state.progress.counters.objectsCounted = counted;
        state.progress.counters.position = position;
        dispatchCommand(state, platform, cmd::ProgressReport);
        return false;
    };
}

// The grid of the open terrain with the source's objects on it; false when the build was
// stopped or the source holds no objects.
bool loadCheckObjects(ApplicationState& state, const Platform& platform, OccupancyGrid& grid,
                      CheckObjects& objects) {
    state.progress.abortRequested = false;
    state.progress.counters.sectionsCompleted = 0;
    if (!buildOccupancyGrid(state.terrain.matrix, grid, [&state](std::int32_t sections) {
            state.progress.counters.sectionsCompleted = sections;
            return state.progress.abortRequested;
        })) {
        return false;
    }
    MultipleObjects multiple;
    const ObjectTableLoad load =
        loadObjectTable(state.files.toolSourceFile, objects.table,
                        [&](std::size_t at) { placeObject(grid, objects.table, at, multiple); });
    if (load.count == 0) {
        return false;
    }
    state.scan.parameters.startingObjectId = load.nextIdentifier;
    if (multiple.placed < multiple.read && state.list.listKind != ListKind::AirbaseLevelling) {
        SafeWriter report;
        const std::filesystem::path path =
            findInFolder(state.folders.startDirectory, multiObjectReportName);
        if (!beginSafeWrite(report, path) || !safeWrite(report, multiple.report) ||
            !commitSafeWrite(report)) {
            abandonSafeWrite(report);
            showMessage(platform, "Cannot write " + fromFsPath(report.target) + ": " + report.error,
                        texts::error, MessageIcon::Error);
            return false;
        }
        showMessage(platform,
                    multipleObjectsMessage(multiple) + "\r\n Written to " +
                        fromFsPath(report.target) + ".",
                    "Multiple Objects per Tile", MessageIcon::Information);
    }
    return true;
}

// The checked master export of the check's objects into a file the user names.
bool writeCheckedMasterExport(ApplicationState& state, const Platform& platform,
                              const CheckObjects& objects) {
    SafeWriter out;
    if (!beginToolOutput(state, platform, out)) {
        return false;
    }
    if (!state.reference.ocdList.loaded) {
        std::string ignored; // without the list new objects get zeros, and that is all
        loadOcdList(state.reference.ocdList, state.folders.startDirectory, ignored);
    }
    const RadarWalk walk =
        makeRadarWalk(state.tools.radarSettings, state.theater.lastMapX, state.terrain.matrix);
    const CheckedExport result =
        writeCheckedExport(state.files.toolSourceFile, out, objects, state.reference.ocdList, walk,
                           titleTimeFor(state, state.files.sourcePath));
    if (!result.ok && !result.writeFailed) {
        abandonSafeWrite(out); // the source lacks its first two lines
        return false;
    }
    if (!finishToolOutput(state, platform, out, result.writeFailed)) {
        return false;
    }
    showMessage(platform, checkedExportMessage(result), "TAC Objects Check Completed.",
                MessageIcon::Information);
    return true;
}

// Ends a check: an overrun is told and stops the writing; an abort stops it silently.
void endCheck(ApplicationState& state, const Platform& platform, const CheckEnd& end) {
    if (end.overrun) {
        showMessage(platform, *end.overrun);
        state.progress.abortRequested = true;
    }
}

// A reference list that is missing gets the suite's own message. One that is there but cannot be
// used is not called missing: the message says what is wrong with it and keeps the advice.
void showListProblem(const Platform& platform, const std::string& name,
                     const std::string& missingText, const std::string& problem) {
    if (problem.empty()) {
        showMessage(platform, missingText, "Missing File", MessageIcon::Warning);
        return;
    }
    std::string text = missingText;
    const std::string missing = name + " missing.";
    if (text.rfind(missing, 0) == 0) {
        text.replace(0, missing.size(), name + " cannot be used (" + problem + ").");
    }
    showMessage(platform, text, texts::error, MessageIcon::Error);
}

// True when the check ran to its summary.
bool runCityCheckStep(ApplicationState& state, const Platform& platform, OccupancyGrid& grid,
                      CheckObjects& objects) {
    std::string problem;
    if (!state.reference.ocdList.loaded &&
        !loadOcdList(state.reference.ocdList, state.folders.startDirectory, problem)) {
        showListProblem(platform, ocdListName,
                        "OCDList.dat missing.  To generate list: Copy Falcon4.ocd to this "
                        "folder.\r\n Select Help/HowTo/Place Objects from menu.  Run City check "
                        "again.",
                        problem);
        return false;
    }
    if (!state.reference.tileInfo.loaded &&
        !loadTileInfoList(state.reference.tileInfo, state.folders.startDirectory, problem)) {
        showListProblem(platform, tileInfoName,
                        "TileInfo.dat missing.  To generate list: Copy TileInfo.dat to this "
                        "folder.\r\n If not available, run Trellon and load Texture.bin.  Check "
                        "again.",
                        problem);
        return false;
    }
    state.progress.abortRequested = false;
    const CityCheckResult result = runCityCheck(
        grid, objects,
        {state.reference.ocdList, state.reference.tileInfo, state.reference.cityTables},
        searchArea(state),
        {state.scan.parameters.startingObjectId, state.scan.parameters.maximumObjectId},
        state.reference.rotatingPick, checkProgress(state, platform));
    if (result.end.stopped) {
        endCheck(state, platform, result.end);
        return false;
    }
    showMessage(platform, citySummary(result.counts), "Object Check Finished",
                MessageIcon::Information);
    state.scan.parameters.startingObjectId = static_cast<std::int32_t>(result.end.nextIdentifier);
    state.scan.scriptLoaded = false;
    state.progress.abortRequested = false;
    return true;
}

bool runObjectCheckStep(ApplicationState& state, const Platform& platform, OccupancyGrid& grid,
                        CheckObjects& objects) {
    state.progress.abortRequested = false;
    const ObjectCheckResult result = runObjectCheck(
        grid, objects, state.scan.script, searchArea(state), state.scan.parameters.searchRange,
        {state.scan.parameters.startingObjectId, state.scan.parameters.maximumObjectId},
        checkProgress(state, platform));
    if (result.end.stopped) {
        endCheck(state, platform, result.end);
        return false;
    }
    showMessage(platform, objectCheckSummary(result.counts), "Object Check Finished",
                MessageIcon::Information);
    state.scan.parameters.startingObjectId = static_cast<std::int32_t>(result.end.nextIdentifier);
    emptyTileTable(state.scan.script);
    state.scan.script.checkers.clear();
    state.scan.scriptLoaded = false;
    state.progress.abortRequested = false;
    return true;
}

bool loadObjectCheckerScript(ApplicationState& state, const Platform& platform) {
    const ScriptLoad load =
        loadTileScript(state.scan.script, ScriptKind::Checker, state.folders.startDirectory);
    showMessages(platform, load.messages);
    return load.ok;
}

bool loadCityTables(ApplicationState& state, const Platform& platform) {
    const CityTablesLoad load =
        loadCityTileTables(state.reference.cityTables, state.folders.startDirectory);
    showMessages(platform, load.messages);
    return load.ok;
}

// The steps every check shares before its walk: the source asked for and opened, the script
// loaded, the grid built and the objects placed on it. False (source closed) when one fails.
template <class LoadScript>
bool prepareCheck(ApplicationState& state, const Platform& platform, LoadScript&& loadScript,
                  OccupancyGrid& grid, CheckObjects& objects) {
    if (!openToolSource(state, platform)) {
        state.files.toolSourceFile.close();
        return false;
    }
    state.scan.appendToOutput = false;
    state.scan.scriptLoaded = false;
    if (!loadScript()) {
        state.files.toolSourceFile.close();
        return false;
    }
    state.scan.scriptLoaded = true;
    if (!loadCheckObjects(state, platform, grid, objects)) {
        state.files.toolSourceFile.close();
        return false;
    }
    return true;
}

// The flow the object check and the city and junction check share.
bool objectCheckFlow(ApplicationState& state, const Platform& platform, bool cityCheck) {
    if (!state.terrain.terrainOpen) {
        showMessage(platform, noTerrainForObjects, texts::information, MessageIcon::Warning);
        return false;
    }
    const ListKind listKind = cityCheck ? ListKind::CityJunction : ListKind::CheckedMasterExport;
    state.progress.progressState = ProgressState::Objects;
    state.list.listKind = listKind;
    state.list.listMode = ListMode::Objects;
    if (!showScanParameters(state, platform)) {
        return false;
    }
    OccupancyGrid grid;
    CheckObjects objects;
    const auto loadScript = [&] {
        return cityCheck ? loadCityTables(state, platform)
                         : loadObjectCheckerScript(state, platform);
    };
    if (!prepareCheck(state, platform, loadScript, grid, objects)) {
        return false;
    }
    state.progress.counters.objectsCounted = 0;
    state.progress.counters.position = 0;
    openProgress(state, platform);
    bool done = cityCheck ? runCityCheckStep(state, platform, grid, objects)
                          : runObjectCheckStep(state, platform, grid, objects);
    closeProgress(state, platform);
    // A city check that found no reference list still writes the objects as they were.
    if (state.scan.writeToFile && !state.progress.abortRequested) {
        state.list.listKind = listKind;
        done = writeCheckedMasterExport(state, platform, objects) && done;
    }
    closeToolFiles(state);
    return done;
}

// The airbase script from the start folder; in the airbase batch mode a missing one is asked
// for, and its folder becomes the start folder.
bool loadAirbaseScript(ApplicationState& state, const Platform& platform) {
    std::filesystem::path path = findInFolder(state.folders.startDirectory, airbaseScriptName);
    std::string text;
    std::string error;
    const bool found = readTextFile(path, text, error);
    if (!found && state.runMode != RunMode::AirbaseBatch) {
        showMessage(platform, withReason(" Could not open script file: " + fromFsPath(path), error),
                    "Missing Script File", MessageIcon::Error);
        return false;
    }
    if (!found) {
        FileRequest request;
        request.role = FileRequestRole::Script;
        request.kind = FileDialogKind::Open;
        request.title = "Airbase Level Script";
        request.initialName = airbaseScriptName;
        request.filter = "AB Level Script file|*.dat||";
        request.initialFolder = state.folders.startDirectory;
        const FileRequestResult chosen = requestFile(platform, request);
        if (chosen.status != FileRequestStatus::Chosen) {
            return false;
        }
        if (!readTextFile(toFsPath(chosen.path), text, error)) {
            showMessage(platform, withReason(" Could not open script file: " + chosen.path, error),
                        "Missing Script File", MessageIcon::Error);
            return false;
        }
        state.folders.startDirectory = folderPart(chosen.path);
    }
    state.reference.airbaseScript = parseAirbaseScript(text);
    return true;
}

// Levels the airbases on the grid; true when the levelling completed.
bool levelOnGrid(ApplicationState& state, const Platform& platform, const OccupancyGrid& grid,
                 const CheckObjects& objects, std::int32_t& levelled) {
    std::string problem;
    if (!state.reference.ocdList.loaded &&
        !loadOcdList(state.reference.ocdList, state.folders.startDirectory, problem)) {
        showListProblem(
            platform, ocdListName,
            state.runMode == RunMode::AirbaseBatch
                ? "OCDList.dat missing.  To generate list: Run Vantor.exe\r\n Copy "
                  "Falcon4.ocd to the Vantor folder.\r\n Select Help/HowTo/Place Objects "
                  "from menu."
                : "OCDList.dat missing.  To generate list: Copy Falcon4.ocd to the Vantor "
                  "folder.\r\n Select Help/HowTo/Place Objects from menu.  Run Airbase "
                  "Leveler again.",
            problem);
        return false;
    }
    state.progress.abortRequested = false;
    const AirbaseLevelling result = levelAirbases(
        state.terrain.matrix, grid, objects.table, state.reference.ocdList,
        state.reference.airbaseScript, searchArea(state), checkProgress(state, platform));
    if (result.stopped) {
        return false;
    }
    levelled = result.levelled;
    showMessage(platform, airbaseSummary(result.levelled), "Airbase Leveling Finished",
                MessageIcon::Information);
    state.scan.scriptLoaded = false;
    state.progress.abortRequested = false;
    return true;
}

bool airbaseFlow(ApplicationState& state, const Platform& platform) {
    if (!ensureTerrain(state, platform)) {
        showMessage(platform, "Cannot scan Airbases until the terrain file (L2) is opened.",
                    texts::information, MessageIcon::Warning);
        return false;
    }
    state.progress.progressState = ProgressState::Terrain;
    state.list.listKind = ListKind::AirbaseLevelling;
    state.list.listMode = ListMode::Objects;
    OccupancyGrid grid;
    CheckObjects objects;
    if (!prepareCheck(
            state, platform, [&] { return loadAirbaseScript(state, platform); }, grid, objects)) {
        return false;
    }
    state.progress.progressState = ProgressState::Terrain;
    state.progress.counters.objectsCounted = 0;
    state.progress.counters.position = 0;
    openProgress(state, platform);
    std::int32_t levelled = 0;
    bool done = levelOnGrid(state, platform, grid, objects, levelled);
    closeProgress(state, platform);
    forgetAudit(state, platform); // the posts it levelled may be findings of it
    if (done && !state.progress.abortRequested) {
        done = writeTerrainBack(state, platform, "levelled", "level",
                                "Levelling of " + std::to_string(levelled) +
                                    (levelled == 1 ? " airbase" : " airbases"));
    }
    closeToolFiles(state);
    return done;
}

} // namespace

bool objectCheckCommand(ApplicationState& state, const Platform& platform) {
    return objectCheckFlow(state, platform, false);
}

bool cityCheckCommand(ApplicationState& state, const Platform& platform) {
    return objectCheckFlow(state, platform, true);
}

bool levelAirbasesCommand(ApplicationState& state, const Platform& platform) {
    const bool done = airbaseFlow(state, platform);
    if (state.runMode == RunMode::AirbaseBatch) {
        postCloseRequest(platform);
    }
    return done;
}

} // namespace vantor
