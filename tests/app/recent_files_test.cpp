#include "app/commands.h"
#include "app/recent_files.h"
#include "app/startup.h"
#include "flows/dispatcher.h"
#include "flows/recent_file_flow.h"
#include "support/menu_text.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

using Lines = std::vector<std::string>;
using testing::ScriptedPlatform;

std::string stored(const ScriptedPlatform& s, int n) {
    auto it = s.settings.find({settingsKey, "File" + std::to_string(n)});
    return it == s.settings.end() ? "<missing>" : it->second;
}

// The recent-file lines of the File menu: everything after its last fixed separator.
Lines recentLines(const ApplicationState& state) {
    const Lines all = testing::describeMenu(state.menu.menus[FileMenu]);
    const Lines fixedStart{"10203 &Open  Source csv File...",
                           "10215 Open &L2 Terrain file ...",
                           "10248 Close &Terrain (greyed)",
                           "10233 &Close Output Files (greyed)",
                           "10205 &Export Objects ...",
                           "---",
                           "10228 Load L2M &Matrix File...",
                           "10227 &Save L2M Matrix... (greyed)",
                           "---",
                           "10240 Start Folder...",
                           "---"};
    EXPECT_GE(all.size(), fixedStart.size() + 1);
    EXPECT_EQ(Lines(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(fixedStart.size())),
              fixedStart);
    EXPECT_EQ(all.back(), "10202 E&xit");
    return Lines(all.begin() + static_cast<std::ptrdiff_t>(fixedStart.size()), all.end() - 1);
}

struct Fixture {
    testing::TempDir dir;
    ScriptedPlatform scripted;
    ApplicationState state;

    void start() { startUp(state, scripted.platform(), RunMode::Interactive, dir.str()); }
    void remember(const std::string& path) { rememberRecentFile(state, scripted.platform(), path); }
};

TEST(RecentFiles, FirstStartWithoutSettingsHasNoEntriesAndNoExtraSeparator) {
    Fixture f;
    f.start();
    EXPECT_EQ(recentLines(f.state), Lines{});
    EXPECT_EQ(f.state.recentFiles.count, 0);
}

TEST(RecentFiles, TheSameFileTypedInOtherCaseIsHeldOnceAtTheTop) {
    Fixture f;
    f.start();
    f.remember("C:\\Data\\objs.csv");
    f.remember("C:\\Data\\other.csv");
    f.remember("C:\\DATA\\OBJS.CSV");
    EXPECT_EQ(recentLines(f.state),
              (Lines{"8001 &1 C:\\DATA\\OBJS.CSV", "8002 &2 C:\\Data\\other.csv", "--- 8000"}));
    EXPECT_EQ(stored(f.scripted, 1), "C:\\DATA\\OBJS.CSV");
    EXPECT_EQ(stored(f.scripted, 2), "C:\\Data\\other.csv");
    EXPECT_EQ(stored(f.scripted, 3), "");
}

TEST(RecentFiles, TenFilesKeepNineStoredAndShowTheNewestSix) {
    Fixture f;
    f.start();
    for (int i = 1; i <= 10; ++i) {
        f.remember("f" + std::to_string(i) + ".csv");
    }
    for (int n = 1; n <= 9; ++n) {
        EXPECT_EQ(stored(f.scripted, n), "f" + std::to_string(11 - n) + ".csv");
    }
    EXPECT_EQ(stored(f.scripted, 10), "<missing>");
    EXPECT_EQ(recentLines(f.state),
              (Lines{"8001 &1 f10.csv", "8002 &2 f9.csv", "8003 &3 f8.csv", "8004 &4 f7.csv",
                     "8005 &5 f6.csv", "8006 &6 f5.csv", "--- 8000"}));
}

TEST(RecentFiles, LoadingStopsAtTheFirstEmptySlotAndTheMenuShowsWhatWasLoaded) {
    Fixture f;
    f.scripted.settings[{settingsKey, "File1"}] = "one.csv";
    f.scripted.settings[{settingsKey, "File2"}] = "";
    f.scripted.settings[{settingsKey, "File3"}] = "three.csv";
    f.start();
    EXPECT_EQ(f.state.recentFiles.count, 1);
    EXPECT_EQ(recentLines(f.state), (Lines{"8001 &1 one.csv", "--- 8000"}));
}

TEST(RecentFiles, LongPathsAreKeptWhole) {
    Fixture f;
    f.start();
    const std::string longPath = "C:\\" + std::string(300, 'd') + "\\theater.L2";
    f.remember(longPath);
    EXPECT_EQ(stored(f.scripted, 1), longPath);
    EXPECT_EQ(recentFile(f.state.recentFiles, 0), longPath);
}

