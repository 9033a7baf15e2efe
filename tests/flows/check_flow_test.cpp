#include "app/commands.h"
#include "app/progress.h"
#include "app/startup.h"
#include "flows/dispatcher.h"
#include "reference/ocd_list.h"
#include "sample/sample_theater.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace vantor {
namespace {

using testing::cancelled;
using testing::chosen;
using testing::ScriptedPlatform;

struct Session {
    testing::TempDir dir;
    ScriptedPlatform scripted;
    Platform platform;
    ApplicationState state;
    std::string l2;
    std::string source;
    int stopAtReport = 0; // the progress report after which the user closes the window

    explicit Session(RunMode mode = RunMode::Interactive) {
        std::string error;
        SampleOptions options;
        options.sections = 8;
        EXPECT_TRUE(writeSampleTheater(dir.str(), options, error)) << error;
        l2 = (dir.path / sampleL2Name).string();
        source = (dir.path / sampleExportName).string();
        platform = scripted.platform();
        platform.progressReport = [this](const ProgressView& v) {
            scripted.progressReports.push_back(v);
            if (static_cast<int>(scripted.progressReports.size()) == stopAtReport) {
                requestAbort(state);
            }
        };
        startUp(state, platform, mode, mode == RunMode::Interactive ? dir.str() : "");
    }
    bool run(int command) { return dispatchCommand(state, platform, command); }
    void openTerrain() {
        scripted.fileAnswers.push_back(chosen(l2));
        ASSERT_TRUE(run(cmd::OpenL2Terrain));
    }
    void generateOcdList() { ASSERT_TRUE(vantor::generateOcdList(dir.str()).ok); }
    std::string out(const char* name) const { return (dir.path / name).string(); }
    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const auto& m : scripted.messages) {
            texts.push_back(m.title + ": " + m.text);
        }
        return texts;
    }
    bool said(const std::string& start) const {
        for (const std::string& m : messages()) {
            if (m.rfind(start, 0) == 0) {
                return true;
            }
        }
        return false;
    }
};

TEST(ObjectCheckFlow, ChecksThePostsAndWritesTheCheckedExport) {
    Session s;
    s.openTerrain();
    s.scripted.scanEdit = [](ScanDialogModel& m) { m.parameters.searchRange = 1; };
    s.scripted.fileAnswers = {chosen(s.source), chosen(s.out("Checked.csv"))};
    const std::string before = testing::readFile(s.source);
    ASSERT_TRUE(s.run(cmd::CheckPlaceMoveObjects));
    ASSERT_EQ(s.scripted.scanDialogs.size(), 1u);
    EXPECT_EQ(s.state.list.listKind, ListKind::CheckedMasterExport);
    EXPECT_EQ(s.state.progress.progressState, ProgressState::Objects);
    ASSERT_EQ(s.scripted.fileRequests.size(), 3u);
    EXPECT_EQ(s.scripted.fileRequests[1].title, "Open Object File");
    EXPECT_EQ(s.scripted.fileRequests[2].title, "Save Object Checked Master Export File");
    EXPECT_TRUE(s.said("Object Check Finished:  0 Objects were placed.\r\n 12 Objects moved."));
    EXPECT_TRUE(s.said("TAC Objects Check Completed.: Total of 131 Objects written.\r\n 0  new"));
    EXPECT_EQ(testing::readFile(s.source), before);
    const std::string checked = testing::readFile(s.out("Checked.csv"));
    EXPECT_EQ(checked.substr(0, 22), "1.0 Objective Export  ");
    EXPECT_NE(checked.find(", 10, "), std::string::npos);
    EXPECT_FALSE(s.state.scan.scriptLoaded);
    EXPECT_FALSE(s.state.files.toolSourceFile.isOpen());
    EXPECT_GT(s.scripted.progressReports.size(), 0u);
}

