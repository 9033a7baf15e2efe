// The terrain pair's commit under every fault the system can throw at it: a mend and a levelling
// run by vantor-cli with a shim of ours (LD_PRELOAD) that fails each rename, sync, unlink and
// link they make in turn, or meets it with SIGINT, SIGTERM or SIGKILL. After every run the pair
// on disk is exactly the old one or exactly the new one once the next open has recovered, what
// the run and the open said matches it, the builder's original is in the history whenever the
// new pair is in place, and nothing else of the user's changed.

#include "support/run_program.h"
#include "support/temp_dir.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <thread>

namespace vantor {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

struct Pair {
    std::string l2;
    std::string o2;
    friend bool operator==(const Pair&, const Pair&) = default;
};

Pair pairIn(const fs::path& dir) {
    return {testing::readFile(dir / "Theater.L2"), testing::readFile(dir / "Theater.O2")};
}

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// vantor-cli in the folder; "@X" names X there. Settings in `env` go to that process alone.
testing::ProgramRun run(const fs::path& dir, const Args& args, const Args& env = {}) {
    Args all = env;
    all.push_back(VANTOR_CLI_PATH);
    all.push_back("--dir");
    all.push_back(dir.string());
    for (const std::string& a : args) {
        all.push_back(a.starts_with("@") ? (dir / a.substr(1)).string() : a);
    }
    return testing::runProgram("env", all);
}

// What a run said of the pair: that the new one is in place, that the old one is, that it is
// neither yet, or nothing.
enum class Said { Nothing, New, Old, Unfinished };

Said whatItSaid(const testing::ProgramRun& r) {
    const std::string text = r.out + r.err;
    if (contains(text, "not replaced completely") || contains(text, "left unfinished") ||
        contains(text, "write unfinished")) {
        return Said::Unfinished;
    }
    if (contains(text, "terrain was written into") || contains(text, "is in place again") ||
        contains(text, "once the write was finished")) {
        return Said::New;
    }
    if (contains(text, "were not replaced") || contains(text, "the write was undone") ||
        contains(text, "nothing was mended") || contains(text, "Write Error")) {
        return Said::Old;
    }
    return Said::Nothing;
}

struct Command {
    const char* name;
    Args sample; // how the sample folder is made, each a vantor-cli run
    std::vector<Args> prepare;
    Args args;
    // The generation of the history that holds the pair the command replaced.
    const char* replacedAs;
    bool earlierBackups = false; // NAME.bak copies as an earlier version left them
};

const Args mendArgs = {"--terrain", "@Theater.L2", "--source", "@Theater.csv",
                       "--out",     "@Mended.csv", "mend"};
const Args levelArgs = {"--terrain", "@Theater.L2", "--source", "@Theater.csv", "level-airbases"};

const Command commands[] = {
    {"mend", {"sample", "--sections", "8"}, {}, mendArgs, "g0001"},
    {"level-airbases", {"sample", "--sections", "4"}, {{"ocd-generate"}}, levelArgs, "g0001"},
    // A write-back of a pair that has a history already: its index is replaced too.
    {"level-airbases after a mend",
     {"sample", "--sections", "8"},
     {{"ocd-generate"}, mendArgs},
     levelArgs,
     "g0002"},
    {"undo after a mend",
     {"sample", "--sections", "8"},
     {mendArgs},
     {"--terrain", "@Theater.L2", "undo"},
     "g0002"},
    // The backup pair of an earlier version becomes the first generation.
    {"level-airbases over the backups of an earlier version",
     {"sample", "--sections", "4"},
     {{"ocd-generate"}},
     levelArgs,
     "g0002",
     true},
};

struct Fault {
    const char* call;
    const char* action;
    int exitCode; // of a run the fault met; -1: 0, 1 or 3 as the work went
};

const Fault faults[] = {
    {"rename", "fail", -1},     {"rename", "SIGINT", 130},  {"rename", "SIGTERM", 143},
    {"rename", "SIGKILL", 137}, {"fsync", "fail", -1},      {"fsync", "SIGINT", 130},
    {"fsync", "SIGTERM", 143},  {"fsync", "SIGKILL", 137},  {"unlink", "fail", -1},
    {"unlink", "SIGINT", 130},  {"unlink", "SIGTERM", 143}, {"unlink", "SIGKILL", 137},
    {"link", "fail", -1},       {"link", "SIGKILL", 137},
};

class Crash : public ::testing::Test {
  protected:
    // A sample folder for the command, with the pair before and after a clean run of it.
    struct Prepared {
        testing::TempDir sample;
        Pair before;
        Pair after;
        std::string source;
    };