TEST(RecentFiles, ListOperationsKeepTheirBounds) {
    RecentFileList list = createRecentFileList();
    EXPECT_FALSE(recentFile(list, 0));
    EXPECT_FALSE(setRecentFile(list, 9, "x"));
    EXPECT_TRUE(setRecentFile(list, 2, "c"));
    EXPECT_EQ(list.count, 3);
    EXPECT_FALSE(removeRecentFile(list, 3));
    EXPECT_FALSE(removeRecentFileById(list, 8000)); // the separator is no entry
    addRecentFile(list, "a");
    EXPECT_EQ(recentFileById(list, 8001), "a");
    EXPECT_EQ(recentFileById(list, 8004), "c");
    EXPECT_TRUE(removeRecentFileById(list, 8001));
    EXPECT_EQ(list.count, 3);
    EXPECT_EQ(recentFile(list, 2), "c");
}

TEST(RecentFiles, FoldersReadBackOnlyWhenTheKeyOpens) {
    ScriptedPlatform scripted;
    const Platform p = scripted.platform();
    std::string folder = "start\\";
    EXPECT_TRUE(readFolder(p, pathsSubkey, csvFolderValue, folder));
    EXPECT_EQ(folder, "start\\") << "a missing value leaves the folder";
    EXPECT_TRUE(storeFolder(p, pathsSubkey, csvFolderValue, "D:\\csv\\"));
    EXPECT_EQ(scripted.settings.at({"Software\\Moravik\\Quillon\\Paths", "Work1"}), "D:\\csv\\");
    EXPECT_TRUE(readFolder(p, pathsSubkey, csvFolderValue, folder));
    EXPECT_EQ(folder, "D:\\csv\\");
    scripted.settingsKeyOpens = false;
    folder = "kept";
    EXPECT_FALSE(readFolder(p, pathsSubkey, terrainFolderValue, folder));
    EXPECT_EQ(folder, "kept");
}

TEST(RecentFileFlow, AMissingFileIsReportedAndRemovedEverywhere) {
    Fixture f;
    const std::string gone = (f.dir.path / "gone.csv").string();
    const std::string kept = f.dir.write("kept.csv", "1.0 Objective Export\n").string();
    f.scripted.settings[{settingsKey, "File1"}] = kept;
    f.scripted.settings[{settingsKey, "File2"}] = gone;
    f.start();
    ASSERT_EQ(f.state.recentFiles.count, 2);

    EXPECT_FALSE(dispatchCommand(f.state, f.scripted.platform(), 8002));
    ASSERT_EQ(f.scripted.messages.size(), 1u);
    EXPECT_EQ(f.scripted.messages[0].text, "Data Base Open error code = 2");
    EXPECT_EQ(f.scripted.messages[0].title, gone);
    EXPECT_EQ(f.scripted.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(recentLines(f.state), (Lines{"8001 &1 " + kept, "--- 8000"}));
    EXPECT_EQ(stored(f.scripted, 2), "");

    // After a restart the entry stays gone.
    ApplicationState restarted;
    startUp(restarted, f.scripted.platform(), RunMode::Interactive, f.dir.str());
    EXPECT_EQ(recentLines(restarted), (Lines{"8001 &1 " + kept, "--- 8000"}));
}

TEST(RecentFileFlow, AnExistingFileBecomesBothSourceAndTerrainPath) {
    Fixture f;
    const std::string file =
        f.dir.write("objs.csv", "1.0 Objective Export\nName,\na, City, s, 1, 2, 3, 4,\n").string();
    f.start();
    f.remember(file);
    EXPECT_TRUE(dispatchCommand(f.state, f.scripted.platform(), 8001));
    EXPECT_TRUE(f.scripted.messages.empty());
    EXPECT_EQ(f.state.files.sourcePath, file);
    EXPECT_EQ(f.state.terrain.terrainPath, file);
}

TEST(RecentFileFlow, OpenErrorCodesFollowThePlatformsNumbers) {
    testing::TempDir dir;
    const std::string file = dir.write("here.csv", "x").string();
    EXPECT_EQ(fileOpenErrorCode(file), 0);
    EXPECT_EQ(fileOpenErrorCode((dir.path / "missing.csv").string()), 2);
    EXPECT_EQ(fileOpenErrorCode((dir.path / "no-folder" / "missing.csv").string()), 3);
    EXPECT_EQ(fileOpenErrorCode(dir.str()), 5);
}

} // namespace
} // namespace vantor