TEST(ObjectCheckFlow, CancelAbortAndAMissingScriptWriteNothing) {
    Session s;
    s.openTerrain();
    s.scripted.scanBegin = false;
    EXPECT_FALSE(s.run(cmd::CheckPlaceMoveObjects));
    EXPECT_EQ(s.scripted.fileRequests.size(), 1u);

    // The user closes the progress window: no summary, no export.
    s.scripted.scanBegin = true;
    s.stopAtReport = static_cast<int>(s.scripted.progressReports.size()) + 3;
    s.scripted.fileAnswers = {chosen(s.source), chosen(s.out("Stopped.csv"))};
    EXPECT_FALSE(s.run(cmd::CheckPlaceMoveObjects));
    EXPECT_FALSE(s.said("Object Check Finished"));
    EXPECT_FALSE(std::filesystem::exists(s.out("Stopped.csv")));

    // The next check runs normally.
    s.scripted.fileAnswers = {chosen(s.source), chosen(s.out("Next.csv"))};
    EXPECT_TRUE(s.run(cmd::CheckPlaceMoveObjects));
    EXPECT_TRUE(std::filesystem::exists(s.out("Next.csv")));

    std::filesystem::remove(s.dir.path / "Object-CheckerScript.dat");
    s.scripted.messages.clear();
    s.scripted.fileAnswers = {chosen(s.source), chosen(s.out("NoScript.csv"))};
    EXPECT_FALSE(s.run(cmd::CheckPlaceMoveObjects));
    EXPECT_TRUE(s.said("Missing Script File:  Could not script file: "));
    EXPECT_FALSE(std::filesystem::exists(s.out("NoScript.csv")));
}

TEST(ObjectCheckFlow, PostsTakenTwiceAreReportedOnceTheObjectsAreRead) {
    Session s;
    s.openTerrain();
    const std::filesystem::path report = s.dir.path / "MultiObjectErr.txt";
    { std::ofstream(report, std::ios::binary) << "older report"; }
    s.scripted.fileAnswers = {chosen(s.source), chosen(s.out("A.csv"))};
    ASSERT_TRUE(s.run(cmd::CheckPlaceMoveObjects));
    EXPECT_EQ(testing::readFile(report), "older report"); // no double occupancy: left as it was

    std::string text = testing::readFile(s.source);
    const std::size_t third = text.find('\n', text.find('\n') + 1) + 1;
    const std::string firstObject = text.substr(third, text.find('\n', third) + 1 - third);
    text += firstObject; // the same objective once more, on the same post
    const std::string twice = s.out("Twice.csv");
    std::ofstream(twice, std::ios::binary) << text;
    s.scripted.fileAnswers = {chosen(twice), chosen(s.out("B.csv"))};
    ASSERT_TRUE(s.run(cmd::CheckPlaceMoveObjects));
    EXPECT_TRUE(s.said("Multiple Objects per Tile:  132 Objects read from Master.cvs file.\r\n 1 "
                       "Objects on tile with another Object.\r\n Error report in "
                       "MultiObjectErr.txt file.\r\n Written to " +
                       report.string() + "."));
    const std::string lines = testing::readFile(report);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1);
}

