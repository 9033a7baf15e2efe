// The journaled commit of a set of files: wherever a run stopped, the journal alone finishes the
// commit or undoes it, a journal that is not whole or not ours changes nothing, a dry run only
// says what it would do, and a failure during the renames undoes those made.

#include "base/file_system.h"
#include "base/pair_commit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

namespace fs = std::filesystem;

// A pair T.L2 and T.O2 being replaced, their old files going into a history folder, and an
// index written anew beside them: the three kinds of move a terrain commit makes.
struct Staged {
    testing::TempDir dir;
    fs::path l2;
    fs::path o2;
    fs::path index;
    CommitJournal journal;

    Staged() {
        l2 = dir.write("T.L2", "old L2");
        o2 = dir.write("T.O2", "old O2");
        const fs::path history = dir.path / "T.L2.vantor-history";
        fs::create_directory(history);
        index = history / "history.txt";
        journal.what = "Mend of 2 tiles";
        journal.entries = {
            {l2, dir.write("T.L2.vantor-partial-a", "new L2"), history / "g0001-T.L2", true},
            {o2, dir.write("T.O2.vantor-partial-b", "new O2"), history / "g0001-T.O2", true},
            {index,
             dir.write("T.L2.vantor-history/history.txt.vantor-partial-c", "new index"),
             {},
             true},
        };
        journal.linksAfter = {{history / "g0001-T.L2", dir.path / "T.L2.bak"}};
    }

    // The renames of a forward commit, in order: each old file aside, then each new in place.
    std::vector<std::pair<fs::path, fs::path>> renames() const {
        std::vector<std::pair<fs::path, fs::path>> moves;
        for (const CommitSlot& s : journal.entries) {
            if (!s.aside.empty()) {
                moves.emplace_back(s.target, s.aside);
            }
        }
        for (const CommitSlot& s : journal.entries) {
            moves.emplace_back(s.incoming, s.target);
        }
        return moves;
    }

    void stopAfter(std::size_t renamesDone) const {
        const auto moves = renames();
        for (std::size_t i = 0; i < renamesDone; ++i) {
            fs::rename(moves[i].first, moves[i].second);
        }
        dir.write("T.L2.vantor-journal", journalText(l2, journal));
    }

    bool isNew() const {
        return testing::readFile(l2) == "new L2" && testing::readFile(o2) == "new O2" &&
               testing::readFile(index) == "new index";
    }
    bool isOld() const {
        return testing::readFile(l2) == "old L2" && testing::readFile(o2) == "old O2" &&
               !fs::exists(index);
    }
};

std::size_t workingFilesIn(const fs::path& dir) {
    std::size_t n = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        if (name.find(".vantor-partial-") != std::string::npos ||
            name.ends_with(".vantor-journal")) {
            ++n;
        }
    }
    return n;
}

TEST(CommitRecovery, EveryStageOfTheRenamesIsFinishedByTheJournalAlone) {
    for (std::size_t done = 0; done <= 5; ++done) {
        SCOPED_TRACE(std::to_string(done) + " renames made");
        Staged s;
        s.stopAfter(done);
        const Recovery r = recoverCommit(s.l2, false);
        EXPECT_EQ(r.outcome, RecoveryOutcome::Finished) << r.error;
        EXPECT_EQ(r.what, "Mend of 2 tiles");
        EXPECT_TRUE(s.isNew());
        EXPECT_EQ(testing::readFile(s.dir.path / "T.L2.vantor-history/g0001-T.L2"), "old L2");
        EXPECT_EQ(testing::readFile(s.dir.path / "T.L2.bak"), "old L2") << "links made after";
        EXPECT_EQ(workingFilesIn(s.dir.path), 0u);
        EXPECT_EQ(recoverCommit(s.l2, false).outcome, RecoveryOutcome::NothingToDo);
    }
}

