#include "app/panel_room.h"
#include "app/recent_files.h"
#include "support/scripted_platform.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace vantor {
namespace {

struct RoomCase {
    const char* what;
    std::int32_t width;
    PanelWidths wanted;
    PanelsShown shown;
    PanelWidths room;
};

TEST(PanelRoom, PanelsGetWhatTheyWantWhileTheMapKeepsHalf) {
    const RoomCase cases[] = {
        {"nothing beside the map", 1000, {300, 300}, {false, false}, {0, 0}},
        {"default shares", 1000, {0, 0}, {true, false}, {280, 0}},
        {"default shares of both, squeezed to half", 1000, {0, 0}, {true, true}, {241, 258}},
        {"as the user left them", 1000, {200, 250}, {true, true}, {200, 250}},
        {"never below the least", 1000, {40, 30}, {true, true}, {120, 120}},
        {"too wide for half: both give way in proportion",
         1000,
         {600, 200},
         {true, true},
         {375, 125}},
        {"one alone is held to half", 1000, {0, 900}, {false, true}, {0, 500}},
        {"a tiny window", 100, {0, 0}, {true, true}, {25, 25}},
        {"no window at all", -5, {100, 100}, {true, true}, {0, 0}},
    };
    for (const RoomCase& c : cases) {
        const PanelWidths room = sharePanelRoom(c.width, c.wanted, c.shown, 120);
        EXPECT_EQ(room.list, c.room.list) << c.what;
        EXPECT_EQ(room.side, c.room.side) << c.what;
        const std::int32_t width = std::max(c.width, 0);
        EXPECT_GE(width - room.list - room.side, width / 2) << c.what;
    }
}

struct DragCase {
    const char* what;
    PanelWidths wanted;
    PanelsShown shown;
    PanelEdge edge;
    std::int32_t at;
    PanelWidths after;
};

TEST(PanelRoom, DraggingAnEdgeStopsAtTheLeastAndAtTheMapsHalf) {
    const DragCase cases[] = {
        {"list wider", {200, 250}, {true, true}, PanelEdge::List, 230, {230, 250}},
        {"list into the map's half", {200, 250}, {true, true}, PanelEdge::List, 700, {250, 250}},
        {"list below the least", {200, 250}, {true, true}, PanelEdge::List, 10, {120, 250}},
        {"side wider", {200, 250}, {true, true}, PanelEdge::Side, 700, {200, 300}},
        {"side past the window", {200, 250}, {true, true}, PanelEdge::Side, 1200, {200, 120}},
        {"side alone may take half", {200, 0}, {false, true}, PanelEdge::Side, 100, {200, 500}},
        // The shown other panel is pinned at what it was given, so it does not jump later.
        {"squeezed side kept as shown", {600, 600}, {true, true}, PanelEdge::List, 100, {120, 250}},
        {"an edge not shown moves nothing",
         {200, 250},
         {false, true},
         PanelEdge::List,
         400,
         {200, 250}},
    };
    for (const DragCase& c : cases) {
        const PanelWidths after = dragPanelEdge(1000, c.wanted, c.shown, 120, c.edge, c.at);
        EXPECT_EQ(after.list, c.after.list) << c.what;
        EXPECT_EQ(after.side, c.after.side) << c.what;
    }
}

TEST(PanelRoom, WidthsSurviveTheSettingsAndBadValuesFallBackToTheShare) {
    testing::ScriptedPlatform scripted;
    const Platform platform = scripted.platform();
    EXPECT_EQ(loadPanelWidths(platform).list, 0);
    ASSERT_TRUE(storePanelWidths(platform, {310, 270}));
    const std::pair<std::string, std::string> listSlot{std::string(settingsKey) + "\\Window",
                                                       "ListWidth"};
    EXPECT_EQ(scripted.settings[listSlot], "310");
    const PanelWidths back = loadPanelWidths(platform);
    EXPECT_EQ(back.list, 310);
    EXPECT_EQ(back.side, 270);
    for (const char* bad : {"", "wide", "-40", "12px", "99999999999"}) {
        scripted.settings[listSlot] = bad;
        EXPECT_EQ(loadPanelWidths(platform).list, 0) << bad;
    }
}

} // namespace
} // namespace vantor