TEST(CityCheckFlow, NeedsTheReferenceListsAndThenPlacesUrbanObjects) {
    Session s;
    std::filesystem::remove(s.dir.path / "OCDList.dat"); // the sample writes one
    s.openTerrain();
    s.scripted.fileAnswers = {chosen(s.source), chosen(s.out("Unchanged.csv"))};
    EXPECT_FALSE(s.run(cmd::CheckCityJunction));
    EXPECT_TRUE(s.said("Missing File: OCDList.dat missing."));
    EXPECT_EQ(s.scripted.fileRequests.back().title, "Save City/Junction CSV File");
    // Without the lists the objects are written as they were.
    EXPECT_TRUE(s.said("TAC Objects Check Completed.: Total of 131 Objects written.\r\n 0  new"));

    s.generateOcdList();
    std::filesystem::remove(s.dir.path / "TileInfo.dat");
    s.scripted.fileAnswers = {chosen(s.source), chosen(s.out("NoTiles.csv"))};
    EXPECT_FALSE(s.run(cmd::CheckCityJunction));
    EXPECT_TRUE(s.said("Missing File: TileInfo.dat missing."));

    std::string error;
    SampleOptions options;
    options.sections = 8;
    ASSERT_TRUE(writeSampleTheater(s.dir.str(), options, error));
    s.scripted.messages.clear();
    s.scripted.fileAnswers = {chosen(s.source), chosen(s.out("City.csv"))};
    ASSERT_TRUE(s.run(cmd::CheckCityJunction));
    EXPECT_EQ(s.messages()[0], "Object Check Finished:  49 Objects were placed.\r\n 44 Objects "
                               "deleted.\r\n 52 Objects changed.");
    EXPECT_EQ(s.messages()[1],
              "TAC Objects Check Completed.: Total of 124 Objects written.\r\n 37  new Objects "
              "added.\r\n 9 Parents set to 0 and 16 links dropped: their objects were deleted.");
    EXPECT_GT(s.state.reference.rotatingPick, 0u);
    const std::string city = testing::readFile(s.out("City.csv"));
    // A created port, with the defaults of its class and a radar profile.
    EXPECT_NE(city.find("0, 0, 1a3 Port,"), std::string::npos);
}

TEST(AirbaseFlow, LevelsAndWritesTheTerrainBackOnlyWhenComplete) {
    Session s;
    std::filesystem::remove(s.dir.path / "OCDList.dat"); // the sample writes one
    const std::string l2Before = testing::readFile(s.l2);
    // No OCD list: nothing is levelled or written.
    s.scripted.fileAnswers = {chosen(s.l2), chosen(s.source)};
    EXPECT_FALSE(s.run(cmd::LevelAirbases));
    EXPECT_TRUE(s.state.terrain.terrainOpen); // opened by the command itself
    EXPECT_TRUE(s.said("Missing File: OCDList.dat missing.  To generate list: Copy Falcon4.ocd "
                       "to the Vantor folder."));
    EXPECT_EQ(testing::readFile(s.l2), l2Before);

    s.generateOcdList();
    s.stopAtReport = static_cast<int>(s.scripted.progressReports.size()) + 5;
    s.scripted.fileAnswers = {chosen(s.source)};
    EXPECT_FALSE(s.run(cmd::LevelAirbases));
    EXPECT_EQ(testing::readFile(s.l2), l2Before);

    s.scripted.messages.clear();
    s.scripted.fileAnswers = {chosen(s.source)};
    ASSERT_TRUE(s.run(cmd::LevelAirbases));
    EXPECT_EQ(s.messages().at(0), "Airbase Leveling Finished:  8 Airbases were leveled.");
    EXPECT_NE(testing::readFile(s.l2), l2Before);
    EXPECT_EQ(s.state.list.listKind, ListKind::AirbaseLevelling);

    // What was written reads back as the levelled matrix.
    ApplicationState again;
    ScriptedPlatform other;
    startUp(again, other.platform(), RunMode::Interactive, s.dir.str());
    other.fileAnswers.push_back(chosen(s.l2));
    ASSERT_TRUE(dispatchCommand(again, other.platform(), cmd::OpenL2Terrain));
    EXPECT_TRUE(again.terrain.matrix.posts == s.state.terrain.matrix.posts);
}

TEST(AirbaseFlow, AMissingScriptStopsBeforeAnyChange) {
    Session s;
    s.generateOcdList();
    s.openTerrain();
    std::filesystem::remove(s.dir.path / "Airbase-Leveler-Script.dat");
    const std::string l2Before = testing::readFile(s.l2);
    const auto posts = s.state.terrain.matrix.posts;
    s.scripted.fileAnswers = {chosen(s.source)};
    EXPECT_FALSE(s.run(cmd::LevelAirbases));
    EXPECT_TRUE(s.said("Missing Script File:  Could not open script file: "));
    EXPECT_EQ(s.scripted.fileRequests.size(), 2u); // no script dialog outside the batch mode
    EXPECT_TRUE(s.state.terrain.matrix.posts == posts);
    EXPECT_EQ(testing::readFile(s.l2), l2Before);
}

