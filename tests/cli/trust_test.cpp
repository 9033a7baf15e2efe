// What vantor-cli promises about the user's files, tried with the odd files users have lying
// around: every reader given a FIFO, a device, a link to an endless file, a sparse huge file or
// stray bytes; every writer given an input under another name, a link, the other half of the
// terrain pair, a FIFO, a read-only or a private target; and the terrain write-back killed at
// each of its steps. Whatever happens, the program ends with a status and a reason, no input
// changes, and no temporary file is left behind.

#include "support/run_program.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace vantor {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32

// The folder's regular files with their content (a huge sparse file by its size alone).
std::map<std::string, std::string> regularFiles(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (!fs::is_regular_file(fs::symlink_status(entry.path()))) {
            continue;
        }
        const std::uintmax_t size = fs::file_size(entry.path());
        files[entry.path().filename().string()] = size > (std::uintmax_t{64} << 20)
                                                      ? "size " + std::to_string(size)
                                                      : testing::readFile(entry.path());
    }
    return files;
}

std::string contentOf(const fs::path& path) {
    const std::uintmax_t size = fs::file_size(path);
    return size > (std::uintmax_t{64} << 20) ? "size " + std::to_string(size)
                                             : testing::readFile(path);
}

// Temporary files of the program (NAME.vantor-partial-XXXXXXXX, journals), in the folder and in
// a terrain history beside it (which a write-back keeps on purpose).
std::vector<std::string> temporariesIn(const fs::path& dir) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".vantor-history")) {
            for (const std::string& inside : temporariesIn(entry.path())) {
                found.push_back(name + "/" + inside);
            }
        } else if (name.find(".vantor-") != std::string::npos) {
            found.push_back(name);
        }
    }
    return found;
}

class Trust : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        base_ = new testing::TempDir;
        const std::string d = base_->str();
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"--dir", d, "sample", "--sections", "2"},
              {"--dir", d, "ocd-generate"},
              {"--dir", d, "--terrain", d + "/Theater.L2", "--out", d + "/Theater.L2M", "l2m"},
              {"--dir", d, "--terrain", d + "/Theater.L2", "--out", d + "/AllScans.csv",
               "report"}}) {
            const auto run = testing::runProgram(VANTOR_CLI_PATH, args);
            ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        }
    }
    static void TearDownTestSuite() {
        delete base_;
        base_ = nullptr;
    }
    static testing::TempDir* base_;

    // A fresh copy of the sample folder.
    static void copySample(const testing::TempDir& dir) {
        fs::copy(base_->path, dir.path, fs::copy_options::recursive);
    }

    // "@X" stands for X in the folder.
    static testing::ProgramRun run(const testing::TempDir& dir,
                                   const std::vector<std::string>& args) {
        std::vector<std::string> all = {"--dir", dir.str(), "--theater", "Quillon Sample"};
        for (const std::string& a : args) {
            all.push_back(a.starts_with("@") ? (dir.path / a.substr(1)).string() : a);
        }
        return testing::runProgram(VANTOR_CLI_PATH, all);
    }
};

testing::TempDir* Trust::base_ = nullptr;

using Args = std::vector<std::string>;

const Args info = {"--terrain", "@Theater.L2", "info", "0", "0"};
const Args radar = {"--terrain", "@Theater.L2", "--source", "@Theater.csv",
                    "--out",     "@Out.csv",    "radar"};

struct Reader {
    const char* file;
    Args args;
};

const Reader readers[] = {
    {"Theater.L2", info},
    {"Theater.O2", info},
    {"Theater.L2M", {"--terrain", "@Theater.L2M", "info", "0", "0"}},
    {"Theater.csv", radar},
    {"Theater.csv", {"list", "@Theater.csv"}},
    {"AllScans.csv", {"--out", "@Out.txt", "text-version", "--report", "@AllScans.csv"}},
    {"Object-RoadScript.dat", {"--terrain", "@Theater.L2", "--out", "@Out.csv", "roads"}},
    {"Object-BridgeScript.dat", {"--terrain", "@Theater.L2", "--out", "@Out.csv", "bridges"}},
    {"Object-CheckerScript.dat",
     {"--terrain", "@Theater.L2", "--source", "@Theater.csv", "--out", "@Out.csv",
      "check-objects"}},
    {"Airbase-Leveler-Script.dat",
     {"--terrain", "@Theater.L2", "--source", "@Theater.csv", "level-airbases"}},
    {"OCDList.dat",
     {"--terrain", "@Theater.L2", "--source", "@Theater.csv", "--out", "@Out.csv", "check-cities"}},
    {"TileInfo.dat",
     {"--terrain", "@Theater.L2", "--source", "@Theater.csv", "--out", "@Out.csv", "check-cities"}},
    {"Falcon4.ocd", {"ocd-generate"}},
    {"Quillon.ini", {"theaters"}},
};