    static void prepare(const Command& c, Prepared& p) {
        ASSERT_EQ(run(p.sample.path, c.sample).exitCode, 0);
        for (const Args& args : c.prepare) {
            ASSERT_EQ(run(p.sample.path, args).exitCode, 0);
        }
        if (c.earlierBackups) {
            for (const char* name : {"Theater.L2", "Theater.O2"}) {
                fs::copy_file(p.sample.path / name, p.sample.path / (std::string(name) + ".bak"));
            }
        }
        p.before = pairIn(p.sample.path);
        p.source = testing::readFile(p.sample.path / "Theater.csv");
        testing::TempDir clean;
        fs::copy(p.sample.path, clean.path, fs::copy_options::recursive);
        const auto ran = run(clean.path, c.args);
        ASSERT_EQ(ran.exitCode, 0) << ran.out << ran.err;
        p.after = pairIn(clean.path);
        ASSERT_NE(p.before, p.after) << c.name << " changes the sample";
    }
};

// One of the pairs the folder has known: before or after the command, or a generation of its
// history.
template <class P> bool isWholePair(const fs::path& dir, const Pair& pair, const P& p) {
    if (pair == p.before || pair == p.after) {
        return true;
    }
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir / "Theater.L2.vantor-history", ec)) {
        const std::string name = e.path().filename().string();
        if (name.ends_with("-Theater.L2") &&
            Pair{testing::readFile(e.path()),
                 testing::readFile(e.path().parent_path() /
                                   (name.substr(0, name.size() - 2) + "O2"))} == pair) {
            return true;
        }
    }
    return false;
}

