#include "app/commands.h"
#include "app/startup.h"
#include "flows/command_runner.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vantor {
namespace {

// A front end without a screen: what the runner asks of it, in order.
struct Desk {
    testing::TempDir dir;
    testing::ScriptedPlatform scripted;
    ApplicationState state;
    std::vector<std::string> calls;
    int scheduled = 0;
    Platform platform = scripted.platform(); // the runner keeps it by reference
    CommandRunner runner{
        state, platform,
        CommandRunner::Hooks{
            [this] { ++scheduled; },
            [this](bool frozen) { calls.push_back(frozen ? "freeze" : "thaw"); },
            [this](int command) { calls.push_back("after " + std::to_string(command)); },
            [this] { calls.push_back("end"); }}};
    Desk() { startUp(state, scripted.platform(), RunMode::Interactive, dir.str()); }
    // The event loop: whatever waits, until nothing does.
    void loop() {
        while (scheduled > 0) {
            --scheduled;
            runner.runPosted();
        }
    }
};

TEST(CommandRunner, OneCommandAtATimeTheRestInOrderAndTheCloseLast) {
    Desk d;
    std::vector<int> ran;
    // Work that posts two commands and has one chosen meanwhile: none runs inside it.
    d.runner.runWork(cmd::MendTheater, [&] {
        EXPECT_TRUE(d.runner.busy());
        d.runner.post(cmd::KeepSourceDates);
        d.runner.run(cmd::KeepSourceDates);
        d.runner.postClose();
        d.runner.post(cmd::KeepSourceDates); // after the close: dropped
        ran.push_back(cmd::MendTheater);
    });
    EXPECT_EQ(d.calls, (std::vector<std::string>{"freeze", "thaw", "after 10242"}));
    EXPECT_EQ(d.runner.waiting(), 4u);
    d.loop();
    EXPECT_EQ(d.calls,
              (std::vector<std::string>{"freeze", "thaw", "after 10242", "freeze", "thaw",
                                        "after 10244", "freeze", "thaw", "after 10244", "end"}));
    EXPECT_TRUE(d.runner.closeRequested());
    EXPECT_EQ(d.runner.waiting(), 0u);
    EXPECT_TRUE(d.state.files.keepDate == false) << "toggled twice";
}

TEST(CommandRunner, TheCloseBoxWaitsForTheRunningCommand) {
    Desk d;
    bool refused = false;
    d.runner.runWork(cmd::MendTheater, [&] { refused = !d.runner.windowClosing(); });
    EXPECT_TRUE(refused);
    EXPECT_FALSE(d.runner.closeRequested());
    d.loop();
    EXPECT_TRUE(d.runner.closeRequested());
    EXPECT_EQ(d.calls.back(), "end");
    Desk idle;
    EXPECT_TRUE(idle.runner.windowClosing());
    EXPECT_TRUE(idle.runner.closeRequested());
    EXPECT_TRUE(idle.calls.empty()) << "the window closes itself";
}

// The map draws the terrain anew after new terrain and after every command that changes posts,
// and only then.
TEST(CommandRunner, TheMapIsDrawnAnewWhereTheTerrainChanged) {
    for (int command :
         {cmd::MendTheater, cmd::LevelAirbases, cmd::UndoTerrain, cmd::RedoTerrain, cmd::SetTile}) {
        EXPECT_TRUE(redrawTerrainAfter(command, false)) << command;
    }
    for (int command : {cmd::AuditTheater, cmd::CheckRoads, cmd::OpenSourceCsv, cmd::Find,
                        cmd::TheaterFirst, cmd::CloseTerrain}) {
        EXPECT_FALSE(redrawTerrainAfter(command, false)) << command;
    }
    EXPECT_TRUE(redrawTerrainAfter(cmd::OpenL2Terrain, true));
}

} // namespace
} // namespace vantor
