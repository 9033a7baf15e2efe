// vantor-cli over the terrain's history and the files it keeps: history, undo and redo walk the
// generations; a dry run meets an interrupted write without changing anything; no output lands
// on a file the command reads or keeps; inputs that would have to be guessed at are refused.

#include "support/run_program.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace vantor {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class History : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        sample_ = new testing::TempDir;
        for (const Args& args : {Args{"sample", "--sections", "8"}, Args{"ocd-generate"}}) {
            ASSERT_EQ(run(*sample_, args).exitCode, 0);
        }
    }
    static void TearDownTestSuite() {
        delete sample_;
        sample_ = nullptr;
    }

    // A fresh copy of the sample.
    static void copySample(const testing::TempDir& dir) {
        fs::copy(sample_->path, dir.path, fs::copy_options::recursive);
    }

    // vantor-cli with the folder as start folder; "@X" is X in the folder.
    static testing::ProgramRun run(const testing::TempDir& dir, const Args& args) {
        Args all = {"--dir", dir.str()};
        for (const std::string& a : args) {
            all.push_back(a.starts_with("@") ? (dir.path / a.substr(1)).string() : a);
        }
        return testing::runProgram(VANTOR_CLI_PATH, all);
    }

    static std::string l2Of(const testing::TempDir& dir) {
        return testing::readFile(dir.path / "Theater.L2");
    }

    static testing::TempDir* sample_;
};

testing::TempDir* History::sample_ = nullptr;

const Args level = {"--terrain", "@Theater.L2", "--source", "@Theater.csv", "level-airbases"};
const Args mend = {"--terrain", "@Theater.L2", "mend", "--only", "roads"};

TEST_F(History, UndoAndRedoWalkTheGenerationsAndHistoryListsThem) {
    testing::TempDir dir;
    copySample(dir);
    const std::string original = l2Of(dir);
    struct Step {
        const char* name;
        Args args;
        int exitCode;
        const char* says;
    };
    const Step steps[] = {
        {"nothing to list yet", {"--terrain", "@Theater.L2", "history"}, 0, "have no history yet"},
        {"nothing to undo yet", {"--terrain", "@Theater.L2", "undo"}, 1, "has no history yet"},
        {"levelled", level, 0, "kept as generation 1 of the history"},
        {"mended", mend, 0, "kept as generation 2 of the history"},
        {"the history", {"--terrain", "@Theater.L2", "history"}, 0, "Levelling of"},
        {"undo", {"--terrain", "@Theater.L2", "undo"}, 0, "Generation 2 (Levelling of"},
        {"undo again", {"--terrain", "@Theater.L2", "undo"}, 0, "Generation 1 (the original pair"},
        {"nothing before the first", {"--terrain", "@Theater.L2", "undo"}, 1, "the first one"},
        {"redo two steps",
         {"--terrain", "@Theater.L2", "redo", "--steps", "2"},
         0,
         "Generation 3 (Mend of"},
        {"nothing to redo", {"--terrain", "@Theater.L2", "redo"}, 1, "nothing to redo"},
        {"keep fewer", {"--terrain", "@Theater.L2", "history", "--keep", "1"}, 0, "the last 1"},
        {"keep too few", {"--terrain", "@Theater.L2", "history", "--keep", "0"}, 2, ""},
        {"no terrain", {"history"}, 2, "needs --terrain"},
    };
    std::string afterMend;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        const auto ran = run(dir, s.args);
        EXPECT_EQ(ran.exitCode, s.exitCode) << ran.out << ran.err;
        EXPECT_TRUE(contains(ran.out + ran.err, s.says)) << ran.out << ran.err;
        if (std::string(s.name) == "mended") {
            afterMend = l2Of(dir);
        } else if (std::string(s.name) == "undo again") {
            EXPECT_TRUE(l2Of(dir) == original);
        } else if (std::string(s.name) == "redo two steps") {
            EXPECT_TRUE(l2Of(dir) == afterMend);
        }
    }
    // The generation in place is marked; the backup names are the pair the last change (the
    // redo) replaced: the original.
    const auto listed = run(dir, {"--terrain", "@Theater.L2", "history"});
    EXPECT_TRUE(contains(listed.out, "*   3")) << listed.out;
    EXPECT_TRUE(testing::readFile(dir.path / "Theater.L2.bak") == original);
}

