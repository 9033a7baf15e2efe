#include "flows/terrain_flow.h"

#include "app/application_state.h"
#include "app/commands.h"
#include "app/menu_rules.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "base/file_lookup.h"
#include "base/safe_writer.h"
#include "base/text_util.h"
#include "flows/audit_flow.h"
#include "flows/dispatcher.h"
#include "flows/recent_file_flow.h"
#include "flows/theater_flow.h"
#include "terrain/ini_file.h"
#include "terrain/l2_reader.h"
#include "terrain/l2m_file.h"
#include "terrain/terrain_file.h"
#include "terrain/terrain_pair.h"
#include "terrain/terrain_writer.h"

#include <filesystem>

namespace vantor {

namespace {

struct TerrainDialog {
    int command;
    FileDialogKind kind;
    const char* title;
    const char* filter;
    const char* initialName;
};

constexpr TerrainDialog terrainDialogs[] = {
    {cmd::OpenL2Terrain, FileDialogKind::Open, "Open L2 Terrain File", "Terrain L2 file|*.L2||",
     "*.L2"},
    {cmd::LoadL2mMatrix, FileDialogKind::Open, "Open L2M Terrain Matrix", "L2M Matrix file|*.L2M||",
     "*.L2M"},
    {cmd::SaveL2mMatrix, FileDialogKind::Save, "Save L2M Terrain Matrix", "L2M Matrix file|*.L2M||",
     "*.L2M"},
};

void showDataFileOpenFailed(const Platform& platform, const std::string& path,
                            const std::string& reason) {
    showMessage(platform, withReason(terrain_texts::dataFileOpenFailed, reason), path,
                MessageIcon::Error);
}

// Terrain is open for the rest of the run: the commands that need it are enabled.
void finishTerrainOpen(ApplicationState& state, const Platform& platform) {
    state.terrain.terrainOpen = true;
    state.terrain.matrixBuilt = true;
    applyMenuEvent(state, platform, MenuEvent::TerrainOpened);
    forgetAudit(state, platform);
}

// Why the O2 file does not fit the theater selected from Quillon.ini, or empty when it does. The
// check is made only where the ini file gives the theater's sections itself: without them the
// files alone decide the size, as they always did.
std::optional<std::string> o2TheaterRefusal(const ApplicationState& state, const BinaryReader& o2) {
    if (state.runMode != RunMode::Interactive) {
        return std::nullopt;
    }
    const TheaterDefinition& t = state.theater;
    const IniFile ini = loadIniFile(toFsPath(state.theaters.iniPath));
    const std::optional<std::int32_t> x =
        parseLeadingInt(iniValue(ini, t.sectionName, "X Sections", ""));
    const std::optional<std::int32_t> y =
        parseLeadingInt(iniValue(ini, t.sectionName, "Y Sections", ""));
    if (!x || !y || *x <= 0 || *y <= 0) {
        return std::nullopt; // no sections of its own that could be compared
    }
    const std::int32_t sections = sectionsFromO2Size(o2.size);
    if (sections == *x && sections == *y) {
        return std::nullopt;
    }
    return fromFsPath(o2.path) + " describes a map of " + std::to_string(sections) + " x " +
           std::to_string(sections) + " sections, but the selected theater " + t.sectionName +
           " of " + state.theaters.iniPath + " has " + std::to_string(*x) + " x " +
           std::to_string(*y) +
           ". Select the theater of this terrain first (the Theater menu, or --theater NAME); "
           "nothing was read.";
}

// Before a read or load: a fresh abort flag and counters, and the progress window.
void startTerrainProgress(ApplicationState& state, const Platform& platform) {
    state.progress.abortRequested = false;
    state.terrain.matrixBuilt = false;
    state.progress.progressState = ProgressState::Terrain;
    state.progress.counters.sectionsCompleted = 0;
    state.progress.counters.position = 0;
    openProgress(state, platform);
}

} // namespace

TerrainProgress terrainProgress(ApplicationState& state, const Platform& platform) {
    TerrainProgress progress;
    progress.report = [&state, &platform](std::int32_t counter, std::int32_t position) {
        if (counter >= 0) {
            state.progress.counters.sectionsCompleted = counter;
        }
        state.progress.counters.position = position;
        dispatchCommand(state, platform, cmd::ProgressReport);
    };
    progress.abortRequested = [&state] { return state.progress.abortRequested; };
    return progress;
}

bool requestTerrainFile(ApplicationState& state, const Platform& platform, int command) {
    const TerrainDialog* dialog = nullptr;
    for (const TerrainDialog& d : terrainDialogs) {
        if (d.command == command) {
            dialog = &d;
        }
    }
    if (dialog == nullptr) {
        return false;
    }
    if (!readFolder(platform, pathsSubkey, terrainFolderValue, state.terrain.terrainDirectory)) {
        state.terrain.terrainDirectory.clear();
    }
    FileRequest request;
    request.role =
        dialog->kind == FileDialogKind::Save ? FileRequestRole::Output : FileRequestRole::Terrain;
    request.kind = dialog->kind;
    request.title = dialog->title;
    request.filter = dialog->filter;
    request.initialName = dialog->initialName;
    // The folder the last terrain came from; before any (or once it is gone) the start folder,
    // where a theater's files usually are.
    std::error_code ec;
    request.initialFolder =
        !state.terrain.terrainDirectory.empty() &&
                std::filesystem::is_directory(toFsPath(state.terrain.terrainDirectory), ec)
            ? state.terrain.terrainDirectory
            : state.folders.startDirectory;
    const FileRequestResult result = requestFile(platform, request);
    if (result.status == FileRequestStatus::Cancelled) {
        return false;
    }
    if (result.status == FileRequestStatus::Error) {
        showMessage(platform, formatWithInt("L2 file open error# %d", result.errorCode),
                    texts::error, MessageIcon::Error);
        return false;
    }
    state.terrain.terrainDirectory = folderPart(result.path);
    state.terrain.terrainPath = result.path;
    return true;
}

bool openL2TerrainCommand(ApplicationState& state, const Platform& platform) {
    if (!requestTerrainFile(state, platform, cmd::OpenL2Terrain)) {
        return false;
    }
    return dispatchCommand(state, platform, cmd::OpenTerrainAtPath);
}

bool openTerrainAtPath(ApplicationState& state, const Platform& platform) {
    if (state.terrain.terrainOpen) {
        showMessage(platform, texts::matrixAlreadyCreated, texts::information,
                    MessageIcon::Warning);
        return false;
    }
    const std::string l2Path = state.terrain.terrainPath;
    // A write-back that a run left half done is finished or undone first (a dry run only reads
    // the files as that would leave them), so the pair is never read one file new, one old.
    TerrainPairFiles pair;
    const bool opened = openTerrainPair(l2Path, state.terrain.dryRun, pair);
    if (!pair.recoveryText.empty()) {
        showMessage(platform, pair.recoveryText, "Interrupted Write",
                    pair.recovery.outcome == RecoveryOutcome::Failed ? MessageIcon::Error
                                                                     : MessageIcon::Information);
    }
    if (!opened && pair.failedPath != pair.o2Path) {
        if (pair.recovery.outcome != RecoveryOutcome::Failed) {
            showDataFileOpenFailed(platform, l2Path, pair.error);
        }
        return false;
    }
    if (opened && pair.l2.size == 0) {
        showDataFileOpenFailed(platform, l2Path, "the file is empty");
        return false;
    }
    setWindowTitle(platform, l2Path);
    rememberRecentFile(state, platform, l2Path);
    storeFolder(platform, pathsSubkey, terrainFolderValue, state.terrain.terrainDirectory);

    state.terrain.terrainPath = pair.o2Path;
    if (!opened) {
        showDataFileOpenFailed(platform, pair.o2Path, pair.error);
        return false;
    }
    std::optional<std::string> refusal = o2SizeRefusal(fromFsPath(pair.o2.path), pair.o2.size);
    if (!refusal) {
        refusal = o2TheaterRefusal(state, pair.o2);
    }
    if (refusal) {
        showMessage(platform, *refusal, terrain_texts::o2ReadError, MessageIcon::Error);
        return false;
    }

    startTerrainProgress(state, platform);
    const TerrainResult result =
        readTerrain(pair.l2, pair.o2, state.terrain.matrix, terrainProgress(state, platform));
    pair.l2.close();
    pair.o2.close();
    closeProgress(state, platform);
    showMessages(platform, result.messages);
    if (!result.ok()) {
        return false;
    }
    // The files the matrix came from stay inputs of every later command: no output replaces
    // them until the terrain is written back on purpose.
    state.files.inputs.held = {{pair.l2.identity, pair.l2.path}, {pair.o2.identity, pair.o2.path}};
    state.files.inputs.kept = terrainKeptFiles(pair.l2.path, pair.o2.path);
    state.terrain.pairVersion = pair.version;
    // The geometry changes only with a complete read, so a failed one leaves the selected
    // theater's geometry for a later matrix load to compare with.
    applyTerrainGeometry(state.theater, state.terrain.matrix.sectionsX());
    finishTerrainOpen(state, platform);
    return true;
}

bool loadMatrixCommand(ApplicationState& state, const Platform& platform) {
    if (state.terrain.terrainOpen) {
        showMessage(platform, texts::matrixAlreadyCreated, texts::information,
                    MessageIcon::Warning);
        return false;
    }
    if (!requestTerrainFile(state, platform, cmd::LoadL2mMatrix)) {
        return false;
    }
    BinaryReader file;
    if (!openForReading(file, toFsPath(state.terrain.terrainPath))) {
        showDataFileOpenFailed(platform, state.terrain.terrainPath, file.error);
        return false;
    }
    if (file.size == 0) {
        showDataFileOpenFailed(platform, state.terrain.terrainPath, "the file is empty");
        return false;
    }
    setWindowTitle(platform, state.terrain.terrainPath);
    startTerrainProgress(state, platform);
    const TerrainResult result =
        loadL2m(file, state.theater, state.terrain.matrix, terrainProgress(state, platform));
    file.close();
    closeProgress(state, platform);
    showMessages(platform, result.messages);
    if (!result.ok()) {
        return false;
    }
    state.files.inputs.held = {{file.identity, file.path}};
    state.files.inputs.kept.clear();
    finishTerrainOpen(state, platform);
    return true;
}

bool saveMatrixCommand(ApplicationState& state, const Platform& platform) {
    if (!state.terrain.matrixBuilt) {
        return false;
    }
    state.progress.abortRequested = false;
    if (!requestTerrainFile(state, platform, cmd::SaveL2mMatrix)) {
        return false;
    }
    state.progress.progressState = ProgressState::Terrain;
    state.progress.counters.sectionsCompleted = 0;
    state.progress.counters.position = 0;
    openProgress(state, platform);
    const TerrainResult result = saveL2m(state.terrain.matrix, toFsPath(state.terrain.terrainPath),
                                         terrainProgress(state, platform));
    closeProgress(state, platform);
    showMessages(platform, result.messages);
    if (!result.ok()) {
        return false;
    }
    applyMenuEvent(state, platform, MenuEvent::MatrixSaved);
    return true;
}

bool showFindL2Info(ApplicationState& state, const Platform& platform) {
    state.terrain.findL2InfoPresent = true;
    if (platform.showFindL2Info) {
        platform.showFindL2Info();
    }
    return true;
}

std::optional<std::string> closeTerrainQuestion(const ApplicationState& state) {
    if (!state.audit.done || state.audit.saved) {
        return std::nullopt;
    }
    const std::size_t n = state.audit.last.report.findings.size();
    return "The audit of this terrain (" + countText(n, "finding", "findings") +
           ") has not been saved as a page or JSON and is closed with the terrain.\r\n\r\n"
           "Close the terrain?";
}

bool closeTerrainCommand(ApplicationState& state, const Platform& platform) {
    if (!state.terrain.terrainOpen) {
        return false;
    }
    if (const std::optional<std::string> question = closeTerrainQuestion(state)) {
        if (showMessage(platform, *question, "Close Terrain", MessageIcon::Question,
                        MessageButtons::YesNo) != MessageAnswer::Yes) {
            return false;
        }
    }
    closeFindL2Info(state, platform);
    state.diff = {};
    TerrainRecord closed;
    closed.terrainDirectory = state.terrain.terrainDirectory; // the next dialog starts there
    closed.dryRun = state.terrain.dryRun;
    state.terrain = std::move(closed);
    state.files.inputs.held.clear();
    state.files.inputs.kept.clear();
    forgetAudit(state, platform);
    // The theater checked in the menu gives the geometry again, as before any terrain was open.
    const int theater = state.theaters.currentTheater - cmd::TheaterFirst;
    if (theater < 0 || !selectTheater(state, platform, theater)) {
        state.theater = builtInTheater();
    }
    setWindowTitle(platform, texts::programName);
    applyMenuEvent(state, platform, MenuEvent::TerrainShut);
    return true;
}

bool closeFindL2Info(ApplicationState& state, const Platform& platform) {
    if (!state.terrain.findL2InfoPresent) {
        return false;
    }
    state.terrain.findL2InfoPresent = false;
    if (platform.closeFindL2Info) {
        platform.closeFindL2Info();
    }
    return true;
}

bool writeTerrainBack(ApplicationState& state, const Platform& platform, std::string_view done,
                      std::string_view verb, const std::string& what, bool announce) {
    std::filesystem::path l2Path;
    std::filesystem::path o2Path;
    std::string error;
    if (!terrainPairFor(state.terrain.terrainPath, l2Path, o2Path, error)) {
        if (isMatrixFile(state.terrain.terrainPath)) {
            showMessage(platform,
                        "The " + std::string(done) +
                            " terrain was not written: it was loaded from the matrix file " +
                            state.terrain.terrainPath +
                            ", which has no L2 and O2 files to write into.\r\n Save it with "
                            "\"Save L2M Matrix\", or open the theater's L2 file and " +
                            std::string(verb) + " again.",
                        texts::information, MessageIcon::Warning);
        } else {
            showMessage(platform, withReason(terrain_texts::dataFileOpenFailed, error),
                        state.terrain.terrainPath, MessageIcon::Error);
        }
        state.terrain.lastWrite = {};
        return false;
    }
    state.progress.abortRequested = false;
    state.progress.progressState = ProgressState::Terrain;
    state.progress.counters.sectionsCompleted = 0;
    state.progress.counters.position = 0;
    openProgress(state, platform);
    PairChange change;
    TerrainWriteOptions options;
    options.what = what;
    options.expected = state.terrain.pairVersion;
    options.change = &change;
    const TerrainResult result = writeTerrainFiles(state.terrain.matrix, l2Path, o2Path,
                                                   terrainProgress(state, platform), options);
    closeProgress(state, platform);
    state.terrain.lastWrite = change;
    showMessages(platform, result.messages);
    if (!result.ok()) {
        return false;
    }
    noteTerrainWritten(state, platform, l2Path, o2Path);
    if (!announce) {
        return true;
    }
    showMessage(platform,
                "The " + std::string(done) + " terrain was written into " + fromFsPath(l2Path) +
                    " and " + fromFsPath(o2Path) + ".\r\n " +
                    pairChangeText(change, l2Path, o2Path),
                "Terrain Written", MessageIcon::Information);
    return true;
}

void noteTerrainWritten(ApplicationState& state, const Platform& platform,
                        const std::filesystem::path& l2Path, const std::filesystem::path& o2Path) {
    // The new pair is what later commands must not write over, and what the next write-back
    // expects to find.
    state.files.inputs.held.clear();
    for (const std::filesystem::path& path : {l2Path, o2Path}) {
        state.files.inputs.held.push_back({examinePath(path).identity, path});
    }
    state.terrain.pairVersion = versionOf(l2Path, o2Path);
    applyMenuEvent(state, platform, MenuEvent::TerrainWritten);
}

} // namespace vantor
