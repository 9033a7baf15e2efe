#include "app/application_state.h"
#include "app/commands.h"
#include "flows/dispatcher.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(Progress, EachStateOpensWithItsCaptionAndReportsItsCounter) {
    struct Case {
        ProgressState progressState;
        const char* caption;
        const char* openLabel;
        const char* withOutput;
        const char* withoutOutput;
        ProgressCounter counter;
    };
    const Case cases[] = {
        {ProgressState::Terrain, "Building Terrain Matrix", "Sections Completed:",
         "Sections Completed:", "Sections Completed:", ProgressCounter::SectionsCompleted},
        {ProgressState::Bridges, "Placing Bridges",
         "Bridges Placed:", "Bridges Placed:", "Bridges Found:", ProgressCounter::ObjectsCounted},
        {ProgressState::Roads, "Scanning Misaligned Roads", "Misaligned Roads:", "Bad Roads Found:",
         "Bad Roads Reported:", ProgressCounter::ErrorsCounted},
        {ProgressState::Rivers, "Scanning Misaligned Rivers", "Misaligned Rivers:",
         "Bad Rivers Found:", "Bad Rivers Reported:", ProgressCounter::ErrorsCounted},
        {ProgressState::Transitions, "Scanning Transition Tiles", "Bad Transition Tiles:",
         "Bad Transitions Found:", "Bad Transitions Reported:", ProgressCounter::ErrorsCounted},
        {ProgressState::Objects, "Moving Misplaced Objects",
         "Objects moved:", " City Objects Changed/Placed:", " City Objects Changed/Placed:",
         ProgressCounter::ObjectsCounted},
        {ProgressState::Radar, "Scanning Radars", "Radars scanned:", " Radar Objects Scanned:",
         " Radar Objects Scanned:", ProgressCounter::ObjectsCounted},
    };
    testing::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.progressState));
        testing::ScriptedPlatform scripted;
        const Platform p = scripted.platform();
        ApplicationState state;
        state.progress.progressState = c.progressState;
        state.progress.counters = {11, 22, 33, 63};
        const char* expectedCounter = c.counter == ProgressCounter::SectionsCompleted ? "11"
                                      : c.counter == ProgressCounter::ObjectsCounted  ? "22"
                                                                                      : "33";
        openProgress(state, p);
        ASSERT_EQ(scripted.progressOpens.size(), 1u);
        EXPECT_EQ(scripted.progressOpens[0].caption, c.caption);
        EXPECT_EQ(scripted.progressOpens[0].label, c.openLabel);
        EXPECT_EQ(scripted.progressOpens[0].counter, "0");
        EXPECT_EQ(scripted.progressOpens[0].position, 0);

        dispatchCommand(state, p, cmd::ProgressReport);
        std::string error;
        ASSERT_TRUE(
            openTextFileAside(state.files.outputFile, (dir.path / "o.csv").string(), false, error));
        dispatchCommand(state, p, cmd::ProgressReport);
        ASSERT_EQ(scripted.progressReports.size(), 2u);
        EXPECT_EQ(scripted.progressReports[0].label, c.withoutOutput);
        EXPECT_EQ(scripted.progressReports[1].label, c.withOutput);
        EXPECT_EQ(scripted.progressReports[1].counter, expectedCounter);
        EXPECT_EQ(scripted.progressReports[1].position, 63);

        closeProgress(state, p);
        dispatchCommand(state, p, cmd::ProgressReport);
        EXPECT_EQ(scripted.progressReports.size(), 2u) << "no report without a window";
        EXPECT_EQ(scripted.progressCloses, 1);
    }
}

TEST(Progress, OpeningAnOpenWindowReusesItAndAbortOnlySetsTheFlag) {
    testing::ScriptedPlatform scripted;
    const Platform p = scripted.platform();
    ApplicationState state;
    state.progress.progressState = ProgressState::Terrain;
    openProgress(state, p);
    state.progress.progressState = ProgressState::Roads;
    openProgress(state, p);
    EXPECT_EQ(scripted.progressOpens.size(), 1u);
    requestAbort(state);
    EXPECT_TRUE(state.progress.abortRequested);
    EXPECT_TRUE(state.progress.windowOpen) << "the flow closes the window, not the abort";
}

TEST(Progress, StatesOutsideTheTableHaveNoTexts) {
    EXPECT_EQ(progressTexts(ProgressState::None), nullptr);
    EXPECT_EQ(progressTexts(static_cast<ProgressState>(9)), nullptr);
    ASSERT_NE(progressTexts(ProgressState::Radar), nullptr);
}

} // namespace
} // namespace vantor
