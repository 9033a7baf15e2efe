#include "app/commands.h"
#include "app/startup.h"
#include "flows/dispatcher.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

using testing::ScriptedPlatform;

struct Session {
    testing::TempDir dir;
    ScriptedPlatform scripted;
    ApplicationState state;

    explicit Session(RunMode mode = RunMode::Interactive) {
        startUp(state, scripted.platform(), mode, dir.str());
    }
    bool run(int command) { return dispatchCommand(state, scripted.platform(), command); }
    void openOutput() {
        std::string error;
        ASSERT_TRUE(openTextFileAside(state.files.outputFile, (dir.path / "out.csv").string(),
                                      false, error))
            << error;
    }
};

TEST(Dispatcher, TerrainCommandsWithoutTerrainAreRefusedWithTheirMessage) {
    struct Case {
        int command;
        const char* message;
        const char* title;
        MessageIcon icon;
    };
    const Case cases[] = {
        {cmd::PlaceBridges, "Cannot place Bridges until the terrain file (L2) is opened.",
         "Information", MessageIcon::Warning},
        {cmd::CheckRivers, "Cannot scan Rivers until the terrain file (L2) is opened.",
         "Information", MessageIcon::Warning},
        {cmd::CheckRoads, "Cannot scan Roads until the terrain file (L2) is opened.", "Information",
         MessageIcon::Warning},
        {cmd::CheckPlaceMoveObjects, "Cannot scan Objects until the terrain file (L2) is opened.",
         "Information", MessageIcon::Warning},
        {cmd::CheckTransitions, "Cannot scan Transitions until the terrain file (L2) is opened.",
         "Information", MessageIcon::Warning},
        {cmd::CheckCityJunction, "Cannot scan Objects until the terrain file (L2) is opened.",
         "Information", MessageIcon::Warning},
        {cmd::FindL2Info, "Cannot find L2 Info until the terrain file (L2) is opened.", "Error",
         MessageIcon::Error},
    };
    for (const Case& c : cases) {
        Session s;
        EXPECT_FALSE(s.run(c.command));
        ASSERT_EQ(s.scripted.messages.size(), 1u) << c.command;
        EXPECT_EQ(s.scripted.messages[0].text, c.message);
        EXPECT_EQ(s.scripted.messages[0].title, c.title);
        EXPECT_EQ(s.scripted.messages[0].icon, c.icon);
        EXPECT_TRUE(s.scripted.fileRequests.empty()) << "a refused command asks for no file";
    }
}

TEST(Dispatcher, SecondTerrainOpenOrMatrixLoadIsRefused) {
    for (int command : {cmd::OpenL2Terrain, cmd::LoadL2mMatrix}) {
        Session s;
        s.state.terrain.terrainOpen = true;
        s.state.terrain.matrixBuilt = true;
        EXPECT_FALSE(s.run(command));
        ASSERT_EQ(s.scripted.messages.size(), 1u);
        EXPECT_EQ(s.scripted.messages[0].text, "The L2 Terrain matrix has already been created.");
        EXPECT_EQ(s.scripted.messages[0].title, "Information");
        EXPECT_EQ(s.scripted.messages[0].icon, MessageIcon::Warning);
        EXPECT_TRUE(s.state.terrain.terrainOpen);
        EXPECT_TRUE(s.scripted.fileRequests.empty());
    }
}

