#include "app/menu_rules.h"

#include "app/application_state.h"
#include "app/command_table.h"
#include "app/commands.h"
#include "app/platform_calls.h"
#include "base/pair_history.h"
#include "terrain/terrain_pair.h"

#include <tuple>

namespace vantor {

namespace {

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
    const unsigned bit = onEvents({event});
    for (const CommandFacts& facts : commandtable::table) {
        if ((facts.enabledOn & bit) != 0) {
            setMenuItemState(state.menu, facts.id, ItemState::Enabled);
        } else if ((facts.greyedOn & bit) != 0) {
            setMenuItemState(state.menu, facts.id, ItemState::Greyed);
        }
    }
    // A text report being written cannot be turned into a text version.
    if (event == MenuEvent::OutputRequestSucceeded) {
        setMenuItemState(state.menu, cmd::OutputTextVersion,
                         state.scan.textReport ? ItemState::Disabled : ItemState::Enabled);
    }
    if (event == MenuEvent::TerrainOpened || event == MenuEvent::TerrainWritten ||
        event == MenuEvent::TerrainShut) {
        nameHistoryItems(state);
    }
    notifyMenuChanged(platform, state.menu);
}

} // namespace vantor
