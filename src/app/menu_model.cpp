#include "app/menu_model.h"

#include "app/command_table.h"
#include "app/commands.h"

#include <algorithm>
#include <string_view>

namespace vantor {

const char* commandStatusText(int command) {
    if (command >= cmd::TheaterFirst && command <= cmd::TheaterLast) {
        return "Select this theater of Quillon.ini.";
    }
    if (command >= cmd::RecentFileFirst && command <= cmd::RecentFileLast) {
        return "Open this recently used file again.";
    }
    const CommandFacts* facts = commandFacts(command);
    return facts != nullptr ? facts->status : "";
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

namespace {

// The items of a menu title, a submenu named after a slash ("Help/How to ...") made where it is
// first met.
std::vector<MenuItem>& itemsOf(MenuModel& model, std::string_view path) {
    const std::string_view title = path.substr(0, path.find('/'));
    auto menu = std::find_if(model.menus.begin(), model.menus.end(),
                             [title](const Menu& m) { return m.title == title; });
    if (title.size() == path.size()) {
        return menu->items;
    }
    const std::string_view sub = path.substr(title.size() + 1);
    auto popup = std::find_if(menu->items.begin(), menu->items.end(),
                              [sub](const MenuItem& m) { return m.popup && m.text == sub; });
    if (popup == menu->items.end()) {
        MenuItem item = makeMenuItem(0, std::string(sub));
        item.popup = true;
        popup = menu->items.insert(menu->items.end(), std::move(item));
    }
    return popup->items;
}

void place(MenuModel& model, int id, const MenuPlace& where) {
    if (where.menu == nullptr) {
        return;
    }
    std::vector<MenuItem>& items = itemsOf(model, where.menu);
    if (where.separatorBefore) {
        items.push_back(makeSeparator());
    }
    items.push_back(makeMenuItem(id, where.label, where.state));
    if (where.separatorAfter) {
        items.push_back(makeSeparator());
    }
}

} // namespace

MenuModel buildMainMenu() {
    MenuModel model;
    for (const char* title : {"File", "Edit", "Actions", "Theater", "Help"}) {
        model.menus.push_back(Menu{title, {}});
    }
    for (const CommandFacts& facts : commandtable::table) {
        place(model, facts.id, facts.menu);
        place(model, facts.id, facts.alsoIn);
    }
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
