#pragma once

#include <string>
#include <vector>

namespace vantor {

// Greyed items are shown dimmed and cannot be chosen; disabled items look normal but cannot be
// chosen either.
enum class ItemState { Enabled, Greyed, Disabled };

struct MenuItem {
    int id = 0;
    std::string text;
    bool separator = false;
    ItemState state = ItemState::Enabled;
    bool checked = false;
    bool popup = false; // a submenu; its items are in `items`
    std::vector<MenuItem> items;
};

struct Menu {
    std::string title;
    std::vector<MenuItem> items;
};

struct MenuModel {
    std::vector<Menu> menus;
};

// Positions of the top-level menus.
enum MenuPosition : std::size_t {
    FileMenu = 0,
    EditMenu = 1,
    ActionsMenu = 2,
    TheaterMenu = 3,
    HelpMenu = 4
};

// The menu bar as the program starts, before the Theater entries and recent files are added.
MenuModel buildMainMenu();

bool isChoosable(const MenuItem& item);

// The first item with this identifier, in menu order and depth first (how the window system
// finds a command in a menu bar). Null when there is none.
MenuItem* findMenuItem(MenuModel& model, int id);
const MenuItem* findMenuItem(const MenuModel& model, int id);

bool setMenuItemState(MenuModel& model, int id, ItemState state);
bool setMenuItemChecked(MenuModel& model, int id, bool checked);

// Removes every item of the menu (not its submenus) with this identifier.
void removeMenuItems(Menu& menu, int id);
// Inserts before the first item with identifier beforeId; false when there is none.
bool insertMenuItemBefore(Menu& menu, int beforeId, MenuItem item);

// What the status bar says while a command's menu item or toolbar button is under the mouse: the
// suite's own text where it has one, a sentence of ours elsewhere; empty for none.
const char* commandStatusText(int command);
// The status text of one menu item; empty for separators and popups.
const char* statusText(const MenuItem& item);

MenuItem makeMenuItem(int id, std::string text, ItemState state = ItemState::Enabled);
MenuItem makeSeparator(int id = 0);

} // namespace vantor