TEST(AirbaseFlow, MatrixTerrainHasNoPairToWriteInto) {
    Session s;
    s.generateOcdList();
    s.openTerrain();
    s.scripted.fileAnswers = {chosen(s.out("Saved.L2M"))};
    ASSERT_TRUE(s.run(cmd::SaveL2mMatrix));
    s.scripted.messages.clear();
    s.scripted.fileAnswers = {chosen(s.source)};
    EXPECT_FALSE(s.run(cmd::LevelAirbases));
    EXPECT_TRUE(s.said("Information: The levelled terrain was not written: it was loaded from "
                       "the matrix file " +
                       s.out("Saved.L2M")));
    EXPECT_TRUE(s.said("Airbase Leveling Finished:  8 Airbases")); // kept in the matrix
}

TEST(AirbaseFlow, TheBatchModeAsksForItsScriptAndEndsByItself) {
    Session s(RunMode::AirbaseBatch);
    s.generateOcdList();
    const std::string l2Before = testing::readFile(s.l2);
    s.scripted.fileAnswers = {chosen(s.l2), chosen(s.source),
                              chosen((s.dir.path / "Airbase-Leveler-Script.dat").string())};
    ASSERT_TRUE(s.run(cmd::LevelAirbases));
    EXPECT_EQ(s.scripted.closeRequests, 1);
    ASSERT_EQ(s.scripted.fileRequests.size(), 3u);
    const FileRequest& script = s.scripted.fileRequests[2];
    EXPECT_EQ(script.title, "Airbase Level Script");
    EXPECT_EQ(script.initialName, "Airbase-Leveler-Script.dat");
    EXPECT_EQ(script.filter, "AB Level Script file|*.dat||");
    EXPECT_EQ(s.state.folders.startDirectory, s.dir.str() + "/");
    EXPECT_NE(testing::readFile(s.l2), l2Before);

    Session cancel(RunMode::AirbaseBatch);
    cancel.scripted.fileAnswers = {chosen(cancel.l2), chosen(cancel.source), cancelled()};
    EXPECT_FALSE(cancel.run(cmd::LevelAirbases));
    EXPECT_EQ(cancel.scripted.closeRequests, 1);
    EXPECT_TRUE(cancel.messages().empty());
}

TEST(ReferenceCommands, HowToGeneratesAndAboutUpdatesTheOcdList) {
    Session s;
    ASSERT_TRUE(s.run(cmd::HowTo));
    EXPECT_EQ(s.messages().back(), "OCD Data Processed: 22 OCD Objects found out of 23.\r\n "
                                   "Written to " +
                                       (s.dir.path / "OCDList.dat").string() + " and " +
                                       (s.dir.path / "OCDList.csv").string() + ".");
    EXPECT_TRUE(std::filesystem::exists(s.dir.path / "OCDList.csv"));

    // No source file yet: the About box, and nothing else.
    s.scripted.messages.clear();
    EXPECT_FALSE(s.run(cmd::About));
    EXPECT_EQ(s.scripted.messages.size(), 1u);

    s.state.files.sourcePath = s.source;
    ASSERT_TRUE(s.run(cmd::About));
    EXPECT_EQ(s.messages().back(), "OCD List Updated: 130 csv Objects processed.\r\n Written to " +
                                       (s.dir.path / "OCDList.dat").string() + ".");
    ASSERT_TRUE(s.state.reference.ocdList.loaded);
    const OcdEntry* city = findOcdById(s.state.reference.ocdList, sample_classes::city);
    ASSERT_NE(city, nullptr);
    EXPECT_EQ(city->defaultPriority, 90); // the sample's cities have priority 90
    ASSERT_TRUE(s.run(cmd::About));       // the source is read afresh each time
    EXPECT_EQ(s.messages().back(), "OCD List Updated: 130 csv Objects processed.\r\n Written to " +
                                       (s.dir.path / "OCDList.dat").string() + ".");
}

} // namespace
} // namespace vantor
