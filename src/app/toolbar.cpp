#include "app/toolbar.h"

#include "app/commands.h"

namespace vantor {

const std::array<ToolbarButton, 12>& toolbarButtons() {
    static constexpr std::array<ToolbarButton, 12> buttons{{
        {cmd::OpenSourceCsv, "Open source csv object file"},
        {cmd::ExportObjects, "Save added/selected objects to a csv file"},
        {cmd::SelectObjects, "Select highlighted objects"},
        {cmd::DeleteSelected, "Mark for deletion selected items."},
        {cmd::Find, "Find an object..."},
        {cmd::ClearAllSelections, "Unselect all selected objects"},
        {cmd::OpenL2Terrain, "Open terrain L2 & Build Matrix"},
        {cmd::CheckRivers, "Check map for misaligned rivers"},
        {cmd::CheckRoads, "Check map for misaligned roads"},
        {cmd::PlaceBridges, "Scan map and place bridges"},
        {cmd::CheckTransitions, "Scan for missing Transistion tiles."},
        {cmd::CheckCityJunction, "Check/place commercial and industrial Objects on urban tiles."},
    }};
    return buttons;
}

} // namespace vantor