struct Hostility {
    const char* name;
    void (*make)(const fs::path& file);
    const char* says; // what the failure says, "" where failing is not required
};

const Hostility hostilities[] = {
    {"a FIFO",
     [](const fs::path& f) {
         fs::remove(f);
         ::mkfifo(f.c_str(), 0600);
     },
     "not a regular file"},
    {"a device",
     [](const fs::path& f) {
         fs::remove(f);
         fs::create_symlink("/dev/null", f);
     },
     "not a regular file"},
    {"a link to an endless file",
     [](const fs::path& f) {
         fs::remove(f);
         fs::create_symlink("/dev/zero", f);
     },
     "not a regular file"},
    {"a sparse file of 100 GB", [](const fs::path& f) { fs::resize_file(f, 100ull << 30); }, ""},
    {"513 stray bytes",
     [](const fs::path& f) { std::ofstream(f, std::ios::app) << std::string(513, '\x7f'); }, ""},
};

// No reader waits on a file, reads more than it holds or more than memory allows; a file that
// is no regular file is refused with that reason.
TEST_F(Trust, EveryReaderRefusesWhatIsNoFileAndSurvivesWhatClaimsTooMuch) {
    for (const Reader& reader : readers) {
        for (const Hostility& h : hostilities) {
            SCOPED_TRACE(std::string(reader.file) + " as " + h.name + ": " + reader.args.back());
            testing::TempDir dir;
            copySample(dir);
            h.make(dir.path / reader.file);
            const auto before = regularFiles(dir.path);
            const auto ran = run(dir, reader.args);
            ASSERT_GE(ran.exitCode, 0);
            ASSERT_LE(ran.exitCode, 2) << "ended by a signal or a timeout\n" << ran.err;
            if (*h.says != '\0') {
                EXPECT_EQ(ran.exitCode, 1) << ran.out;
                EXPECT_NE(ran.err.find(h.says), std::string::npos) << ran.err;
            } else if (ran.exitCode != 0) {
                EXPECT_FALSE(ran.err.empty()) << "a failure says why";
            }
            // Outputs may be written; nothing the command reads is changed.
            for (const auto& [name, bytes] : before) {
                const bool output = name.starts_with("Out.") || name.starts_with("OCDList.") ||
                                    name.starts_with("Theater.L2") || name == "Theater.O2" ||
                                    name == "MultiObjectErr.txt" || name == "NoOpposingTile.txt";
                if (!output && name != reader.file) {
                    EXPECT_EQ(contentOf(dir.path / name), bytes) << name << " changed";
                }
            }
            EXPECT_EQ(temporariesIn(dir.path), std::vector<std::string>{});
        }
    }
}

struct Writer {
    const char* name;
    Args args;           // "@TARGET" is where the output goes
    const char* written; // the extension the output gets ("" when it is written as named)
    std::vector<const char*> inputs; // what the command reads
};

