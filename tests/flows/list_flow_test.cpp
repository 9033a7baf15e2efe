#include "app/commands.h"
#include "app/recent_files.h"
#include "app/startup.h"
#include "flows/dispatcher.h"
#include "flows/list_flow.h"
#include "map/map_overlay.h"
#include "sample/sample_theater.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "support/terrain_files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace vantor {
namespace {

using testing::chosen;

const std::string header = "1.0 Objective Export  Mon Dec 07 12:19:30 2026\r\nName, Type,\r\n";
const std::string objects = "a, City, s, 3, 1, 5, 6, 0,\r\nb, Town, s, 1, 1, 5, 6, 0,\r\n"
                            "c, Town, s, 2, 1, 5, 6, 0,\r\n";

struct Session {
    testing::TempDir dir;
    testing::ScriptedPlatform scripted;
    ApplicationState state;

    Session() { startUp(state, scripted.platform(), RunMode::Interactive, dir.str()); }
    bool run(int command) { return dispatchCommand(state, scripted.platform(), command); }
    std::string file(const std::string& name, const std::string& text) {
        return dir.write(name, text).string();
    }
    bool open(const std::string& path) {
        scripted.fileAnswers.push_back(chosen(path));
        return run(cmd::OpenSourceCsv);
    }
    std::string read(const std::string& path) {
        const auto bytes = testing::readBytes(path);
        return std::string(bytes.begin(), bytes.end());
    }
    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        for (const auto& m : scripted.messages) {
            out.push_back(m.title + ": " + m.text);
        }
        return out;
    }
    ItemState menuState(int id) const { return findMenuItem(state.menu, id)->state; }
};

