#include "objectives/export_format.h"
#include "objectives/object_table.h"
#include "support/temp_dir.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace vantor {
namespace {

const std::string line =
    "Seoul, City, 1, 42, 7, 17, 200, 0, 0, 0, 0, 2, 42, 0, 0, 0, 0, 0, 3, 1, 0, 2, 1, 1 2 3, 5, "
    "0.000, 0.000,\r\n";

TEST(ExportFields, FieldAfterCommasReadAndReplace) {
    EXPECT_EQ(fieldAfterCommas(0, line), 0u);
    EXPECT_EQ(fieldAfterCommas(-3, line), 0u);
    EXPECT_EQ(fieldAfterCommas(1, line), 6u);
    EXPECT_FALSE(fieldAfterCommas(40, line));

    struct Read {
        int k;
        std::string text;
        std::int32_t value;
    };
    const Read reads[] = {
        {3, line, 42},                         // " 42": a leading blank is allowed
        {5, line, 17},          {40, line, 0}, // more commas asked for than the line has
        {1, line, 0},                          // " City" begins with a letter
        {1, "a, -12x, 3", -12}, // sign, and reading stops at the first other character
        {2, "a,,b", 0},         // empty field
        {1, "a, 7", 7},         // last field without a comma after it
        {1, "a, ,9", 0},        // never looks past the next comma
    };
    for (const Read& r : reads) {
        EXPECT_EQ(readIntField(r.k, r.text), r.value) << r.k << " in " << r.text;
    }

    struct Replace {
        int k;
        std::string before;
        std::int64_t value;
        std::string after;
        bool replaced;
    };
    std::string expected = line;
    expected.replace(expected.find(" 17,"), 4, "99,");
    const Replace replaces[] = {
        {5, line, 99, expected, true},
        {2, "a, b,, c,", 5, "a, b,5, c,", true},    // empty field
        {2, "a, b, 17\r\n", 8, "a, b,8\r\n", true}, // last field: value and "\r\n"
        {2, "a, b, 17", 8, "a, b,8\r\n", true},
        {0, "Name, Type,", 3, "3, Type,", true},
        {5, "a, b", 1, "a, b", false}, // fewer commas: unchanged
    };
    for (const Replace& r : replaces) {
        std::string text = r.before;
        EXPECT_EQ(replaceIntField(r.k, text, r.value), r.replaced) << r.before;
        EXPECT_EQ(text, r.after);
    }
}

TEST(ExportFields, LinkTargetsAreReadUpToTheCountAndTheLine) {
    // Fields 0 to 31 with LCount (field 22) set, then the links' nine fields each.
    const auto objectWith = [](const std::string& count, const std::string& links) {
        std::string text;
        for (int k = 0; k < 32; ++k) {
            text += (k == LCountField ? count : std::string("0")) + ", ";
        }
        return text + links;
    };
    const std::string link5 = "5, 0, 0, 0, 0, 0, 0, 0, 0, ";
    const std::string link7 = "7, 0, 0, 0, 0, 0, 0, 0, 0, ";
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::int32_t> targets;
    };
    const Case cases[] = {
        {"two of two", objectWith("2", link5 + link7 + "0.019,"), {5, 7}},
        {"the count stops the walk", objectWith("1", link5 + link7), {5}},
        {"the line stops the walk", objectWith("3", link5 + "7"), {5, 7}},
        {"no count", objectWith("0", link5), {}},
        {"a negative count", objectWith("-4", link5), {}},
        {"not a number", objectWith("1", "x, "), {0}},
        {"a short line", "Name, Type, 1, 2", {}},
        // Every ninth comma starts a link: walked once, not from the start for each link.
        {"a huge count on a long line", objectWith("2147483647", std::string(2000000, ',')),
         std::vector<std::int32_t>(2000000 / fieldsPerLink + 1, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::int32_t> seen;
        std::int32_t expected = 0;
        forEachLinkTarget(c.text, [&](std::int32_t link, std::int32_t target) {
            EXPECT_EQ(link, expected++);
            seen.push_back(target);
        });
        EXPECT_EQ(seen, c.targets);
    }
}

TEST(ExportFields, TitleTimeHasTwentyFourCharacters) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 7;
    when.tm_hour = 12;
    when.tm_min = 19;
    when.tm_sec = 30;
    when.tm_isdst = -1;
    const std::time_t t = std::mktime(&when);
    EXPECT_EQ(titleTime(t), "Mon Dec 07 12:19:30 2026");
    EXPECT_EQ(exportTitleLine(t).rfind("1.0 Objective Export  Mon Dec 07 12:19:30 2026", 0), 0u);
}

struct Loaded {
    ObjectTable table;
    ObjectTableLoad load;
    std::vector<std::size_t> placed;
};

Loaded loadText(const std::string& text) {
    testing::TempDir dir;
    const auto path = dir.write("objs.csv", text);
    TextReader f;
    EXPECT_TRUE(openTextReader(f, path));
    Loaded l;
    l.load = loadObjectTable(f, l.table, [&l](std::size_t i) { l.placed.push_back(i); });
    std::string first;
    readLine(f, first);
    EXPECT_EQ(first, text.substr(0, first.size())) << "the file is left at its start";
    return l;
}

const std::string header =
    std::string("1.0 Objective Export  Mon Dec 07 12:19:30 2026\r\n") + exportColumnLine + "\r\n";

TEST(ObjectTable, LoadFollowsTheLineRules) {
    struct Case {
        const char* name;
        std::string body;
        std::vector<std::int32_t> ids;
        std::int32_t next;
    };
    const Case cases[] = {
        {"only the header lines", "", {}, 1},
        {"identifiers 12, 7, 5000",
         "a, City, s, 12, 1, 5, 6, 0,\r\nb, Town, s, 7, 1, 5, 6, 0,\r\nc, Town, s, 5000, 1, 5, 6, "
         "0,\r\n",
         {12, 7, 5000},
         5001},
        {"a blank line takes no record",
         "a, City, s, 1, 1, 5, 6,\r\n\r\nb, City, s, 2, 1, 5, 6,\r\n",
         {1, 2},
         3},
        {"a line ending with its Y field ends the load",
         "a, City, s, 1, 1, 5, 6,\r\nb, City, s, 2, 1, 5, 6\r\nc, City, s, 3, 1, 5, 6,\r\n",
         {1},
         2},
        {"LF line ends", "a, City, s, 4, 1, 5, 6,\nb, City, s, 9, 1, 5, 6,\n", {4, 9}, 10},
        // Found by fuzzing: the largest identifier a field can hold does not wrap round.
        {"an identifier beyond 32 bits",
         "a, City, s, 99999999999, 1, 5, 6,\r\n",
         {INT32_MAX},
         INT32_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded l = loadText(header + c.body);
        EXPECT_EQ(l.load.count, c.ids.size());
        ASSERT_EQ(l.table.size(), c.ids.size());
        for (std::size_t i = 0; i < c.ids.size(); ++i) {
            EXPECT_EQ(l.table[i].identifier, c.ids[i]);
            EXPECT_EQ(l.placed[i], i);
        }
        EXPECT_EQ(l.load.nextIdentifier, c.next);
    }
    EXPECT_EQ(loadText("1.0 Objective Export\r\n").load.count, 0u) << "one line is no file";
}

TEST(ObjectTable, RecordsKeepTheFieldsAsRead) {
    const Loaded l = loadText(header + "Seoul, City, Capital, 42, 7, 17, 200, 0,\r\n" + "x, " +
                              std::string(40, 'T') + ", s, 1, 2, 3, 4,\r\n");
    ASSERT_EQ(l.table.size(), 2u);
    const ObjectRecord& r = l.table[0];
    EXPECT_EQ(r.type, " City");
    EXPECT_EQ(r.subtype, " Capital");
    EXPECT_EQ(r.identifier, 42);
    EXPECT_EQ(r.objectiveClass, 7);
    EXPECT_EQ(r.x, 17);
    EXPECT_EQ(r.y, 200);
    EXPECT_FALSE(r.changed);
    EXPECT_FALSE(r.deleted);
    EXPECT_EQ(l.table[1].type.size(), 31u) << "type texts keep their first 31 characters";
}

TEST(ExportFields, ATitlesTimeReadsBackAsItWasWritten) {
    for (const std::time_t when :
         {std::time_t{0} + 86400 * 365 * 30, std::time_t{1733572800}, std::time_t{1765000000}}) {
        const std::string title = exportTitleLine(when);
        const std::optional<std::time_t> read = parseTitleTime(title);
        ASSERT_TRUE(read.has_value()) << title;
        EXPECT_EQ(exportTitleLine(*read), title);
    }
    const std::pair<const char*, bool> titles[] = {
        {"2 Tile Scanner - Misaligned Roads Report - Mon Dec 07 12:00:00 2026\r\n", true},
        {"1.0 Objective Export  Mon Dec 07 12:00:00 2026", true},
        {"1.0 Objective Export", false},
        {"1.0 Objective Export  Mon Dex 07 12:00:00 2026", false},
        {"1.0 Objective Export  Mon Dec 07 25:00:00 2026", false},
        {"1.0 Objective Export  Mon Dec 07 12:00:00 20x6", false},
    };
    for (const auto& [title, readable] : titles) {
        EXPECT_EQ(parseTitleTime(title).has_value(), readable) << title;
    }
}

} // namespace
} // namespace vantor