// Someone deleted files after a crash: where a new file is gone the commit is undone, where an
// old one is gone it is finished, and where both are gone nothing is touched and it says so.
TEST(CommitRecovery, WhatIsStillThereDecidesBetweenFinishingAndUndoing) {
    struct Case {
        const char* name;
        std::size_t done;
        std::vector<const char*> deleted;
        RecoveryOutcome outcome;
    };
    const Case cases[] = {
        {"a new file gone before anything moved",
         0,
         {"T.L2.vantor-partial-a"},
         RecoveryOutcome::RolledBack},
        {"a new file gone once the old ones were aside",
         2,
         {"T.O2.vantor-partial-b"},
         RecoveryOutcome::RolledBack},
        {"a new file gone once the L2 was in place",
         3,
         {"T.O2.vantor-partial-b"},
         RecoveryOutcome::RolledBack},
        {"the old L2 gone once it was aside",
         2,
         {"T.L2.vantor-history/g0001-T.L2"},
         RecoveryOutcome::Finished},
        {"old and new L2 both gone",
         2,
         {"T.L2.vantor-history/g0001-T.L2", "T.L2.vantor-partial-a"},
         RecoveryOutcome::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Staged s;
        s.stopAfter(c.done);
        for (const char* name : c.deleted) {
            fs::remove(s.dir.path / name);
        }
        const Recovery r = recoverCommit(s.l2, false);
        EXPECT_EQ(r.outcome, c.outcome) << r.error;
        if (c.outcome == RecoveryOutcome::RolledBack) {
            EXPECT_TRUE(s.isOld());
            EXPECT_EQ(workingFilesIn(s.dir.path), 0u) << "the new files written for it go";
        } else if (c.outcome == RecoveryOutcome::Finished) {
            EXPECT_TRUE(s.isNew());
        } else {
            EXPECT_TRUE(fs::exists(s.dir.path / "T.L2.vantor-journal")) << "left for the user";
            EXPECT_NE(r.error.find("neither all old nor all new"), std::string::npos) << r.error;
        }
    }
}

TEST(CommitRecovery, AJournalThatIsNotWholeOrNotOursChangesNothing) {
    Staged whole;
    const std::string text = journalText(whole.l2, whole.journal);
    const std::string cut = text.substr(0, text.rfind("end\t"));
    std::string miscounted = text;
    miscounted.replace(miscounted.rfind("end\t"), std::string::npos, "end\t99\n");
    std::string outside = text;
    outside.replace(outside.find("T.L2.vantor-partial-a"), 21, "../elsewhere/T.L2");
    std::string absolute = text;
    absolute.replace(absolute.find("T.L2.vantor-partial-a"), 21, "/etc/passwd");
    std::string anotherPair = text;
    anotherPair.replace(anotherPair.find("first\tT.L2"), 11, "first\tK.L2");
    std::string userFileRemoved = text;
    userFileRemoved.replace(userFileRemoved.rfind("end\t"), std::string::npos,
                            "remove\tTheater.csv\nend\t8\n");
    std::string foreignFolder = text;
    foreignFolder.replace(foreignFolder.find("T.L2.vantor-history/g0001-T.L2"), 20, "some-folder/");
    const std::pair<const char*, std::string> journals[] = {
        {"some text", "some text\n"},       {"cut short", cut},
        {"a wrong line count", miscounted}, {"a path out of the folder", outside},
        {"an absolute path", absolute},     {"a folder that is no history", foreignFolder},
    };
    for (const auto& [name, journal] : journals) {
        SCOPED_TRACE(name);
        Staged s;
        s.dir.write("T.L2.vantor-journal", journal);
        EXPECT_EQ(recoverCommit(s.l2, false).outcome, RecoveryOutcome::Failed);
        EXPECT_EQ(testing::readFile(s.l2), "old L2");
        EXPECT_TRUE(fs::exists(s.dir.path / "T.L2.vantor-partial-a"));
        EXPECT_EQ(testing::readFile(s.dir.path / "T.L2.vantor-journal"), journal);
    }
}

#ifndef _WIN32
// Any name the folder can hold is a name the journal can hold.
TEST(CommitRecovery, NamesWithColonsBackslashesAndBlanksAreRecovered) {
    testing::TempDir dir;
    const fs::path l2 = dir.write("Map 1:2\\x.L2", "old L2");
    CommitJournal journal;
    journal.what = "Mend";
    journal.entries = {{l2, dir.write("Map 1:2\\x.L2.vantor-partial-a", "new L2"),
                        dir.path / "Map 1:2\\x.L2.vantor-old-b", true}};
    fs::rename(l2, dir.path / "Map 1:2\\x.L2.vantor-old-b");
    dir.write("Map 1:2\\x.L2.vantor-journal", journalText(l2, journal));
    const Recovery r = recoverCommit(l2, false);
    EXPECT_EQ(r.outcome, RecoveryOutcome::Finished) << r.error;
    EXPECT_EQ(testing::readFile(l2), "new L2");
}
#endif

TEST(CommitRecovery, ADryRunSaysWhatItWouldDoAndWhereTheContentIsAndMovesNothing) {
    for (std::size_t done = 0; done <= 5; ++done) {
        SCOPED_TRACE(std::to_string(done) + " renames made");
        Staged s;
        s.stopAfter(done);
        std::vector<std::string> before;
        for (const auto& e : fs::recursive_directory_iterator(s.dir.path)) {
            before.push_back(e.path().string());
        }
        const Recovery r = recoverCommit(s.l2, true);
        EXPECT_EQ(r.outcome, RecoveryOutcome::Finished);
        std::vector<std::string> after;
        for (const auto& e : fs::recursive_directory_iterator(s.dir.path)) {
            after.push_back(e.path().string());
        }
        EXPECT_EQ(before, after);
        ASSERT_EQ(r.contentAt.size(), 3u);
        EXPECT_EQ(testing::readFile(r.contentAt[0].second), "new L2");
        EXPECT_EQ(testing::readFile(r.contentAt[1].second), "new O2");
        EXPECT_NE(recoveryText(r, "T.L2 and T.O2", true).find("dry run"), std::string::npos);
    }
}

// A rename that fails part way is undone by the run itself: the old files are back, the new
// ones written for the commit are gone, and so is the journal.
TEST(Commit, ARenameThatFailsIsUndoneByTheRunItself) {
    struct Case {
        const char* name;
        void (*spoil)(Staged&);
        const char* error;
    };
    const Case cases[] = {
        {"the history folder is gone (the rename of the old L2 fails)",
         [](Staged& s) {
             fs::remove_all(s.dir.path / "T.L2.vantor-history");
             s.journal.entries.pop_back(); // no index either
         },
         "cannot move"},
        {"the O2's rename fails once the old L2 went aside",
         [](Staged& s) {
             s.journal.entries[1].aside = s.dir.path / "gone.vantor-history" / "g0001-T.O2";
         },
         "cannot move"},
        {"a file is in the way of the old O2",
         [](Staged& s) { s.dir.write("T.L2.vantor-history/g0001-T.O2", "in the way"); },
         "is in the way"},
        {"the new O2 is not there",
         [](Staged& s) { s.journal.entries[1].incoming = s.dir.path / "nowhere"; },
         "it is not there"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Staged s;
        c.spoil(s);
        const CommitOutcome out = runCommit(s.l2, s.journal);
        EXPECT_EQ(out.state, SetState::Old);
        EXPECT_NE(out.error.find(c.error), std::string::npos) << out.error;
        EXPECT_EQ(testing::readFile(s.l2), "old L2");
        EXPECT_EQ(testing::readFile(s.o2), "old O2");
        EXPECT_FALSE(fs::exists(s.dir.path / "T.L2.vantor-journal"));
        EXPECT_FALSE(fs::exists(s.dir.path / "T.L2.vantor-partial-a"));
    }
}

TEST(Commit, ACompleteCommitLeavesTheNewFilesAndNothingOfItsOwn) {
    Staged s;
    const CommitOutcome out = runCommit(s.l2, s.journal);
    EXPECT_EQ(out.state, SetState::New) << out.error;
    EXPECT_EQ(out.notes, "");
    EXPECT_TRUE(s.isNew());
    EXPECT_EQ(workingFilesIn(s.dir.path), 0u);
    EXPECT_EQ(examinePath(s.dir.path / "T.L2.bak").identity,
              examinePath(s.dir.path / "T.L2.vantor-history/g0001-T.L2").identity)
        << "the backup name is a second name of the generation, not a copy";
}

TEST(CommitLock, ASecondHolderWaitsAndIsRefusedWithTheLocksName) {
    testing::TempDir dir;
    const fs::path lockFile = dir.path / "lock";
    CommitLock first;
    std::string error;
    ASSERT_EQ(first.take(lockFile, std::chrono::milliseconds(0), error), CommitLock::Result::Taken);
    CommitLock second;
    EXPECT_EQ(second.take(lockFile, std::chrono::milliseconds(200), error),
              CommitLock::Result::Busy);
    EXPECT_NE(error.find(lockFile.string()), std::string::npos) << error;
    first.release();
    EXPECT_EQ(second.take(lockFile, std::chrono::milliseconds(0), error),
              CommitLock::Result::Taken);
    // A lock whose file went while it was held is not held on the file that now has the name.
    CommitLock third;
    third.removeWhenReleased();
    second.release();
    ASSERT_EQ(third.take(lockFile, std::chrono::milliseconds(0), error), CommitLock::Result::Taken);
    third.release();
    EXPECT_FALSE(fs::exists(lockFile));
}

} // namespace
} // namespace vantor
