#include "flows/theater_flow.h"

#include "app/application_state.h"
#include "app/commands.h"
#include "app/platform_calls.h"
#include "app/recent_files.h"
#include "app/shell_texts.h"
#include "app/startup.h"
#include "base/file_lookup.h"
#include "base/file_system.h"
#include "base/text_util.h"

namespace vantor {

bool selectTheater(ApplicationState& state, const Platform& platform, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= state.theaters.list.names.size()) {
        return false;
    }
    if (!state.terrain.terrainOpen) {
        readTheaterGeometry(loadIniFile(toFsPath(state.theaters.iniPath)),
                            state.theaters.list.names[static_cast<std::size_t>(index)],
                            state.theater);
    }
    setMenuItemChecked(state.menu, state.theaters.currentTheater, false);
    state.theaters.currentTheater = cmd::TheaterFirst + index;
    setMenuItemChecked(state.menu, state.theaters.currentTheater, true);
    notifyMenuChanged(platform, state.menu);
    return true;
}

bool chooseStartFolderCommand(ApplicationState& state, const Platform& platform) {
    FileRequest request;
    request.role = FileRequestRole::Folder;
    request.kind = FileDialogKind::Folder;
    request.title = "Start Folder";
    request.initialFolder = state.folders.startDirectory;
    const FileRequestResult result = requestFile(platform, request);
    if (result.status == FileRequestStatus::Cancelled) {
        return false;
    }
    if (result.status == FileRequestStatus::Error ||
        examinePath(toFsPath(result.path)).kind != FileKind::Folder) {
        showMessage(
            platform,
            withReason("Cannot use " + result.path + " as the start folder", "it is no folder"),
            texts::error, MessageIcon::Error);
        return false;
    }
    std::string folder = result.path;
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) {
        folder.pop_back();
    }
    state.folders.startDirectory = folder;
    storeFolder(platform, pathsSubkey, startFolderValue, folder);
    // What was read from the old folder is read again from the new one when next needed.
    state.reference.ocdList = {};
    state.reference.markerClasses = {};
    state.reference.tileInfo = {};
    state.reference.cityTables = {};
    state.scan.scriptLoaded = false;
    return loadTheaters(state, platform);
}

} // namespace vantor
