#include "flows/dispatcher.h"

#include "app/application_state.h"
#include "app/command_table.h"
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
#include "flows/set_tile_flow.h"
#include "flows/terrain_flow.h"
#include "flows/theater_flow.h"
#include "flows/tool_flow.h"

#include <new>
#include <string>

namespace vantor {

namespace {

bool preconditionHolds(const ApplicationState& state, PreconditionKind kind) {
    switch (kind) {
    case PreconditionKind::None:
        return true;
    case PreconditionKind::TerrainOpen:
    case PreconditionKind::TerrainOpenSilently:
        return state.terrain.terrainOpen;
    case PreconditionKind::TerrainClosed:
        return !state.terrain.terrainOpen;
    case PreconditionKind::MatrixBuilt:
        return state.terrain.matrixBuilt;
    case PreconditionKind::ObjectList:
        return state.list.listMode == ListMode::Objects && state.list.model.window.has_value();
    }
    return false;
}

bool checkPrecondition(const ApplicationState& state, const Platform& platform, int command) {
    const CommandFacts* p = preconditionFor(command);
    if (p == nullptr || preconditionHolds(state, p->precondition)) {
        return true;
    }
    if (p->refusal != nullptr) {
        showMessage(platform, p->refusal, p->refusalIsError ? texts::error : texts::information,
                    p->refusalIsError ? MessageIcon::Error : MessageIcon::Warning);
    }
    return false;
}

} // namespace

const CommandFacts* preconditionFor(int command) {
    const CommandFacts* facts = commandFacts(command);
    return facts != nullptr && facts->precondition != PreconditionKind::None ? facts : nullptr;
}

namespace {

using Flow = bool (*)(ApplicationState&, const Platform&, int command);

// A flow that does not need to know which command started it.
template <bool (*flow)(ApplicationState&, const Platform&)>
bool plain(ApplicationState& state, const Platform& platform, int) {
    return flow(state, platform);
}

// A flow that cannot fail.
template <void (*flow)(ApplicationState&, const Platform&)>
bool always(ApplicationState& state, const Platform& platform, int) {
    flow(state, platform);
    return true;
}

bool exitFlow(ApplicationState&, const Platform& platform, int) {
    postCloseRequest(platform);
    return true;
}

bool progressFlow(ApplicationState& state, const Platform& platform, int) {
    reportProgress(state, platform);
    return true;
}

bool helpFlow(ApplicationState&, const Platform& platform, int) {
    return startHelp(platform);
}

bool theaterFlow(ApplicationState& state, const Platform& platform, int command) {
    return selectTheater(state, platform, command - cmd::TheaterFirst);
}

struct CommandFlow {
    int first; // the command, or the first of a range of them
    int last;
    Flow flow;
    constexpr CommandFlow(int command, Flow f) : first(command), last(command), flow(f) {}
    constexpr CommandFlow(int from, int to, Flow f) : first(from), last(to), flow(f) {}
};

// Which flow each command runs.
constexpr CommandFlow flowTable[] = {
    {cmd::TheaterFirst, cmd::TheaterLast, theaterFlow},
    {cmd::RecentFileFirst, cmd::RecentFileLast, openRecentFile},
    {cmd::Exit, exitFlow},
    {cmd::About, plain<aboutCommand>},
    {cmd::HowTo, plain<howToCommand>},
    {cmd::UsersManual, helpFlow},
    {cmd::ProgressReport, progressFlow},
    {cmd::CloseOutputFiles, always<closeOutputFiles>},
    {cmd::OpenSourceCsv, plain<openSourceCommand>},
    {cmd::LoadSourceIntoList, plain<loadSourceIntoList>},
    {cmd::ExportObjects, plain<exportObjectsCommand>},
    {cmd::ExportChosenFile, plain<writeExportCommand>},
    {cmd::OutputTextVersion, plain<textVersionCommand>},
    {cmd::SelectObjects, plain<selectObjectsCommand>},
    {cmd::ClearAllSelections, plain<clearAllSelectionsCommand>},
    {cmd::DeleteSelected, plain<deleteSelectedCommand>},
    {cmd::DestroyListWindow, plain<destroyListCommand>},
    {cmd::Find, plain<findCommand>},
    {cmd::CloseFindDialog, plain<closeFindCommand>},
    {cmd::ListUnusedIds, plain<unusedIdsCommand>},
    {cmd::PlaceBridges, scanCommand},
    {cmd::CheckRoads, scanCommand},
    {cmd::CheckRivers, scanCommand},
    {cmd::CheckTransitions, scanCommand},
    {cmd::GenerateSectionReport, plain<allScansCommand>},
    {cmd::OpenL2Terrain, plain<openL2TerrainCommand>},
    {cmd::OpenTerrainAtPath, plain<openTerrainAtPath>},
    {cmd::CloseTerrain, plain<closeTerrainCommand>},
    {cmd::SetTile, plain<setTileCommand>},
    {cmd::LoadL2mMatrix, plain<loadMatrixCommand>},
    {cmd::SaveL2mMatrix, plain<saveMatrixCommand>},
    {cmd::FindL2Info, plain<showFindL2Info>},
    {cmd::CloseFindL2Info, plain<closeFindL2Info>},
    {cmd::ChooseStartFolder, plain<chooseStartFolderCommand>},
    {cmd::AuditTheater, plain<auditTheaterCommand>},
    {cmd::UndoTerrain, plain<undoTerrainCommand>},
    {cmd::RedoTerrain, plain<redoTerrainCommand>},
    {cmd::KeepSourceDates, plain<keepSourceDatesCommand>},
    {cmd::CompareVersions, plain<compareVersionsCommand>},
    {cmd::RadarProfiles, plain<radarProfilesCommand>},
    {cmd::RemoveObjectLinks, plain<removeLinksCommand>},
    {cmd::CheckParentLinks, plain<checkParentsCommand>},
    {cmd::MoveObjectIds, plain<moveIdsCommand>},
    {cmd::LevelAirbases, plain<levelAirbasesCommand>},
    {cmd::CheckPlaceMoveObjects, plain<objectCheckCommand>},
    {cmd::CheckCityJunction, plain<cityCheckCommand>},
};

Flow flowOf(int command) {
    for (const CommandFlow& f : flowTable) {
        if (command >= f.first && command <= f.last) {
            return f.flow;
        }
    }
    return nullptr;
}

} // namespace

bool hasFlow(int command) {
    return flowOf(command) != nullptr;
}

bool runFlow(ApplicationState& state, const Platform& platform, int command,
             const std::function<bool()>& flow) {
    // A command that the user starts reads its own inputs; the commands it issues share them.
    InputScope scope(state.files.inputs);
    if (state.dispatchDepth == 0 && state.files.inputs.clearBetweenCommands) {
        state.files.inputs.read.clear();
    }
    ++state.dispatchDepth;
    bool done = false;
    try {
        done = checkPrecondition(state, platform, command) && flow();
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

bool dispatchCommand(ApplicationState& state, const Platform& platform, int command) {
    const Flow flow = flowOf(command);
    return runFlow(state, platform, command,
                   [&] { return flow != nullptr && flow(state, platform, command); });
}

} // namespace vantor
