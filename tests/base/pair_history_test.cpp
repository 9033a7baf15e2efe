// The generations of a pair the program rewrites: every write keeps the pair it replaced, undo
// and redo walk them without losing the pair they replace, the first generation and the last few
// are kept, and whatever is not the history's own (a backup of the user's, a pair changed by
// another program, a pair changed since it was read) is never thrown away.

#include "base/file_system.h"
#include "base/pair_history.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <thread>

namespace vantor {
namespace {

namespace fs = std::filesystem;

struct Theater {
    testing::TempDir dir;
    fs::path l2;
    fs::path o2;

    Theater() {
        l2 = dir.write("T.L2", "L2 v0");
        o2 = dir.write("T.O2", "O2 v0");
    }

    // New files for version v written beside the pair, then committed as "Work v".
    PairChange write(const std::string& v, std::optional<PairVersion> expected = {}) const {
        const fs::path a = dir.write("T.L2.vantor-partial-" + v, "L2 " + v);
        const fs::path b = dir.write("T.O2.vantor-partial-" + v, "O2 " + v);
        return writePairWithHistory({l2, o2, a, b, "Work " + v, expected, {}, {}});
    }

    // The version in place; "mixed" when the two files disagree.
    std::string inPlace() const {
        const std::string a = testing::readFile(l2);
        const std::string b = testing::readFile(o2);
        return a.substr(3) == b.substr(3) ? a.substr(3) : "mixed";
    }

    PairHistory history() const {
        PairHistory h;
        std::string error;
        EXPECT_TRUE(readPairHistory(l2, h, error)) << error;
        return h;
    }

    PairChange move(bool redo) const {
        const PairHistory h = history();
        const HistoryStep step = redo ? redoStep(h, 1) : undoStep(h, 1);
        EXPECT_NE(step.target, 0) << step.why;
        return restoreGeneration(l2, o2, step.target, redo ? "Redo" : "Undo");
    }
};

// What Undo would take back (the work that made the pair in place) and what Redo would bring
// back (the work that made the pair it puts back), as the Edit menu names them.
std::string undoes(const PairHistory& h) {
    return undoStep(h, 1).target == 0 ? "-" : h.current()->what;
}
std::string redoes(const PairHistory& h) {
    const HistoryStep step = redoStep(h, 1);
    return step.target == 0 ? "-" : h.find(step.target)->what;
}

TEST(PairHistory, EveryWriteKeepsWhatItReplacedAndUndoAndRedoWalkTheGenerations) {
    enum Op { Write, Undo, Redo };
    struct Step {
        Op op;
        const char* version; // written, for Write
        const char* inPlace;
        const char* undoes; // what Undo would take back, "-" for nothing
        const char* redoes;
    };
    const Step steps[] = {
        {Write, "v1", "v1", "Work v1", "-"},
        {Write, "v2", "v2", "Work v2", "-"},
        {Undo, "", "v1", "Work v1", "Work v2"},
        {Undo, "", "v0", "-", "Work v1"},
        {Redo, "", "v1", "Work v1", "Work v2"},
        // A write after an undo starts a branch: redo then follows the newest, and the pair
        // undone before (v2) stays kept, never thrown away.
        {Write, "v3", "v3", "Work v3", "-"},
        {Undo, "", "v1", "Work v1", "Work v3"},
        {Redo, "", "v3", "Work v3", "-"},
    };
    Theater t;
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.op == Write  ? "write "
                                 : s.op == Undo ? "undo"
                                                : "redo") +
                     s.version);
        const PairChange change = s.op == Write ? t.write(s.version) : t.move(s.op == Redo);
        ASSERT_EQ(change.state, SetState::New) << change.error;
        EXPECT_EQ(t.inPlace(), s.inPlace);
        const PairHistory h = t.history();
        EXPECT_EQ(undoes(h), s.undoes);
        EXPECT_EQ(redoes(h), s.redoes);
        // NAME.bak is the pair the change replaced, as earlier versions kept it.
        const Generation* replaced = h.find(change.replacedGeneration);
        ASSERT_NE(replaced, nullptr);
        EXPECT_TRUE(change.backupNamed);
        EXPECT_EQ(testing::readFile(backupPathFor(t.l2)),
                  testing::readFile(generationFileFor(t.l2, replaced->number, t.l2)));
    }
    const PairHistory h = t.history();
    EXPECT_EQ(h.generations.size(), 4u) << "v0 to v3, every one kept";
    EXPECT_EQ(h.generations.front().what, "the original pair");
    EXPECT_EQ(testing::readFile(generationFileFor(t.l2, 1, t.l2)), "L2 v0");
    EXPECT_EQ(testing::readFile(generationFileFor(t.l2, 3, t.o2)), "O2 v2");
}

