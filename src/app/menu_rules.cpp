#include "app/menu_rules.h"

#include "app/application_state.h"
#include "app/commands.h"
#include "app/platform_calls.h"

#include <initializer_list>

namespace vantor {

namespace {

void setAll(MenuModel& menu, std::initializer_list<int> ids, ItemState state) {
    for (int id : ids) {
        setMenuItemState(menu, id, state);
    }
}

} // namespace

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
    case MenuEvent::RepairWritten:
        setMenuItemState(menu, cmd::UndoRepair, Enabled);
        break;
    case MenuEvent::RepairUndone:
        setMenuItemState(menu, cmd::UndoRepair, Greyed);
        break;
    }
    notifyMenuChanged(platform, menu);
}

} // namespace vantor