const Writer writers[] = {
    {"export",
     {"--source", "@Theater.csv", "--out", "@TARGET", "export", "--delete", "10"},
     ".csv",
     {"Theater.csv"}},
    {"radar",
     {"--terrain", "@Theater.L2", "--source", "@Theater.csv", "--out", "@TARGET", "radar"},
     ".csv",
     {"Theater.L2", "Theater.O2", "Theater.csv"}},
    {"report",
     {"--terrain", "@Theater.L2", "--out", "@TARGET", "report", "--text"},
     ".csv",
     {"Theater.L2", "Theater.O2", "Object-RoadScript.dat", "Object-RiverScript.dat",
      "Object-TransitionScript.dat"}},
    {"roads, appending",
     {"--terrain", "@Theater.L2", "--out", "@TARGET", "roads", "--append"},
     "",
     {"Theater.L2", "Theater.O2", "Object-RoadScript.dat"}},
    {"text version",
     {"--out", "@TARGET", "text-version", "--report", "@AllScans.csv"},
     ".txt",
     {"AllScans.csv"}},
    {"l2m",
     {"--terrain", "@Theater.L2", "--out", "@TARGET", "l2m"},
     "",
     {"Theater.L2", "Theater.O2"}},
    {"render",
     {"--terrain", "@Theater.L2", "--out", "@TARGET", "render"},
     "",
     {"Theater.L2", "Theater.O2"}},
    {"check-cities",
     {"--terrain", "@Theater.L2M", "--source", "@Theater.csv", "--out", "@TARGET", "check-cities"},
     ".csv",
     {"Theater.L2M", "Theater.csv", "OCDList.dat", "TileInfo.dat", "Object-CheckerScript.dat"}},
};

// The file a target names once the writer's extension rule has been applied.
fs::path writtenAs(const fs::path& target, const char* extension) {
    if (*extension == '\0') {
        return target;
    }
    fs::path p = target;
    return p.replace_extension(extension);
}

struct Target {
    const char* name;
    // Makes the target in the folder from the writer's first input; returns its path.
    fs::path (*make)(const fs::path& dir, const std::string& input);
};

const Target targets[] = {
    {"an input under another spelling",
     [](const fs::path& d, const std::string& in) { return d / "." / in; }},
    {"a hard link to an input",
     [](const fs::path& d, const std::string& in) {
         fs::create_hard_link(d / in, d / "hard.csv");
         return d / "hard.csv";
     }},
    {"a symbolic link to an input",
     [](const fs::path& d, const std::string& in) {
         fs::create_symlink(d / in, d / "soft.csv");
         return d / "soft.csv";
     }},
    {"the other half of the terrain pair",
     [](const fs::path& d, const std::string&) { return d / "Theater.O2"; }},
    {"a FIFO",
     [](const fs::path& d, const std::string&) {
         ::mkfifo((d / "fifo.csv").c_str(), 0600);
         return d / "fifo.csv";
     }},
    {"a read-only file",
     [](const fs::path& d, const std::string&) {
         std::ofstream(d / "old.csv") << "kept\n";
         ::chmod((d / "old.csv").c_str(), 0444);
         return d / "old.csv";
     }},
    {"a private file",
     [](const fs::path& d, const std::string&) {
         std::ofstream(d / "mine.csv") << "old\n";
         ::chmod((d / "mine.csv").c_str(), 0600);
         return d / "mine.csv";
     }},
};

unsigned modeOf(const fs::path& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return static_cast<unsigned>(st.st_mode) & 0777u;
}

// An output never replaces an input of its command, whatever name or link leads to it, never
// replaces what is not a regular file or may not be written, and keeps the permissions of the
// file it replaces. Where the extension rule moves the output to a file that is none of these,
// it is written there.
TEST_F(Trust, NoWriterReplacesAnInputOrWhatIsNoWritableRegularFile) {
    for (const Writer& w : writers) {
        for (const Target& t : targets) {
            SCOPED_TRACE(std::string(w.name) + " into " + t.name);
            testing::TempDir dir;
            copySample(dir);
            const fs::path target = t.make(dir.path, w.inputs.front());
            const fs::path written = writtenAs(target, w.written);
            std::error_code ec;
            const auto status = fs::status(written, ec);
            // The extension rule never lands on an existing file that was not named.
            const bool moved = written != target;
            bool mayWrite = !fs::exists(status) ||
                            (!moved && fs::is_regular_file(status) && modeOf(written) != 0444);
            for (const char* input : w.inputs) {
                mayWrite = mayWrite && !fs::equivalent(written, dir.path / input, ec);
            }
            const unsigned modeBefore = fs::exists(status) ? modeOf(written) : 0;
            const auto before = regularFiles(dir.path);
            Args args;
            for (const std::string& a : w.args) {
                args.push_back(a == "@TARGET" ? target.string() : a);
            }
            const auto ran = run(dir, args);
            ASSERT_GE(ran.exitCode, 0);
            ASSERT_LE(ran.exitCode, 2) << "ended by a signal or a timeout\n" << ran.err;
            if (mayWrite) {
                EXPECT_EQ(ran.exitCode, 0) << ran.err;
                if (modeBefore != 0) {
                    EXPECT_EQ(modeOf(written), modeBefore) << "the permissions stay";
                }
            } else {
                EXPECT_NE(ran.exitCode, 0) << ran.out;
                EXPECT_FALSE(ran.err.empty()) << "a refusal says why";
            }
            for (const auto& [name, bytes] : before) {
                const bool output =
                    mayWrite && (name == written.filename().string() || name.ends_with(".txt"));
                if (!output) {
                    EXPECT_EQ(contentOf(dir.path / name), bytes) << name << " changed";
                }
            }
            if (std::string(t.name) == "a FIFO") {
                EXPECT_TRUE(fs::is_fifo(target)) << "never replaced by a regular file";
            }
            EXPECT_EQ(temporariesIn(dir.path), std::vector<std::string>{});
        }
    }
}