// A run killed half way through its commit leaves a journal; a dry run reads the terrain as the
// next open will leave it and says so, and changes nothing; a real open then finishes it.
TEST_F(History, ADryRunMeetsAnInterruptedWriteWithoutChangingAnything) {
    testing::TempDir dir;
    copySample(dir);
    ASSERT_EQ(run(dir, level).exitCode, 0);
    const std::string levelled = l2Of(dir);
    ASSERT_EQ(run(dir, {"--terrain", "@Theater.L2", "undo"}).exitCode, 0);
    // An undo stopped after the old pair went aside: the pair is not in place at all.
    const fs::path history = dir.path / "Theater.L2.vantor-history";
    const std::string journal = "Vantor commit journal 1\nfirst\tTheater.L2\n"
                                "what\tRedo of the levelling\n"
                                "slot\tTheater.L2\tTheater.L2.vantor-history/g0002-Theater.L2\t"
                                "Theater.L2.vantor-history/g0001-Theater.L2\tkept\n"
                                "slot\tTheater.O2\tTheater.L2.vantor-history/g0002-Theater.O2\t"
                                "Theater.L2.vantor-history/g0001-Theater.O2\tkept\nend\t5\n";
    fs::rename(dir.path / "Theater.L2", history / "g0001-Theater.L2");
    fs::rename(dir.path / "Theater.O2", history / "g0001-Theater.O2");
    dir.write("Theater.L2.vantor-journal", journal);
    std::vector<std::string> before;
    for (const auto& e : fs::recursive_directory_iterator(dir.path)) {
        before.push_back(
            e.path().string() + " " +
            std::to_string(fs::is_regular_file(e.path()) ? fs::file_size(e.path()) : 0));
    }
    const auto dry = run(dir, {"--terrain", "@Theater.L2", "mend", "--dry-run"});
    EXPECT_TRUE(dry.exitCode == 0 || dry.exitCode == 3) << dry.out << dry.err;
    EXPECT_TRUE(contains(dry.out, "will finish it. This dry run reads")) << dry.out;
    std::vector<std::string> after;
    for (const auto& e : fs::recursive_directory_iterator(dir.path)) {
        after.push_back(
            e.path().string() + " " +
            std::to_string(fs::is_regular_file(e.path()) ? fs::file_size(e.path()) : 0));
    }
    EXPECT_EQ(before, after) << "a dry run changes nothing";
    const auto opened = run(dir, {"--terrain", "@Theater.L2", "info", "0", "0"});
    EXPECT_EQ(opened.exitCode, 0) << opened.err;
    EXPECT_TRUE(contains(opened.out, "was found and finished")) << opened.out;
    EXPECT_TRUE(l2Of(dir) == levelled);
}