TEST_F(Crash, EveryFaultAtEveryStepLeavesTheOldPairOrTheNewOneAndSaysWhich) {
    std::map<std::string, int> injected; // per command and call, for the record
    for (const Command& c : commands) {
        Prepared p;
        prepare(c, p);
        for (const Fault& f : faults) {
            bool reached = true;
            int n = 0;
            while (reached && n < 200) {
                ++n;
                SCOPED_TRACE(std::string(c.name) + ": " + f.call + " #" + std::to_string(n) +
                             " met with " + f.action);
                testing::TempDir work;
                const fs::path dir = fs::canonical(work.path);
                fs::copy(p.sample.path, dir, fs::copy_options::recursive);
                const fs::path log = dir.parent_path() / (dir.filename().string() + ".log");
                const auto ran = run(
                    dir, c.args,
                    {"LD_PRELOAD=" VANTOR_FAULT_SHIM, "ASAN_OPTIONS=verify_asan_link_order=0",
                     "VANTOR_FAULT_DIR=" + dir.string(), std::string("VANTOR_FAULT_CALL=") + f.call,
                     "VANTOR_FAULT_AT=" + std::to_string(n),
                     std::string("VANTOR_FAULT_ACTION=") + f.action,
                     "VANTOR_FAULT_LOG=" + log.string()});
                reached = fs::exists(log);
                fs::remove(log);
                if (!reached) {
                    EXPECT_EQ(ran.exitCode, 0) << ran.out << ran.err;
                    EXPECT_EQ(pairIn(dir), p.after);
                    break;
                }
                ++injected[std::string(c.name) + " " + f.call];
                if (f.exitCode >= 0) {
                    EXPECT_EQ(ran.exitCode, f.exitCode) << ran.out << ran.err;
                } else {
                    EXPECT_TRUE(ran.exitCode == 0 || ran.exitCode == 1 || ran.exitCode == 3)
                        << ran.exitCode << ran.out << ran.err;
                }
                const Said said = whatItSaid(ran);
                if (ran.exitCode == 0) {
                    EXPECT_EQ(said, Said::New) << ran.out << ran.err;
                }
                const bool journal = fs::exists(dir / "Theater.L2.vantor-journal");
                if (!journal) {
                    // No commit under way: the pair at its names is a whole one already.
                    const Pair now = pairIn(dir);
                    EXPECT_TRUE(now == p.before || now == p.after) << "a mixed pair";
                }

                // The next open: it finishes or undoes what a run left, and says so.
                const auto opened = run(dir, {"--terrain", "@Theater.L2", "info", "0", "0"});
                ASSERT_EQ(opened.exitCode, 0) << "never a missing or unreadable pair\n"
                                              << opened.out << opened.err;
                const Pair final = pairIn(dir);
                ASSERT_TRUE(final == p.before || final == p.after) << "a mixed pair";
                const bool isNew = final == p.after;
                if (contains(opened.out, "found and finished")) {
                    EXPECT_TRUE(isNew) << opened.out;
                } else if (contains(opened.out, "found and undone")) {
                    EXPECT_FALSE(isNew) << opened.out;
                } else {
                    EXPECT_FALSE(journal) << "a journal left is dealt with, and said so";
                }
                if (f.exitCode < 0 && isNew && said != Said::Unfinished) {
                    EXPECT_NE(ran.exitCode, 1) << "a failure once the new pair was in place is a "
                                                  "note, not a failed command\n"
                                               << ran.out << ran.err;
                }
                if (said == Said::New) {
                    EXPECT_TRUE(isNew) << ran.out << ran.err;
                } else if (said == Said::Old) {
                    EXPECT_FALSE(isNew) << ran.out << ran.err;
                } else if (said == Said::Unfinished) {
                    EXPECT_TRUE(journal) << ran.out << ran.err;
                }
                EXPECT_FALSE(fs::exists(dir / "Theater.L2.vantor-journal"));
                // The backup names never name a mixed pair, nor the pair in place.
                if (fs::exists(dir / "Theater.L2.bak") && fs::exists(dir / "Theater.O2.bak")) {
                    const Pair backup{testing::readFile(dir / "Theater.L2.bak"),
                                      testing::readFile(dir / "Theater.O2.bak")};
                    EXPECT_TRUE(isWholePair(dir, backup, p)) << "a mixed backup pair";
                    EXPECT_FALSE(fs::equivalent(dir / "Theater.L2.bak", dir / "Theater.L2"));
                }
                if (isNew) {
                    // The pair replaced is kept, whatever happened on the way.
                    const fs::path history = dir / "Theater.L2.vantor-history";
                    const std::string kept = std::string(c.replacedAs) + "-Theater.";
                    EXPECT_TRUE(testing::readFile(history / (kept + "L2")) == p.before.l2);
                    EXPECT_TRUE(testing::readFile(history / (kept + "O2")) == p.before.o2);
                }
                // And the history says what is in place, so that undo takes back the right one.
                const auto listed = run(dir, {"--terrain", "@Theater.L2", "history"});
                EXPECT_EQ(listed.exitCode, 0) << listed.err;
                EXPECT_FALSE(contains(listed.out, "files are missing")) << listed.out;
                EXPECT_FALSE(contains(listed.out, "changed or copied outside")) << listed.out;
                EXPECT_EQ(testing::readFile(dir / "Theater.csv"), p.source);
            }
            EXPECT_GT(n, 1) << c.name << " makes no " << f.call << " at all";
        }
    }
    for (const auto& [what, count] : injected) {
        std::printf("injected faults, %s: %d\n", what.c_str(), count);
    }
}

// Two mends of one pair at the same time: each either mends or is refused with a reason, the pair
// is a whole one afterwards, and the original is in the history.
TEST_F(Crash, TwoMendsAtOnceLeaveAWholePairAndTheOriginalInTheHistory) {
    const Command& mend = commands[0];
    Prepared p;
    prepare(mend, p);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        testing::TempDir work;
        fs::copy(p.sample.path, work.path, fs::copy_options::recursive);
        testing::ProgramRun first;
        testing::ProgramRun second;
        Args args = mend.args;
        args[5] = "@Second.csv";
        std::thread a([&] { first = run(work.path, mend.args); });
        std::thread b([&] { second = run(work.path, args); });
        a.join();
        b.join();
        int mended = 0;
        for (const auto* r : {&first, &second}) {
            if (r->exitCode == 0) {
                ++mended;
            } else {
                EXPECT_EQ(r->exitCode, 1) << r->out << r->err;
                EXPECT_TRUE(contains(r->err, "changed by another run") ||
                            contains(r->err, "another run of Vantor is changing"))
                    << r->err;
            }
        }
        EXPECT_GE(mended, 1);
        const auto opened = run(work.path, {"--terrain", "@Theater.L2", "info", "0", "0"});
        EXPECT_EQ(opened.exitCode, 0) << opened.err;
        EXPECT_EQ(pairIn(work.path), p.after);
        const fs::path history = work.path / "Theater.L2.vantor-history";
        EXPECT_EQ(testing::readFile(history / "g0001-Theater.L2"), p.before.l2);
        EXPECT_EQ(testing::readFile(history / "g0001-Theater.O2"), p.before.o2);
    }
}

} // namespace
} // namespace vantor