TEST(ListFlow, TheFirstCharacterDecidesWhatIsListed) {
    struct Case {
        const char* title;
        std::string text;
        ListMode listMode;
        ListKind listKind;
        const char* windowTitle;
        ItemState unusedIds;
    };
    const Case cases[] = {
        {"objects", header + objects, ListMode::Objects, ListKind::Objects, "Placed Objects List",
         ItemState::Enabled},
        {"roads", "2 roads\r\nSect X,\r\n1, 2, 3, 4, 5, 6, 7, x, 1,\r\n", ListMode::Reports,
         ListKind::MisalignedRoads, "Bad Roads Report", ItemState::Greyed},
        {"rivers", "3\r\nh\r\n1, 2, 3, 4, 5, 6, 7, x, 1,\r\n", ListMode::Reports,
         ListKind::MisalignedRivers, "Bad Rivers Report", ItemState::Greyed},
        {"transitions", "4\r\nh\r\n1, 2, 3, 4, 5, 6, 7, x, 1,\r\n", ListMode::Reports,
         ListKind::BadTransitions, "Bad Transition Tiles Report", ItemState::Greyed},
        {"all scans", "9\r\nh\r\n1, 2, 3, 4, 5, 6, 7, x, 14,\r\n", ListMode::Reports,
         ListKind::AllScansReport, "All Bad Tiles Report", ItemState::Greyed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        Session s;
        const std::string path = s.file("list.csv", c.text);
        ASSERT_TRUE(s.open(path));
        const FileRequest& r = s.scripted.fileRequests.back();
        EXPECT_EQ(r.title, "Open Object File");
        EXPECT_EQ(r.filter, "Object Export file|*.csv||");
        EXPECT_EQ(r.initialName, "*.csv");
        EXPECT_EQ(s.state.list.listMode, c.listMode);
        EXPECT_EQ(s.state.list.listKind, c.listKind);
        EXPECT_EQ(s.scripted.titles.back(), c.windowTitle);
        EXPECT_EQ(s.menuState(cmd::ListUnusedIds), c.unusedIds);
        EXPECT_EQ(s.menuState(cmd::OutputTextVersion), ItemState::Enabled);
        EXPECT_EQ(recentFile(s.state.recentFiles, 0), path);
        EXPECT_EQ(s.scripted.settings.at({"Software\\Moravik\\Quillon\\Paths", "Work1"}),
                  s.dir.str() + "/");
        EXPECT_TRUE(s.messages().empty());
    }
}

// A checked export writes Type "0": the map still draws its objectives by their classes, from
// the class list read for it; the commands' own class list is left for them to read.
TEST(ListFlow, ObjectivesOfTypeZeroAreDrawnByTheirClasses) {
    Session s;
    std::string error;
    ASSERT_TRUE(writeSampleTheater(s.dir.str(), SampleOptions{.sections = 8}, error)) << error;
    const std::string source = (s.dir.path / sampleExportName).string();
    std::istringstream lines(s.read(source));
    std::string zeroed;
    int n = 0;
    for (std::string line; std::getline(lines, line); ++n) {
        const std::size_t a = line.find(',');
        const std::size_t b = a == std::string::npos ? a : line.find(',', a + 1);
        zeroed +=
            n < 2 || b == std::string::npos ? line : line.substr(0, a + 1) + " 0" + line.substr(b);
        zeroed += '\n';
    }
    const auto kinds = [&](const std::string& path) {
        EXPECT_TRUE(s.open(path));
        std::vector<MarkerKind> out;
        for (const MapMarker& m : listMarkers(*s.state.list.model.window, s.state.list.listKind,
                                              false, markerClassList(s.state.reference))) {
            out.push_back(m.kind);
        }
        return out;
    };
    const std::vector<MarkerKind> byType = kinds(source);
    EXPECT_FALSE(s.state.reference.markerClasses.loaded) << "every Type names a kind";
    const std::vector<MarkerKind> byClass = kinds(s.file("Checked.csv", zeroed));
    EXPECT_TRUE(s.state.reference.markerClasses.loaded);
    EXPECT_FALSE(s.state.reference.ocdList.loaded);
    const std::vector<ListObjectRow>& rows = s.state.list.model.window->objectRows;
    ASSERT_EQ(byClass.size(), rows.size());
    ASSERT_EQ(byType.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        // The sample's bridge is of a class the list does not hold.
        const bool listed = findOcdById(s.state.reference.markerClasses,
                                        static_cast<std::uint32_t>(rows[i].ocdId)) != nullptr;
        EXPECT_EQ(byClass[i], listed ? byType[i] : MarkerKind::Other);
    }
    EXPECT_NE(std::count(byClass.begin(), byClass.end(), MarkerKind::City), 0);
    EXPECT_NE(std::count(byClass.begin(), byClass.end(), MarkerKind::Airbase), 0);
}

TEST(ListFlow, FilesThatCannotBeListedSayWhy) {
    struct Case {
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {header, "Error: Object Data read failed"},
        {"2\r\nh\r\n", "Error: Bad Roads Report read failed"},
        {"9\r\n", "Error: All Bad Tiles Report read failed"},
        {"Name, Type\r\n", "Error: .csv file type not recognized."},
        {"", "Error: .csv file type not recognized."},
    };
    for (const Case& c : cases) {
        Session s;
        EXPECT_FALSE(s.open(s.file("bad.csv", c.text)));
        EXPECT_EQ(s.messages(), std::vector<std::string>{c.message});
        EXPECT_EQ(s.state.recentFiles.count, 0);
    }
}

TEST(ListFlow, OpeningASourceWhileAnOutputFileIsOpenAsksFirst) {
    Session s;
    const std::string first = s.file("first.csv", header + objects);
    ASSERT_TRUE(s.open(first));
    std::string error;
    ASSERT_TRUE(openTextFileAside(s.state.files.outputFile, (s.dir.path / "out.csv").string(),
                                  false, error));
    const std::string second = s.file("second.csv", header + objects);

    s.scripted.answers.push_back(MessageAnswer::No);
    s.scripted.fileAnswers.push_back(chosen(second));
    EXPECT_FALSE(s.run(cmd::OpenSourceCsv));
    EXPECT_EQ(s.messages().back(),
              "Warning: You are about to close a .csv file you are appending objects/errors to.  "
              "Do you wish to close it now?");
    EXPECT_TRUE(s.state.files.outputFile.isOpen());
    EXPECT_TRUE(s.state.list.model.window.has_value());
    EXPECT_EQ(s.state.files.sourcePath, first);
    EXPECT_EQ(s.scripted.fileRequests.size(), 1u) << "No asks for no file";

    s.scripted.answers.push_back(MessageAnswer::Yes);
    EXPECT_TRUE(s.run(cmd::OpenSourceCsv));
    EXPECT_FALSE(s.state.files.outputFile.isOpen());
    EXPECT_EQ(s.state.files.sourcePath, second);
}

TEST(ListFlow, ExportWritesTheMarkedLinesUnderACsvName) {
    Session s;
    const std::string source = s.file("objs.csv", header + objects);
    ASSERT_TRUE(s.open(source));
    s.state.list.model.window->highlighted = {1, 0, 1};
    s.run(cmd::SelectObjects);
    s.scripted.fileAnswers.push_back(chosen((s.dir.path / "picked.dat").string()));
    ASSERT_TRUE(s.run(cmd::ExportObjects));
    EXPECT_EQ(s.scripted.fileRequests.back().title, "Save Bridge Object Export File");
    const std::string out = (s.dir.path / "picked.csv").string();
    EXPECT_EQ(s.read(out), header + "a, City, s, 3, 1, 5, 6, 0,\r\nc, Town, s, 2, 1, 5, 6, 0,\r\n");
    EXPECT_EQ(s.state.files.outputPath, out);
    EXPECT_EQ(s.scripted.titles.back(), out);
    EXPECT_EQ(recentFile(s.state.recentFiles, 0), out);
    EXPECT_FALSE(s.state.files.outputFile.isOpen()) << "the export does not become the output file";
}

TEST(ListFlow, ExportingOntoTheSourceIsRefusedAndTheDialogComesBack) {
    Session s;
    const std::string source = s.file("objs.csv", header + objects);
    ASSERT_TRUE(s.open(source));
    const std::string before = s.read(source);
    std::string upper = source;
    upper.replace(upper.size() - 8, 8, "OBJS.CSV");
    s.scripted.fileAnswers.push_back(chosen(upper));
    EXPECT_FALSE(s.run(cmd::ExportObjects));
    EXPECT_EQ(s.messages().back(),
              "Error: Cannot use the same file for Source and Export.  Select another file.");
    EXPECT_EQ(s.scripted.messages.back().icon, MessageIcon::Warning);
    ASSERT_EQ(s.scripted.posted.size(), 1u);
    EXPECT_EQ(s.scripted.posted.front(), cmd::ExportObjects);
    s.scripted.runPosted(s.state);
    EXPECT_EQ(s.scripted.fileRequests.size(), 3u) << "the save dialog is shown once more";
    EXPECT_EQ(s.read(source), before);
}

TEST(ListFlow, OutputNamesAreCutAtTheDotOfTheFileNameOnly) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\maps\\objs.dat", "C:\\maps\\objs.csv"},
        {"C:\\maps\\objs", "C:\\maps\\objs.csv"},
        {"C:\\my.maps\\objs", "C:\\my.maps\\objs.csv"},
        {"/home/u/v1.2/out", "/home/u/v1.2/out.csv"},
        {"/home/u/a.b.c", "/home/u/a.b.csv"},
    };
    for (const auto& [chosenPath, output] : cases) {
        EXPECT_EQ(withExtension(chosenPath, ".csv"), output);
    }
    EXPECT_EQ(withExtension("/r/rep.csv", ".txt"), "/r/rep.txt");
}

