#include "app/command_table.h"
#include "app/startup.h"
#include "app/toolbar.h"
#include "flows/dispatcher.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <set>

namespace vantor {
namespace {

// Every item of the menu bar, in order, with its submenus' items.
void collect(const std::vector<MenuItem>& items, std::vector<const MenuItem*>& into) {
    for (const MenuItem& item : items) {
        if (item.popup) {
            collect(item.items, into);
        } else if (!item.separator) {
            into.push_back(&item);
        }
    }
}

TEST(CommandTable, EveryCommandIsOnceInTheTableAndHasAFlow) {
    std::set<int> ids;
    for (const CommandFacts& facts : commandtable::table) {
        SCOPED_TRACE(facts.id);
        EXPECT_TRUE(ids.insert(facts.id).second) << "twice in the table";
        EXPECT_EQ(hasFlow(facts.id), !facts.withRequest);
        // What the user can choose says what it does; what flows issue says nothing.
        EXPECT_EQ(facts.menu.menu != nullptr || facts.toolbarSlot >= 0, *facts.status != '\0');
        if (facts.refusalIsError || facts.refusal != nullptr) {
            EXPECT_NE(facts.refusal, nullptr);
            EXPECT_NE(facts.precondition, PreconditionKind::None);
        }
    }
    for (int id :
         {cmd::TheaterFirst, cmd::TheaterLast, cmd::RecentFileFirst, cmd::RecentFileLast}) {
        EXPECT_TRUE(hasFlow(id)) << id;
    }
    EXPECT_FALSE(hasFlow(cmd::RecentFileBase)) << "the separator above Exit runs nothing";
    EXPECT_FALSE(hasFlow(0));
}

TEST(CommandTable, EveryMenuItemAndToolbarButtonIsACommandOfTheTable) {
    const MenuModel menu = buildMainMenu();
    std::vector<const MenuItem*> items;
    for (const Menu& m : menu.menus) {
        collect(m.items, items);
    }
    std::size_t places = 0;
    for (const CommandFacts& facts : commandtable::table) {
        places += static_cast<std::size_t>(facts.menu.menu != nullptr) +
                  static_cast<std::size_t>(facts.alsoIn.menu != nullptr);
        if (facts.menu.menu != nullptr) {
            // Reachable: the first item of its identifier is one of its own places.
            const MenuItem* item = findMenuItem(menu, facts.id);
            ASSERT_NE(item, nullptr) << facts.id;
            EXPECT_TRUE(item->text == facts.menu.label ||
                        (facts.alsoIn.label != nullptr && item->text == facts.alsoIn.label))
                << item->text;
        }
    }
    EXPECT_EQ(items.size(), places) << "an item the table does not place";
    for (const MenuItem* item : items) {
        EXPECT_NE(commandFacts(item->id), nullptr) << item->id << " " << item->text;
    }
    for (const ToolbarButton& button : toolbarButtons()) {
        const CommandFacts* facts = commandFacts(button.command);
        ASSERT_NE(facts, nullptr);
        EXPECT_STREQ(button.tooltip, facts->tooltip);
        EXPECT_NE(facts->menu.menu, nullptr) << "a button is also in the menus: " << button.command;
    }
}

TEST(CommandTable, EveryPreconditionRefusesAsTheTableSays) {
    for (const CommandFacts& facts : commandtable::table) {
        if (facts.precondition == PreconditionKind::None) {
            EXPECT_EQ(preconditionFor(facts.id), nullptr);
            continue;
        }
        SCOPED_TRACE(facts.id);
        ASSERT_EQ(preconditionFor(facts.id), &facts);
        testing::TempDir dir;
        testing::ScriptedPlatform scripted;
        ApplicationState state;
        startUp(state, scripted.platform(), RunMode::Interactive, dir.str());
        // A fresh start has no terrain, no matrix and no list: every precondition but one fails.
        if (facts.precondition == PreconditionKind::TerrainClosed) {
            state.terrain.terrainOpen = true;
        }
        const int menuChanges = scripted.menuChanges;
        EXPECT_FALSE(dispatchCommand(state, scripted.platform(), facts.id));
        EXPECT_TRUE(scripted.fileRequests.empty()) << "a refused command asks for no file";
        EXPECT_EQ(scripted.menuChanges, menuChanges);
        if (facts.refusal == nullptr) {
            EXPECT_TRUE(scripted.messages.empty());
            continue;
        }
        ASSERT_EQ(scripted.messages.size(), 1u);
        EXPECT_EQ(scripted.messages[0].text, facts.refusal);
        EXPECT_EQ(scripted.messages[0].title, facts.refusalIsError ? "Error" : "Information");
        EXPECT_EQ(scripted.messages[0].icon,
                  facts.refusalIsError ? MessageIcon::Error : MessageIcon::Warning);
    }
}

TEST(CommandTable, MenuEventsChangeOnlyItemsOfTheTable) {
    // Each event's set of items is the table's; an event no row names changes nothing.
    for (MenuEvent event : {MenuEvent::MatrixSaved, MenuEvent::AllScansFinished,
                            MenuEvent::OutputFileClosed, MenuEvent::ObjectFileLoaded}) {
        const unsigned bit = onEvents({event});
        testing::TempDir dir;
        testing::ScriptedPlatform scripted;
        ApplicationState state;
        startUp(state, scripted.platform(), RunMode::Interactive, dir.str());
        for (const CommandFacts& facts : commandtable::table) {
            setMenuItemState(state.menu, facts.id, ItemState::Disabled);
        }
        applyMenuEvent(state, scripted.platform(), event);
        for (const CommandFacts& facts : commandtable::table) {
            if (facts.menu.menu == nullptr) {
                continue;
            }
            const ItemState want = (facts.enabledOn & bit) != 0  ? ItemState::Enabled
                                   : (facts.greyedOn & bit) != 0 ? ItemState::Greyed
                                                                 : ItemState::Disabled;
            EXPECT_EQ(findMenuItem(state.menu, facts.id)->state, want)
                << facts.id << " on event " << static_cast<int>(event);
        }
    }
}

TEST(CommandTable, MenuPathsReadWithoutAccessKeys) {
    EXPECT_EQ(menuPathText(*commandFacts(cmd::CheckCityJunction)),
              "Actions > Check City and Junction Objects");
    EXPECT_EQ(menuPathText(*commandFacts(cmd::HowTo)), "Help > How to ... > Export Objects ...");
    EXPECT_EQ(menuPathText(*commandFacts(cmd::MendTheater)), "");
    for (AuditMender mender : {AuditMender::Mend, AuditMender::CheckCities,
                               AuditMender::LevelAirbases, AuditMender::RadarProfiles}) {
        const CommandFacts* facts = mendingCommand(mender);
        ASSERT_NE(facts, nullptr) << static_cast<int>(mender);
        EXPECT_NE(facts->cli, nullptr) << "the audit names the vantor-cli line too";
    }
    EXPECT_EQ(mendingCommand(AuditMender::ByHand), nullptr);
}

} // namespace
} // namespace vantor