// A pair of links into another folder is written where the files are: the links stay links to
// the new files, the history and the journal lie beside the real files, and an open through the
// links finds a journal there. Links that lead into two folders are refused before any work.
TEST_F(History, APairOfLinksIsWrittenWhereItsFilesAre) {
    testing::TempDir real;
    copySample(real);
    testing::TempDir links;
    copySample(links);
    for (const char* name : {"Theater.L2", "Theater.O2"}) {
        fs::remove(links.path / name);
        fs::create_symlink(real.path / name, links.path / name);
    }
    ASSERT_EQ(run(links, level).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(links.path / "Theater.L2"));
    EXPECT_TRUE(fs::exists(real.path / "Theater.L2.vantor-history/g0001-Theater.L2"));
    EXPECT_FALSE(fs::exists(links.path / "Theater.L2.vantor-history"));
    const std::string levelled = l2Of(real);
    EXPECT_FALSE(levelled == testing::readFile(sample_->path / "Theater.L2"));
    // Undo and redo through the links.
    ASSERT_EQ(run(links, {"--terrain", "@Theater.L2", "undo"}).exitCode, 0);
    ASSERT_EQ(run(links, {"--terrain", "@Theater.L2", "redo"}).exitCode, 0);
    EXPECT_TRUE(l2Of(real) == levelled);
    // An undo (generation 1 back in place) stopped once the levelled pair went aside: the open
    // through the links finds its journal beside the real files.
    const fs::path history = real.path / "Theater.L2.vantor-history";
    for (const char* name : {"Theater.L2", "Theater.O2"}) {
        fs::rename(real.path / name, history / (std::string("g0002-") + name));
    }
    real.write("Theater.L2.vantor-journal",
               "Vantor commit journal 1\nfirst\tTheater.L2\nwhat\tUndo of the levelling\n"
               "slot\tTheater.L2\tTheater.L2.vantor-history/g0001-Theater.L2\t"
               "Theater.L2.vantor-history/g0002-Theater.L2\tkept\n"
               "slot\tTheater.O2\tTheater.L2.vantor-history/g0001-Theater.O2\t"
               "Theater.L2.vantor-history/g0002-Theater.O2\tkept\nend\t5\n");
    const auto opened = run(links, {"--terrain", "@Theater.L2", "info", "0", "0"});
    EXPECT_EQ(opened.exitCode, 0) << opened.err;
    EXPECT_TRUE(contains(opened.out, "was found and finished")) << opened.out;
    EXPECT_FALSE(fs::exists(real.path / "Theater.L2.vantor-journal"));
    EXPECT_TRUE(l2Of(real) == testing::readFile(sample_->path / "Theater.L2"));

    // The O2 link into a third folder: the pair lies in two folders and is not written.
    testing::TempDir third;
    copySample(third);
    fs::remove(links.path / "Theater.O2");
    fs::create_symlink(third.path / "Theater.O2", links.path / "Theater.O2");
    const auto split = run(links, level);
    EXPECT_EQ(split.exitCode, 1);
    EXPECT_TRUE(contains(split.err, "lie in different folders")) << split.err;
}

// An undo run first after a write-back was killed: the interrupted write is finished (or undone)
// before undo decides what to put back, so it takes back the levelling, not the mend before it.
TEST_F(History, UndoAfterAKilledWriteBackTakesBackThatWriteBack) {
    testing::TempDir dir;
    copySample(dir);
    ASSERT_EQ(run(dir, mend).exitCode, 0);
    const std::string mended = l2Of(dir);
    const fs::path real = fs::canonical(dir.path);
    Args killed = {"env",
                   "LD_PRELOAD=" VANTOR_FAULT_SHIM,
                   "ASAN_OPTIONS=verify_asan_link_order=0",
                   "VANTOR_FAULT_DIR=" + real.string(),
                   "VANTOR_FAULT_CALL=rename",
                   "VANTOR_FAULT_AT=2",
                   "VANTOR_FAULT_ACTION=SIGKILL",
                   VANTOR_CLI_PATH,
                   "--dir",
                   dir.str()};
    for (const std::string& a : level) {
        killed.push_back(a.starts_with("@") ? (dir.path / a.substr(1)).string() : a);
    }
    const auto died = testing::runProgram(killed.front(), Args(killed.begin() + 1, killed.end()));
    ASSERT_EQ(died.exitCode, 137) << died.err;
    ASSERT_TRUE(fs::exists(dir.path / "Theater.L2.vantor-journal"));
    const auto undone = run(dir, {"--terrain", "@Theater.L2", "undo"});
    EXPECT_EQ(undone.exitCode, 0) << undone.err;
    EXPECT_TRUE(contains(undone.out, "was found and finished")) << undone.out;
    EXPECT_TRUE(contains(undone.out, "Mend of")) << undone.out;
    EXPECT_TRUE(l2Of(dir) == mended);
    const auto redone = run(dir, {"--terrain", "@Theater.L2", "redo"});
    EXPECT_TRUE(contains(redone.out, "Levelling of")) << redone.out;
}