TEST(PairHistory, TheFirstGenerationAndTheLastReplacedAreKeptTheRestGivenUp) {
    Theater t;
    std::string error;
    ASSERT_TRUE(setHistoryKeep(t.l2, t.o2, 2, error)) << error;
    int pruned = 0;
    for (const char* v : {"v1", "v2", "v3", "v4", "v5"}) {
        const PairChange change = t.write(v);
        ASSERT_EQ(change.state, SetState::New) << change.error;
        pruned += change.pruned;
    }
    EXPECT_EQ(pruned, 2);
    const PairHistory h = t.history();
    using W = Generation::Where;
    const W expected[] = {W::Kept, W::Pruned, W::Pruned, W::Kept, W::Kept, W::Current};
    ASSERT_EQ(h.generations.size(), std::size(expected));
    for (std::size_t i = 0; i < h.generations.size(); ++i) {
        const Generation& g = h.generations[i];
        EXPECT_EQ(g.where, expected[i]) << "generation " << g.number;
        // The files of a generation given up go with the change after the one that gave it up
        // (no change removes anything while its journal exists): generation 3's are still there.
        EXPECT_EQ(fs::exists(generationFileFor(t.l2, g.number, t.l2)),
                  g.where == W::Kept || g.number == 3)
            << "generation " << g.number;
    }
    EXPECT_EQ(h.keptCount(), 3);
    EXPECT_EQ(undoStep(h, 2).target, 4);
    // Undo goes over the generations given up, down to the first, which is always kept.
    EXPECT_EQ(undoStep(h, 3).target, 1);
    EXPECT_EQ(undoStep(h, 4).target, 0);
    EXPECT_NE(undoStep(h, 4).why.find("only 3 steps back"), std::string::npos);
}

