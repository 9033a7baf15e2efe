#include "app/menu_model.h"

#include "app/commands.h"

#include <algorithm>

namespace vantor {

const char* commandStatusText(int command) {
    if (command >= cmd::TheaterFirst && command <= cmd::TheaterLast) {
        return "Select this theater of Quillon.ini.";
    }
    if (command >= cmd::RecentFileFirst && command <= cmd::RecentFileLast) {
        return "Open this recently used file again.";
    }
    switch (command) {
    case cmd::OpenSourceCsv:
        return "Open an objective export or a scan report and list it.";
    case cmd::OpenL2Terrain:
        return "Open a theater's L2 terrain file, with its O2 beside it, and build the terrain "
               "matrix.";
    case cmd::CloseOutputFiles:
        return "Close the report file that scans append to.";
    case cmd::ExportObjects:
        return "Write the selected objects of the list (or all but those marked for deletion) to "
               "a new csv file.";
    case cmd::LoadL2mMatrix:
        return "Load the terrain matrix from an L2M file saved earlier.";
    case cmd::SaveL2mMatrix:
        return "Save the terrain matrix as an L2M file, which loads faster than the L2 and O2 "
               "files.";
    case cmd::ChooseStartFolder:
        return "Choose the start folder, where Quillon.ini, the scripts and the reference lists "
               "are read and fixed-name reports are written.";
    case cmd::Exit:
        return "Quit Vantor.";
    case cmd::Find:
        return "Find an object or report line in the list.";
    case cmd::ClearAllSelections:
        return "Clear every selection and deletion mark of the list.";
    case cmd::SelectObjects:
        return "Mark the highlighted rows of the list selected.";
    case cmd::DeleteSelected:
        return "Mark the highlighted rows of the list for deletion.";
    case cmd::CheckRoads:
        return "Report roads that leave a tile without the next tile continuing them.";
    case cmd::CheckRivers:
        return "Report rivers that leave a tile without the next tile continuing them.";
    case cmd::CheckTransitions:
        return "Report missing transition tiles.";
    case cmd::GenerateSectionReport:
        return "Check roads, rivers and transitions into one report.";
    case cmd::OutputTextVersion:
        return "Write the listed report as a tab-separated text file.";
    case cmd::PlaceBridges:
        return "Place a bridge objective on every bridge tile of the search area.";
    case cmd::CheckCityJunction:
        return "Check/place commercial and industrial Objects on urban tiles.";
    case cmd::FindL2Info:
        return "Find L2 Tile ID# and Elevation for X,Y";
    case cmd::ListUnusedIds:
        return "List the objective identifiers that no object of the list uses.";
    case cmd::RemoveObjectLinks:
        return "Remove static Object links from a csv file and set the Parent to zero.";
    case cmd::CheckParentLinks:
        return "Write the objects with no Parent or a wrong one to NoParent.csv and "
               "WrongParent.csv.";
    case cmd::MoveObjectIds:
        return "Move a block of objective identifiers with their links, or fix bridge offsets.";
    case cmd::RadarProfiles:
        return "Compute the radar line-of-sight profile of every object of an export.";
    case cmd::LevelAirbases:
        return "Level the Airbases (modifies Theater.L2 elevations)";
    case cmd::CheckPlaceMoveObjects:
        return "Check map for misplaced junction objects and move or place Objects.";
    case cmd::AuditTheater:
        return "Run every check on the terrain and the listed export at once, changing nothing, "
               "and show what is wrong beside the map.";
    case cmd::CompareVersions:
        return "Compare the open terrain and an export with later versions of them: the posts "
               "and the objectives that changed.";
    case cmd::KeepSourceDates:
        return "Date what is written with its source's title date instead of now, so that a "
               "run again on the same input writes the same file.";
    case cmd::UndoTerrain:
        return "Put back the terrain pair that the last write-back (a mend, a levelling, an Apply) "
               "replaced, from the terrain's history.";
    case cmd::RedoTerrain:
        return "Put back the terrain pair that the last Undo replaced.";
    case cmd::UsersManual:
        return "Open the user's manual.";
    case cmd::HowTo:
        return "How to select, delete, export and place objects; closing it builds OCDList.dat "
               "from Falcon4.ocd.";
    case cmd::About:
        return "About Vantor; closing it refines OCDList.dat from the last source export.";
    default:
        return "";
    }
}

const char* statusText(const MenuItem& item) {
    if (item.separator || item.popup) {
        return "";
    }
    // The Theater menu's label borrows the manual's identifier but starts nothing.
    if (item.id == cmd::UsersManual && item.state == ItemState::Disabled) {
        return "The theaters of Quillon.ini in the start folder; the checked one is in use.";
    }
    return commandStatusText(item.id);
}

MenuItem makeMenuItem(int id, std::string text, ItemState state) {
    MenuItem item;
    item.id = id;
    item.text = std::move(text);
    item.state = state;
    return item;
}

MenuItem makeSeparator(int id) {
    MenuItem item;
    item.id = id;
    item.separator = true;
    return item;
}

MenuModel buildMainMenu() {
    using enum ItemState;
    MenuModel model;

    Menu file{"File", {}};
    file.items = {
        makeMenuItem(cmd::OpenSourceCsv, "&Open  Source csv File..."),
        makeMenuItem(cmd::OpenL2Terrain, "Open &L2 Terrain file ..."),
        makeMenuItem(cmd::CloseOutputFiles, "&Close Output Files", Greyed),
        makeMenuItem(cmd::ExportObjects, "&Export Objects ..."),
        makeSeparator(),
        makeMenuItem(cmd::LoadL2mMatrix, "Load L2M &Matrix File...", Greyed),
        makeMenuItem(cmd::SaveL2mMatrix, "&Save L2M Matrix...", Greyed),
        makeSeparator(),
        makeMenuItem(cmd::ChooseStartFolder, "Start Folder..."),
        makeSeparator(),
        makeMenuItem(cmd::Exit, "E&xit"),
    };

    Menu edit{"Edit", {}};
    edit.items = {
        makeMenuItem(cmd::Find, "&Find ..."),
        makeMenuItem(cmd::ClearAllSelections, "&Clear All Selections"),
        makeMenuItem(cmd::SelectObjects, "&Select Objects"),
        makeMenuItem(cmd::DeleteSelected, "&Delete Selected"),
        makeSeparator(),
        makeMenuItem(cmd::UndoTerrain, "&Undo", Greyed),
        makeMenuItem(cmd::RedoTerrain, "&Redo", Greyed),
        makeMenuItem(cmd::KeepSourceDates, "&Keep Source Dates"),
    };

    Menu actions{"Actions", {}};
    actions.items = {
        makeMenuItem(cmd::CheckRoads, "Check Roa&ds ...", Greyed),
        makeMenuItem(cmd::CheckRivers, "Check &Rivers ...", Greyed),
        makeMenuItem(cmd::CheckTransitions, "Check &Transition Tiles", Greyed),
        makeMenuItem(cmd::GenerateSectionReport, "&Generate Section Report...", Greyed),
        makeMenuItem(cmd::OutputTextVersion, "Output Te&xt Version...", Greyed),
        makeSeparator(),
        makeMenuItem(cmd::PlaceBridges, "Place Bridges ...", Greyed),
        makeMenuItem(cmd::CheckCityJunction, "Check &City and Junction Objects", Greyed),
        makeSeparator(),
        makeMenuItem(cmd::FindL2Info, "&Find L2 Info...", Greyed),
        makeMenuItem(cmd::ListUnusedIds, "&List Unused Objective ID's ", Greyed),
        makeSeparator(),
        makeMenuItem(cmd::RemoveObjectLinks, "Remove Object &Links"),
        makeMenuItem(cmd::CheckParentLinks, "Check Parent Links..."),
        makeMenuItem(cmd::MoveObjectIds, "Move object ID's"),
        makeSeparator(),
        makeMenuItem(cmd::RadarProfiles, "Create Radar LOS Profiles..."),
        makeMenuItem(cmd::LevelAirbases, "Level Airbases"),
        makeMenuItem(cmd::CheckPlaceMoveObjects, "Check/Place/Move Objects"),
        makeSeparator(),
        makeMenuItem(cmd::AuditTheater, "Audit Theater...", Greyed),
        makeMenuItem(cmd::CompareVersions, "Compare Versions..."),
    };

    // The label shares its identifier with "User's Manual"; being disabled it starts nothing.
    Menu theater{"Theater", {}};
    theater.items = {
        makeMenuItem(cmd::UsersManual, "Select Theater", Disabled),
        makeSeparator(),
    };

    MenuItem howTo = makeMenuItem(0, "How to ...");
    howTo.popup = true;
    howTo.items = {
        makeMenuItem(cmd::HowTo, "Export Objects ..."),
        makeMenuItem(cmd::HowTo, "Place Objects ..."),
        makeMenuItem(cmd::UsersManual, "User's Manual"),
    };
    Menu help{"Help", {}};
    help.items = {std::move(howTo), makeMenuItem(cmd::About, "&About ...")};

    model.menus = {std::move(file), std::move(edit), std::move(actions), std::move(theater),
                   std::move(help)};
    return model;
}

bool isChoosable(const MenuItem& item) {
    return !item.separator && !item.popup && item.state == ItemState::Enabled;
}

namespace {

MenuItem* findIn(std::vector<MenuItem>& items, int id) {
    for (MenuItem& item : items) {
        if (item.popup) {
            if (MenuItem* found = findIn(item.items, id)) {
                return found;
            }
        } else if (!item.separator && item.id == id) {
            return &item;
        }
    }
    return nullptr;
}

} // namespace

MenuItem* findMenuItem(MenuModel& model, int id) {
    for (Menu& menu : model.menus) {
        if (MenuItem* found = findIn(menu.items, id)) {
            return found;
        }
    }
    return nullptr;
}

const MenuItem* findMenuItem(const MenuModel& model, int id) {
    return findMenuItem(const_cast<MenuModel&>(model), id);
}

bool setMenuItemState(MenuModel& model, int id, ItemState state) {
    MenuItem* item = findMenuItem(model, id);
    if (item == nullptr) {
        return false;
    }
    item->state = state;
    return true;
}

bool setMenuItemChecked(MenuModel& model, int id, bool checked) {
    MenuItem* item = findMenuItem(model, id);
    if (item == nullptr) {
        return false;
    }
    item->checked = checked;
    return true;
}

void removeMenuItems(Menu& menu, int id) {
    std::erase_if(menu.items, [id](const MenuItem& item) { return !item.popup && item.id == id; });
}

bool insertMenuItemBefore(Menu& menu, int beforeId, MenuItem item) {
    auto it = std::find_if(menu.items.begin(), menu.items.end(),
                           [beforeId](const MenuItem& m) { return !m.popup && m.id == beforeId; });
    if (it == menu.items.end()) {
        return false;
    }
    menu.items.insert(it, std::move(item));
    return true;
}

} // namespace vantor
