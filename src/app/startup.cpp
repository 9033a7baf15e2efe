#include "app/startup.h"

#include "app/commands.h"
#include "app/menu_rules.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "base/file_lookup.h"
#include "base/text_util.h"
#include "terrain/ini_file.h"

namespace vantor {

namespace {

// Reads the theater list from the ini file in the start folder, adds one Theater menu entry per
// theater (2000 onwards), checks the first and reads the first theater's geometry. An ini file
// that is there but cannot be read is not taken for a missing one: it is reported, the built-in
// theater applies, and the result is false.
bool loadTheaters(ApplicationState& state, const Platform& platform) {
    state.theaters.iniPath = fromFsPath(findInFolder(state.folders.startDirectory, theaterIniName));
    std::string problem;
    const IniFile ini = loadIniFile(toFsPath(state.theaters.iniPath), &problem);
    if (!problem.empty()) {
        showMessage(platform,
                    withReason("Cannot read " + state.theaters.iniPath +
                                   ".  The built-in theater list applies.",
                               problem),
                    "Warning", MessageIcon::Warning);
    }
    state.theaters.list = readTheaterList(ini);

    Menu& theaterMenu = state.menu.menus[TheaterMenu];
    for (std::size_t n = 0; n < state.theaters.list.names.size(); ++n) {
        theaterMenu.items.push_back(
            makeMenuItem(cmd::TheaterFirst + static_cast<int>(n), state.theaters.list.names[n]));
    }
    setMenuItemChecked(state.menu, cmd::TheaterFirst, true);
    state.theaters.currentTheater = cmd::TheaterFirst;
    notifyMenuChanged(platform, state.menu);

    readTheaterGeometry(ini, iniValue(ini, "Location", "1", "Balkans"), state.theater);
    return problem.empty();
}

} // namespace

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
