#include "app/commands.h"
#include "app/startup.h"
#include "flows/dispatcher.h"
#include "support/menu_text.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "terrain/theater.h"

#include <gtest/gtest.h>
#include <optional>

namespace vantor {
namespace {

using Lines = std::vector<std::string>;

struct Started {
    testing::TempDir dir;
    testing::ScriptedPlatform scripted;
    ApplicationState state;

    explicit Started(const std::string& ini, const std::string& fileName = "Quillon.ini") {
        if (!ini.empty()) {
            dir.write(fileName, ini);
        }
        startUp(state, scripted.platform(), RunMode::Interactive, dir.str());
    }
    Lines theaterMenu() const { return testing::describeMenu(state.menu.menus[TheaterMenu]); }
    bool select(int k) {
        return dispatchCommand(state, scripted.platform(), cmd::TheaterFirst + k);
    }
};

const char* threeTheaters = "[Location]\n"
                            "Theaters=3\n"
                            "1=Korea\n"
                            "2=Balkans\n"
                            "3=Israel\n"
                            "[Korea]\n"
                            "X Map Extent=1024\nY Map Extent=1024\n"
                            "X Sections=64\nY Sections=64\n"
                            "[Israel]\n"
                            "SW Long=30.5\n"
                            "X Map Extent=2048\nY Map Extent=2048\n"
                            "X Sections=128\nY Sections=128\n";

TEST(Theaters, TheIniListFillsTheTheaterMenuWithTheFirstChecked) {
    struct Case {
        const char* name;
        std::string ini;
        Lines entries;
    };
    const Case cases[] = {
        {"no ini file", "", {"2000 Balkans (checked)"}},
        {"three theaters", threeTheaters, {"2000 Korea (checked)", "2001 Balkans", "2002 Israel"}},
        {"more than ten are cut to ten",
         "[Location]\nTheaters=12\n1=A\n2=B\n3=C\n4=D\n5=E\n6=F\n7=G\n8=H\n9=I\n10=J\n11=K\n12=L\n",
         {"2000 A (checked)", "2001 B", "2002 C", "2003 D", "2004 E", "2005 F", "2006 G", "2007 H",
          "2008 I", "2009 J"}},
        {"a missing name key reads Balkans",
         "[Location]\nTheaters=3\n1=Korea\n2=Israel\n",
         {"2000 Korea (checked)", "2001 Israel", "2002 Balkans"}},
        {"a count that is no number keeps one",
         "[Location]\nTheaters=many\n1=Korea\n",
         {"2000 Korea (checked)"}},
        {"section and key names ignore case",
         "[LOCATION]\ntheaters=2\n1=Korea\n2 = Israel \n",
         {"2000 Korea (checked)", "2001 Israel"}},
        {"no theaters at all", "[Location]\nTheaters=0\n1=Korea\n[Korea]\nX Sections=32\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Started s(c.ini);
        Lines expected{"10206 Select Theater (disabled)", "---"};
        expected.insert(expected.end(), c.entries.begin(), c.entries.end());
        EXPECT_EQ(s.theaterMenu(), expected);
        EXPECT_EQ(s.state.theaters.currentTheater, 2000);
    }
}

TEST(Theaters, WithoutIniTheGeometryIsTheStandardTheater) {
    Started s("");
    const TheaterDefinition& t = s.state.theater;
    EXPECT_EQ(t.sectionName, "Balkans");
    EXPECT_EQ(t.xMapExtent, 1024);
    EXPECT_EQ(t.yMapExtent, 1024);
    EXPECT_EQ(t.xSections, 64);
    EXPECT_EQ(t.ySections, 64);
    EXPECT_EQ(t.xTiles, 16);
    EXPECT_EQ(t.yTiles, 16);
    EXPECT_EQ(t.lastMapX, 1023);
    EXPECT_EQ(t.lastSectionRow, 63);
    EXPECT_FLOAT_EQ(t.swLatitude, 36.625F);
}

TEST(Theaters, TheIniFileIsFoundWhateverTheCaseOfItsName) {
    Started s("[Location]\nTheaters=1\n1=Korea\n", "QUILLON.INI");
    EXPECT_EQ(s.theaterMenu(),
              (Lines{"10206 Select Theater (disabled)", "---", "2000 Korea (checked)"}));
}

TEST(Theaters, SelectingMovesTheSingleCheckAndReadsTheGeometry) {
    Started s(threeTheaters);
    ASSERT_TRUE(s.select(2));
    EXPECT_EQ(s.state.theater.sectionName, "Israel");
    EXPECT_EQ(s.state.theater.xMapExtent, 2048);
    EXPECT_EQ(s.state.theater.xSections, 128);
    EXPECT_FLOAT_EQ(s.state.theater.swLongitude, 30.5F);
    EXPECT_EQ(s.state.theater.lastMapX, 1023) << "the last values change only with terrain";

    ASSERT_TRUE(s.select(1));
    ASSERT_TRUE(s.select(0));
    EXPECT_EQ(s.theaterMenu(), (Lines{"10206 Select Theater (disabled)", "---",
                                      "2000 Korea (checked)", "2001 Balkans", "2002 Israel"}));
    EXPECT_EQ(s.state.theaters.currentTheater, 2000);
    EXPECT_EQ(s.state.theater.xSections, 64);
    EXPECT_FALSE(s.select(3)) << "no fourth theater is listed";
}

TEST(Theaters, AValueThatIsNoNumberLeavesTheFieldAsItWas) {
    Started s("[Location]\nTheaters=2\n1=Big\n2=Odd\n"
              "[Big]\nX Sections=128\nY Sections=128\nSW Lat=10.5\n"
              "[Odd]\nX Sections=many\nY Sections=\nSW Lat=north\nX Tiles=8\n");
    ASSERT_TRUE(s.select(1));
    EXPECT_EQ(s.state.theater.xSections, 128);
    EXPECT_EQ(s.state.theater.ySections, 128);
    EXPECT_FLOAT_EQ(s.state.theater.swLatitude, 10.5F);
    EXPECT_EQ(s.state.theater.xTiles, 8);
}

TEST(Theaters, ASizeBelowOneLeavesTheFieldAsItWas) {
    // Tiles of 0 or -1 would divide by zero (or overflow) wherever a post is placed.
    Started s("[Location]\nTheaters=2\n1=Big\n2=Odd\n"
              "[Big]\nX Sections=128\nY Sections=128\nX Map Extent=2048\n"
              "[Odd]\nX Sections=0\nY Sections=-3\nX Tiles=0\nY Tiles=-1\nX Map Extent=-1\n");
    ASSERT_TRUE(s.select(1));
    const TheaterDefinition& t = s.state.theater;
    EXPECT_EQ(t.xSections, 128);
    EXPECT_EQ(t.ySections, 128);
    EXPECT_EQ(t.xTiles, 16);
    EXPECT_EQ(t.yTiles, 16);
    EXPECT_EQ(t.xMapExtent, 2048);
    // Positions far off the map still have a section and a tile.
    EXPECT_EQ(userSectX(t, INT32_MIN), INT32_MIN / 16);
    EXPECT_EQ(userSectY(t, INT32_MIN), 127 + 134217728);
    EXPECT_EQ(userTileY(t, INT32_MAX), 16);
}

TEST(Theaters, SelectionWhileTerrainIsOpenKeepsTheOpenMatrixDimensions) {
    Started s(threeTheaters);
    s.state.terrain.terrainOpen = true;
    ASSERT_TRUE(s.select(2));
    EXPECT_EQ(s.state.theaters.currentTheater, 2002);
    EXPECT_EQ(s.state.theater.sectionName, "Korea");
    EXPECT_EQ(s.state.theater.xMapExtent, 1024);
    EXPECT_EQ(s.state.theater.xSections, 64);
}

const std::pair<std::string, std::string> startFolderSetting{"Software\\Moravik\\Quillon\\Paths",
                                                             "Start"};

TEST(StartFolder, TheCommandLineOutranksTheRememberedFolderWhichOutranksTheCurrentOne) {
    testing::TempDir remembered;
    const std::string aFile = remembered.write("Quillon.ini", "").string();
    struct Case {
        const char* name;
        std::string argument;
        std::optional<std::string> setting;
        std::string expected;
    };
    const Case cases[] = {
        {"nothing given", "", std::nullopt, "/current"},
        {"the remembered folder", "", remembered.str(), remembered.str()},
        {"the command line first", "/from/args", remembered.str(), "/from/args"},
        {"a remembered folder that went away", "", remembered.str() + "/gone", "/current"},
        {"a remembered file is no folder", "", aFile, "/current"},
        {"an empty remembered value", "", "", "/current"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::ScriptedPlatform scripted;
        if (c.setting) {
            scripted.settings[startFolderSetting] = *c.setting;
        }
        EXPECT_EQ(chooseStartFolder(scripted.platform(), c.argument, "/current"), c.expected);
    }
}

TEST(StartFolder, ChoosingAnotherFolderReadsItsTheatersAndIsRemembered) {
    Started s(threeTheaters);
    testing::TempDir other;
    other.write("Quillon.ini", "[Location]\nTheaters=2\n1=Israel\n2=Korea\n");
    s.state.scan.scriptLoaded = true;
    s.state.reference.ocdList.loaded = true;
    s.scripted.fileAnswers.push_back(testing::chosen(other.str() + "/"));
    ASSERT_TRUE(dispatchCommand(s.state, s.scripted.platform(), cmd::ChooseStartFolder));
    ASSERT_EQ(s.scripted.fileRequests.size(), 1u);
    EXPECT_EQ(s.scripted.fileRequests[0].kind, FileDialogKind::Folder);
    EXPECT_EQ(s.scripted.fileRequests[0].initialFolder, s.dir.str());
    EXPECT_EQ(s.state.folders.startDirectory, other.str());
    EXPECT_EQ(s.scripted.settings.at(startFolderSetting), other.str());
    EXPECT_EQ(s.theaterMenu(), (Lines{"10206 Select Theater (disabled)", "---",
                                      "2000 Israel (checked)", "2001 Korea"}));
    // What came from the old folder is read again from the new one.
    EXPECT_FALSE(s.state.scan.scriptLoaded);
    EXPECT_FALSE(s.state.reference.ocdList.loaded);
    EXPECT_TRUE(s.scripted.messages.empty());
}

TEST(StartFolder, ACancelledOrUnusableChoiceChangesNothing) {
    testing::TempDir elsewhere;
    const std::string aFile = elsewhere.write("plain.txt", "x").string();
    struct Case {
        const char* name;
        FileRequestResult answer;
        std::size_t messages;
    };
    const Case cases[] = {
        {"cancelled", testing::cancelled(), 0},
        {"a file", testing::chosen(aFile), 1},
        {"a folder that is not there", testing::chosen(elsewhere.str() + "/gone"), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Started s(threeTheaters);
        const Lines menuBefore = s.theaterMenu();
        s.scripted.fileAnswers.push_back(c.answer);
        EXPECT_FALSE(dispatchCommand(s.state, s.scripted.platform(), cmd::ChooseStartFolder));
        EXPECT_EQ(s.state.folders.startDirectory, s.dir.str());
        EXPECT_EQ(s.theaterMenu(), menuBefore);
        EXPECT_FALSE(s.scripted.settings.contains(startFolderSetting));
        ASSERT_EQ(s.scripted.messages.size(), c.messages);
        if (c.messages != 0) {
            EXPECT_EQ(s.scripted.messages[0].title, "Error");
        }
    }
}

TEST(Coordinates, APostMapsToItsSectionBlockAndMatrixPlace) {
    const TheaterDefinition t = builtInTheater();
    EXPECT_EQ(sectionColumn(t, 37), 2);
    EXPECT_EQ(sectionRow(t, 1000), 62);
    EXPECT_EQ(columnInSection(t, 37), 5);
    EXPECT_EQ(rowInSection(t, 1000), 8);
    EXPECT_EQ(blockIndex(t, 37, 1000), 3970);
    EXPECT_EQ(matrixIndex(t, 37, 1000), 1024037);
}

TEST(Coordinates, UserSectionAndTileNumbersCountSectYFromTheNorth) {
    struct Case {
        std::int32_t sections, mapX, mapY, sectX, sectY, tileX, tileY;
    };
    const Case cases[] = {
        {64, 100, 200, 6, 51, 5, 9},     {64, 15, 16, 0, 62, 16, 1},   {64, 0, 0, 0, 63, 1, 1},
        {64, 1023, 1023, 63, 0, 16, 16}, {128, 15, 16, 0, 126, 16, 1}, {32, 511, 0, 31, 31, 16, 1},
    };
    for (const Case& c : cases) {
        TheaterDefinition t;
        t.xSections = t.ySections = c.sections;
        t.xMapExtent = t.yMapExtent = c.sections * 16;
        EXPECT_EQ(userSectX(t, c.mapX), c.sectX);
        EXPECT_EQ(userSectY(t, c.mapY), c.sectY) << c.sections << " " << c.mapY;
        EXPECT_EQ(userTileX(t, c.mapX), c.tileX);
        EXPECT_EQ(userTileY(t, c.mapY), c.tileY);
    }
}

} // namespace
} // namespace vantor
