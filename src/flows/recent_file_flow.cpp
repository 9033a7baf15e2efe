#include "flows/recent_file_flow.h"

#include "app/application_state.h"
#include "app/commands.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "base/file_lookup.h"
#include "base/input_file.h"
#include "base/text_util.h"
#include "flows/dispatcher.h"

#include <cerrno>
#include <system_error>

namespace vantor {

void rememberRecentFile(ApplicationState& state, const Platform& platform,
                        const std::string& path) {
    addRecentFile(state.recentFiles, path);
    rebuildRecentFileMenu(state.recentFiles, state.menu.menus[FileMenu], cmd::Exit);
    notifyMenuChanged(platform, state.menu);
    storeRecentFiles(state.recentFiles, platform);
}

int fileOpenErrorCode(const std::string& path) {
    const std::filesystem::path fsPath = toFsPath(path);
    std::error_code ec;
    if (std::filesystem::is_directory(fsPath, ec)) {
        return 5;
    }
    InputFile probe;
    errno = 0;
    if (openInput(probe, fsPath, InputUse::Own)) {
        return 0;
    }
    switch (errno) {
    case ENOENT:
        return std::filesystem::exists(fsPath.parent_path(), ec) ? 2 : 3;
    case ENOTDIR:
        return 3;
    case EACCES:
    case EPERM:
    case EISDIR:
        return 5;
    case ENAMETOOLONG:
        return 206;
    case EMFILE:
        return 4;
    default:
        return errno != 0 ? errno : 2;
    }
}

bool openRecentFile(ApplicationState& state, const Platform& platform, int command) {
    const std::optional<std::string> path = recentFileById(state.recentFiles, command);
    if (!path) {
        return false;
    }
    if (const int code = fileOpenErrorCode(*path); code != 0) {
        showMessage(platform, formatWithInt(texts::recentFileOpenError, code), *path,
                    MessageIcon::Error);
        removeRecentFileById(state.recentFiles, command);
        storeRecentFiles(state.recentFiles, platform);
        rebuildRecentFileMenu(state.recentFiles, state.menu.menus[FileMenu], cmd::Exit);
        notifyMenuChanged(platform, state.menu);
        return false;
    }
    state.terrain.terrainPath = *path;
    state.files.sourcePath = *path;
    // The kind of file comes from its name; a dot in a folder name says nothing about it.
    const std::string_view name = std::string_view(*path).substr(folderPart(*path).size());
    const std::size_t dot = name.find('.');
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    // The folder stored after the open is the recent file's own, as after a file dialog;
    // otherwise an entry chosen first thing would store an empty or unrelated folder.
    if (startsWithIgnoreCase(extension, "csv")) {
        state.folders.csvDirectory = folderPart(*path);
        return dispatchCommand(state, platform, cmd::LoadSourceIntoList);
    }
    if (startsWithIgnoreCase(extension, "L2")) {
        state.terrain.terrainDirectory = folderPart(*path);
        return dispatchCommand(state, platform, cmd::OpenTerrainAtPath);
    }
    return false;
}

} // namespace vantor
