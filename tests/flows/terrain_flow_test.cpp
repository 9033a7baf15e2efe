#include "app/commands.h"
#include "app/recent_files.h"
#include "app/shell_texts.h"
#include "app/startup.h"
#include "flows/dispatcher.h"
#include "sample/sample_theater.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "support/terrain_files.h"

#include <gtest/gtest.h>
#include <optional>

namespace vantor {
namespace {

using testing::chosen;
using testing::ScriptedPlatform;

struct Session {
    testing::TempDir dir;
    ScriptedPlatform scripted;
    ApplicationState state;
    std::string l2;

    explicit Session(std::int32_t sections = 4) {
        std::string error;
        SampleOptions options;
        options.sections = sections;
        EXPECT_TRUE(writeSampleTheater(dir.str(), options, error)) << error;
        l2 = (dir.path / "Theater.L2").string();
        startUp(state, scripted.platform(), RunMode::Interactive, dir.str());
    }
    bool run(int command) { return dispatchCommand(state, scripted.platform(), command); }
    bool openTerrain(const std::string& path) {
        scripted.fileAnswers.push_back(chosen(path));
        return run(cmd::OpenL2Terrain);
    }
    ItemState menuState(int id) const { return findMenuItem(state.menu, id)->state; }
    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        for (const auto& m : scripted.messages) {
            out.push_back(m.title + ": " + m.text);
        }
        return out;
    }
};

TEST(TerrainFlow, OpeningL2ReadsTheMatrixAndEnablesTheTerrainCommands) {
    Session s;
    ASSERT_TRUE(s.openTerrain(s.l2));
    ASSERT_EQ(s.scripted.fileRequests.size(), 1u);
    const FileRequest& r = s.scripted.fileRequests[0];
    EXPECT_EQ(r.title, "Open L2 Terrain File");
    EXPECT_EQ(r.filter, "Terrain L2 file|*.L2||");
    EXPECT_EQ(r.initialName, "*.L2");
    EXPECT_EQ(r.kind, FileDialogKind::Open);

    EXPECT_TRUE(s.state.terrain.terrainOpen);
    EXPECT_TRUE(s.state.terrain.matrixBuilt);
    EXPECT_EQ(s.state.terrain.matrix.width, 64);
    EXPECT_EQ(s.state.theater.xSections, 4);
    EXPECT_EQ(s.state.theater.lastMapY, 63);
    EXPECT_EQ(s.state.terrain.terrainPath, (s.dir.path / "Theater.O2").string());
    EXPECT_EQ(s.scripted.titles.back(), s.l2);
    EXPECT_EQ(recentFile(s.state.recentFiles, 0), s.l2);
    EXPECT_EQ(s.scripted.settings.at({"Software\\Moravik\\Quillon\\Paths", "Terrain"}),
              s.dir.str() + "/");
    for (int id : {cmd::CheckPlaceMoveObjects, cmd::CheckCityJunction, cmd::PlaceBridges,
                   cmd::CheckRoads, cmd::CheckRivers, cmd::CheckTransitions, cmd::FindL2Info,
                   cmd::GenerateSectionReport, cmd::SaveL2mMatrix}) {
        EXPECT_EQ(s.menuState(id), ItemState::Enabled) << id;
    }
    EXPECT_EQ(s.menuState(cmd::OpenL2Terrain), ItemState::Greyed);
    EXPECT_EQ(s.menuState(cmd::LoadL2mMatrix), ItemState::Greyed);

    // The progress window: opened with its caption, one report per row of sections.
    ASSERT_EQ(s.scripted.progressOpens.size(), 1u);
    EXPECT_EQ(s.scripted.progressOpens[0].caption, "Building Terrain Matrix");
    ASSERT_EQ(s.scripted.progressReports.size(), 4u);
    EXPECT_EQ(s.scripted.progressReports[0].counter, "3");
    EXPECT_EQ(s.scripted.progressReports[3].position, 15);
    EXPECT_EQ(s.scripted.progressCloses, 1);

    // A second open (toolbar or dialog) is refused and changes nothing.
    EXPECT_FALSE(s.openTerrain(s.l2));
    EXPECT_EQ(s.messages().back(), "Information: The L2 Terrain matrix has already been created.");
    EXPECT_EQ(s.scripted.fileRequests.size(), 1u);
}

TEST(TerrainFlow, CancelledOrFailedDialogsChangeNothing) {
    Session s;
    s.scripted.fileAnswers.push_back(testing::cancelled());
    EXPECT_FALSE(s.run(cmd::OpenL2Terrain));
    EXPECT_TRUE(s.messages().empty());
    s.scripted.fileAnswers.push_back(FileRequestResult{FileRequestStatus::Error, {}, 12290});
    EXPECT_FALSE(s.run(cmd::OpenL2Terrain));
    EXPECT_EQ(s.messages(), (std::vector<std::string>{"Error: L2 file open error# 12290"}));
    EXPECT_FALSE(s.state.terrain.terrainOpen);
    EXPECT_TRUE(s.scripted.progressOpens.empty());
}

TEST(TerrainFlow, TheOpenDialogStartsInTheTerrainFolderElseTheStartFolder) {
    testing::TempDir other;
    struct Case {
        const char* name;
        std::optional<std::string> stored; // the terrain folder of an earlier run
        std::string expected;              // empty: the start folder
    };
    const Case cases[] = {
        {"no terrain folder yet", std::nullopt, ""},
        {"the folder of the last terrain", other.str() + "/", other.str() + "/"},
        {"a terrain folder that is gone", other.str() + "/gone/", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        if (c.stored) {
            s.scripted.settings[{"Software\\Moravik\\Quillon\\Paths", "Terrain"}] = *c.stored;
        }
        s.scripted.fileAnswers.push_back(testing::cancelled());
        EXPECT_FALSE(s.run(cmd::OpenL2Terrain));
        ASSERT_EQ(s.scripted.fileRequests.size(), 1u);
        EXPECT_EQ(s.scripted.fileRequests[0].initialFolder,
                  c.expected.empty() ? s.state.folders.startDirectory : c.expected);
    }
}

TEST(TerrainFlow, TheO2IsFoundWhateverItsCaseAndAMissingOneIsReported) {
    Session s;
    std::filesystem::rename(s.dir.path / "Theater.O2", s.dir.path / "theater.o2");
    ASSERT_TRUE(s.openTerrain(s.l2));

    Session missing;
    std::filesystem::remove(missing.dir.path / "Theater.O2");
    EXPECT_FALSE(missing.openTerrain(missing.l2));
    ASSERT_EQ(missing.scripted.messages.size(), 1u);
    EXPECT_EQ(missing.scripted.messages[0].text,
              "Data File Open Failed. (No such file or directory)");
    EXPECT_EQ(missing.scripted.messages[0].title, (missing.dir.path / "Theater.O2").string());
    EXPECT_FALSE(missing.state.terrain.terrainOpen);
}

TEST(TerrainFlow, UnreadableEmptyOrBrokenTerrainLeavesTerrainClosedAndTheGeometryAlone) {
    struct Case {
        const char* name;
        void (*damage)(const std::filesystem::path& dir);
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"missing L2",
         [](const std::filesystem::path& d) { std::filesystem::remove(d / "Theater.L2"); },
         {"__L2__: Data File Open Failed. (No such file or directory)"}},
        {"empty L2",
         [](const std::filesystem::path& d) { testing::writeBytes(d / "Theater.L2", {}); },
         {"__L2__: Data File Open Failed. (the file is empty)"}},
        {"a folder in place of the L2",
         [](const std::filesystem::path& d) {
             std::filesystem::remove(d / "Theater.L2");
             std::filesystem::create_directory(d / "Theater.L2");
         },
         {"__L2__: Data File Open Failed. (it is a folder)"}},
        {"L2 cut short",
         [](const std::filesystem::path& d) {
             auto bytes = testing::readBytes(d / "Theater.L2");
             bytes.resize(bytes.size() / 2 + 1);
             testing::writeBytes(d / "Theater.L2", bytes);
         },
         {"Error: L2 end of file reached", "L2 Read Error: L2 error"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        const TheaterDefinition before = s.state.theater;
        c.damage(s.dir.path);
        EXPECT_FALSE(s.openTerrain(s.l2));
        std::vector<std::string> expected = c.messages;
        for (auto& m : expected) {
            if (m.rfind("__L2__", 0) == 0) {
                m.replace(0, 6, s.l2);
            }
        }
        EXPECT_EQ(s.messages(), expected);
        EXPECT_FALSE(s.state.terrain.terrainOpen);
        EXPECT_TRUE(s.state.terrain.matrix.empty());
        EXPECT_EQ(s.state.theater.xMapExtent, before.xMapExtent);
        EXPECT_EQ(s.menuState(cmd::OpenL2Terrain), ItemState::Enabled);
    }
}

TEST(TerrainFlow, AnAbortDuringTheReadLeavesTerrainClosedAndASecondOpenWorks) {
    Session s;
    ScriptedPlatform& scripted = s.scripted;
    Platform platform = scripted.platform();
    platform.progressReport = [&](const ProgressView& v) {
        scripted.progressReports.push_back(v);
        s.state.progress.abortRequested = true; // the user closes the progress window
    };
    s.scripted.fileAnswers.push_back(chosen(s.l2));
    EXPECT_FALSE(dispatchCommand(s.state, platform, cmd::OpenL2Terrain));
    EXPECT_FALSE(s.state.terrain.terrainOpen);
    EXPECT_TRUE(s.state.terrain.matrix.empty());
    EXPECT_EQ(s.scripted.progressReports.size(), 1u);
    EXPECT_EQ(s.scripted.progressCloses, 1);
    EXPECT_TRUE(s.messages().empty());
    EXPECT_EQ(s.menuState(cmd::LoadL2mMatrix), ItemState::Enabled);

    ASSERT_TRUE(s.openTerrain(s.l2)) << "the flag is cleared before the next read";
}

TEST(TerrainFlow, ARecentL2EntryOpensTerrain) {
    Session s;
    s.scripted.settings[{settingsKey, "File1"}] = s.l2;
    ApplicationState restarted;
    startUp(restarted, s.scripted.platform(), RunMode::Interactive, s.dir.str());
    s.scripted.settings.erase({"Software\\Moravik\\Quillon\\Paths", "Terrain"});
    EXPECT_TRUE(dispatchCommand(restarted, s.scripted.platform(), 8001));
    EXPECT_TRUE(restarted.terrain.terrainOpen);
    EXPECT_EQ(s.scripted.settings.at({"Software\\Moravik\\Quillon\\Paths", "Terrain"}),
              s.dir.str() + "/")
        << "the folder stored is the recent file's own";
}

TEST(TerrainFlow, SaveAndLoadTheMatrix) {
    Session s;
    ASSERT_TRUE(s.openTerrain(s.l2));
    const std::string l2m = (s.dir.path / "Theater.L2M").string();

    s.scripted.fileAnswers.push_back(testing::cancelled());
    EXPECT_FALSE(s.run(cmd::SaveL2mMatrix));
    EXPECT_FALSE(std::filesystem::exists(l2m));
    EXPECT_EQ(s.menuState(cmd::SaveL2mMatrix), ItemState::Enabled);

    s.scripted.fileAnswers.push_back(chosen(l2m));
    ASSERT_TRUE(s.run(cmd::SaveL2mMatrix));
    EXPECT_EQ(s.scripted.fileRequests.back().title, "Save L2M Terrain Matrix");
    EXPECT_EQ(s.scripted.fileRequests.back().kind, FileDialogKind::Save);
    EXPECT_EQ(s.menuState(cmd::SaveL2mMatrix), ItemState::Greyed);
    EXPECT_TRUE(s.state.terrain.terrainOpen);

    // A later run loads it instead of the L2/O2 pair, after selecting the theater of its size.
    ScriptedPlatform scripted;
    scripted.settings = s.scripted.settings;
    ApplicationState later;
    startUp(later, scripted.platform(), RunMode::Interactive, s.dir.str());
    const std::size_t recentBefore = later.recentFiles.count;
    scripted.fileAnswers.push_back(chosen(l2m));
    ASSERT_TRUE(dispatchCommand(later, scripted.platform(), cmd::LoadL2mMatrix));
    EXPECT_EQ(scripted.fileRequests.back().title, "Open L2M Terrain Matrix");
    EXPECT_TRUE(later.terrain.terrainOpen);
    EXPECT_TRUE(later.terrain.matrix.posts == s.state.terrain.matrix.posts);
    EXPECT_EQ(later.recentFiles.count, recentBefore) << "a matrix file is no recent file";
    EXPECT_EQ(scripted.titles.back(), l2m);
    EXPECT_EQ(findMenuItem(later.menu, cmd::SaveL2mMatrix)->state, ItemState::Enabled);
}

TEST(TerrainFlow, AMatrixOfAnotherSizeIsRefusedAndTerrainStaysClosed) {
    Session s(4);
    ASSERT_TRUE(s.openTerrain(s.l2));
    const std::string l2m = (s.dir.path / "Small.L2M").string();
    s.scripted.fileAnswers.push_back(chosen(l2m));
    ASSERT_TRUE(s.run(cmd::SaveL2mMatrix));

    ScriptedPlatform scripted;
    ApplicationState later;
    startUp(later, scripted.platform(), RunMode::Interactive, s.dir.str());
    ASSERT_TRUE(dispatchCommand(later, scripted.platform(), 2001)); // a 1024 x 1024 theater
    scripted.fileAnswers.push_back(chosen(l2m));
    EXPECT_FALSE(dispatchCommand(later, scripted.platform(), cmd::LoadL2mMatrix));
    ASSERT_EQ(scripted.messages.size(), 1u);
    EXPECT_EQ(scripted.messages[0].text,
              "This L2M matrix is not the same size as the current theater.");
    EXPECT_EQ(scripted.messages[0].title, "L2M Matrix Error");
    EXPECT_FALSE(later.terrain.terrainOpen);
    EXPECT_EQ(later.theater.xMapExtent, 1024);
}

// Close Terrain: asked first while an unsaved audit would go with it; then the terrain commands
// are greyed, the open ones enabled, the theater's own geometry is back, and a terrain opens
// again.
TEST(TerrainFlow, CloseTerrainAsksForAnUnsavedAuditAndLetsTerrainOpenAgain) {
    Session s;
    EXPECT_FALSE(s.run(cmd::CloseTerrain)) << "nothing open: nothing to close";
    EXPECT_TRUE(s.scripted.messages.empty());
    ASSERT_TRUE(s.openTerrain(s.l2));
    EXPECT_EQ(s.menuState(cmd::CloseTerrain), ItemState::Enabled);
    const TheaterDefinition opened = s.state.theater;
    const std::string folder = s.state.terrain.terrainDirectory;
    s.state.audit.done = true;
    s.state.audit.last.report.findings.resize(1);

    s.scripted.answers = {MessageAnswer::No};
    EXPECT_FALSE(s.run(cmd::CloseTerrain));
    ASSERT_EQ(s.messages().size(), 1u);
    EXPECT_EQ(s.messages()[0], "Close Terrain: The audit of this terrain (1 finding) has not been "
                               "saved as a page or JSON and is closed with the terrain.\r\n\r\n"
                               "Close the terrain?");
    EXPECT_TRUE(s.state.terrain.terrainOpen);

    s.state.audit.saved = true; // its page was written: nothing to ask
    EXPECT_TRUE(s.run(cmd::CloseTerrain));
    EXPECT_EQ(s.messages().size(), 1u);
    EXPECT_FALSE(s.state.terrain.terrainOpen);
    EXPECT_TRUE(s.state.terrain.matrix.empty());
    EXPECT_FALSE(s.state.audit.done);
    EXPECT_TRUE(s.state.files.inputs.held.empty());
    EXPECT_EQ(s.state.terrain.terrainDirectory, folder) << "the next dialog starts there";
    EXPECT_EQ(s.scripted.titles.back(), texts::programName);
    for (int id : {cmd::OpenL2Terrain, cmd::LoadL2mMatrix}) {
        EXPECT_EQ(s.menuState(id), ItemState::Enabled) << id;
    }
    for (int id : {cmd::CloseTerrain, cmd::SaveL2mMatrix, cmd::CheckRoads, cmd::AuditTheater,
                   cmd::SetTile, cmd::FindL2Info, cmd::UndoTerrain}) {
        EXPECT_EQ(s.menuState(id), ItemState::Greyed) << id;
    }
    EXPECT_EQ(s.state.theater.xSections, opened.xSections) << "the sample's ini names its size";

    ASSERT_TRUE(s.openTerrain(s.l2));
    EXPECT_TRUE(s.state.terrain.terrainOpen);
    EXPECT_EQ(s.menuState(cmd::CloseTerrain), ItemState::Enabled);
}

TEST(TerrainFlow, FindL2InfoNeedsTerrainAndKeepsOneWindow) {
    Session s;
    int shown = 0;
    int closed = 0;
    Platform platform = s.scripted.platform();
    platform.showFindL2Info = [&] { ++shown; };
    platform.closeFindL2Info = [&] { ++closed; };
    EXPECT_FALSE(dispatchCommand(s.state, platform, cmd::FindL2Info));
    EXPECT_EQ(shown, 0);
    ASSERT_TRUE(s.openTerrain(s.l2));
    EXPECT_TRUE(dispatchCommand(s.state, platform, cmd::FindL2Info));
    EXPECT_TRUE(dispatchCommand(s.state, platform, cmd::FindL2Info));
    EXPECT_EQ(shown, 2);
    EXPECT_TRUE(s.state.terrain.findL2InfoPresent);
    EXPECT_TRUE(dispatchCommand(s.state, platform, cmd::CloseFindL2Info));
    EXPECT_FALSE(dispatchCommand(s.state, platform, cmd::CloseFindL2Info));
    EXPECT_EQ(closed, 1);
}

} // namespace
} // namespace vantor