TEST(PairHistory, AWriteThatCannotBeMadeSafelyIsRefusedAndLeavesEverythingAsItWas) {
    struct Case {
        const char* name;
        std::optional<PairVersion> (*prepare)(const Theater&);
        const char* error;
    };
    const Case cases[] = {
        {"the pair changed since it was read",
         [](const Theater& t) -> std::optional<PairVersion> {
             const PairVersion read = versionOf(t.l2, t.o2);
             t.dir.write("T.O2", "O2 by someone else");
             return read;
         },
         "changed by another run or program since it was read"},
        {"a damaged history index",
         [](const Theater& t) -> std::optional<PairVersion> {
             t.dir.write("T.L2.vantor-history/history.txt", "Vantor terrain history 1\nnonsense\n");
             return {};
         },
         "is damaged"},
        {"an interrupted write that can be neither finished nor undone",
         [](const Theater& t) -> std::optional<PairVersion> {
             t.dir.write("T.L2.vantor-journal", "Vantor commit journal 1\nbroken\n");
             return {};
         },
         "is no journal of Vantor"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Theater t;
        const std::optional<PairVersion> expected = c.prepare(t);
        const std::string l2Before = testing::readFile(t.l2);
        const std::string o2Before = testing::readFile(t.o2);
        const PairChange change = t.write("v1", expected);
        EXPECT_EQ(change.state, SetState::Old);
        EXPECT_NE(change.error.find(c.error), std::string::npos) << change.error;
        EXPECT_EQ(testing::readFile(t.l2), l2Before);
        EXPECT_EQ(testing::readFile(t.o2), o2Before);
        EXPECT_FALSE(fs::exists(t.dir.path / "T.L2.vantor-partial-v1")) << "the new files go";
    }
}

// A pair that another program changed in place is never lost: it becomes a generation of its
// own, and what the history last put there is marked as replaced outside.
TEST(PairHistory, APairChangedOutsideTheProgramBecomesAGenerationOfItsOwn) {
    Theater t;
    ASSERT_EQ(t.write("v1").state, SetState::New);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    t.dir.write("T.L2", "L2 ed");
    t.dir.write("T.O2", "O2 ed");
    ASSERT_EQ(t.write("v2").state, SetState::New);
    const PairHistory h = t.history();
    ASSERT_EQ(h.generations.size(), 4u);
    EXPECT_EQ(h.generations[1].where, Generation::Where::Pruned) << "v1's files are gone";
    EXPECT_EQ(h.generations[2].what, "changed or copied outside Vantor since generation 2");
    EXPECT_EQ(testing::readFile(generationFileFor(t.l2, 3, t.l2)), "L2 ed");
    EXPECT_EQ(t.inPlace(), "v2");
}

TEST(PairHistory, BackupsOfAnEarlierVersionBecomeTheFirstGenerationAndTheUsersStayAlone) {
    struct Case {
        const char* name;
        void (*make)(const Theater&);
        bool imported;    // the backup pair became generation 1
        bool backupNamed; // NAME.bak now names the replaced pair
    };
    const Case cases[] = {
        {"a backup pair of an earlier version",
         [](const Theater& t) {
             t.dir.write("T.L2.bak", "L2 bak");
             t.dir.write("T.O2.bak", "O2 bak");
         },
         true, true},
        {"an L2 backup without its O2", [](const Theater& t) { t.dir.write("T.L2.bak", "L2 bak"); },
         false, false},
        {"a folder under the backup name",
         [](const Theater& t) { fs::create_directory(t.dir.path / "T.O2.bak"); }, false, false},
        {"a link under the backup name",
         [](const Theater& t) {
             const fs::path mine = t.dir.write("mine.txt", "mine");
             fs::create_symlink(mine, t.dir.path / "T.L2.bak");
             t.dir.write("T.O2.bak", "O2 bak");
         },
         false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Theater t;
        c.make(t);
        std::vector<std::pair<fs::path, std::string>> before;
        for (const char* name : {"T.L2.bak", "T.O2.bak", "mine.txt"}) {
            if (fs::is_regular_file(fs::symlink_status(t.dir.path / name))) {
                before.emplace_back(t.dir.path / name, testing::readFile(t.dir.path / name));
            }
        }
        const PairChange change = t.write("v1");
        ASSERT_EQ(change.state, SetState::New) << change.error;
        EXPECT_EQ(change.backupNamed, c.backupNamed) << change.notes;
        const PairHistory h = t.history();
        if (c.imported) {
            ASSERT_EQ(h.generations.size(), 3u);
            EXPECT_EQ(testing::readFile(generationFileFor(t.l2, 1, t.l2)), "L2 bak");
            EXPECT_EQ(testing::readFile(generationFileFor(t.l2, 1, t.o2)), "O2 bak");
            EXPECT_EQ(h.generations[1].what, "the pair in place when the history began");
            EXPECT_EQ(testing::readFile(t.dir.path / "T.L2.bak"), "L2 v0");
        } else {
            EXPECT_EQ(h.generations.size(), 2u);
            EXPECT_NE(change.notes.find("is a file of yours"), std::string::npos) << change.notes;
            for (const auto& [path, content] : before) {
                EXPECT_EQ(testing::readFile(path), content) << path;
            }
        }
    }
}

// What a write, an undo or a redo may never give up or put back, whatever happened before.
TEST(PairHistory, WhatMustStayKeptStaysAndWhatWasChangedIsNotPutBack) {
    Theater keepOrder;
    std::string error;
    ASSERT_TRUE(setHistoryKeep(keepOrder.l2, keepOrder.o2, 2, error)) << error;
    for (const char* v : {"v1", "v2", "v3"}) {
        ASSERT_EQ(keepOrder.write(v).state, SetState::New);
    }
    ASSERT_EQ(moveGenerations(keepOrder.l2, keepOrder.o2, 2, false).state, SetState::New);
    ASSERT_EQ(keepOrder.inPlace(), "v1");
    // The pair this write replaces (v1) was replaced before, long ago: it is kept all the same.
    ASSERT_EQ(keepOrder.write("v4").state, SetState::New);
    const PairHistory kept = keepOrder.history();
    EXPECT_EQ(kept.find(undoStep(kept, 1).target)->what, "Work v1");
    EXPECT_EQ(testing::readFile(generationFileFor(keepOrder.l2, 2, keepOrder.l2)), "L2 v1");

    // The original stays kept when a copy of it (new times, same content) was put in place.
    Theater original;
    ASSERT_TRUE(setHistoryKeep(original.l2, original.o2, 1, error)) << error;
    ASSERT_EQ(original.write("v1").state, SetState::New);
    ASSERT_EQ(moveGenerations(original.l2, original.o2, 1, false).state, SetState::New);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    original.dir.write("T.L2", "L2 v0");
    original.dir.write("T.O2", "O2 v0");
    for (const char* v : {"v2", "v3", "v4"}) {
        ASSERT_EQ(original.write(v).state, SetState::New);
    }
    const PairHistory h = original.history();
    ASSERT_NE(h.first(), nullptr);
    EXPECT_EQ(testing::readFile(generationFileFor(original.l2, h.first()->number, original.l2)),
              "L2 v0");

    // A generation written to through its backup name is not put back as if it were whole.
    Theater written;
    ASSERT_EQ(written.write("v1").state, SetState::New);
    ASSERT_EQ(written.write("v2").state, SetState::New);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    written.dir.write("T.L2.bak", "L2 v1 changed"); // the same file as generation 2's L2
    const PairChange undo = moveGenerations(written.l2, written.o2, 1, false);
    EXPECT_EQ(undo.state, SetState::Old);
    EXPECT_NE(undo.error.find("were changed since they were kept"), std::string::npos)
        << undo.error;
    EXPECT_EQ(written.inPlace(), "v2");
}

// What copies, restores and other programs do to a history folder never costs a generation.
TEST(PairHistory, AnOlderIndexStrayFilesAndOutsideEditsLoseNothing) {
    // An older index comes back (the folder restored from a copy): the generations it thinks in
    // place but that lie in the history are kept, not deleted as given up.
    Theater older;
    ASSERT_EQ(older.write("v1").state, SetState::New);
    const std::string indexAtV1 = testing::readFile(historyIndexFor(older.l2));
    ASSERT_EQ(older.write("v2").state, SetState::New);
    older.dir.write("T.L2.vantor-history/history.txt", indexAtV1); // says v1 is in place
    ASSERT_EQ(older.write("v3").state, SetState::New);
    ASSERT_EQ(older.write("v4").state, SetState::New); // the next change removes what is given up
    const PairHistory h = older.history();
    bool v1Kept = false;
    for (const Generation& g : h.generations) {
        if (g.what == "Work v1") {
            v1Kept = g.where == Generation::Where::Kept &&
                     testing::readFile(generationFileFor(older.l2, g.number, older.l2)) == "L2 v1";
        }
    }
    EXPECT_TRUE(v1Kept);

    // Stray files under the names a generation would take: it takes a number no file has.
    Theater stray;
    ASSERT_EQ(stray.write("v1").state, SetState::New);
    stray.dir.write("T.L2.vantor-history/g0002-T.L2", "stray");
    const PairChange change = stray.write("v2");
    ASSERT_EQ(change.state, SetState::New) << change.error;
    EXPECT_EQ(testing::readFile(generationFileFor(stray.l2, change.replacedGeneration, stray.l2)),
              "L2 v1");
    EXPECT_EQ(testing::readFile(stray.dir.path / "T.L2.vantor-history/g0002-T.L2"), "stray");
    stray.dir.write("T.L2.vantor-history/g12345-T.O2", "stray"); // numbers past four digits
    ASSERT_EQ(stray.write("v3").state, SetState::New);
    EXPECT_EQ(stray.history().current()->number, 12346);
    EXPECT_EQ(testing::readFile(stray.dir.path / "T.L2.vantor-history/g12345-T.O2"), "stray");

    // After another program changed the pair, undo goes over what it lost to what is kept.
    Theater edited;
    ASSERT_EQ(edited.write("v1").state, SetState::New);
    ASSERT_EQ(edited.write("v2").state, SetState::New);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    edited.dir.write("T.L2", "L2 ed");
    edited.dir.write("T.O2", "O2 ed");
    ASSERT_EQ(edited.write("v3").state, SetState::New);
    ASSERT_EQ(moveGenerations(edited.l2, edited.o2, 2, false).state, SetState::New);
    EXPECT_EQ(edited.inPlace(), "v1") << "over the lost v2, to the kept v1";

    // A backup name written to is the user's: left as it is, and its generation never removed.
    Theater backup;
    std::string error;
    ASSERT_TRUE(setHistoryKeep(backup.l2, backup.o2, 1, error)) << error;
    ASSERT_EQ(backup.write("v1").state, SetState::New);
    ASSERT_EQ(backup.write("v2").state, SetState::New);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    backup.dir.write("T.L2.bak", "L2 my edit"); // through the second name of generation 2
    for (const char* v : {"v3", "v4", "v5"}) {
        const PairChange c = backup.write(v);
        ASSERT_EQ(c.state, SetState::New) << c.error;
    }
    EXPECT_EQ(testing::readFile(backup.dir.path / "T.L2.bak"), "L2 my edit");
    EXPECT_EQ(backup.history().find(2)->where, Generation::Where::Pruned);
    EXPECT_EQ(testing::readFile(generationFileFor(backup.l2, 2, backup.l2)), "L2 my edit")
        << "given up, but not removed: it holds the user's edit";
}

TEST(PairHistory, TheIndexIsReadOnlyWhenItIsWhole) {
    const std::string head = "Vantor terrain history 1\nfiles\tT.L2\tT.O2\nkeep\t10\nchanges\t1\n";
    const std::string one =
        "generation\t1\t0\tkept\t1\t2026-01-01 00:00:00\t-\t5\t1\t5\t1\t7\t8\tA\n";
    const std::string two =
        "generation\t2\t1\tcurrent\t0\t2026-01-02 00:00:00\t-\t5\t2\t5\t2\t7\t8\tB\n";
    const std::pair<std::string, bool> cases[] = {
        {head + one + two, true},
        {head, true},
        {"Some other file\n" + one + two, false},
        {head + two + one, false}, // numbers only grow
        {head + one, false},       // no generation in place
        {head + one + two + "generation\t3\t2\tcurrent\t0\t-\t-\t5\t2\t5\t2\t7\t8\tC\n", false},
        {"Vantor terrain history 1\nkeep\t0\n", false},
        {"Vantor terrain history 1\nkeep\t1001\n", false},
        {head + "generation\t1\t0\tlost\t0\t-\t-\t5\t1\t5\t1\t7\t8\tA\n", false},
        {head + "generation\t1\t0\tcurrent\t0\t-\t-\tfive\t1\t5\t1\t7\t8\tA\n", false},
        // An order past the count of changes: the index was not written by one change.
        {head + "generation\t1\t0\tcurrent\t2\t-\t-\t5\t1\t5\t1\t7\t8\tA\n", false},
        {head + one + "generation\t2\t1\tcurrent\t0\t-\t-\t5\t2\t5\t2\t7\t8\n", false},
        // A generation that replaced itself, directly or through others: undo would never end.
        {head + "generation\t1\t1\tcurrent\t0\t-\t-\t5\t1\t5\t1\t7\t8\tA\n", false},
        {head + "generation\t1\t2\tkept\t1\t-\t-\t5\t1\t5\t1\t7\t8\tA\n" + two, false},
        // A later number as parent is what renumbering around a stray file leaves: fine.
        {head + "generation\t1\t3\tkept\t1\t-\t-\t5\t1\t5\t1\t7\t8\tA\n" +
             "generation\t3\t0\tcurrent\t0\t-\t-\t5\t1\t5\t1\t7\t8\tA\n",
         true},
    };
    for (const auto& [text, whole] : cases) {
        SCOPED_TRACE(text);
        PairHistory h;
        EXPECT_EQ(parseHistory(text, h), whole);
    }
}

} // namespace
} // namespace vantor