TEST(ListFlow, TextVersionOfAReportGoesBesideTheChosenName) {
    Session s;
    ASSERT_TRUE(s.open(s.file("roads.csv", "2\r\nh\r\n1, 2, 3, 4, 5, 6, 7, x, 3,\r\n")));
    s.scripted.fileAnswers.push_back(chosen((s.dir.path / "roads-text.csv").string()));
    ASSERT_TRUE(s.run(cmd::OutputTextVersion));
    const FileRequest& r = s.scripted.fileRequests.back();
    EXPECT_EQ(r.title, "Save Text Error Report Output File");
    EXPECT_EQ(r.filter, "Text Report file  |*.txt||");
    EXPECT_EQ(r.initialName, "*.txt");
    const std::string text = s.read((s.dir.path / "roads-text.txt").string());
    EXPECT_EQ(text.rfind("Balkans Theater Misaligned Roads Report - ", 0), 0u);
    EXPECT_NE(text.find("1 \t 2 \t 3 \t 4 \t 5 \t 6 \t 7\t No Road to East\n"), std::string::npos);
    EXPECT_FALSE(s.state.files.textReportFile.isOpen());
    EXPECT_EQ(s.menuState(cmd::CloseOutputFiles), ItemState::Enabled);

    Session objectsList;
    ASSERT_TRUE(objectsList.open(objectsList.file("o.csv", header + objects)));
    EXPECT_FALSE(objectsList.run(cmd::OutputTextVersion)) << "an object list has no text version";
    EXPECT_EQ(objectsList.scripted.fileRequests.size(), 1u);
}

