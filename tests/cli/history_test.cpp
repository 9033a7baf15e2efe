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
    const std::string journal = "Vantor commit journal 1\nwhat\tRedo of the levelling\n"
                                "slot\tTheater.L2\tTheater.L2.vantor-history/g0002-Theater.L2\t"
                                "Theater.L2.vantor-history/g0001-Theater.L2\tkept\n"
                                "slot\tTheater.O2\tTheater.L2.vantor-history/g0002-Theater.O2\t"
                                "Theater.L2.vantor-history/g0001-Theater.O2\tkept\nend\t4\n";
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
    // A missing script of a newer command is said in full words.
    fs::remove(dir.path / "Object-RoadScript.dat");
    const auto mended = run(dir, mend);
    EXPECT_TRUE(contains(mended.err, "Could not open script file: ")) << mended.err;
}

} // namespace
} // namespace vantor
