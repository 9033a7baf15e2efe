#include "app/commands.h"
#include "app/menu_rules.h"
#include "app/startup.h"
#include "app/toolbar.h"
#include "support/menu_text.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <functional>
#include <gtest/gtest.h>

namespace vantor {
namespace {

using testing::describeMenu;
using Lines = std::vector<std::string>;

TEST(MenuModel, MainMenuHasEveryItemInOrderWithItsStartingState) {
    const MenuModel model = buildMainMenu();
    ASSERT_EQ(model.menus.size(), 5u);
    EXPECT_EQ(model.menus[FileMenu].title, "File");
    EXPECT_EQ(model.menus[EditMenu].title, "Edit");
    EXPECT_EQ(model.menus[ActionsMenu].title, "Actions");
    EXPECT_EQ(model.menus[TheaterMenu].title, "Theater");
    EXPECT_EQ(model.menus[HelpMenu].title, "Help");

    EXPECT_EQ(describeMenu(model.menus[FileMenu]),
              (Lines{"10203 &Open  Source csv File...", "10215 Open &L2 Terrain file ...",
                     "10248 Close &Terrain (greyed)", "10233 &Close Output Files (greyed)",
                     "10205 &Export Objects ...", "---", "10228 Load L2M &Matrix File... (greyed)",
                     "10227 &Save L2M Matrix... (greyed)", "---", "10240 Start Folder...", "---",
                     "10202 E&xit"}));
    EXPECT_EQ(describeMenu(model.menus[EditMenu]),
              (Lines{"10208 &Find ...", "10213 &Clear All Selections", "10211 &Select Objects",
                     "10230 &Delete Selected", "---", "10243 &Undo (greyed)",
                     "10246 &Redo (greyed)", "10244 &Keep Source Dates"}));
    EXPECT_EQ(describeMenu(model.menus[ActionsMenu]),
              (Lines{"10218 Check Roa&ds ... (greyed)",
                     "10217 Check &Rivers ... (greyed)",
                     "10229 Check &Transition Tiles (greyed)",
                     "10232 &Generate Section Report... (greyed)",
                     "10231 Output Te&xt Version... (greyed)",
                     "---",
                     "10216 Place Bridges ... (greyed)",
                     "10237 Check &City and Junction Objects (greyed)",
                     "---",
                     "10222 &Find L2 Info... (greyed)",
                     "10247 Set T&ile... (greyed)",
                     "10224 &List Unused Objective ID's  (greyed)",
                     "---",
                     "10236 Remove Object &Links",
                     "10238 Check Parent Links...",
                     "25033 Move object ID's",
                     "---",
                     "10239 Create Radar LOS Profiles...",
                     "17182 Level Airbases",
                     "10219 Check/Place/Move Objects",
                     "---",
                     "10241 Audit Theater... (greyed)",
                     "10245 Compare Versions..."}));
    EXPECT_EQ(describeMenu(model.menus[TheaterMenu]),
              (Lines{"10206 Select Theater (disabled)", "---"}));
    EXPECT_EQ(describeMenu(model.menus[HelpMenu]),
              (Lines{"> How to ...", "  10209 Export Objects ...", "  10209 Place Objects ...",
                     "  10206 User's Manual", "10204 &About ..."}));
}

ItemState stateOf(const ApplicationState& state, int id) {
    const MenuItem* item = findMenuItem(state.menu, id);
    return item != nullptr ? item->state : ItemState::Disabled;
}

TEST(MenuRules, EachEventChangesExactlyItsItems) {
    using enum ItemState;
    using Expect = std::vector<std::pair<int, ItemState>>;
    struct Case {
        const char* name;
        MenuEvent event;
        bool textReport;
        Expect changes;
    };
    const Case cases[] = {
        {"interactive start-up",
         MenuEvent::InteractiveStartup,
         false,
         {{cmd::LoadL2mMatrix, Enabled}}},
        {"terrain opened",
         MenuEvent::TerrainOpened,
         false,
         {{cmd::CheckPlaceMoveObjects, Enabled},
          {cmd::CheckCityJunction, Enabled},
          {cmd::PlaceBridges, Enabled},
          {cmd::CheckRoads, Enabled},
          {cmd::CheckRivers, Enabled},
          {cmd::CheckTransitions, Enabled},
          {cmd::FindL2Info, Enabled},
          {cmd::GenerateSectionReport, Enabled},
          {cmd::SaveL2mMatrix, Enabled},
          {cmd::AuditTheater, Enabled},
          {cmd::LoadL2mMatrix, Greyed},
          {cmd::OpenL2Terrain, Greyed},
          // Undo and Redo follow the terrain's history, which a pair never written lacks.
          {cmd::UndoTerrain, Greyed},
          {cmd::RedoTerrain, Greyed}}},
        {"terrain written without a history",
         MenuEvent::TerrainWritten,
         false,
         {{cmd::UndoTerrain, Greyed}, {cmd::RedoTerrain, Greyed}}},
        {"matrix saved", MenuEvent::MatrixSaved, false, {{cmd::SaveL2mMatrix, Greyed}}},
        {"objects loaded",
         MenuEvent::ObjectFileLoaded,
         false,
         {{cmd::ListUnusedIds, Enabled}, {cmd::OutputTextVersion, Enabled}}},
        {"report loaded",
         MenuEvent::ReportLoaded,
         false,
         {{cmd::OutputTextVersion, Enabled}, {cmd::ListUnusedIds, Greyed}}},
        {"output chosen",
         MenuEvent::OutputRequestSucceeded,
         false,
         {{cmd::CloseOutputFiles, Enabled}, {cmd::OutputTextVersion, Enabled}}},
        {"output chosen with text report",
         MenuEvent::OutputRequestSucceeded,
         true,
         {{cmd::CloseOutputFiles, Enabled}, {cmd::OutputTextVersion, Disabled}}},
        {"all scans finished",
         MenuEvent::AllScansFinished,
         false,
         {{cmd::CloseOutputFiles, Greyed}}},
        {"output closed", MenuEvent::OutputFileClosed, false, {{cmd::CloseOutputFiles, Greyed}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::ScriptedPlatform scripted;
        ApplicationState state;
        // Start from an all-enabled bar (except the changed items' opposite), so that an event
        // that touches an item it should not shows up.
        state.menu = buildMainMenu();
        for (Menu& menu : state.menu.menus) {
            for (MenuItem& item : menu.items) {
                item.state = Enabled;
            }
        }
        for (const auto& [id, expected] : c.changes) {
            setMenuItemState(state.menu, id, expected == Enabled ? Greyed : Enabled);
        }
        const MenuModel before = state.menu;
        state.scan.textReport = c.textReport;
        applyMenuEvent(state, scripted.platform(), c.event);
        EXPECT_EQ(scripted.menuChanges, 1);
        for (std::size_t m = 0; m < before.menus.size(); ++m) {
            for (std::size_t i = 0; i < before.menus[m].items.size(); ++i) {
                const MenuItem& item = state.menu.menus[m].items[i];
                if (item.popup || item.separator) {
                    continue;
                }
                ItemState expected = before.menus[m].items[i].state;
                for (const auto& [id, s] : c.changes) {
                    if (id == item.id) {
                        expected = s;
                    }
                }
                EXPECT_EQ(item.state, expected) << item.id << " " << item.text;
            }
        }
    }
}

TEST(MenuRules, InteractiveStartupEnablesMatrixLoadButBatchStartupDoesNot) {
    testing::TempDir dir;
    for (RunMode mode : {RunMode::Interactive, RunMode::RadarBatch, RunMode::AirbaseBatch}) {
        testing::ScriptedPlatform scripted;
        ApplicationState state;
        startUp(state, scripted.platform(), mode, dir.str());
        EXPECT_EQ(stateOf(state, cmd::LoadL2mMatrix),
                  mode == RunMode::Interactive ? ItemState::Enabled : ItemState::Greyed);
        EXPECT_EQ(stateOf(state, cmd::CheckRoads), ItemState::Greyed);
    }
}

TEST(StatusTexts, EveryMenuItemAndToolbarButtonSaysWhatItDoes) {
    testing::TempDir dir;
    dir.write("Quillon.ini", "[Location]\nTheaters=2\n1=Korea\n2=Israel\n");
    testing::ScriptedPlatform scripted;
    scripted.settings[{"Software\\Moravik\\Quillon", "File1"}] = "one.csv";
    ApplicationState state;
    startUp(state, scripted.platform(), RunMode::Interactive, dir.str());

    std::size_t items = 0;
    std::function<void(const std::vector<MenuItem>&)> walk = [&](const auto& list) {
        for (const MenuItem& item : list) {
            if (item.popup) {
                walk(item.items);
            } else if (!item.separator) {
                ++items;
                EXPECT_STRNE(statusText(item), "") << item.id << " " << item.text;
            }
        }
    };
    for (const Menu& menu : state.menu.menus) {
        walk(menu.items);
    }
    EXPECT_GE(items, 35u) << "the theaters and the recent file are among them";
    for (const ToolbarButton& button : toolbarButtons()) {
        EXPECT_STRNE(commandStatusText(button.command), "") << button.command;
    }

    // The suite's own texts stand as they are.
    const std::pair<int, const char*> own[] = {
        {cmd::FindL2Info, "Find L2 Tile ID# and Elevation for X,Y"},
        {cmd::CheckCityJunction, "Check/place commercial and industrial Objects on urban tiles."},
        {cmd::CheckPlaceMoveObjects,
         "Check map for misplaced junction objects and move or place Objects."},
        {cmd::RemoveObjectLinks,
         "Remove static Object links from a csv file and set the Parent to zero."},
        {cmd::LevelAirbases, "Level the Airbases (modifies Theater.L2 elevations)"},
    };
    for (const auto& [command, text] : own) {
        EXPECT_STREQ(commandStatusText(command), text);
    }
    EXPECT_STREQ(commandStatusText(cmd::CloseFindL2Info), "") << "internal commands have none";
}

} // namespace
} // namespace vantor
