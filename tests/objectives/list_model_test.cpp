#include "base/text_reader.h"
#include "objectives/find.h"
#include "objectives/list_model.h"
#include "objectives/unused_ids.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "support/terrain_files.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <numeric>

namespace vantor {
namespace {

const std::string header = "1.0 Objective Export  Mon Dec 07 12:19:30 2026\r\nName, Type,\r\n";

std::string objectLine(int id, const std::string& name = "Obj", const std::string& type = " City") {
    return name + "," + type + ", 0, " + std::to_string(id) + ", 1" + std::to_string(id % 3) +
           ", " + std::to_string(100 - id) + ", " + std::to_string(id * 2) + ", 0,\r\n";
}

struct List {
    testing::TempDir dir;
    testing::ScriptedPlatform scripted;
    ListState list;
    std::string path;

    List(ListMode listMode, const std::string& body) {
        path = dir.write("list.csv", header + body).string();
        createListWindow(list, listMode);
        list.sourcePath = path;
        TextReader f;
        EXPECT_TRUE(openTextReader(f, path));
        std::string skip;
        readLine(f, skip);
        readLine(f, skip);
        count = readRows(list, f, scripted.sink());
    }
    std::size_t count = 0;
    ListWindow& w() { return *list.window; }
    void highlight(std::initializer_list<std::size_t> rows) {
        for (std::size_t r : rows) {
            w().highlighted[r] = 1;
        }
    }
    std::string exported() {
        const std::string out = (dir.path / "out.csv").string();
        std::string error;
        EXPECT_TRUE(writeExport(list, out, error)) << error;
        const auto bytes = testing::readBytes(out);
        return std::string(bytes.begin(), bytes.end());
    }
    std::vector<std::string> column(int c, ListKind listKind = ListKind::Objects,
                                    bool combined = false) {
        std::vector<std::string> out;
        for (std::size_t p = 0; p < w().display.size(); ++p) {
            out.push_back(cellText(w(), p, c, listKind, combined));
        }
        return out;
    }
};

std::string lines(std::initializer_list<int> ids) {
    std::string text;
    for (int id : ids) {
        text += objectLine(id);
    }
    return text;
}

TEST(ListRows, ObjectRowsTakeTheirFieldsAndSemicolonFilesAreSplitAtSemicolons) {
    List commas(ListMode::Objects, "Seoul, City, Capital, 42, 7, 17, 200, 0,\r\n");
    ASSERT_EQ(commas.count, 1u);
    const ListObjectRow& r = commas.w().objectRows[0];
    EXPECT_EQ(r.name, "Seoul");
    EXPECT_EQ(r.type, " City");
    EXPECT_EQ(r.identifier, 42);
    EXPECT_EQ(r.ocdId, 7);
    EXPECT_EQ(r.x, 17);
    EXPECT_EQ(r.y, 200);
    EXPECT_EQ(r.mark, MarkNone);

    List semicolons(ListMode::Objects,
                    "Pusan; Town; s; 9; 3; 4; 5;\r\nTaegu; Town; s; 10; 3; 6; 7;\r\n");
    ASSERT_EQ(semicolons.count, 2u);
    EXPECT_EQ(semicolons.w().objectRows[1].name, "Taegu");
    EXPECT_EQ(semicolons.w().objectRows[1].x, 6);
}

TEST(ListRows, ALineThatCannotBeSplitTakesNoRowButKeepsThePairing) {
    List l(ListMode::Objects, objectLine(1) + "garbage without separators\r\n" + objectLine(3));
    ASSERT_EQ(l.count, 2u);
    EXPECT_EQ(l.w().lineRows, (std::vector<std::int64_t>{0, -1, 1}));
    l.highlight({1});
    markHighlighted(l.list, MarkSelected);
    EXPECT_EQ(l.exported(), header + objectLine(3));
}

TEST(ListRows, TheRowLimitIsReportedOnceAndLaterLinesStillExportInDeletionMode) {
    std::string body;
    for (int id = 1; id <= 5000; ++id) {
        body += objectLine(id);
    }
    List l(ListMode::Objects, body);
    EXPECT_EQ(l.count, 4097u);
    EXPECT_EQ(rowCount(l.w()), 4096u);
    ASSERT_EQ(l.scripted.messages.size(), 1u);
    EXPECT_EQ(l.scripted.messages[0].text,
              "Maximum number of records (4096) reached in the List Window.  A complete CSV file "
              "is being generated.");
    EXPECT_EQ(l.scripted.messages[0].title, "Error");
    EXPECT_EQ(addRow(l.list, objectLine(6000), l.scripted.sink()), 4097u);
    EXPECT_EQ(l.scripted.messages.size(), 1u) << "the message is shown once per list";

    l.highlight({0});
    markHighlighted(l.list, MarkDeleted);
    const std::string exported = l.exported();
    EXPECT_EQ(exported, header + body.substr(objectLine(1).size()))
        << "every line but the one marked for deletion, those past the limit included";
}

TEST(ListRows, ReportRowsAndTheirErrorTexts) {
    List single(ListMode::Reports, "6, 51, 5, 9, 1234, 100, 200, No Road to West, 1,\r\n");
    ASSERT_EQ(single.count, 1u);
    const ListReportRow& r = single.w().reportRows[0];
    EXPECT_EQ(r.sectY, 51);
    EXPECT_EQ(r.tileId, 1234);
    EXPECT_EQ(r.mapY, 200);
    EXPECT_EQ(r.errorCode, 1);
    EXPECT_EQ(single.column(7, ListKind::MisalignedRoads),
              std::vector<std::string>{"No Road to West"});

    struct Case {
        std::uint16_t code;
        ListKind listKind;
        bool combined;
        const char* text;
    };
    const Case cases[] = {
        {24, ListKind::AllScansReport, false, "No Road to North"},
        {37, ListKind::AllScansReport, false, "No Transition to East"},
        {15, ListKind::MisalignedRoads, true, "No River to West"},
        {3, ListKind::MisalignedRivers, false, "No River to East"},
        {4, ListKind::BadTransitions, false, "No Transition to South"},
        {0, ListKind::MisalignedRoads, false, ""},
        {9, ListKind::MisalignedRoads, false, ""},
        {16, ListKind::AllScansReport, false, ""},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(reportErrorText(c.code, c.listKind, c.combined), c.text) << c.code;
    }
}

TEST(ListMarks, ExportPairsLinesWithRowsWhateverTheDisplayOrder) {
    List l(ListMode::Objects, lines({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    sortByHeader(l.list, 2); // descending by identifier
    EXPECT_EQ(l.column(2).front(), "10");
    l.highlight({7, 2, 4});
    markHighlighted(l.list, MarkSelected);
    EXPECT_EQ(l.exported(), header + lines({3, 5, 8})) << "selected lines in file order";

    clearAllMarks(l.list);
    EXPECT_EQ(l.exported(), header) << "after clearing, only the header lines";

    std::fill(l.w().highlighted.begin(), l.w().highlighted.end(), 0);
    l.highlight({5});
    markHighlighted(l.list, MarkDeleted);
    EXPECT_TRUE(l.list.deletionMode);
    EXPECT_EQ(l.exported(), header + lines({1, 2, 3, 4, 5, 7, 8, 9, 10}));
}

TEST(ListMarks, DoubleClickTogglesAndActivationSelectsSeveral) {
    List l(ListMode::Objects, lines({1, 2, 3}));
    ListWindow& w = l.w();
    setMark(w, 0, MarkDeleted);
    toggleMark(w, 0);
    EXPECT_EQ(markOf(w, 0), MarkNone) << "a row marked for deletion becomes unmarked";
    toggleMark(w, 0);
    EXPECT_EQ(markOf(w, 0), MarkSelected);
    toggleMark(w, 0);
    EXPECT_EQ(markOf(w, 0), MarkNone);

    l.highlight({1});
    activateHighlighted(w);
    EXPECT_EQ(markOf(w, 1), MarkNone) << "one highlighted row: the double-click rule did it";
    l.highlight({2});
    activateHighlighted(w);
    EXPECT_EQ(markOf(w, 1), MarkSelected);
    EXPECT_EQ(markOf(w, 2), MarkSelected);
}

TEST(ListSort, HeaderClicksAlternateStartingDescendingAndKeepTies) {
    List l(ListMode::Objects, objectLine(5, "b", " Town") + objectLine(9, "A", " City") +
                                  objectLine(7, "c", " town") + objectLine(1, "a", " CITY"));
    sortByHeader(l.list, 2);
    EXPECT_EQ(l.column(2), (std::vector<std::string>{"9", "7", "5", "1"}));
    sortByHeader(l.list, 2);
    EXPECT_EQ(l.column(2), (std::vector<std::string>{"1", "5", "7", "9"}));
    sortByHeader(l.list, 1); // descending by type, without regard to case; ties keep order
    EXPECT_EQ(l.column(0), (std::vector<std::string>{"b", "c", "a", "A"}));
    sortByHeader(l.list, 0);
    EXPECT_EQ(l.column(0), (std::vector<std::string>{"a", "A", "b", "c"}));
    EXPECT_EQ(l.w().lineRows, (std::vector<std::int64_t>{0, 1, 2, 3})) << "load order stays";
}

TEST(ListTextVersion, RowsAreWrittenBySectionAndTileWithTheirErrorTexts) {
    List l(ListMode::Reports, "1, 2, 3, 4, 100, 5, 6, x, 24,\r\n0, 9, 1, 1, 101, 7, 8, x, 37,\r\n"
                              "0, 9, 1, 1, 102, 7, 8, x, 15,\r\n");
    testing::TempDir dir;
    std::FILE* f = std::fopen((dir.path / "t.txt").c_str(), "w+b");
    std::string error;
    EXPECT_TRUE(writeTextVersion(l.list, f, ListKind::AllScansReport, false, 0, error)) << error;
    std::fclose(f);
    const auto bytes = testing::readBytes(dir.path / "t.txt");
    const std::string text(bytes.begin(), bytes.end());
    const std::string body = text.substr(text.find('\n') + 1);
    EXPECT_EQ(text.rfind("Balkans Theater Bad Road/River/Transition Tiles Report - ", 0), 0u);
    EXPECT_EQ(body, "Sect X\tSect Y\tTile X\tTile Y\tTileID#\tMap X\tMap Y\t\tError Type\n"
                    "0 \t 9 \t 1 \t 1 \t 101 \t 7 \t 8\t No Transition to East\n"
                    "0 \t 9 \t 1 \t 1 \t 102 \t 7 \t 8\t No River to West\n"
                    "1 \t 2 \t 3 \t 4 \t 100 \t 5 \t 6\t No Road to North\n");
    EXPECT_TRUE(l.list.sortAscending);
}

TEST(Find, SequencesOverTheDisplayedRows) {
    List l(ListMode::Objects, objectLine(5, "Seoul", " City") + objectLine(6, "Pusan", " Town") +
                                  objectLine(7, "Inchon", " City") +
                                  objectLine(8, "Wonsan", " Port"));
    FindState find;
    createFindDialog(find, ListMode::Objects);
    EXPECT_EQ(find.field, 3);
    EXPECT_STREQ(findFieldText(ListMode::Objects, 3).prompt, "Enter Object ID#");

    // From the top every time: the same row twice.
    EXPECT_EQ(findNext(l.list, find, "6").position, 1u);
    EXPECT_EQ(findNext(l.list, find, "6").position, 1u);

    toggleAlwaysFromTop(find);
    chooseFindField(find, 2);
    EXPECT_FALSE(findNext(l.list, find, "City").found) << "types are held with their blank";
    const FindOutcome first = findNext(l.list, find, " city");
    const FindOutcome second = findNext(l.list, find, " city");
    EXPECT_EQ(first.position, 0u);
    EXPECT_EQ(second.position, 2u);
    const FindOutcome third = findNext(l.list, find, " city");
    EXPECT_FALSE(third.found);
    EXPECT_EQ(third.message, "Object with a value of  city was not found.");
    EXPECT_EQ(findNext(l.list, find, " city").position, 0u) << "then from the top again";
    EXPECT_EQ(l.w().highlighted, (std::vector<char>{1, 1, 1, 0}));
    chooseFindField(find, 1);
    EXPECT_EQ(findNext(l.list, find, "wonsan").position, 3u) << "a match in the last row";
    EXPECT_EQ(find.start, 0u);

    chooseFindField(find, 5);
    EXPECT_EQ(findNext(l.list, find, "x").found, false) << "a text without digits searches 0";

    setMark(l.w(), 1, MarkDeleted);
    toggleSelectWhenFound(find);
    chooseFindField(find, 1);
    find.start = 0;
    ASSERT_TRUE(findNext(l.list, find, "PUSAN").found);
    EXPECT_EQ(markOf(l.w(), 1), MarkSelected);
}

TEST(Find, ReportListsHaveTheirOwnFields) {
    EXPECT_FALSE(findFieldText(ListMode::Reports, 1).enabled);
    EXPECT_STREQ(findFieldText(ListMode::Reports, 2).label, "Tile ID");
    EXPECT_STREQ(findFieldText(ListMode::Reports, 6).label, "Sect Y");
    List l(ListMode::Reports, "1, 2, 3, 4, 100, 5, 6, x, 24,\r\n");
    FindState find;
    createFindDialog(find, ListMode::Reports);
    chooseFindField(find, 1);
    EXPECT_FALSE(findNext(l.list, find, "").found) << "the error field never matches";
    chooseFindField(find, 2);
    EXPECT_TRUE(findNext(l.list, find, "100").found);
}

TEST(UnusedIds, SingleAndRangeListings) {
    struct Case {
        std::vector<std::int32_t> ids;
        const char* single;
        const char* ranges;
    };
    const Case cases[] = {
        {{1, 2, 3, 7, 8, 12}, " 4, 5, 6, 9, 10, 11,", " 4 - 6\r\n 9 - 11\r\n"},
        {{5, 6, 8}, " 7,", " 7 - 7\r\n"},
        {{3, 4, 5}, "", ""},
        {{42}, "", ""},
        {{}, "", ""},
        {{12, 3, 7, 8, 1, 2}, " 4, 5, 6, 9, 10, 11,", " 4 - 6\r\n 9 - 11\r\n"},
        {{1, 3, 3, 5}, " 2, 4,", " 2 - 2\r\n 4 - 4\r\n"}, // a repeated identifier counts once
    };
    for (const Case& c : cases) {
        EXPECT_EQ(listUnusedIds(c.ids, false).text, c.single);
        EXPECT_EQ(listUnusedIds(c.ids, true).text, c.ranges);
    }
}

TEST(UnusedIds, TheBoxLimitStopsTheListingWithWhatFitted) {
    const UnusedListing ranges = listUnusedIds({1, 60000}, true, unusedListingRoom);
    EXPECT_EQ(ranges.text, " 2 - 59999\r\n");
    EXPECT_FALSE(ranges.exceeded);
    const UnusedListing single = listUnusedIds({1, 60000}, false, unusedListingRoom);
    EXPECT_TRUE(single.exceeded);
    EXPECT_LE(single.text.size(), 9999u);
    EXPECT_EQ(single.text.rfind(" 2, 3,", 0), 0u);
    const int lastNumber = std::stoi(single.text.substr(single.text.rfind(' ') + 1));
    EXPECT_GT(single.text.size() + (" " + std::to_string(lastNumber + 1) + ",").size(), 9999u)
        << "the next number would not have fitted";
    const std::string whole = listUnusedIds({1, 60000}, false).text;
    EXPECT_EQ(whole.substr(0, single.text.size()), single.text);
    EXPECT_EQ(whole.substr(whole.size() - 7), " 59999,");
}

} // namespace
} // namespace vantor