TEST_F(History, NoOutputLandsOnAFileTheCommandReadsOrKeeps) {
    struct Case {
        const char* name;
        Args args;
        const char* says; // both roles
    };
    const Case cases[] = {
        {"the mended export on the terrain's backup name",
         {"--terrain", "@Theater.L2", "--source", "@Theater.csv", "--out", "@Theater.L2.bak",
          "mend"},
         "the output (--out) would be written over"},
        {"the mended export on a journal's name",
         {"--terrain", "@Theater.L2", "--source", "@Theater.csv", "--out",
          "@Theater.L2.vantor-commit", "mend"},
         "one of the files Vantor keeps for its commits"},
        {"the matrix into the history",
         {"--terrain", "@Theater.L2", "--out", "@Theater.L2.vantor-history/x.L2M", "l2m"},
         "one of the files Vantor keeps for its commits"},
        {"the JSON over the baseline",
         {"--terrain", "@Theater.L2", "audit", "--baseline", "@Base.json", "--json", "@Base.json"},
         "the JSON report (--json) would be written over"},
        {"the page over the baseline, spelled otherwise",
         {"--terrain", "@Theater.L2", "audit", "--baseline", "@Base.json", "--html",
          "@./Base.json"},
         "which is the baseline (--baseline)"},
        {"the page over the baseline through a link",
         {"--terrain", "@Theater.L2", "audit", "--baseline", "@Base.json", "--html", "@Link.json"},
         "which is the baseline (--baseline)"},
        {"the page over the JSON",
         {"--terrain", "@Theater.L2", "audit", "--json", "@A.json", "--html", "@A.json"},
         "which is the page (--html)"},
        {"a scan's report appended to the terrain's backup name",
         {"--terrain", "@Theater.L2", "--out", "@Theater.O2.bak", "roads", "--append"},
         "it is the backup name of the pair the last write-back"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        copySample(dir);
        const auto audited = run(dir, {"--terrain", "@Theater.L2", "--source", "@Theater.csv",
                                       "audit", "--json", "@Base.json"});
        ASSERT_EQ(audited.exitCode, 3) << audited.err;
        fs::create_symlink(dir.path / "Base.json", dir.path / "Link.json");
        ASSERT_EQ(run(dir, level).exitCode, 0); // the backup names and the history are there
        const std::string base = testing::readFile(dir.path / "Base.json");
        const std::string backup = testing::readFile(dir.path / "Theater.L2.bak");
        const std::string o2Backup = testing::readFile(dir.path / "Theater.O2.bak");
        const auto ran = run(dir, c.args);
        EXPECT_EQ(ran.exitCode, 1) << ran.out;
        EXPECT_TRUE(contains(ran.err, c.says)) << ran.err;
        EXPECT_TRUE(testing::readFile(dir.path / "Theater.O2.bak") == o2Backup);
        EXPECT_EQ(testing::readFile(dir.path / "Base.json"), base);
        EXPECT_TRUE(testing::readFile(dir.path / "Theater.L2.bak") == backup);
        EXPECT_FALSE(fs::exists(dir.path / "Theater.L2.vantor-commit"));
    }
}

// What the reader would have to guess at is refused with the file and what is wrong with it.
TEST_F(History, InputsThatWouldBeGuessedAtAreRefused) {
    struct Case {
        const char* name;
        void (*spoil)(const testing::TempDir&);
        Args args;
        const char* says;
    };
    const Case cases[] = {
        {"an O2 cut by one offset",
         [](const testing::TempDir& d) { fs::resize_file(d.path / "Theater.O2", 63 * 4); },
         {"--terrain", "@Theater.L2", "info", "0", "0"},
         "holds 63 block offsets, which is no square map of sections"},
        {"an O2 with a stray byte",
         [](const testing::TempDir& d) { fs::resize_file(d.path / "Theater.O2", 64 * 4 + 1); },
         {"--terrain", "@Theater.L2", "info", "0", "0"},
         "no whole number of 4-byte block offsets"},
        {"an O2 of another theater than the one selected",
         [](const testing::TempDir&) {},
         {"--theater", "Quillon Full", "--terrain", "@Theater.L2", "info", "0", "0"},
         "but the selected theater Quillon Full"},
        {"an L2 with a section too many at its end",
         [](const testing::TempDir& d) {
             fs::resize_file(d.path / "Theater.L2", fs::file_size(d.path / "Theater.L2") + 1792);
         },
         {"--terrain", "@Theater.L2", "info", "0", "0"},
         "bytes beyond the last section"},
        {"random bytes as the later export",
         [](const testing::TempDir& d) { d.write("Later.csv", std::string("\x7f\x01\x02", 3)); },
         {"--source", "@Theater.csv", "diff", "--to-source", "@Later.csv"},
         "it is no objective export"},
        {"the L2 as the later export",
         [](const testing::TempDir&) {},
         {"--source", "@Theater.csv", "diff", "--to-source", "@Theater.L2"},
         "Cannot compare the export"},
        {"the ini as the later export",
         [](const testing::TempDir&) {},
         {"--source", "@Theater.csv", "diff", "--to-source", "@Quillon.ini"},
         "it is no objective export"},
        {"the class list (its first line begins with 1) as the later export",
         [](const testing::TempDir&) {},
         {"--source", "@Theater.csv", "diff", "--to-source", "@OCDList.csv"},
         "its second line is no header naming the Name and ID columns"},
        {"two files that could be the O2",
         [](const testing::TempDir& d) {
             fs::rename(d.path / "Theater.L2", d.path / "theater.L2");
             fs::copy_file(d.path / "Theater.O2", d.path / "THEATER.O2");
         },
         {"--terrain", "@theater.L2", "info", "0", "0"},
         "both THEATER.O2 and Theater.O2 lie beside it"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        copySample(dir);
        c.spoil(dir);
        const auto ran = run(dir, c.args);
        EXPECT_EQ(ran.exitCode, 1) << ran.out << ran.err;
        EXPECT_TRUE(contains(ran.err, c.says)) << ran.err;
    }
}

TEST_F(History, SmallerFaults) {
    testing::TempDir dir;
    copySample(dir);
    // Identifiers at the ends of the 32-bit range are listed in the order they are shown in.
    const std::string source = testing::readFile(dir.path / "Theater.csv");
    const std::size_t body = source.find('\n', source.find('\n') + 1) + 1;
    dir.write("Ends.csv", source.substr(0, body) + "A, City, 1, 2147483645, 101, 1, 1, 0\r\n" +
                              "B, City, 1, -2147483648, 101, 1, 1, 0\r\n");
    const auto ids = run(dir, {"--source", "@Ends.csv", "unused-ids", "--ranges"});
    EXPECT_EQ(ids.exitCode, 0) << ids.err;
    EXPECT_EQ(ids.out, " 2147483646 - 2147483647\r\n");
    // And identifiers written past the signed range keep their value.
    dir.write("Top.csv", source.substr(0, body) + "A, City, 1, 4294967293, 101, 1, 1, 0\r\n" +
                             "B, City, 1, 4294967295, 101, 1, 1, 0\r\n");
    const auto top = run(dir, {"--source", "@Top.csv", "unused-ids"});
    EXPECT_EQ(top.out, " 4294967294,\n") << top.err;
    // A missing script of a newer command is said in full words.
    fs::remove(dir.path / "Object-RoadScript.dat");
    const auto mended = run(dir, mend);
    EXPECT_TRUE(contains(mended.err, "Could not open script file: ")) << mended.err;
}

// The first line of a report after its two header lines, split at its commas.
std::vector<std::string> firstReportLine(const std::string& report) {
    std::vector<std::string> fields;
    std::size_t line = 0;
    std::size_t at = 0;
    for (; line < 2 && at != std::string::npos; ++line) {
        at = report.find('\n', at);
        at = at == std::string::npos ? at : at + 1;
    }
    if (at == std::string::npos) {
        return fields;
    }
    const std::string text = report.substr(at, report.find('\n', at) - at);
    for (std::size_t from = 0;;) {
        const std::size_t comma = text.find(',', from);
        fields.push_back(text.substr(from, comma - from));
        if (comma == std::string::npos) {
            return fields;
        }
        from = comma + 2;
    }
}

TEST_F(History, SetTileMendsABreakByHandAndUndoTakesItBack) {
    testing::TempDir dir;
    copySample(dir);
    const std::string original = l2Of(dir);
    ASSERT_EQ(run(dir, {"--terrain", "@Theater.L2", "--out", "@roads.csv", "roads"}).exitCode, 0);
    const std::vector<std::string> broken =
        firstReportLine(testing::readFile(dir.path / "roads.csv"));
    ASSERT_GE(broken.size(), 7u) << "the sample has road breaks";
    const std::string x = broken[5];
    const std::string y = broken[6];
    const auto roadsFound = [&] {
        const auto audit =
            run(dir, {"--terrain", "@Theater.L2", "--quiet", "audit", "--only", "roads"});
        return audit.out;
    };
    const std::string before = roadsFound();

    // The picker's list, best first; the first tile fits.
    const auto fits = run(dir, {"--terrain", "@Theater.L2", "set-tile", x, y, "--fits"});
    ASSERT_EQ(fits.exitCode, 0) << fits.err;
    const std::size_t first = fits.out.find("\n  ");
    ASSERT_NE(first, std::string::npos) << fits.out;
    const std::string tile = fits.out.substr(first + 3, fits.out.find(' ', first + 3) - first - 3);

    struct Step {
        const char* name;
        Args args;
        int exitCode;
        const char* says;
    };
    const Step steps[] = {
        {"a dry run writes nothing",
         {"--terrain", "@Theater.L2", "set-tile", x, y, tile, "--dry-run"},
         0,
         "mends road break"},
        {"off the map",
         {"--terrain", "@Theater.L2", "set-tile", "5000", y, tile},
         2,
         "off the map"},
        {"the tile", {"--terrain", "@Theater.L2", "set-tile", x, y, tile}, 0, "mends road break"},
        {"the post's own tile again",
         {"--terrain", "@Theater.L2", "set-tile", x, y, tile},
         1,
         "already has tile"},
        {"in the history", {"--terrain", "@Theater.L2", "history"}, 0, "Set tile at "},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const auto r = run(dir, step.args);
        EXPECT_EQ(r.exitCode, step.exitCode) << r.out << r.err;
        EXPECT_TRUE(contains(r.out + r.err, step.says)) << r.out << r.err;
        if (std::string(step.name) == "a dry run writes nothing") {
            EXPECT_EQ(l2Of(dir), original);
        }
    }
    EXPECT_NE(l2Of(dir), original);
    EXPECT_NE(roadsFound(), before) << "the audit finds fewer road breaks";
    const auto undo = run(dir, {"--terrain", "@Theater.L2", "undo"});
    EXPECT_EQ(undo.exitCode, 0) << undo.err;
    EXPECT_EQ(l2Of(dir), original);
    EXPECT_EQ(roadsFound(), before);

    // A tile that breaks what is there is put in place all the same, and said.
    const auto river = run(dir, {"--terrain", "@Theater.L2", "set-tile", x, y, "11005"});
    EXPECT_EQ(river.exitCode, 3) << river.out << river.err;
    EXPECT_TRUE(contains(river.out, "makes ")) << river.out;
}

} // namespace
} // namespace vantor