// The lines past the list's rows are read again from the report for its text version; a report
// that went away or changed since it was listed gives no text version rather than a short one.
TEST(ListFlow, ALongReportThatChangedSinceItWasListedGivesNoTextVersion) {
    std::string report = "2\r\nh\r\n";
    for (int i = 0; i < 4100; ++i) {
        report += "1, 2, 3, 4, " + std::to_string(i) + ", 6, 7, x, 3,\r\n";
    }
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path&)> change;
        const char* reason;
    };
    const Case cases[] = {
        {"removed", [](const auto& p) { std::filesystem::remove(p); }, "roads.csv"},
        {"a folder now",
         [](const auto& p) {
             std::filesystem::remove(p);
             std::filesystem::create_directory(p);
         },
         "folder"},
        {"cut short",
         [](const auto& p) { std::filesystem::resize_file(p, std::filesystem::file_size(p) / 2); },
         "the list was read from"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        const std::string path = s.file("roads.csv", report);
        ASSERT_TRUE(s.open(path));
        c.change(path);
        s.scripted.messages.clear();
        s.scripted.fileAnswers.push_back(chosen((s.dir.path / "roads-text.txt").string()));
        EXPECT_FALSE(s.run(cmd::OutputTextVersion));
        EXPECT_FALSE(std::filesystem::exists(s.dir.path / "roads-text.txt"));
        ASSERT_EQ(s.scripted.messages.size(), 1u);
        EXPECT_EQ(s.scripted.messages[0].title, "Error");
        EXPECT_NE(s.scripted.messages[0].text.find(c.reason), std::string::npos)
            << s.scripted.messages[0].text;
        EXPECT_NE(s.scripted.messages[0].text.find("Nothing was written."), std::string::npos);
    }
}

TEST(ListFlow, RecentEntriesOpenByTheirFileNamesExtension) {
    Session s;
    std::filesystem::create_directories(s.dir.path / "v1.2");
    const std::string csv = s.file("v1.2/objs.CSV", header + objects);
    s.scripted.settings[{settingsKey, "File1"}] = csv;
    ApplicationState restarted;
    startUp(restarted, s.scripted.platform(), RunMode::Interactive, s.dir.str());
    EXPECT_TRUE(dispatchCommand(restarted, s.scripted.platform(), 8001));
    EXPECT_TRUE(restarted.list.model.window.has_value());
    EXPECT_EQ(restarted.list.listKind, ListKind::Objects);
}

TEST(ListFlow, UnusedIdsSortTheListByIdentifierAndReadTheWholeFile) {
    Session s;
    int shown = 0;
    Platform platform = s.scripted.platform();
    platform.showUnusedIds = [&] { ++shown; };
    std::string body = objects;
    for (int id = 10; id < 4200; ++id) {
        body += "x, Town, s, " + std::to_string(id) + ", 1, 5, 6, 0,\r\n";
    }
    body += "z, Town, s, 4300, 1, 5, 6, 0,\r\n";
    s.scripted.fileAnswers.push_back(chosen(s.file("many.csv", header + body)));
    ASSERT_TRUE(dispatchCommand(s.state, platform, cmd::OpenSourceCsv));
    ASSERT_TRUE(dispatchCommand(s.state, platform, cmd::ListUnusedIds));
    EXPECT_EQ(shown, 1);
    const ListWindow& w = *s.state.list.model.window;
    EXPECT_EQ(w.objectRows[w.display[0]].identifier, 1);
    EXPECT_EQ(w.objectRows[w.display[1]].identifier, 2);
    // Identifiers beyond the 4096 rows shown are in use too: only the real gaps are free.
    EXPECT_EQ(unusedIdListing(s.state, platform, true), " 4 - 9\r\n 4200 - 4299\r\n");

    // Without a gap the box says so instead of staying empty.
    s.scripted.fileAnswers.push_back(chosen(s.file(
        "full.csv", header + "a, Town, s, 7, 1, 5, 6, 0,\r\nb, Town, s, 8, 1, 5, 6, 0,\r\n")));
    ASSERT_TRUE(dispatchCommand(s.state, platform, cmd::OpenSourceCsv));
    EXPECT_EQ(unusedIdListing(s.state, platform, false),
              "Every identifier from 7 to 8 is in use: none is free.");
}

TEST(ListFlow, ClearAllAsksForCautionAndEndsDeletionMode) {
    Session s;
    ASSERT_TRUE(s.open(s.file("o.csv", header + objects)));
    s.state.list.model.window->highlighted = {0, 1, 0};
    s.run(cmd::DeleteSelected);
    EXPECT_TRUE(s.state.list.model.deletionMode);
    EXPECT_EQ(s.state.list.model.window->objectRows[1].mark, MarkDeleted);
    s.run(cmd::ClearAllSelections);
    EXPECT_EQ(s.messages().back(),
              "Caution: Are you sure you want to unselect all selected objects?");
    EXPECT_EQ(s.scripted.messages.back().buttons, MessageButtons::Ok);
    EXPECT_FALSE(s.state.list.model.deletionMode);
    EXPECT_EQ(s.state.list.model.window->objectRows[1].mark, MarkNone);
}

} // namespace
} // namespace vantor
