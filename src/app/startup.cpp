#include "app/startup.h"

#include "app/commands.h"
#include "app/menu_rules.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "base/file_lookup.h"
#include "base/file_system.h"
#include "base/text_util.h"
#include "terrain/ini_file.h"

#include <vector>

namespace vantor {

bool loadTheaters(ApplicationState& state, const Platform& platform) {
    state.theaters.iniPath = fromFsPath(findInFolder(state.folders.startDirectory, theaterIniName));
    std::string problem;
    IniFile ini;
    if (!readIniFile(toFsPath(state.theaters.iniPath), ini, problem)) {
        showMessage(platform,
                    withReason("Cannot read " + state.theaters.iniPath +
                                   ".  The built-in theater list applies.",
                               problem),
                    "Warning", MessageIcon::Warning);
    }
    state.theaters.list = readTheaterList(ini);

    Menu& theaterMenu = state.menu.menus[TheaterMenu];
    std::erase_if(theaterMenu.items, [](const MenuItem& item) {
        return item.id >= cmd::TheaterFirst && item.id <= cmd::TheaterLast;
    });
    for (std::size_t n = 0; n < state.theaters.list.names.size(); ++n) {
        theaterMenu.items.push_back(
            makeMenuItem(cmd::TheaterFirst + static_cast<int>(n), state.theaters.list.names[n]));
    }
    setMenuItemChecked(state.menu, cmd::TheaterFirst, true);
    state.theaters.currentTheater = cmd::TheaterFirst;
    notifyMenuChanged(platform, state.menu);

    // Open terrain keeps the size it was read with.
    if (!state.terrain.terrainOpen) {
        readTheaterGeometry(ini, iniValue(ini, "Location", "1", "Balkans"), state.theater);
    }
    return problem.empty();
}

std::string chooseStartFolder(const Platform& platform, const std::string& fromCommandLine,
                              const std::string& current) {
    if (!fromCommandLine.empty()) {
        return fromCommandLine;
    }
    std::string remembered;
    if (readFolder(platform, pathsSubkey, startFolderValue, remembered) && !remembered.empty() &&
        examinePath(toFsPath(remembered)).kind == FileKind::Folder) {
        return remembered;
    }
    return current;
}

bool startUp(ApplicationState& state, const Platform& platform, RunMode mode,
             const std::string& workingDirectory) {
    state.runMode = mode;
    state.menu = buildMainMenu();
    bool iniRead = true;
    if (mode == RunMode::Interactive) {
        state.folders.startDirectory = workingDirectory;
        state.folders.csvDirectory = state.folders.startDirectory;
        iniRead = loadTheaters(state, platform);
        applyMenuEvent(state, platform, MenuEvent::InteractiveStartup);
    }

    state.recentFiles = createRecentFileList();
    loadRecentFiles(state.recentFiles, platform);
    rebuildRecentFileMenu(state.recentFiles, state.menu.menus[FileMenu], cmd::Exit);
    notifyMenuChanged(platform, state.menu);

    if (mode == RunMode::RadarBatch) {
        postCommand(platform, cmd::RadarProfiles);
    } else if (mode == RunMode::AirbaseBatch) {
        postCommand(platform, cmd::LevelAirbases);
    }
    return iniRead;
}

void closeOutputFiles(ApplicationState& state, const Platform& platform) {
    if (!state.files.outputFile.isOpen()) {
        return;
    }
    const MessageAnswer answer = showMessage(platform, texts::closeAppendableOutput, texts::warning,
                                             MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) {
        return;
    }
    state.files.outputFile.close();
    state.scan.appendToOutput = false;
    applyMenuEvent(state, platform, MenuEvent::OutputFileClosed);
}

void handleCloseRequest(ApplicationState& state, const Platform& platform) {
    closeProgress(state, platform);
    state.files.outputFile.close();
    state.files.textReportFile.close();
    state.files.toolSourceFile.close();
    if (state.list.find.present) {
        state.list.find.present = false;
        if (platform.closeFind) {
            platform.closeFind();
        }
    }
    destroyListWindow(state.list.model);
    if (state.terrain.findL2InfoPresent) {
        state.terrain.findL2InfoPresent = false;
        if (platform.closeFindL2Info) {
            platform.closeFindL2Info();
        }
    }
}

} // namespace vantor