TEST(Dispatcher, SilentPreconditionsDoNothingAtAll) {
    struct Case {
        const char* name;
        int command;
        void (*prepare)(ApplicationState&);
    };
    const Case cases[] = {
        {"section report without terrain", cmd::GenerateSectionReport, [](ApplicationState&) {}},
        {"matrix save before a matrix", cmd::SaveL2mMatrix, [](ApplicationState&) {}},
        {"unused ids without a list", cmd::ListUnusedIds, [](ApplicationState&) {}},
        {"unused ids while a report is listed", cmd::ListUnusedIds,
         [](ApplicationState& st) {
             createListWindow(st.list.model, ListMode::Reports);
             st.list.listMode = ListMode::Reports;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        c.prepare(s.state);
        const int menuChanges = s.scripted.menuChanges;
        EXPECT_FALSE(s.run(c.command));
        EXPECT_TRUE(s.scripted.messages.empty());
        EXPECT_TRUE(s.scripted.fileRequests.empty());
        EXPECT_EQ(s.scripted.menuChanges, menuChanges);
    }
}

TEST(Dispatcher, CommandsWithoutPreconditionHaveNone) {
    for (int command : std::initializer_list<int>{
             cmd::OpenSourceCsv, cmd::ExportObjects, cmd::Find, cmd::RemoveObjectLinks,
             cmd::CheckParentLinks, cmd::MoveObjectIds, cmd::RadarProfiles, cmd::LevelAirbases,
             cmd::CloseOutputFiles, cmd::Exit, 2000, 8001}) {
        EXPECT_EQ(preconditionFor(command), nullptr) << command;
    }
}

TEST(Closing, CloseOutputFilesAsksAndOnlyYesCloses) {
    struct Case {
        MessageAnswer answer;
        bool closed;
    };
    for (const Case& c : {Case{MessageAnswer::No, false}, Case{MessageAnswer::Yes, true}}) {
        Session s;
        s.openOutput();
        s.state.scan.appendToOutput = true;
        setMenuItemState(s.state.menu, cmd::CloseOutputFiles, ItemState::Enabled);
        s.scripted.answers.push_back(c.answer);
        s.run(cmd::CloseOutputFiles);
        ASSERT_EQ(s.scripted.messages.size(), 1u);
        EXPECT_EQ(s.scripted.messages[0].text,
                  "You are about to close a .csv file you can append objects to.  Do you wish to "
                  "close it now?");
        EXPECT_EQ(s.scripted.messages[0].title, "Warning");
        EXPECT_EQ(s.scripted.messages[0].icon, MessageIcon::Question);
        EXPECT_EQ(s.scripted.messages[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(s.state.files.outputFile.isOpen(), !c.closed);
        EXPECT_EQ(s.state.scan.appendToOutput, !c.closed);
        EXPECT_EQ(findMenuItem(s.state.menu, cmd::CloseOutputFiles)->state,
                  c.closed ? ItemState::Greyed : ItemState::Enabled);
    }
}

TEST(Closing, CloseOutputFilesWithoutAnOutputFileAsksNothing) {
    Session s;
    s.run(cmd::CloseOutputFiles);
    EXPECT_TRUE(s.scripted.messages.empty());
}

TEST(Closing, ExitClosesAnOpenOutputFileWithoutAQuestion) {
    Session s;
    s.openOutput();
    createListWindow(s.state.list.model, ListMode::Objects);
    EXPECT_TRUE(s.run(cmd::Exit));
    EXPECT_EQ(s.scripted.runPosted(s.state), 1);
    EXPECT_TRUE(s.scripted.messages.empty());
    EXPECT_FALSE(s.state.files.outputFile.isOpen());
    EXPECT_FALSE(s.state.list.model.window.has_value());
}

TEST(BatchModes, StartUpPostsTheBatchCommandAndTheFlowEndsTheProgram) {
    struct Case {
        RunMode mode;
        int command;
    };
    for (const Case& c : {Case{RunMode::RadarBatch, cmd::RadarProfiles},
                          Case{RunMode::AirbaseBatch, cmd::LevelAirbases}}) {
        Session s(c.mode);
        EXPECT_TRUE(s.state.folders.startDirectory.empty());
        EXPECT_TRUE(s.state.folders.csvDirectory.empty());
        ASSERT_EQ(s.scripted.posted.size(), 1u);
        EXPECT_EQ(s.scripted.posted.front(), c.command);
        EXPECT_EQ(s.scripted.runPosted(s.state), 1) << "the program ends by itself";
    }
}

TEST(BatchModes, InteractiveStartUpPostsNothing) {
    Session s;
    EXPECT_TRUE(s.scripted.posted.empty());
    EXPECT_EQ(s.state.folders.startDirectory, s.dir.str());
    EXPECT_EQ(s.state.folders.csvDirectory, s.dir.str());
    // The batch commands from the menu do not end an interactive program.
    s.run(cmd::RadarProfiles);
    s.run(cmd::LevelAirbases);
    EXPECT_EQ(s.scripted.closeRequests, 0);
}

TEST(HelpCommands, AboutHowToAndManualReachThePlatform) {
    Session s;
    s.run(cmd::About);
    s.run(cmd::HowTo);
    // The how-to box is followed by the OCD list generation, which finds no class file here.
    ASSERT_EQ(s.scripted.messages.size(), 3u);
    EXPECT_EQ(s.scripted.messages[2].title, "Missing File");
    EXPECT_EQ(s.scripted.messages[0].title, "About Vantor");
    EXPECT_NE(s.scripted.messages[0].text.find("Vantor 0."), std::string::npos);
    EXPECT_EQ(s.scripted.messages[1].title,
              "How to Select, Delete, Export and Find Objects in csv List");
    EXPECT_TRUE(s.run(cmd::UsersManual));
    EXPECT_EQ(s.scripted.helpRequests, 1);
    s.scripted.helpStarts = false;
    EXPECT_FALSE(s.run(cmd::UsersManual));
}

TEST(HelpCommands, TheTheaterLabelSharesTheManualsIdentifierButCannotBeChosen) {
    Session s;
    const MenuItem* label = findMenuItem(s.state.menu, cmd::UsersManual);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text, "Select Theater");
    EXPECT_FALSE(isChoosable(*label));
}

} // namespace
} // namespace vantor