// Objectives anywhere in the 32-bit plane are drawn or left out, never overflow (the sanitizer
// build runs this too).
TEST_F(Trust, ObjectivesAtTheEndsOfTheIdentifierRangeRenderSafely) {
    testing::TempDir dir;
    copySample(dir);
    const std::string source = testing::readFile(dir.path / "Theater.csv");
    std::string far = source.substr(0, source.find('\n', source.find('\n') + 1) + 1);
    for (const char* xy : {"-2147483648, 2147483647", "2147483647, -2147483648",
                           "-2147483648, -2147483648", "2147483647, 2147483647"}) {
        far += std::string("Far, City, 1, 10, 101, ") + xy + ", 0\r\n";
    }
    dir.write("Far.csv", far);
    const auto ran = run(
        dir, {"--terrain", "@Theater.L2", "--source", "@Far.csv", "--out", "@Far.png", "render"});
    EXPECT_EQ(ran.exitCode, 0) << ran.err;
    EXPECT_TRUE(fs::exists(dir.path / "Far.png"));
}

// A sample never lands on a theater of the user's.
TEST_F(Trust, TheSampleIsNeverWrittenOverATheater) {
    testing::TempDir dir;
    const fs::path ini = dir.write("quillon.ini", "[Location]\n1=My Theater\n");
    const auto ran = testing::runProgram(VANTOR_CLI_PATH, {"sample", dir.str()});
    EXPECT_EQ(ran.exitCode, 1);
    EXPECT_NE(ran.err.find("already holds quillon.ini"), std::string::npos) << ran.err;
    EXPECT_EQ(testing::readFile(ini), "[Location]\n1=My Theater\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}

// The levelling's write-back killed at every step it takes (each write, flush and rename): the
// next open reads the old terrain or the new one, byte for byte, never a mix.
TEST_F(Trust, TheTerrainPairIsNeverReadHalfReplaced) {
    const auto matrixOf = [](const testing::TempDir& dir, const std::string& name) {
        const auto ran = run(dir, {"--terrain", "@Theater.L2", "--out", "@" + name, "l2m"});
        EXPECT_LE(ran.exitCode, 1) << ran.err;
        return ran.exitCode == 0 ? testing::readFile(dir.path / name) : std::string();
    };
    const Args level = {"--terrain", "@Theater.L2", "--source", "@Theater.csv", "level-airbases"};
    // A sample with airbases to level, small enough to be killed at each of its steps.
    testing::TempDir sample;
    for (const Args& args : {Args{"sample", "--sections", "4"}, Args{"ocd-generate"}}) {
        ASSERT_EQ(run(sample, args).exitCode, 0);
    }
    const auto copySample = [&sample](const testing::TempDir& dir) {
        fs::copy(sample.path, dir.path, fs::copy_options::recursive);
    };
    testing::TempDir oldDir;
    copySample(oldDir);
    const std::string oldMatrix = matrixOf(oldDir, "Old.L2M");
    testing::TempDir newDir;
    copySample(newDir);
    ASSERT_EQ(run(newDir, level).exitCode, 0);
    const std::string newMatrix = matrixOf(newDir, "New.L2M");
    ASSERT_NE(oldMatrix, newMatrix) << "the levelling changes the sample";

    bool finished = false;
    int killed = 0;
    for (int step = 1; step < 400 && !finished; ++step) {
        SCOPED_TRACE("killed at step " + std::to_string(step));
        testing::TempDir dir;
        copySample(dir);
        ::setenv("VANTOR_CRASH_AT_STEP", std::to_string(step).c_str(), 1);
        const auto ran = run(dir, level);
        ::unsetenv("VANTOR_CRASH_AT_STEP");
        finished = ran.exitCode == 0;
        if (!finished) {
            EXPECT_EQ(ran.exitCode, 128 + 9) << "killed, not failed:\n" << ran.err;
            ++killed;
        }
        const std::string read = matrixOf(dir, "Read.L2M");
        EXPECT_TRUE(read == oldMatrix || read == newMatrix);
        EXPECT_EQ(fs::exists(dir.path / "Theater.L2.vantor-commit"), false)
            << "the open finished the commit";
    }
    EXPECT_TRUE(finished);
    EXPECT_GT(killed, 10) << "every write and rename is a step";
}

// The mend killed at every step it takes: the mended export is there whole or not at all, and
// the next open reads the old terrain or the mended one, never a mix; the source is untouched.
TEST_F(Trust, AMendKilledAtAnyStepLeavesTheOldTheaterOrTheMendedOne) {
    const auto matrixOf = [](const testing::TempDir& dir) {
        const auto ran = run(dir, {"--terrain", "@Theater.L2", "--out", "@Read.L2M", "l2m"});
        EXPECT_LE(ran.exitCode, 1) << ran.err;
        return ran.exitCode == 0 ? testing::readFile(dir.path / "Read.L2M") : std::string();
    };
    const auto body = [](const std::string& text) { return text.substr(text.find('\n') + 1); };
    const Args mend = {"--terrain", "@Theater.L2", "--source", "@Theater.csv",
                       "--out",     "@Mended.csv", "mend"};
    testing::TempDir sample;
    ASSERT_EQ(run(sample, {"sample", "--sections", "8"}).exitCode, 0);
    const std::string source = testing::readFile(sample.path / "Theater.csv");
    const auto copySample = [&sample](const testing::TempDir& dir) {
        fs::copy(sample.path, dir.path, fs::copy_options::recursive);
    };
    testing::TempDir oldDir;
    copySample(oldDir);
    const std::string oldMatrix = matrixOf(oldDir);
    testing::TempDir newDir;
    copySample(newDir);
    ASSERT_EQ(run(newDir, mend).exitCode, 0);
    const std::string newMatrix = matrixOf(newDir);
    const std::string mended = body(testing::readFile(newDir.path / "Mended.csv"));
    ASSERT_NE(oldMatrix, newMatrix) << "the mend changes the sample";

    bool finished = false;
    int killed = 0;
    for (int step = 1; step < 400 && !finished; ++step) {
        SCOPED_TRACE("killed at step " + std::to_string(step));
        testing::TempDir dir;
        copySample(dir);
        ::setenv("VANTOR_CRASH_AT_STEP", std::to_string(step).c_str(), 1);
        const auto ran = run(dir, mend);
        ::unsetenv("VANTOR_CRASH_AT_STEP");
        finished = ran.exitCode == 0;
        if (!finished) {
            EXPECT_EQ(ran.exitCode, 128 + 9) << "killed, not failed:\n" << ran.err;
            ++killed;
        }
        const std::string read = matrixOf(dir);
        EXPECT_TRUE(read == oldMatrix || read == newMatrix);
        if (fs::exists(dir.path / "Mended.csv")) {
            EXPECT_EQ(body(testing::readFile(dir.path / "Mended.csv")), mended);
        } else {
            EXPECT_EQ(read, oldMatrix) << "the export is written before the terrain";
        }
        EXPECT_EQ(testing::readFile(dir.path / "Theater.csv"), source);
    }
    EXPECT_TRUE(finished);
    EXPECT_GT(killed, 10) << "every write and rename is a step";
}

#endif

} // namespace
} // namespace vantor
