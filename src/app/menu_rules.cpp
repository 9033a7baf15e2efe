#include "app/menu_rules.h"

#include "app/application_state.h"
#include "app/commands.h"
#include "app/platform_calls.h"
#include "base/pair_history.h"
#include "terrain/terrain_pair.h"

#include <initializer_list>
#include <tuple>

namespace vantor {

namespace {

void setAll(MenuModel& menu, std::initializer_list<int> ids, ItemState state) {
    for (int id : ids) {
        setMenuItemState(menu, id, state);
    }
}

// Undo and Redo say what they would put back: the work that made the pair in place, and the
// work the last Undo took back. Both follow the history on disk, which other runs share.
void nameHistoryItems(ApplicationState& state) {
    const HistoryMoves moves = historyMovesFor(state.terrain.terrainPath);
    for (const auto& [id, label, what] : {std::tuple{cmd::UndoTerrain, "&Undo", &moves.undoWhat},
                                          std::tuple{cmd::RedoTerrain, "&Redo", &moves.redoWhat}}) {
        MenuItem* item = findMenuItem(state.menu, id);
        if (item == nullptr) {
            continue;
        }
        item->text = what->empty() ? label : std::string(label) + " " + *what;
        item->state = what->empty() ? ItemState::Greyed : ItemState::Enabled;
    }
}

} // namespace

HistoryMoves historyMovesFor(const std::string& terrainPath) {
    HistoryMoves moves;
    std::filesystem::path l2;
    std::filesystem::path o2;
    std::string error;
    PairHistory history;
    if (terrainPath.empty() || !terrainPairFor(terrainPath, l2, o2, error) ||
        !readPairHistory(l2, history, error) || history.current() == nullptr) {
        return moves;
    }
    if (undoStep(history, 1).target != 0) {
        moves.undoWhat = history.current()->what;
    }
    if (const HistoryStep redo = redoStep(history, 1); redo.target != 0) {
        moves.redoWhat = history.find(redo.target)->what;
    }
    return moves;
}

void applyMenuEvent(ApplicationState& state, const Platform& platform, MenuEvent event) {
    using enum ItemState;
    MenuModel& menu = state.menu;
    switch (event) {
    case MenuEvent::InteractiveStartup:
        setMenuItemState(menu, cmd::LoadL2mMatrix, Enabled);
        break;
    case MenuEvent::TerrainOpened:
        setAll(menu,
               {cmd::CheckPlaceMoveObjects, cmd::CheckCityJunction, cmd::PlaceBridges,
                cmd::CheckRoads, cmd::CheckRivers, cmd::CheckTransitions, cmd::FindL2Info,
                cmd::GenerateSectionReport, cmd::SaveL2mMatrix, cmd::AuditTheater},
               Enabled);
        setAll(menu, {cmd::LoadL2mMatrix, cmd::OpenL2Terrain}, Greyed);
        break;
    case MenuEvent::MatrixSaved:
        setMenuItemState(menu, cmd::SaveL2mMatrix, Greyed);
        break;
    case MenuEvent::ObjectFileLoaded:
        setAll(menu, {cmd::ListUnusedIds, cmd::OutputTextVersion}, Enabled);
        break;
    case MenuEvent::ReportLoaded:
        setMenuItemState(menu, cmd::OutputTextVersion, Enabled);
        setMenuItemState(menu, cmd::ListUnusedIds, Greyed);
        break;
    case MenuEvent::OutputRequestSucceeded:
        setMenuItemState(menu, cmd::CloseOutputFiles, Enabled);
        setMenuItemState(menu, cmd::OutputTextVersion, state.scan.textReport ? Disabled : Enabled);
        break;
    case MenuEvent::AllScansFinished:
    case MenuEvent::OutputFileClosed:
        setMenuItemState(menu, cmd::CloseOutputFiles, Greyed);
        break;
    case MenuEvent::TerrainWritten:
        break;
    }
    if (event == MenuEvent::TerrainOpened || event == MenuEvent::TerrainWritten) {
        nameHistoryItems(state);
    }
    notifyMenuChanged(platform, menu);
}

} // namespace vantor
