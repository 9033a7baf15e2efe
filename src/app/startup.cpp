#include "app/startup.h"

#include "app/commands.h"
#include "app/menu_rules.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "terrain/theater_selection.h"

namespace vantor {

bool startUp(ApplicationState& state, const Platform& platform, RunMode mode,
             const std::string& workingDirectory) {
    state.runMode = mode;
    state.menu = buildMainMenu();
    bool iniRead = true;
    if (mode == RunMode::Interactive) {
        state.startDirectory = workingDirectory;
        state.csvDirectory = state.startDirectory;
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
    if (!state.outputFile.isOpen()) {
        return;
    }
    const MessageAnswer answer = showMessage(platform, texts::closeAppendableOutput, texts::warning,
                                             MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) {
        return;
    }
    state.outputFile.close();
    state.appendToOutput = false;
    applyMenuEvent(state, platform, MenuEvent::OutputFileClosed);
}

void handleCloseRequest(ApplicationState& state, const Platform& platform) {
    closeProgress(state, platform);
    state.outputFile.close();
    state.textReportFile.close();
    state.toolSourceFile.close();
    if (state.find.present) {
        state.find.present = false;
        if (platform.closeFind) {
            platform.closeFind();
        }
    }
    destroyListWindow(state.list);
    if (state.findL2InfoPresent) {
        state.findL2InfoPresent = false;
        if (platform.closeFindL2Info) {
            platform.closeFindL2Info();
        }
    }
}

} // namespace vantor
