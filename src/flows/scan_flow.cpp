#include "flows/scan_flow.h"

#include "app/application_state.h"
#include "app/commands.h"
#include "app/menu_rules.h"
#include "app/platform_calls.h"
#include "base/file_lookup.h"
#include "base/safe_writer.h"
#include "base/text_file.h"
#include "flows/dispatcher.h"
#include "flows/flow_files.h"
#include "flows/list_flow.h"
#include "objectives/export_format.h"
#include "scans/bridge_placement.h"
#include "scans/edge_scan.h"

#include <ctime>

namespace vantor {

namespace {

struct ScanCommand {
    int command;
    ProgressState progressState;
    ListKind listKind;
    ListMode listMode;
    ScriptKind script;
};

constexpr ScanCommand scanCommands[] = {
    {cmd::PlaceBridges, ProgressState::Bridges, ListKind::Objects, ListMode::Objects,
     ScriptKind::Bridge},
    {cmd::CheckRoads, ProgressState::Roads, ListKind::MisalignedRoads, ListMode::Reports,
     ScriptKind::Road},
    {cmd::CheckRivers, ProgressState::Rivers, ListKind::MisalignedRivers, ListMode::Reports,
     ScriptKind::River},
    {cmd::CheckTransitions, ProgressState::Transitions, ListKind::BadTransitions, ListMode::Reports,
     ScriptKind::Transition},
};

// A fresh, empty list for the scan's lines; it pairs with the output file being written.
void newScanList(ApplicationState& state, const Platform& platform) {
    destroyListWindow(state.list.model);
    createListWindow(state.list.model, state.list.listMode);
    state.list.model.sourcePath = state.files.outputPath;
    notifyListChanged(platform, ListChange::Reset);
}

// The scan's progress: what it counts and where the bar stands, shown through command 10220.
RowProgress scanProgress(ApplicationState& state, const Platform& platform,
                         std::int32_t ProgressCounters::*counter) {
    return [&state, &platform, counter](std::int32_t counted, std::int32_t position) {
        state.progress.counters.*counter = counted;
        state.progress.counters.position = position;
        dispatchCommand(state, platform, cmd::ProgressReport);
        return state.progress.abortRequested;
    };
}

// False (after its message) when the script is missing, unreadable or broken: a scan without
// its script would find nothing and report a clean theater.
bool loadScript(ApplicationState& state, const Platform& platform, ScriptKind kind) {
    if (state.scan.scriptLoaded) {
        return true;
    }
    const ScriptLoad load = loadTileScript(state.scan.script, kind, state.folders.startDirectory);
    showMessages(platform, load.messages);
    if (!load.ok) {
        emptyTileTable(state.scan.script);
        return false;
    }
    state.scan.scriptLoaded = true;
    return true;
}

// "\r\n Written to A and B." for the files a closing message names, or nothing.
std::string writtenTo(std::initializer_list<std::string> files) {
    std::string names;
    for (const std::string& f : files) {
        if (!f.empty()) {
            names += (names.empty() ? "" : " and ") + f;
        }
    }
    return names.empty() ? std::string() : "\r\n Written to " + names + ".";
}

// False when the script did not load or the scan's report could not be put in place; found
// (when given) takes the number of breaks or bridges.
bool runScan(ApplicationState& state, const Platform& platform, const ScanCommand& scan,
             std::int32_t* found = nullptr) {
    state.progress.progressState = scan.progressState;
    state.list.listKind = scan.listKind;
    openProgress(state, platform);
    if (!loadScript(state, platform, scan.script)) {
        closeProgress(state, platform);
        dropReportOutputs(state, platform);
        return false;
    }
    const std::int32_t count = scan.command == cmd::PlaceBridges
                                   ? runBridgePlacementStep(state, platform)
                                   : runEdgeScanStep(state, platform);
    if (found != nullptr) {
        *found = count;
    }
    closeProgress(state, platform);
    return !state.scan.outputFailed;
}

} // namespace

MapArea searchArea(const ApplicationState& state) {
    return {state.scan.parameters.startMapX, state.scan.parameters.startMapY,
            state.theater.lastMapX, state.theater.lastMapY};
}

std::int32_t runEdgeScanStep(ApplicationState& state, const Platform& platform) {
    const TerrainMatrix& m = state.terrain.matrix;
    const ListKind listKind = state.list.listKind;
    const bool scanAll = state.scan.scanAll;
    const bool write = state.scan.writeToFile && state.files.outputFile.isOpen();
    const bool text = write && state.scan.textReport && state.files.textReportFile.isOpen();
    std::FILE* csv = state.files.outputFile.handle.get();
    std::FILE* txt = state.files.textReportFile.handle.get();
    const std::string eol = platformLineEnd;
    state.progress.counters.errorsCounted = 0;

    if (write && !state.scan.appendToOutput) {
        const std::string when = titleTime(titleTimeFor(state, state.files.outputPath));
        writeText(csv, std::string(edgeReportTitle(listKind, scanAll)) + " - " + when + eol +
                           edgeReportColumns + eol);
        if (text && !scanAll) {
            writeText(txt, std::string(reportTextTitle(listKind, false)) + " - " + when + eol +
                               reportTextColumns + eol);
        }
    }
    const MessageSink tell = messageSink(platform);
    const auto onBreak = [&](const EdgeBreak& b) {
        if (!write) {
            return;
        }
        const std::string line = edgeReportLine(b, listKind, scanAll, m.sectionsY());
        writeText(csv, line + eol);
        if (text) {
            writeText(txt, edgeTextReportLine(b, listKind, scanAll, m.sectionsY()) + eol);
        }
        addRow(state.list.model, line, tell);
        notifyListChanged(platform, ListChange::RowsAdded);
    };
    const std::int32_t breaks =
        scanEdges(m, state.scan.script, searchArea(state), onBreak,
                  scanProgress(state, platform, &ProgressCounters::errorsCounted));

    state.scan.outputFailed = write && !saveReportOutputs(state, platform);
    if (!scanAll && !state.scan.outputFailed) {
        showMessage(platform,
                    edgeScanSummary(listKind, state.scan.writeToFile, breaks) +
                        (write ? writtenTo({state.files.outputFile.target,
                                            text ? state.files.textReportFile.target : ""})
                               : std::string()),
                    edgeScanSummaryTitle(listKind), MessageIcon::Information);
    }
    emptyTileTable(state.scan.script);
    state.scan.scriptLoaded = false;
    return breaks;
}

std::int32_t runBridgePlacementStep(ApplicationState& state, const Platform& platform) {
    const ScanParameters& p = state.scan.parameters;
    const bool write = state.scan.writeToFile && state.files.outputFile.isOpen();
    std::FILE* out = state.files.outputFile.handle.get();
    const std::string eol = platformLineEnd;
    state.progress.abortRequested = false;
    state.progress.counters.objectsCounted = 0;
    if (write && !state.scan.appendToOutput) {
        writeText(out, std::string(exportTitle) + " " +
                           titleTime(titleTimeFor(state, state.files.outputPath)) + eol +
                           exportColumnLine + eol);
    }
    const MessageSink tell = messageSink(platform);
    const BridgeValues values{p.startingObjectId,
                              p.maximumObjectId,
                              p.owner,
                              p.supply,
                              p.priority,
                              p.controller,
                              write,
                              state.theater.xTiles * state.theater.xSections};
    const BridgePlacement result = placeBridges(
        state.terrain.matrix, state.scan.script, searchArea(state), values,
        state.scan.bridgeSelector,
        [&](const std::string& line) {
            writeText(out, line + eol);
            addRow(state.list.model, line, tell);
            notifyListChanged(platform, ListChange::RowsAdded);
        },
        scanProgress(state, platform, &ProgressCounters::objectsCounted));
    if (result.overrun) {
        state.progress.counters.objectsCounted = result.placed;
        showMessage(platform, *result.overrun);
        state.progress.abortRequested = true;
    }

    bool rejectionsWritten = true;
    if (result.rejected != 0) {
        SafeWriter file;
        if (beginSafeWrite(file, findInFolder(state.folders.startDirectory, rejectionFileName)) &&
            safeWrite(file, result.rejections) && commitSafeWrite(file)) {
            showMessage(platform,
                        bridgeRejectionsMessage(result.rejected) + "\r\n Written to " +
                            fromFsPath(file.target) + ".",
                        "No Opposing Bridge Tile Errors", MessageIcon::Information);
        } else {
            rejectionsWritten = false;
            reportWriteFailure(platform, file, fromFsPath(file.target));
        }
    }
    if (result.withoutEntries != 0) {
        showMessage(platform,
                    " " + std::to_string(result.withoutEntries) +
                        " Bridges skipped: their script variable has no objects to place.",
                    "Bridge Placement", MessageIcon::Warning);
    }
    const bool reportSaved = !write || saveReportOutputs(state, platform);
    // The command fails when either file could not be written; each said why.
    state.scan.outputFailed = !reportSaved || !rejectionsWritten;
    if (write && reportSaved) {
        showMessage(platform,
                    bridgeSummary(result, true) + writtenTo({state.files.outputFile.target}),
                    "Bridge Placement Finished", MessageIcon::Information);
        state.scan.parameters.startingObjectId = result.nextIdentifier;
    } else if (!write) {
        showMessage(platform, bridgeSummary(result, false), "Bridge Placement Finished",
                    MessageIcon::Information);
    }
    clearTileScript(state.scan.script, ScriptKind::Bridge);
    state.scan.scriptLoaded = false;
    state.progress.abortRequested = false;
    return result.placed;
}

bool showScanParameters(ApplicationState& state, const Platform& platform) {
    ScanDialogModel model;
    model.theater = state.theater;
    model.parameters = state.scan.parameters;
    model.endMapX = state.theater.lastMapX;
    model.endMapY = state.theater.lastMapY;
    model.writeToFile = state.scan.writeToFile;
    model.textReport = state.scan.textReport;
    model.title = scanDialogTitle(state.list.listKind, state.scan.scanAll);
    // Only bridge placement gives objects values; every other scan may add the text report.
    const bool placesObjects =
        state.list.listKind == ListKind::RadarProfiles || state.list.listKind == ListKind::Objects;
    model.objectFieldsEnabled = placesObjects;
    model.textReportEnabled = !placesObjects;
    model.appendEnabled = state.files.outputFile.isOpen();
    model.appendToOutput = model.appendEnabled && state.scan.appendToOutput;

    const bool begun = platform.editScanParameters && platform.editScanParameters(model);

    state.scan.parameters = model.parameters;
    state.theater.lastMapX = model.endMapX;
    state.theater.lastMapY = model.endMapY;
    state.scan.writeToFile = model.writeToFile;
    state.scan.appendToOutput = model.appendToOutput;
    state.scan.textReport = model.textReport;
    if (!begun) {
        state.progress.abortRequested = true;
    }
    return begun;
}

bool scanCommand(ApplicationState& state, const Platform& platform, int command) {
    const ScanCommand* scan = nullptr;
    for (const ScanCommand& s : scanCommands) {
        if (s.command == command) {
            scan = &s;
        }
    }
    if (scan == nullptr || !state.terrain.terrainOpen) {
        return false;
    }
    state.progress.progressState = scan->progressState;
    state.list.listKind = scan->listKind;
    state.list.listMode = scan->listMode;
    if (!showScanParameters(state, platform)) {
        return false;
    }
    if (!(state.scan.appendToOutput && state.files.outputFile.isOpen())) {
        state.files.outputFile.close();
        if (state.scan.writeToFile) {
            if (!requestOutputFile(state, platform, RequestForm::Internal)) {
                return false;
            }
            state.scan.appendToOutput = false;
            state.scan.scriptLoaded = false;
            newScanList(state, platform);
        }
    }
    return runScan(state, platform, *scan);
}

bool allScansCommand(ApplicationState& state, const Platform& platform) {
    if (!state.terrain.terrainOpen) {
        return false;
    }
    const ListKind rememberedKind = state.list.listKind;
    state.scan.scanAll = true;
    state.list.listKind = ListKind::AllScansReport;
    state.list.listMode = ListMode::Reports;
    state.scan.textReport = true;
    if (!showScanParameters(state, platform)) {
        state.list.listKind = rememberedKind;
        state.scan.scanAll = false;
        return false;
    }
    state.scan.writeToFile = true;
    state.files.outputFile.close();
    const bool textWanted = state.scan.textReport;
    state.scan.textReport = false;
    if (!requestOutputFile(state, platform, RequestForm::Internal)) {
        state.list.listKind = rememberedKind;
        state.scan.textReport = textWanted;
        state.scan.scanAll = false;
        return false;
    }
    state.scan.appendToOutput = false;
    state.scan.scriptLoaded = false;
    newScanList(state, platform);

    bool saved = true;
    std::string summary; // what each scan would have said on its own
    for (const int command : {cmd::CheckRoads, cmd::CheckRivers, cmd::CheckTransitions}) {
        for (const ScanCommand& scan : scanCommands) {
            std::int32_t breaks = 0;
            if (saved && scan.command == command) {
                saved = runScan(state, platform, scan, &breaks);
                summary +=
                    (summary.empty() ? "" : "\r\n ") + edgeScanSummary(scan.listKind, true, breaks);
            }
        }
        state.scan.appendToOutput = true;
    }

    const std::string report = state.files.outputFile.target;
    state.files.outputFile.close();
    state.list.listKind = ListKind::AllScansReport;
    state.scan.textReport = textWanted;
    state.files.textVersionPath.clear();
    if (state.scan.textReport && saved) {
        saved = dispatchCommand(state, platform, cmd::OutputTextVersion);
    }
    if (saved) {
        showMessage(platform, summary + writtenTo({report, state.files.textVersionPath}),
                    sectionReportSummaryTitle, MessageIcon::Information);
    }
    applyMenuEvent(state, platform, MenuEvent::AllScansFinished);
    state.scan.textReport = false;
    state.scan.appendToOutput = false;
    state.scan.scanAll = false;
    return saved;
}

} // namespace vantor
