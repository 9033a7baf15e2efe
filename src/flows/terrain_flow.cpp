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
#include "terrain/l2_reader.h"
#include "terrain/l2m_file.h"
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
    // A write-back that a run left half done is finished first, so the pair is never read with
    // one file new and the other old.
    std::string error;
    if (finishInterruptedCommit(toFsPath(l2Path), error) == CommitRecovery::Failed) {
        showDataFileOpenFailed(platform, l2Path,
                               "an interrupted write of the terrain files could not be "
                               "finished: " +
                                   error);
        return false;
    }
    BinaryReader l2;
    if (!openForReading(l2, toFsPath(l2Path))) {
        showDataFileOpenFailed(platform, l2Path, l2.error);
        return false;
    }
    if (l2.size == 0) {
        showDataFileOpenFailed(platform, l2Path, "the file is empty");
        return false;
    }
    setWindowTitle(platform, l2Path);
    rememberRecentFile(state, platform, l2Path);
    storeFolder(platform, pathsSubkey, terrainFolderValue, state.terrain.terrainDirectory);

    state.terrain.terrainPath = o2PathFor(l2Path);
    BinaryReader o2;
    if (!openForReading(o2, findBeside(state.terrain.terrainPath))) {
        showDataFileOpenFailed(platform, state.terrain.terrainPath, o2.error);
        return false;
    }

    startTerrainProgress(state, platform);
    const TerrainResult result =
        readTerrain(l2, o2, state.terrain.matrix, terrainProgress(state, platform));
    l2.close();
    o2.close();
    closeProgress(state, platform);
    showMessages(platform, result.messages);
    if (!result.ok()) {
        return false;
    }
    // The files the matrix came from stay inputs of every later command: no output replaces
    // them until the terrain is written back on purpose.
    state.files.inputs.held = {{l2.identity, l2.path}, {o2.identity, o2.path}};
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
                      std::string_view verb) {
    if (equalsIgnoreCase(fromFsPath(toFsPath(state.terrain.terrainPath).extension()), ".L2M")) {
        showMessage(platform,
                    "The " + std::string(done) +
                        " terrain was not written: it was loaded from the matrix file " +
                        state.terrain.terrainPath +
                        ", which has no L2 and O2 files to write into.\r\n Save it with \"Save "
                        "L2M Matrix\", or open the theater's L2 file and " +
                        std::string(verb) + " again.",
                    texts::information, MessageIcon::Warning);
        return false;
    }
    std::string l2 = state.terrain.terrainPath;
    std::string o2 = state.terrain.terrainPath;
    if (l2.size() >= 2) {
        l2.replace(l2.size() - 2, 2, "L2");
        o2.replace(o2.size() - 2, 2, "O2");
    }
    const std::filesystem::path l2Path = findBeside(l2);
    const std::filesystem::path o2Path = findBeside(o2);
    for (const auto& [path, name] : {std::pair{l2Path, l2}, std::pair{o2Path, o2}}) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) {
            showMessage(platform, terrain_texts::dataFileOpenFailed, name, MessageIcon::Error);
            return false;
        }
    }
    state.progress.abortRequested = false;
    state.progress.progressState = ProgressState::Terrain;
    state.progress.counters.sectionsCompleted = 0;
    state.progress.counters.position = 0;
    openProgress(state, platform);
    const TerrainResult result =
        writeTerrainFiles(state.terrain.matrix, l2Path, o2Path, terrainProgress(state, platform));
    closeProgress(state, platform);
    showMessages(platform, result.messages);
    if (!result.ok()) {
        return false;
    }
    // The backup now holds what this write replaced: an earlier repair can no longer be undone.
    state.repair.undoable.clear();
    applyMenuEvent(state, platform, MenuEvent::RepairUndone);
    // The new pair is what later commands must not write over.
    state.files.inputs.held.clear();
    for (const std::filesystem::path& path : {l2Path, o2Path}) {
        state.files.inputs.held.push_back({examinePath(path).identity, path});
    }
    const auto bak = [](const std::filesystem::path& p) { return fromFsPath(p) + ".bak"; };
    showMessage(platform,
                "The " + std::string(done) + " terrain was written into " + fromFsPath(l2Path) +
                    " and " + fromFsPath(o2Path) + ".\r\n The previous files are kept as " +
                    bak(l2Path) + " and " + bak(o2Path) + ".",
                "Terrain Written", MessageIcon::Information);
    return true;
}

} // namespace vantor
