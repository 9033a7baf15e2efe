#include "app/menu_model.h"

#include "app/commands.h"

#include <algorithm>

namespace vantor {

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
        makeMenuItem(cmd::Exit, "E&xit"),
    };

    Menu edit{"Edit", {}};
    edit.items = {
        makeMenuItem(cmd::Find, "&Find ..."),
        makeMenuItem(cmd::ClearAllSelections, "&Clear All Selections"),
        makeMenuItem(cmd::SelectObjects, "&Select Objects"),
        makeMenuItem(cmd::DeleteSelected, "&Delete Selected"),
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
