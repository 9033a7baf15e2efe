#include "app/commands.h"
#include "app/progress.h"
#include "app/startup.h"
#include "base/text_reader.h"
#include "flows/dispatcher.h"
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
    ApplicationState state;
    std::string l2;
    std::string source;

    explicit Session(RunMode mode = RunMode::Interactive, std::int32_t sections = 4) {
        std::string error;
        SampleOptions options;
        options.sections = sections;
        EXPECT_TRUE(writeSampleTheater(dir.str(), options, error)) << error;
        l2 = (dir.path / sampleL2Name).string();
        source = (dir.path / sampleExportName).string();
        startUp(state, scripted.platform(), mode, mode == RunMode::Interactive ? dir.str() : "");
    }
    bool run(int command) { return dispatchCommand(state, scripted.platform(), command); }
    void openTerrain() {
        scripted.fileAnswers.push_back(chosen(l2));
        ASSERT_TRUE(run(cmd::OpenL2Terrain));
    }
    std::string out(const char* name) const { return (dir.path / name).string(); }
    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const auto& m : scripted.messages) {
            texts.push_back(m.title + ": " + m.text);
        }
        return texts;
    }
    std::size_t objects() const {
        const std::string text = testing::readFile(source);
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) - 2;
    }
};

// Esc or the progress window's close box stops the radar run between objects: nothing is
// written, the file chosen is as it was, and the program says so.
TEST(RadarFlow, AStoppedRunWritesNothingAndSaysSo) {
    Session s;
    s.openTerrain();
    const std::string out = s.out("Radar.csv");
    std::ofstream(out) << "an earlier file\n";
    s.scripted.fileAnswers = {chosen(s.source), chosen(out)};
    Platform p = s.scripted.platform();
    int reports = 0;
    p.progressReport = [&](const ProgressView&) {
        if (++reports == 5) {
            requestAbort(s.state); // what Esc and the close box do
        }
    };
    EXPECT_FALSE(dispatchCommand(s.state, p, cmd::RadarProfiles));
    EXPECT_EQ(reports, 5);
    EXPECT_EQ(s.messages().back(), "Information: The radar profiles were stopped after 5 "
                                   "objects.  Nothing was written; " +
                                       out + " is as it was.");
    EXPECT_EQ(testing::readFile(out), "an earlier file\n");
    for (const auto& entry : std::filesystem::directory_iterator(s.dir.path)) {
        EXPECT_EQ(entry.path().filename().string().find(".vantor-"), std::string::npos)
            << "left behind: " << entry.path();
    }
    EXPECT_FALSE(s.state.progress.abortRequested);
}

TEST(RadarFlow, ProfilesEveryObjectWithTheProgressWindowInItsRadarState) {
    Session s;
    s.openTerrain();
    s.scripted.radarEdit = [](RadarDialogModel& m) {
        EXPECT_EQ(m.texts[0], "  40");
        EXPECT_EQ(m.texts[1], "1.0");
        EXPECT_EQ(m.texts[2], "1.0");
        m.texts[2] = "5";
    };
    s.scripted.fileAnswers = {chosen(s.source), chosen(s.out("Radar.csv"))};
    ASSERT_TRUE(s.run(cmd::RadarProfiles));
    ASSERT_EQ(s.scripted.fileRequests.size(), 3u);
    EXPECT_EQ(s.scripted.fileRequests[1].title, "Open Object File");
    EXPECT_EQ(s.scripted.fileRequests[2].title, "Save Object Export File");
    EXPECT_EQ(s.state.tools.radarSettings.azimuthIncrement, 5.0f);

    const std::string n = std::to_string(s.objects());
    EXPECT_EQ(s.messages().back(),
              "Radar LOS Calcuations Completed.: Total of " + n + " Objects processed.");
    ASSERT_EQ(s.scripted.progressOpens.size(), 2u); // the terrain read, then the radar
    EXPECT_EQ(s.scripted.progressOpens[1].caption, "Scanning Radars");
    EXPECT_EQ(s.scripted.progressReports.back().label, " Radar Objects Scanned:");
    EXPECT_EQ(s.scripted.progressReports.back().counter, n);
    // The bar's range is the source's lines less one: it ends just short of full.
    EXPECT_EQ(s.scripted.progressReports.back().position,
              static_cast<int>(s.objects() * 4096 / (s.objects() + 1)));
    EXPECT_FALSE(s.state.files.toolSourceFile.isOpen());
    EXPECT_FALSE(s.state.files.outputFile.isOpen());
    const std::string written = testing::readFile(s.out("Radar.csv"));
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), s.objects() + 2);
    EXPECT_EQ(s.scripted.closeRequests, 0);
}

