#include "app/scan_flow.h"

#include "app/application_state.h"
#include "app/commands.h"
#include "app/dispatcher.h"
#include "app/list_flow.h"
#include "app/menu_rules.h"
#include "app/platform_calls.h"
#include "scans/bridge_placement.h"
#include "scans/edge_scan.h"

namespace vantor {

namespace {

struct ScanCommand {
    int command;
    int progressState;
    int listKind;
    int listMode;
    ScriptKind script;
};

constexpr ScanCommand scanCommands[] = {
    {cmd::PlaceBridges, 2, ObjectsKind, listModeObjects, ScriptKind::Bridge},
    {cmd::CheckRoads, 3, MisalignedRoadsKind, listModeReports, ScriptKind::Road},
    {cmd::CheckRivers, 4, MisalignedRiversKind, listModeReports, ScriptKind::River},
    {cmd::CheckTransitions, 5, BadTransitionsKind, listModeReports, ScriptKind::Transition},
};

void notifyList(const Platform& platform, ListChange change) {
    if (platform.listChanged) {
        platform.listChanged(change);
    }
}

// A fresh, empty list for the scan's lines; it pairs with the output file being written.
void newScanList(ApplicationState& state, const Platform& platform) {
    destroyListWindow(state.list);
    createListWindow(state.list, state.listMode);
    state.list.sourcePath = state.outputPath;
    notifyList(platform, ListChange::Reset);
}

// False (after its message) when the script is missing, unreadable or broken: a scan without
// its script would find nothing and report a clean theater.
bool loadScript(ApplicationState& state, const Platform& platform, ScriptKind kind) {
    if (state.scriptLoaded) {
        return true;
    }
    const ScriptLoad load = loadTileScript(state.script, kind, state.startDirectory);
    for (const MessageBoxRequest& m : load.messages) {
        showMessage(platform, m);
    }
    if (!load.ok) {
        emptyTileTable(state.script);
        return false;
    }
    state.scriptLoaded = true;
    return true;
}

// False when the script did not load or the scan's report could not be put in place.
bool runScan(ApplicationState& state, const Platform& platform, const ScanCommand& scan) {
    state.progressState = scan.progressState;
    state.listKind = scan.listKind;
    openProgress(state, platform);
    if (!loadScript(state, platform, scan.script)) {
        closeProgress(state, platform);
        dropReportOutputs(state, platform);
        return false;
    }
    if (scan.command == cmd::PlaceBridges) {
        runBridgePlacement(state, platform);
    } else {
        runEdgeScan(state, platform);
    }
    closeProgress(state, platform);
    return !state.outputFailed;
}

} // namespace

bool showScanParameters(ApplicationState& state, const Platform& platform) {
    ScanDialogModel model;
    model.theater = state.theater;
    model.parameters = state.scan;
    model.endMapX = state.theater.lastMapX;
    model.endMapY = state.theater.lastMapY;
    model.writeToFile = state.writeToFile;
    model.textReport = state.textReport;
    model.title = scanDialogTitle(state.listKind, state.scanAll);
    model.objectFieldsEnabled = state.listKind < 2;
    model.textReportEnabled = state.listKind >= 2;
    model.appendEnabled = state.outputFile.isOpen();
    model.appendToOutput = model.appendEnabled && state.appendToOutput;

    const bool begun = platform.editScanParameters && platform.editScanParameters(model);

    state.scan = model.parameters;
    state.theater.lastMapX = model.endMapX;
    state.theater.lastMapY = model.endMapY;
    state.writeToFile = model.writeToFile;
    state.appendToOutput = model.appendToOutput;
    state.textReport = model.textReport;
    if (!begun) {
        state.abortRequested = true;
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
    if (scan == nullptr || !state.terrainOpen) {
        return false;
    }
    state.progressState = scan->progressState;
    state.listKind = scan->listKind;
    state.listMode = scan->listMode;
    if (!showScanParameters(state, platform)) {
        return false;
    }
    if (!(state.appendToOutput && state.outputFile.isOpen())) {
        state.outputFile.close();
        if (state.writeToFile) {
            if (!requestOutputFile(state, platform, RequestForm::Internal)) {
                return false;
            }
            state.appendToOutput = false;
            state.scriptLoaded = false;
            newScanList(state, platform);
        }
    }
    return runScan(state, platform, *scan);
}

bool allScansCommand(ApplicationState& state, const Platform& platform) {
    if (!state.terrainOpen) {
        return false;
    }
    const int rememberedKind = state.listKind;
    state.scanAll = true;
    state.listKind = AllScansReportKind;
    state.listMode = listModeReports;
    state.textReport = true;
    if (!showScanParameters(state, platform)) {
        state.listKind = rememberedKind;
        state.scanAll = false;
        return false;
    }
    state.writeToFile = true;
    state.outputFile.close();
    const bool textWanted = state.textReport;
    state.textReport = false;
    if (!requestOutputFile(state, platform, RequestForm::Internal)) {
        state.listKind = rememberedKind;
        state.textReport = textWanted;
        state.scanAll = false;
        return false;
    }
    state.appendToOutput = false;
    state.scriptLoaded = false;
    newScanList(state, platform);

    bool saved = true;
    for (const int command : {cmd::CheckRoads, cmd::CheckRivers, cmd::CheckTransitions}) {
        for (const ScanCommand& scan : scanCommands) {
            if (saved && scan.command == command) {
                saved = runScan(state, platform, scan);
            }
        }
        state.appendToOutput = true;
    }

    state.outputFile.close();
    state.listKind = AllScansReportKind;
    state.textReport = textWanted;
    if (state.textReport && saved) {
        saved = dispatchCommand(state, platform, cmd::OutputTextVersion);
    }
    applyMenuEvent(state, platform, MenuEvent::AllScansFinished);
    state.textReport = false;
    state.appendToOutput = false;
    state.scanAll = false;
    return saved;
}

} // namespace vantor
