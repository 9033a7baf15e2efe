#include "flows/dispatcher.h"

#include "app/application_state.h"
#include "app/commands.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "app/startup.h"
#include "flows/audit_flow.h"
#include "flows/check_flow.h"
#include "flows/diff_flow.h"
#include "flows/history_flow.h"
#include "flows/list_flow.h"
#include "flows/mend_flow.h"
#include "flows/recent_file_flow.h"
#include "flows/reference_flow.h"
#include "flows/scan_flow.h"
#include "flows/terrain_flow.h"
#include "flows/theater_flow.h"
#include "flows/tool_flow.h"

#include <new>
#include <string>

namespace vantor {

namespace {

using enum PreconditionKind;

constexpr Precondition preconditions[] = {
    {cmd::OpenL2Terrain, TerrainClosed, texts::matrixAlreadyCreated},
    {cmd::LoadL2mMatrix, TerrainClosed, texts::matrixAlreadyCreated},
    {cmd::PlaceBridges, TerrainOpen, "Cannot place Bridges until the terrain file (L2) is opened."},
    {cmd::CheckRivers, TerrainOpen, "Cannot scan Rivers until the terrain file (L2) is opened."},
    {cmd::CheckRoads, TerrainOpen, "Cannot scan Roads until the terrain file (L2) is opened."},
    {cmd::CheckPlaceMoveObjects, TerrainOpen,
     "Cannot scan Objects until the terrain file (L2) is opened."},
    {cmd::FindL2Info, TerrainOpen, "Cannot find L2 Info until the terrain file (L2) is opened."},
    {cmd::CheckTransitions, TerrainOpen,
     "Cannot scan Transitions until the terrain file (L2) is opened."},
    {cmd::CheckCityJunction, TerrainOpen,
     "Cannot scan Objects until the terrain file (L2) is opened."},
    {cmd::GenerateSectionReport, TerrainOpenSilently, nullptr},
    {cmd::AuditTheater, TerrainOpen,
     "Cannot audit the theater until the terrain file (L2) is opened."},
    {cmd::MendTheater, TerrainOpen,
     "Cannot mend the theater until the terrain file (L2) is opened."},
    {cmd::SaveL2mMatrix, MatrixBuilt, nullptr},
    {cmd::ListUnusedIds, ObjectList, nullptr},
};

bool preconditionHolds(const ApplicationState& state, const Precondition& p) {
    switch (p.kind) {
    case TerrainOpen:
    case TerrainOpenSilently:
        return state.terrain.terrainOpen;
    case TerrainClosed:
        return !state.terrain.terrainOpen;
    case MatrixBuilt:
        return state.terrain.matrixBuilt;
    case ObjectList:
        return state.list.listMode == ListMode::Objects && state.list.model.window.has_value();
    }
    return false;
}

bool checkPrecondition(const ApplicationState& state, const Platform& platform, int command) {
    const Precondition* p = preconditionFor(command);
    if (p == nullptr || preconditionHolds(state, *p)) {
        return true;
    }
    if (p->message != nullptr) {
        const bool isError = command == cmd::FindL2Info;
        showMessage(platform, p->message, isError ? texts::error : texts::information,
                    isError ? MessageIcon::Error : MessageIcon::Warning);
    }
    return false;
}

} // namespace

const Precondition* preconditionFor(int command) {
    for (const Precondition& p : preconditions) {
        if (p.command == command) {
            return &p;
        }
    }
    return nullptr;
}

namespace {

bool runCommand(ApplicationState& state, const Platform& platform, int command);

} // namespace

bool dispatchCommand(ApplicationState& state, const Platform& platform, int command) {
    // A command that the user starts reads its own inputs; the commands it issues share them.
    InputScope scope(state.files.inputs);
    if (state.dispatchDepth == 0 && state.files.inputs.clearBetweenCommands) {
        state.files.inputs.read.clear();
    }
    ++state.dispatchDepth;
    bool done = false;
    try {
        done = runCommand(state, platform, command);
    } catch (const std::bad_alloc&) {
        // Every reader checks what a file asks for before allocating; this is the last guard.
        --state.dispatchDepth;
        if (state.dispatchDepth == 0) {
            closeProgress(state, platform);
            showMessage(platform, texts::notEnoughMemoryForCommand, texts::error,
                        MessageIcon::Error);
            return false;
        }
        throw;
    }
    --state.dispatchDepth;
    return done;
}

namespace {

bool runCommand(ApplicationState& state, const Platform& platform, int command) {
    if (!checkPrecondition(state, platform, command)) {
        return false;
    }
    if (command >= cmd::TheaterFirst && command <= cmd::TheaterLast) {
        return selectTheater(state, platform, command - cmd::TheaterFirst);
    }
    if (command >= cmd::RecentFileFirst && command <= cmd::RecentFileLast) {
        return openRecentFile(state, platform, command);
    }
    switch (command) {
    case cmd::Exit:
        postCloseRequest(platform);
        return true;
    case cmd::About:
        return aboutCommand(state, platform);
    case cmd::HowTo:
        return howToCommand(state, platform);
    case cmd::UsersManual:
        return startHelp(platform);
    case cmd::ProgressReport:
        reportProgress(state, platform);
        return true;
    case cmd::CloseOutputFiles:
        closeOutputFiles(state, platform);
        return true;
    case cmd::OpenSourceCsv:
        return openSourceCommand(state, platform);
    case cmd::LoadSourceIntoList:
        return loadSourceIntoList(state, platform);
    case cmd::ExportObjects:
        return exportObjectsCommand(state, platform);
    case cmd::ExportChosenFile:
        return writeExportCommand(state, platform);
    case cmd::OutputTextVersion:
        return textVersionCommand(state, platform);
    case cmd::SelectObjects:
        return selectObjectsCommand(state, platform);
    case cmd::ClearAllSelections:
        return clearAllSelectionsCommand(state, platform);
    case cmd::DeleteSelected:
        return deleteSelectedCommand(state, platform);
    case cmd::DestroyListWindow:
        return destroyListCommand(state, platform);
    case cmd::Find:
        return findCommand(state, platform);
    case cmd::CloseFindDialog:
        return closeFindCommand(state, platform);
    case cmd::ListUnusedIds:
        return unusedIdsCommand(state, platform);
    case cmd::PlaceBridges:
    case cmd::CheckRoads:
    case cmd::CheckRivers:
    case cmd::CheckTransitions:
        return scanCommand(state, platform, command);
    case cmd::GenerateSectionReport:
        return allScansCommand(state, platform);
    case cmd::OpenL2Terrain:
        return openL2TerrainCommand(state, platform);
    case cmd::OpenTerrainAtPath:
        return openTerrainAtPath(state, platform);
    case cmd::LoadL2mMatrix:
        return loadMatrixCommand(state, platform);
    case cmd::SaveL2mMatrix:
        return saveMatrixCommand(state, platform);
    case cmd::FindL2Info:
        return showFindL2Info(state, platform);
    case cmd::CloseFindL2Info:
        return closeFindL2Info(state, platform);
    case cmd::ChooseStartFolder:
        return chooseStartFolderCommand(state, platform);
    case cmd::AuditTheater:
        return auditTheaterCommand(state, platform);
    case cmd::MendTheater:
        return mendCommand(state, platform);
    case cmd::UndoTerrain:
        return undoTerrainCommand(state, platform);
    case cmd::RedoTerrain:
        return redoTerrainCommand(state, platform);
    case cmd::KeepSourceDates:
        return keepSourceDatesCommand(state, platform);
    case cmd::CompareVersions:
        return compareVersionsCommand(state, platform);
    case cmd::RadarProfiles:
        return radarProfilesCommand(state, platform);
    case cmd::RemoveObjectLinks:
        return removeLinksCommand(state, platform);
    case cmd::CheckParentLinks:
        return checkParentsCommand(state, platform);
    case cmd::MoveObjectIds:
        return moveIdsCommand(state, platform);
    case cmd::LevelAirbases:
        return levelAirbasesCommand(state, platform);
    case cmd::CheckPlaceMoveObjects:
        return objectCheckCommand(state, platform);
    case cmd::CheckCityJunction:
        return cityCheckCommand(state, platform);
    default:
        return false;
    }
}

} // namespace

} // namespace vantor