TEST(RadarFlow, SettingsThatCannotMakeAProfileAreRefused) {
    for (const char* increment : {"0", "-1", "0.001"}) {
        Session s;
        s.openTerrain();
        s.scripted.radarEdit = [&](RadarDialogModel& m) { m.texts[1] = increment; };
        EXPECT_FALSE(s.run(cmd::RadarProfiles));
        EXPECT_EQ(
            s.messages().back(),
            "Configure Radar Scanner: The range scan increment must be from 0.01 to 10000 km.");
        EXPECT_EQ(s.scripted.fileRequests.size(), 1u) << "no file is asked for";
    }
}

TEST(RadarFlow, TheBatchModeEndsTheProgramWhateverBecomesOfItsWork) {
    {
        Session s(RunMode::RadarBatch);
        s.scripted.radarScan = false;
        EXPECT_EQ(s.scripted.runPosted(s.state), 1);
        EXPECT_TRUE(s.scripted.fileRequests.empty());
    }
    {
        Session s(RunMode::RadarBatch);
        s.scripted.fileAnswers = {chosen(s.l2), chosen(s.source), chosen(s.out("Batch.csv"))};
        EXPECT_EQ(s.scripted.runPosted(s.state), 1);
        EXPECT_TRUE(s.state.terrain.terrainOpen);
        EXPECT_TRUE(std::filesystem::exists(s.out("Batch.csv")));
    }
    {
        Session s(RunMode::RadarBatch);
        s.scripted.fileAnswers = {cancelled()}; // no terrain
        EXPECT_EQ(s.scripted.runPosted(s.state), 1);
        EXPECT_EQ(s.scripted.fileRequests.size(), 1u);
    }
}

TEST(ToolFlows, AToolNeverWritesOverItsSource) {
    Session s;
    const std::string before = testing::readFile(s.source);
    s.scripted.idChoice = IdToolChoice::MoveIds;
    s.scripted.fileAnswers = {chosen(s.source), chosen(s.source)};
    EXPECT_FALSE(s.run(cmd::MoveObjectIds));
    EXPECT_EQ(s.messages().back(),
              "Error: Cannot use the same file for Source and Export.  Select another file.");
    EXPECT_EQ(testing::readFile(s.source), before);
}

// Choosing the source as the output brings the save dialog back, as the export does.
TEST(ToolFlows, TheSourceChosenAsOutputBringsTheDialogBack) {
    Session s;
    s.scripted.idChoice = IdToolChoice::MoveIds;
    s.scripted.fileAnswers = {chosen(s.source), chosen(s.source), chosen(s.out("Moved.csv"))};
    EXPECT_TRUE(s.run(cmd::MoveObjectIds));
    ASSERT_EQ(s.scripted.fileRequests.size(), 3u);
    EXPECT_EQ(s.scripted.fileRequests[1].title, s.scripted.fileRequests[2].title);
    EXPECT_EQ(s.messages().front(),
              "Error: Cannot use the same file for Source and Export.  Select another file.");
    EXPECT_TRUE(std::filesystem::exists(s.out("Moved.csv")));
}

TEST(ToolFlows, LinkRemovalAsksForTerrainFirst) {
    Session s;
    s.scripted.fileAnswers = {cancelled()};
    EXPECT_FALSE(s.run(cmd::RemoveObjectLinks));
    EXPECT_EQ(s.messages().back(),
              "Information: Cannot remove Object Links until the terrain file (L2) is opened.");
    EXPECT_EQ(s.scripted.fileRequests.size(), 1u);

    s.scripted.fileAnswers = {chosen(s.l2), chosen(s.source), chosen(s.out("NoLinks.csv"))};
    EXPECT_TRUE(s.run(cmd::RemoveObjectLinks));
    EXPECT_EQ(s.messages().back(),
              "Objects Link Removal Completed.: " + std::to_string(s.objects()) +
                  " Objects processed and written.");
}

TEST(ToolFlows, ParentCheckWritesItsTwoFilesIntoTheStartFolder) {
    Session s;
    s.scripted.fileAnswers = {chosen(s.source)};
    EXPECT_TRUE(s.run(cmd::CheckParentLinks));
    EXPECT_TRUE(std::filesystem::exists(s.dir.path / "NoParent.csv"));
    EXPECT_TRUE(std::filesystem::exists(s.dir.path / "WrongParent.csv"));
    EXPECT_EQ(s.scripted.messages.back().title, "Object Parent Link Check Completed.");
    const std::string& text = s.scripted.messages.back().text;
    EXPECT_NE(text.find("\r\n Written to " + (s.dir.path / "NoParent.csv").string() + " and " +
                        (s.dir.path / "WrongParent.csv").string() + "."),
              std::string::npos)
        << text;
    EXPECT_EQ(s.scripted.fileRequests.size(), 1u) << "no output file is asked for";

    s.state.folders.startDirectory = (s.dir.path / "missing").string();
    s.scripted.fileAnswers = {chosen(s.source)};
    EXPECT_FALSE(s.run(cmd::CheckParentLinks));
    EXPECT_EQ(s.messages().back().rfind("Error: Cannot write NoParent.csv: ", 0), 0u);
}

