// The rules every file of the program is read and written by: inputs are regular files read no
// further than their size, outputs never land on an input or on anything but a regular file,
// temporaries are the program's own, and a pair is never seen half replaced.

#include "base/file_guard.h"
#include "base/input_file.h"
#include "base/memory.h"
#include "base/pair_commit.h"
#include "base/safe_writer.h"
#include "base/text_reader.h"
#include "support/temp_dir.h"

#include <fstream>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace vantor {
namespace {

namespace fs = std::filesystem;

std::size_t entriesIn(const fs::path& dir) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

#ifndef _WIN32
unsigned modeOf(const fs::path& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return static_cast<unsigned>(st.st_mode) & 0777u;
}

TEST(InputFiles, OnlyRegularFilesAreOpenedAndNothingIsWaitedOn) {
    testing::TempDir dir;
    const fs::path regular = dir.write("a.csv", "1\n");
    fs::create_directory(dir.path / "folder");
    ASSERT_EQ(::mkfifo((dir.path / "fifo").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir.path / "endless");
    fs::create_symlink(regular, dir.path / "link");
    struct Case {
        const char* name;
        fs::path path;
        const char* error; // empty: opens
    };
    const Case cases[] = {
        {"regular file", regular, ""},
        {"link to a regular file", dir.path / "link", ""},
        {"folder", dir.path / "folder", "it is a folder"},
        {"FIFO", dir.path / "fifo", "it is not a regular file"},
        {"link to an endless device", dir.path / "endless", "it is not a regular file"},
        {"device", "/dev/null", "it is not a regular file"},
        {"missing", dir.path / "none", "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InputFile file;
        EXPECT_EQ(openInput(file, c.path), *c.error == '\0');
        EXPECT_EQ(file.error, c.error);
    }
}

TEST(InputFiles, ReadsStopAtTheSizeTheFileHadWhenOpened) {
    testing::TempDir dir;
    const fs::path path = dir.write("grows.csv", "1 title\n2 header\n");
    TextReader reader;
    ASSERT_TRUE(openTextReader(reader, path));
    std::ofstream(path, std::ios::app) << "written while it is read\n";
    std::string line;
    int lines = 0;
    while (readLine(reader, line)) {
        ++lines;
    }
    EXPECT_EQ(lines, 2);
    EXPECT_FALSE(reader.failed);
}
#endif

TEST(TextReader, EveryLineEndEndsALineAndStaysWithIt) {
    const std::string block(65535, 'x'); // puts a CR at the end of the first buffer
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"LF", "a\nb\n", {"a\n", "b\n"}},
        {"CR LF", "a\r\nb\r\n", {"a\r\n", "b\r\n"}},
        {"lone CR", "a\rb\r", {"a\r", "b\r"}},
        {"mixed, last line unended", "a\rb\r\nc\nd", {"a\r", "b\r\n", "c\n", "d"}},
        {"empty lines", "\r\r\n\n", {"\r", "\r\n", "\n"}},
        {"CR LF across two buffers", block + "\r\nz\r", {block + "\r\n", "z\r"}},
        {"CR then a line across two buffers", block + "\rz\n", {block + "\r", "z\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        TextReader reader;
        ASSERT_TRUE(openTextReader(reader, dir.write("t.txt", c.text)));
        std::vector<std::string> lines;
        for (std::string line; readLine(reader, line);) {
            lines.push_back(line);
        }
        EXPECT_EQ(lines, c.lines);
        rewindReader(reader);
        EXPECT_EQ(countLinesAndRewind(reader), static_cast<std::int64_t>(c.lines.size()));
    }
}

TEST(TextReader, ALineLongerThanAnyFileHoldsFailsWithItsReason) {
    testing::TempDir dir;
    const fs::path path = dir.path / "zeros.csv";
    {
        std::ofstream out(path, std::ios::binary);
        out << "1 title\n";
    }
    fs::resize_file(path, maxLineLength + 4096); // a sparse file: zeros and no line end
    TextReader reader;
    ASSERT_TRUE(openTextReader(reader, path));
    std::string line;
    EXPECT_TRUE(readLine(reader, line));
    EXPECT_FALSE(readLine(reader, line));
    EXPECT_TRUE(reader.failed);
    EXPECT_EQ(reader.error, "it has a line longer than 64 MB");
}

TEST(WholeFiles, AFileLargerThanMemoryAllowsIsRefusedBeforeAnythingIsAllocated) {
    if (physicalMemory() == 0) {
        GTEST_SKIP() << "the system does not say how much memory it has";
    }
    testing::TempDir dir;
    const fs::path path = dir.path / "TileInfo.dat";
    std::ofstream(path, std::ios::binary) << "x";
    fs::resize_file(path, physicalMemory() + 1); // sparse: takes no room on disk
    std::vector<unsigned char> bytes;
    std::string error;
    EXPECT_FALSE(readWholeFile(path, bytes, error));
    EXPECT_EQ(error.rfind("Not enough memory for " + path.string() + ": it needs ", 0), 0u)
        << error;
    EXPECT_TRUE(readWholeFile(path, bytes, error, 16)) << "a bounded read still works";
    EXPECT_EQ(bytes.size(), 16u);
}

#ifndef _WIN32
TEST(Outputs, AnOutputIsNeverAnInputNorAnythingButAWritableRegularFile) {
    testing::TempDir dir;
    const fs::path source = dir.write("Theater.csv", "1\n");
    const fs::path readOnly = dir.write("old.csv", "kept\n");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
    fs::create_hard_link(source, dir.path / "hard.csv");
    fs::create_symlink(source, dir.path / "soft.csv");
    fs::create_directory(dir.path / "folder.csv");
    ASSERT_EQ(::mkfifo((dir.path / "fifo.csv").c_str(), 0600), 0);

    InputFiles inputs;
    InputScope scope(inputs);
    InputFile in;
    ASSERT_TRUE(openInput(in, source));
    struct Case {
        const char* name;
        fs::path target;
        bool replacesInput;
        std::string refusal;
    };
    const std::string same =
        "it is the same file as " + source.string() + ", an input of this command";
    const Case cases[] = {
        {"a new file", dir.path / "new.csv", false, ""},
        {"the input itself", source, false, "it is an input of this command"},
        {"the input, replaced on purpose", source, true, ""},
        {"another spelling", dir.path / "." / "Theater.csv", false, same},
        {"a hard link", dir.path / "hard.csv", false, same},
        {"a symbolic link", dir.path / "soft.csv", false, same},
        {"a folder", dir.path / "folder.csv", false, "it is a folder"},
        {"a FIFO", dir.path / "fifo.csv", false, "it is not a regular file"},
        {"a device", "/dev/null", false, "it is not a regular file"},
        {"a read-only file", readOnly, false, "it is read-only"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(outputRefusal(c.target, c.replacesInput).value_or(""), c.refusal);
        if (!c.refusal.empty()) {
            SafeWriter out;
            EXPECT_FALSE(beginSafeWrite(out, c.target));
            EXPECT_EQ(out.error, c.refusal);
        }
    }
    EXPECT_EQ(testing::readFile(source), "1\n");
    EXPECT_EQ(testing::readFile(readOnly), "kept\n");
}

TEST(Outputs, TemporariesAreTheirOwnAndAReplacedTargetKeepsItsPermissions) {
    testing::TempDir dir;
    const fs::path target = dir.write("Out.csv", "old\n");
    ::chmod(target.c_str(), 0640);
    const fs::path victim = dir.write("victim.txt", "not yours\n");
    // Two runs writing one target at once each get a temporary of their own.
    SafeWriter first;
    SafeWriter second;
    ASSERT_TRUE(beginSafeWrite(first, target));
    ASSERT_TRUE(beginSafeWrite(second, target));
    EXPECT_NE(first.temporary, second.temporary);
    ASSERT_TRUE(safeWrite(first, "first\n"));
    ASSERT_TRUE(safeWrite(second, "second\n"));
    ASSERT_TRUE(commitSafeWrite(second));
    ASSERT_TRUE(commitSafeWrite(first));
    EXPECT_EQ(testing::readFile(target), "first\n");
    EXPECT_EQ(modeOf(target), 0640u);
    // A link planted where a temporary would go is never written through.
    const fs::path planted = dir.path / "planted";
    fs::create_symlink(victim, planted);
    FileDescriptor fd;
    std::string error;
    EXPECT_EQ(createExclusively(fd, planted, error), CreateResult::Exists);
    EXPECT_EQ(testing::readFile(victim), "not yours\n");
    EXPECT_EQ(entriesIn(dir.path), 3u) << "no temporary is left";
}
#endif

// A commit record that an earlier version left at any point is finished by the next open: every
// step of the record's plan, done or not, leads to the new pair, with the old one kept as the
// record says.
TEST(PairCommit, AnEarlierVersionsInterruptedCommitIsFinishedWhereverItStopped) {
    struct Case {
        const char* name;
        int renamesDone; // of: L2 aside, new L2 in, O2 aside, new O2 in
    };
    for (const Case& c : {Case{"none", 0}, Case{"L2 aside", 1}, Case{"L2 in place", 2},
                          Case{"O2 aside", 3}, Case{"both in place", 4}}) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        const fs::path l2 = dir.write("T.L2", "old L2");
        const fs::path o2 = dir.write("T.O2", "old O2");
        dir.write("T.L2.vantor-partial-a", "new L2");
        dir.write("T.O2.vantor-partial-b", "new O2");
        dir.write("T.L2.vantor-commit", "Vantor pair commit 1\n"
                                        "T.L2\tT.L2.vantor-partial-a\tT.L2.bak\t1\n"
                                        "T.O2\tT.O2.vantor-partial-b\tT.O2.bak\t1\n");
        const std::pair<fs::path, fs::path> renames[] = {{l2, dir.path / "T.L2.bak"},
                                                         {dir.path / "T.L2.vantor-partial-a", l2},
                                                         {o2, dir.path / "T.O2.bak"},
                                                         {dir.path / "T.O2.vantor-partial-b", o2}};
        for (int i = 0; i < c.renamesDone; ++i) {
            fs::rename(renames[i].first, renames[i].second);
        }
        const Recovery r = recoverCommit(l2, false);
        EXPECT_EQ(r.outcome, RecoveryOutcome::Finished) << r.error;
        EXPECT_EQ(testing::readFile(l2), "new L2");
        EXPECT_EQ(testing::readFile(o2), "new O2");
        EXPECT_EQ(testing::readFile(dir.path / "T.L2.bak"), "old L2");
        EXPECT_EQ(testing::readFile(dir.path / "T.O2.bak"), "old O2");
        EXPECT_EQ(entriesIn(dir.path), 4u);
        EXPECT_EQ(recoverCommit(l2, false).outcome, RecoveryOutcome::NothingToDo);
    }
}

TEST(PairCommit, ARecordThatIsNotOursOrNamesNothingIsRefusedAndLeftAlone) {
    for (const char* record :
         {"some text\n", "Vantor pair commit 1\nT.L2\t../elsewhere\tT.L2.bak\t1\n",
          "Vantor pair commit 1\nT.L2\tgone\tT.L2.bak\t1\n"}) {
        SCOPED_TRACE(record);
        testing::TempDir dir;
        const fs::path l2 = dir.path / "T.L2";
        dir.write("T.L2.vantor-commit", record);
        const Recovery r = recoverCommit(l2, false);
        EXPECT_EQ(r.outcome, RecoveryOutcome::Failed);
        EXPECT_FALSE(r.error.empty());
        EXPECT_TRUE(fs::exists(dir.path / "T.L2.vantor-commit"));
    }
}

// Two reports of one check replace the old ones as one commit; the old ones are not kept.
TEST(PairCommit, ACompletePairCommitReplacesBothAndLeavesNothingBehind) {
    testing::TempDir dir;
    const fs::path a = dir.write("NoParent.csv", "old a");
    const fs::path b = dir.write("WrongParent.csv", "old b");
    SafeWriter first;
    SafeWriter second;
    ASSERT_TRUE(beginSafeWrite(first, a));
    ASSERT_TRUE(beginSafeWrite(second, b));
    ASSERT_TRUE(safeWrite(first, "new a"));
    ASSERT_TRUE(safeWrite(second, "new b"));
    ASSERT_TRUE(commitSafeWritePair(first, second)) << first.error << second.error;
    EXPECT_EQ(testing::readFile(a), "new a");
    EXPECT_EQ(testing::readFile(b), "new b");
    EXPECT_EQ(entriesIn(dir.path), 2u) << "no journal, lock or old file is left behind";
}

} // namespace
} // namespace vantor
