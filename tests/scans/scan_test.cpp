#include "app/commands.h"
#include "app/startup.h"
#include "flows/dispatcher.h"
#include "scans/bridge_placement.h"
#include "scans/edge_scan.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "support/terrain_files.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace vantor {
namespace {

using testing::chosen;

std::string roadScript() {
    std::string s = "; roads: 10000 + edge mask\r\n";
    for (int mask = 1; mask < 16; ++mask) {
        s += "4, " + std::to_string(10000 + mask) + ", R, D, 0, " + std::to_string(mask & 1) +
             ", " + std::to_string(mask & 2) + ", " + std::to_string(mask & 4) + ", " +
             std::to_string(mask & 8) + "\r\n";
    }
    return s;
}

struct Scan {
    testing::TempDir dir;
    testing::ScriptedPlatform scripted;
    ApplicationState state;

    explicit Scan(std::int32_t sections) {
        startUp(state, scripted.platform(), RunMode::Interactive, dir.str());
        allocateMatrix(state.terrain.matrix, sections * 16, sections * 16, SevenByteRecords);
        applyTerrainGeometry(state.theater, sections);
        state.terrain.terrainOpen = true;
        dir.write("Object-RoadScript.dat", roadScript());
    }
    void tile(int x, int y, std::uint32_t id) { state.terrain.matrix.at(x, y).tileId = id; }
    bool run(int command, const std::string& out = "out.csv") {
        scripted.fileAnswers.push_back(chosen((dir.path / out).string()));
        return dispatchCommand(state, scripted.platform(), command);
    }
    std::string file(const std::string& name) {
        const auto bytes = testing::readBytes(dir.path / name);
        return std::string(bytes.begin(), bytes.end());
    }
    // The report without its title line (which holds the time).
    std::string body(const std::string& name) {
        const std::string text = file(name);
        return text.substr(text.find('\n') + 1);
    }
    std::string lastMessage() const {
        return scripted.messages.empty()
                   ? ""
                   : scripted.messages.back().title + ": " + scripted.messages.back().text;
    }
};

const std::string columns =
    "Sect X, Sect Y, Tile X, Tile Y, Tile ID#, Map X, Map Y, Error Type, Error Code\n";

TEST(EdgeScan, TheWorkedRoadExample) {
    Scan s(64);
    s.tile(100, 200, 10001); // West bit, and nothing to the west
    ASSERT_TRUE(s.run(cmd::CheckRoads));
    EXPECT_EQ(s.scripted.scanDialogs.back().title, "Bad Roads Scan");
    EXPECT_EQ(s.scripted.fileRequests.back().title, "Save Bad Roads Report File");
    EXPECT_EQ(s.scripted.fileRequests.back().filter, "Tile Scanner Report file|*.csv||");
    const std::string text = s.file("out.csv");
    EXPECT_EQ(text.rfind("2 Tile Scanner - Misaligned Roads Report - ", 0), 0u);
    EXPECT_EQ(s.body("out.csv"), columns + "6, 51, 5, 9, 10001, 100, 200, No Road to West, 1\n");
    EXPECT_EQ(s.lastMessage(), "Road Scan Finished: 1 bad Road alignments were found & written."
                               "\r\n Written to " +
                                   (s.dir.path / "out.csv").string() + ".");
    ASSERT_TRUE(s.state.list.model.window.has_value());
    EXPECT_EQ(s.state.list.model.window->reportRows.size(), 1u);
    EXPECT_TRUE(s.state.files.outputFile.isOpen()) << "the output stays open for a later scan";
    EXPECT_FALSE(s.state.scan.scriptLoaded);
    EXPECT_EQ(s.scripted.progressOpens.back().caption, "Scanning Misaligned Roads");
    EXPECT_EQ(s.scripted.progressReports.back().label, "Bad Roads Found:");
}

TEST(EdgeScan, NeighbourRulesAtTheMapEdgesAndTheAreaBorder) {
    struct Case {
        const char* name;
        std::vector<std::tuple<int, int, std::uint32_t>> tiles;
        std::int32_t startX, endX;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"all four map edges",
         {{0, 0, 10015}, {31, 31, 10015}},
         0,
         31,
         {"0, 1, 1, 1, 10015, 0, 0, No Road to West, 1",
          "0, 1, 1, 1, 10015, 0, 0, No Road to East, 3",
          "0, 1, 1, 1, 10015, 0, 0, No Road to North, 2",
          "0, 1, 1, 1, 10015, 0, 0, No Road to South, 4",
          "1, 0, 16, 16, 10015, 31, 31, No Road to West, 1",
          "1, 0, 16, 16, 10015, 31, 31, No Road to East, 3",
          "1, 0, 16, 16, 10015, 31, 31, No Road to North, 2",
          "1, 0, 16, 16, 10015, 31, 31, No Road to South, 4"}},
        {"continued edges give nothing", {{5, 5, 10004}, {6, 5, 10001}}, 0, 31, {}},
        {"a neighbour without the opposite bit",
         {{5, 5, 10004}, {6, 5, 10002}, {6, 6, 10008}},
         0,
         31,
         {"0, 1, 6, 6, 10004, 5, 5, No Road to East, 3"}},
        {"a neighbour outside the area is looked at but not scanned",
         {{5, 5, 10004}, {6, 5, 10003}},
         0,
         5,
         {}},
        {"Map X 15, Map Y 16",
         {{15, 16, 10008}},
         15,
         15,
         {"0, 0, 16, 1, 10008, 15, 16, No Road to South, 4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scan s(2);
        for (const auto& [x, y, id] : c.tiles) {
            s.tile(x, y, id);
        }
        s.scripted.scanEdit = [&c](ScanDialogModel& m) {
            m.parameters.startMapX = c.startX;
            m.endMapX = c.endX;
        };
        ASSERT_TRUE(s.run(cmd::CheckRoads));
        std::string expected = columns;
        for (const std::string& line : c.lines) {
            expected += line + "\n";
        }
        EXPECT_EQ(s.body("out.csv"), expected);
    }
}

TEST(EdgeScan, CountingOnlyAppendingAndTheTextReport) {
    Scan s(2);
    s.tile(3, 3, 10001);
    s.scripted.scanEdit = [](ScanDialogModel& m) { m.writeToFile = false; };
    ASSERT_TRUE(s.run(cmd::CheckRoads));
    EXPECT_EQ(s.lastMessage(), "Road Scan Finished: 1 bad Road alignments were found.");
    EXPECT_FALSE(std::filesystem::exists(s.dir.path / "out.csv"));
    EXPECT_FALSE(s.state.list.model.window.has_value()) << "the list stays as it was";
    s.scripted.fileAnswers.clear();

    s.scripted.scanEdit = [](ScanDialogModel& m) {
        m.writeToFile = true;
        m.textReport = true;
    };
    ASSERT_TRUE(s.run(cmd::CheckRoads));
    const std::string text = s.file("out.txt");
    EXPECT_EQ(text.rfind("Balkans Theater Misaligned Roads Report - ", 0), 0u);
    EXPECT_EQ(text.substr(text.find('\n') + 1),
              "Sect X\tSect Y\tTile X\tTile Y\tTileID#\tMap X\tMap Y\t\tError Type\n"
              "0 \t 1 \t 4 \t 4 \t 10001 \t 3 \t 3 \t No Road to West \t 1\n");

    // Appending: no second header, the list grows.
    s.scripted.scanEdit = [](ScanDialogModel& m) {
        EXPECT_TRUE(m.appendEnabled);
        m.appendToOutput = true;
        m.textReport = false;
    };
    const std::size_t requests = s.scripted.fileRequests.size();
    ASSERT_TRUE(s.run(cmd::CheckRoads));
    EXPECT_EQ(s.scripted.fileRequests.size(), requests) << "appending asks for no file";
    std::fflush(s.state.files.outputFile.handle.get());
    EXPECT_EQ(s.body("out.csv"), columns + "0, 1, 4, 4, 10001, 3, 3, No Road to West, 1\n" +
                                     "0, 1, 4, 4, 10001, 3, 3, No Road to West, 1\n");
    EXPECT_EQ(s.state.list.model.window->reportRows.size(), 2u);
}

TEST(EdgeScan, TheCombinedReportHasOneHeaderAndCombinedCodes) {
    Scan s(2);
    s.dir.write("Object-RiverScript.dat", "5, 11002, R, D, 0, 0, 2, 0, 0\n");
    s.dir.write("Object-TransitionScript.dat", "7, 12004, T, T, 0, 0, 0, 4, 0\n");
    s.tile(1, 1, 10001);
    s.tile(2, 2, 11002);
    s.tile(3, 3, 12004);
    s.scripted.fileAnswers.push_back(chosen((s.dir.path / "all.csv").string()));
    s.scripted.fileAnswers.push_back(chosen((s.dir.path / "all-text.csv").string()));
    ASSERT_TRUE(dispatchCommand(s.state, s.scripted.platform(), cmd::GenerateSectionReport));
    EXPECT_EQ(s.scripted.scanDialogs.back().title, "Scan All For Bad Tiles");
    EXPECT_TRUE(s.scripted.scanDialogs.back().textReport) << "the box opens ticked";
    EXPECT_EQ(s.scripted.fileRequests[0].title, "Save All-Scans Report File");
    EXPECT_EQ(s.scripted.fileRequests[0].filter, "Tile Scanner Report file|*.csv||");
    const std::string text = s.file("all.csv");
    EXPECT_EQ(text.rfind("9 Balkans Theater Bad Road/River/Transition Tiles Report - ", 0), 0u);
    EXPECT_EQ(s.body("all.csv"), columns + "0, 1, 2, 2, 10001, 1, 1, No Road to West, 14\n" +
                                     "0, 1, 3, 3, 11002, 2, 2, No River to North, 25\n" +
                                     "0, 1, 4, 4, 12004, 3, 3, No Transition to East, 37\n");
    const std::string version = s.file("all-text.txt");
    EXPECT_EQ(version.rfind("Balkans Theater Bad Road/River/Transition Tiles Report - ", 0), 0u);
    EXPECT_NE(version.find("No Transition to East"), std::string::npos);
    // One closing message with what each scan found, naming both files.
    EXPECT_EQ(s.lastMessage(), "Section Report Finished: 1 bad Road alignments were found & "
                               "written.\r\n 1 bad River alignments were found & written.\r\n 1 "
                               "bad Transition tiles were found & written.\r\n Written to " +
                                   (s.dir.path / "all.csv").string() + " and " +
                                   (s.dir.path / "all-text.txt").string() + ".");
    EXPECT_FALSE(s.state.files.outputFile.isOpen());
    EXPECT_FALSE(s.state.scan.scanAll);
    EXPECT_EQ(s.state.list.listKind, ListKind::AllScansReport);
    EXPECT_EQ(findMenuItem(s.state.menu, cmd::CloseOutputFiles)->state, ItemState::Greyed);
    EXPECT_EQ(s.state.list.model.window->reportRows.size(), 3u);
}

#ifdef __linux__
// The disk fills up while an appending session writes: the report keeps what the earlier scan
// put in place, the failure is said, and the output is closed rather than reported as written.
TEST(EdgeScan, AFullDiskKeepsTheReportOfTheEarlierScan) {
    namespace fs = std::filesystem;
    Scan s(2);
    s.tile(3, 3, 10001);
    ASSERT_TRUE(s.run(cmd::CheckRoads));
    const std::string firstScan = s.file("out.csv");
    EXPECT_FALSE(fs::exists(s.dir.path / "out.csv.vantor-new"));

    // The partial file the next scan appends to is now on a full disk.
    ASSERT_TRUE(s.state.files.outputFile.isOpen());
    const fs::path partial = s.dir.path / "out.csv.vantor-partial";
    s.state.files.outputFile.handle.reset(std::fopen("/dev/full", "w+b"));
    s.scripted.scanEdit = [](ScanDialogModel& m) { m.appendToOutput = true; };
    EXPECT_FALSE(s.run(cmd::CheckRoads));
    EXPECT_EQ(s.lastMessage(), "Error: Cannot write " + (s.dir.path / "out.csv").string() +
                                   ": No space left on device");
    EXPECT_EQ(s.file("out.csv"), firstScan);
    EXPECT_FALSE(fs::exists(partial));
    EXPECT_FALSE(s.state.files.outputFile.isOpen());
    EXPECT_EQ(findMenuItem(s.state.menu, cmd::CloseOutputFiles)->state, ItemState::Greyed);
    const auto summaries =
        std::count_if(s.scripted.messages.begin(), s.scripted.messages.end(), [](const auto& m) {
            return m.text.find("found & written") != std::string::npos;
        });
    EXPECT_EQ(summaries, 1) << "only the first scan says it wrote its report";
}
#endif

TEST(EdgeScan, CancellingTheCombinedReportRestoresTheState) {
    Scan s(1);
    s.state.list.listKind = ListKind::MisalignedRivers;
    s.scripted.scanBegin = false;
    EXPECT_FALSE(dispatchCommand(s.state, s.scripted.platform(), cmd::GenerateSectionReport));
    EXPECT_EQ(s.state.list.listKind, ListKind::MisalignedRivers);
    EXPECT_FALSE(s.state.scan.scanAll);
    EXPECT_TRUE(s.state.scan.textReport);
    EXPECT_TRUE(s.state.progress.abortRequested);
    EXPECT_TRUE(s.scripted.fileRequests.empty());
}

// Bridges --------------------------------------------------------------------------------------

const char* bridgeScript = "1, 13001, 1, 1, W, N, E, S\r\n"
                           "1, 13002, 2, 2, W, N, E, S\r\n"
                           "1, 13004, 3, 2, N, N, E, S\r\n"
                           "0, 13003, 2, 2, W, N, E, S\r\n"
                           "1, 13009, 9, 1, W, N, E, S\r\n"
                           "2, 7, 1, 0, 0, 0\r\n"
                           "2, 8, 1, 0, 1, -1\r\n"
                           "2, 9, 1, 0, 0, 0\r\n"
                           "2, 20, 2, 0, 0, 0\r\n"
                           "2, 21, 2, 0, 0, 0\r\n"
                           "2, 30, 3, 0, 0, 0\r\n"
                           "3, 1, 13000, 13999, 13000, 13999\r\n";

struct Bridges : Scan {
    Bridges() : Scan(2) { dir.write("Object-BridgeScript.dat", bridgeScript); }
    std::vector<std::string> lines() {
        std::fflush(state.files.outputFile.handle.get());
        const std::string text = body("out.csv");
        std::vector<std::string> out;
        std::size_t pos = text.find('\n') + 1; // after the column line
        while (pos < text.size()) {
            const std::size_t end = text.find('\n', pos);
            out.push_back(text.substr(pos, end - pos));
            pos = end + 1;
        }
        return out;
    }
};

TEST(BridgePlacement, TheObjectLineAndIdentifierRules) {
    EXPECT_EQ(bridgeObjectLine({6000, 7, 10, 20, 1, 235, 20, 1}),
              "0, Bridge, XXXX, 6000, 7, 10, 20,0,0,0,0, 1, 6000,0,0, 235,0,0,1, 20,0, 1,0, 0 0,");
    EXPECT_EQ(skipReservedIdentifiers(3800), 18579);
    EXPECT_EQ(skipReservedIdentifiers(18630), 21000);
    EXPECT_EQ(skipReservedIdentifiers(3801), 3801);

    std::int32_t selector = 0;
    std::vector<std::int32_t> picks;
    for (std::size_t n : {3u, 3u, 3u, 1u, 3u, 2u, 3u}) {
        picks.push_back(rotatingEntry(selector, n));
    }
    EXPECT_EQ(picks, (std::vector<std::int32_t>{1, 2, 3, 1, 1, 2, 3}));
}

TEST(BridgePlacement, PlacesOneAndTwoTileBridgesAndRejectsThoseWithoutTheirFarTile) {
    Bridges b;
    b.tile(2, 2, 13001);                      // one-tile
    b.tile(4, 4, 13002), b.tile(5, 4, 13003); // two-tile, opposing tile to the east
    b.tile(8, 4, 13004), b.tile(8, 5, 13003); // two-tile, letter N: opposing tile to the north
    b.tile(31, 9, 13002);                     // last column: nothing to the east
    b.tile(10, 10, 13002);                    // far tile missing
    b.scripted.scanEdit = [](ScanDialogModel& m) {
        EXPECT_EQ(m.title, "Bridge Object Placement");
        EXPECT_TRUE(m.objectFieldsEnabled);
        EXPECT_FALSE(m.textReportEnabled);
        m.parameters.startingObjectId = 3799;
    };
    ASSERT_TRUE(b.run(cmd::PlaceBridges));
    EXPECT_EQ(b.scripted.fileRequests.back().filter, "Object Export file|*.csv||")
        << "bridges are objects, no report";
    const std::string title = b.file("out.csv").substr(0, b.file("out.csv").find('\n'));
    EXPECT_EQ(title.size(), std::string("1.0 Objective Export ").size() + 24)
        << "one blank between the title and the time: " << title;
    EXPECT_EQ(
        b.lines(),
        (std::vector<std::string>{
            "0, Bridge, XXXX, 3799, 7, 2, 2,0,0,0,0, 1, 3799,0,0, 235,0,0,1, 20,0, 1,0, 0 0,",
            // variable 2 continues the shared selector: its second entry
            "0, Bridge, XXXX, 18579, 21, 4, 4,0,0,0,0, 1, 18579,0,0, 235,0,0,1, 20,0, 1,0, 0 0,",
            "0, Bridge, XXXX, 18580, 30, 8, 4,0,0,0,0, 1, 18580,0,0, 235,0,0,1, 20,0, 1,0, 0 0,"}));
    EXPECT_EQ(b.file("NoOpposingTile.txt"),
              "TileID = 13002\t X = 31\t Y= 9\r\nTileID = 13002\t X = 10\t Y= 10\r\n");
    EXPECT_EQ(b.scripted.messages[b.scripted.messages.size() - 2].text,
              " 2 Bridges rejected due to no opposing tile.\r\n Error report in NoOpposingTile.txt "
              "file.\r\n Written to " +
                  (b.dir.path / "NoOpposingTile.txt").string() + ".");
    EXPECT_EQ(b.lastMessage(),
              "Bridge Placement Finished:  3 Bridges were placed.\r\n 2 Rejected due to no "
              "opposing tile.\r\n Written to " +
                  (b.dir.path / "out.csv").string() + ".");
    EXPECT_EQ(b.state.scan.parameters.startingObjectId, 18581);
    EXPECT_EQ(b.state.list.model.window->objectRows.size(), 3u);
}

TEST(BridgePlacement, TheSelectorIsSharedAndAnOverrunStopsTheWalk) {
    Bridges b;
    for (int x = 0; x < 5; ++x) {
        b.tile(x, 1, 13001); // variable 1: three entries
    }
    b.scripted.scanEdit = [](ScanDialogModel& m) { m.parameters.startingObjectId = 100; };
    ASSERT_TRUE(b.run(cmd::PlaceBridges));
    std::vector<std::string> types;
    for (const std::string& line : b.lines()) {
        types.push_back(line.substr(std::string("0, Bridge, XXXX, 100, ").size(), 1));
    }
    EXPECT_EQ(types, (std::vector<std::string>{"7", "8", "9", "7", "8"}));
    EXPECT_EQ(b.lines()[1].substr(0, 36), "0, Bridge, XXXX, 101, 8, 2, 0,0,0,0,")
        << "offsets apply";

    Bridges overrun;
    overrun.tile(1, 1, 13009);
    overrun.tile(2, 1, 13009);
    overrun.dir.write("Object-BridgeScript.dat",
                      std::string(bridgeScript) + "2, 40, 9, 0, 0, 0\r\n");
    overrun.scripted.scanEdit = [](ScanDialogModel& m) { m.parameters.startingObjectId = 65536; };
    ASSERT_TRUE(overrun.run(cmd::PlaceBridges));
    EXPECT_EQ(overrun.lines().size(), 1u);
    const auto& messages = overrun.scripted.messages;
    EXPECT_EQ(messages[messages.size() - 2].text,
              "ID number 65537 exceeds the maximum useable ID number. Aborting placements");
    EXPECT_EQ(messages[messages.size() - 2].title, "ID Number Overrun");
    EXPECT_EQ(overrun.lastMessage(),
              "Bridge Placement Finished:  1 Bridges were placed.\r\n 0 Rejected due to no "
              "opposing tile.\r\n Written to " +
                  (overrun.dir.path / "out.csv").string() + ".");
    EXPECT_FALSE(overrun.state.progress.abortRequested);
}

TEST(BridgePlacement, CountingOnlyWritesNothingAndNoRangeLinePlacesNothing) {
    Bridges b;
    b.tile(2, 2, 13001);
    b.tile(3, 2, 13001);
    b.scripted.scanEdit = [](ScanDialogModel& m) { m.writeToFile = false; };
    ASSERT_TRUE(b.run(cmd::PlaceBridges));
    EXPECT_EQ(b.lastMessage(),
              "Bridge Placement Finished:  2 Bridges were found.\r\n 0 Rejected due to no "
              "opposing tile.");
    EXPECT_EQ(b.state.scan.parameters.startingObjectId, 6000) << "counting leaves the starting ID";
    EXPECT_EQ(b.scripted.progressReports.back().label, "Bridges Found:");

    Bridges noRanges;
    noRanges.dir.write("Object-BridgeScript.dat",
                       "1, 13001, 1, 1, W, N, E, S\r\n2, 7, 1, 0, 0, 0\r\n");
    noRanges.tile(2, 2, 13001);
    ASSERT_TRUE(noRanges.run(cmd::PlaceBridges));
    EXPECT_TRUE(noRanges.lines().empty());
}

} // namespace
} // namespace vantor