TEST(ToolFlows, TheIdDialogKeepsItsValuesAndTheBridgeFixReadsTheBridgeScript) {
    Session s(RunMode::Interactive, 8); // large enough for a bridge
    s.scripted.idChoice = IdToolChoice::MoveIds;
    s.scripted.idEdit = [](IdLimitsDialogModel& m) {
        m.oldStart = "10";
        m.oldEnd = "20";
        m.newStart = "1010";
    };
    s.scripted.fileAnswers = {chosen(s.source), chosen(s.out("Moved.csv"))};
    EXPECT_TRUE(s.run(cmd::MoveObjectIds));
    EXPECT_EQ(s.scripted.messages.back().title, "ID/Link Check Completed.");

    s.scripted.idEdit = nullptr;
    s.scripted.idChoice = IdToolChoice::Cancel;
    EXPECT_FALSE(s.run(cmd::MoveObjectIds));
    ASSERT_EQ(s.scripted.idDialogs.size(), 2u);
    EXPECT_EQ(s.scripted.idDialogs[1].oldStart, "10");
    EXPECT_EQ(s.scripted.idDialogs[1].oldEnd, "20");
    EXPECT_EQ(s.scripted.idDialogs[1].newStart, "1010");
    EXPECT_EQ(s.scripted.fileRequests.size(), 2u) << "Cancel asks for no file";

    s.scripted.idChoice = IdToolChoice::FixBridgeOffsets;
    s.scripted.fileAnswers = {chosen(s.source), chosen(s.out("Fixed.csv"))};
    s.state.scan.scriptLoaded = true;
    EXPECT_TRUE(s.run(cmd::MoveObjectIds));
    EXPECT_EQ(s.scripted.messages.back().title, "Bridge Fix Finished");
    EXPECT_EQ(s.scripted.messages.back().text, " 1 Bridges were moved.");
    EXPECT_FALSE(s.state.scan.scriptLoaded);
}

// A source that cannot be read to its end (here a line longer than any the program reads, after
// a few objects) must not pass for a short one: no tool puts its output in place, the files there
// are as they were, and the user is told why.
TEST(ToolFlows, ASourceReadOnlyInPartWritesNothing) {
    Session s;
    s.openTerrain();
    {
        const std::string text = testing::readFile(s.source);
        std::size_t at = 0;
        for (int line = 0; line < 5; ++line) {
            at = text.find('\n', at) + 1;
        }
        std::ofstream file(s.source, std::ios::binary | std::ios::trunc);
        file << text.substr(0, at) << std::string(maxLineLength + (std::size_t{1} << 20), 'x')
             << "\r\n"
             << text.substr(at);
    }
    const std::string earlier = "an earlier file\n";
    struct Case {
        const char* name;
        int command;
        std::vector<std::string> outputs; // the files the tool would write
        bool asksForOutput;
    };
    const Case cases[] = {
        {"radar profiles", cmd::RadarProfiles, {s.out("Out.csv")}, true},
        {"link removal", cmd::RemoveObjectLinks, {s.out("Out.csv")}, true},
        {"identifier move", cmd::MoveObjectIds, {s.out("Out.csv")}, true},
        {"parent check",
         cmd::CheckParentLinks,
         {s.out("NoParent.csv"), s.out("WrongParent.csv")},
         false},
    };
    s.scripted.idChoice = IdToolChoice::MoveIds;
    s.scripted.idEdit = [](IdLimitsDialogModel& m) {
        m.oldStart = "10";
        m.oldEnd = "20";
        m.newStart = "1010";
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::string& out : c.outputs) {
            std::ofstream(out) << earlier;
        }
        s.scripted.fileAnswers = {chosen(s.source)};
        if (c.asksForOutput) {
            s.scripted.fileAnswers.push_back(chosen(c.outputs.front()));
        }
        EXPECT_FALSE(s.run(c.command));
        const std::string said = s.messages().back();
        EXPECT_EQ(said.rfind("Error: Cannot read " + s.source +
                                 " to its end: it has a line "
                                 "longer than 64 MB.",
                             0),
                  0u)
            << said;
        EXPECT_NE(said.find("Nothing was written"), std::string::npos) << said;
        for (const std::string& out : c.outputs) {
            EXPECT_EQ(testing::readFile(out), earlier);
        }
    }
    for (const auto& entry : std::filesystem::directory_iterator(s.dir.path)) {
        EXPECT_EQ(entry.path().filename().string().find(".vantor-"), std::string::npos)
            << "left behind: " << entry.path();
    }
}

} // namespace
} // namespace vantor
