// Damaged input for every reader, through vantor-cli: truncated files, wrong sizes, offsets
// past the end, huge counts, very long lines, binary garbage, empty, missing and unreadable
// files. Whatever the damage, the program ends with a status (never a signal), says why when it
// fails, leaves no partial output where a good file was, and never changes a source file.

#include "base/byte_order.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sstream>

namespace vantor {
namespace {

namespace fs = std::filesystem;

void put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string garbage(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

// How a file is damaged.
using Damage = std::function<void(const fs::path&)>;

Damage truncatedTo(double share) {
    return [share](const fs::path& p) {
        const std::string bytes = testing::readFile(p);
        put(p,
            bytes.substr(0, static_cast<std::size_t>(static_cast<double>(bytes.size()) * share)));
    };
}
Damage emptied() {
    return [](const fs::path& p) { put(p, ""); };
}
Damage removed() {
    return [](const fs::path& p) { fs::remove(p); };
}
// A folder where the file should be: it cannot be read as a file, even by root.
Damage unreadable() {
    return [](const fs::path& p) {
        fs::remove(p);
        fs::create_directory(p);
    };
}
Damage garbled(unsigned seed) {
    return [seed](const fs::path& p) { put(p, garbage(4096, seed)); };
}
Damage withLongLine() {
    return [](const fs::path& p) {
        put(p, testing::readFile(p) + std::string(100000, '7') + ",\r\n");
    };
}
Damage firstWord(std::uint32_t value) { // a huge count or offset in the first four bytes
    return [value](const fs::path& p) {
        std::string bytes = testing::readFile(p);
        if (bytes.size() >= 4) {
            storeU32(reinterpret_cast<unsigned char*>(bytes.data()), value);
        }
        put(p, bytes);
    };
}
Damage lastWord(std::uint32_t value) { // an O2 offset past the end of the L2 file
    return [value](const fs::path& p) {
        std::string bytes = testing::readFile(p);
        if (bytes.size() >= 4) {
            storeU32(reinterpret_cast<unsigned char*>(bytes.data() + bytes.size() - 4), value);
        }
        put(p, bytes);
    };
}

struct Case {
    const char* what;
    const char* file; // the damaged file, in the theater folder
    Damage damage;
    std::vector<std::string> args; // after --dir; "@X" is the path of X in the theater folder
    bool mustFail;
    const char* output; // a file the command would write, "" for none
    // A city check without its reference lists still writes the objects as they were, whole,
    // and says the lists are missing.
    bool completeOutputOnFailure = false;
};

class BadInput : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        base_ = new testing::TempDir;
        const auto run = testing::runProgram(VANTOR_CLI_PATH,
                                             {"--dir", base_->str(), "sample", "--sections", "2"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const auto l2m = testing::runProgram(
            VANTOR_CLI_PATH,
            {"--dir", base_->str(), "--terrain", (base_->path / "Theater.L2").string(), "--out",
             (base_->path / "Theater.L2M").string(), "--theater", "Quillon Sample", "l2m"});
        ASSERT_EQ(l2m.exitCode, 0) << l2m.err;
        const auto ocd =
            testing::runProgram(VANTOR_CLI_PATH, {"--dir", base_->str(), "ocd-generate"});
        ASSERT_EQ(ocd.exitCode, 0) << ocd.err;
    }
    static void TearDownTestSuite() {
        delete base_;
        base_ = nullptr;
    }
    static testing::TempDir* base_;

    void check(const Case& c) {
        SCOPED_TRACE(std::string(c.what) + " in " + c.file);
        testing::TempDir dir;
        fs::copy(base_->path, dir.path, fs::copy_options::recursive);
        c.damage(dir.path / c.file);
        // Every file of the folder as it was, and a good file where the output goes.
        if (*c.output != '\0') {
            put(dir.path / c.output, "a good file that must survive\r\n");
        }
        std::map<fs::path, std::string> before;
        for (const auto& entry : fs::directory_iterator(dir.path)) {
            if (entry.is_regular_file()) {
                before[entry.path()] = testing::readFile(entry.path());
            }
        }
        std::vector<std::string> args = {"--dir", dir.str()};
        for (const std::string& a : c.args) {
            args.push_back(a.starts_with("@") ? (dir.path / a.substr(1)).string() : a);
        }
        const testing::ProgramRun run = testing::runProgram(VANTOR_CLI_PATH, args);
        ASSERT_GE(run.exitCode, 0) << "ended by a signal\n" << run.err;
        ASSERT_LE(run.exitCode, 2) << run.err;
        if (c.mustFail) {
            EXPECT_NE(run.exitCode, 0) << run.out;
        }
        if (run.exitCode != 0) {
            EXPECT_FALSE(run.out.empty() && run.err.empty()) << "a failure says why";
            if (*c.output != '\0' && !c.completeOutputOnFailure) {
                EXPECT_EQ(testing::readFile(dir.path / c.output),
                          "a good file that must survive\r\n");
            }
        }
        // Sources are never written; outputs and the lists a command produces may be.
        const std::string written[] = {
            c.output,        "OCDList.dat",        "OCDList.csv",        "Theater.L2",
            "Theater.O2",    "NoOpposingTile.txt", "MultiObjectErr.txt", "Theater.L2.bak",
            "Theater.O2.bak"};
        for (const auto& [path, bytes] : before) {
            const std::string name = path.filename().string();
            if (std::find(std::begin(written), std::end(written), name) != std::end(written)) {
                continue;
            }
            EXPECT_EQ(testing::readFile(path), bytes) << name << " changed";
        }
        // No temporary file left behind.
        for (const auto& entry : fs::directory_iterator(dir.path)) {
            const std::string name = entry.path().filename().string();
            const bool known =
                before.count(entry.path()) != 0 || entry.is_directory() ||
                std::find(std::begin(written), std::end(written), name) != std::end(written);
            EXPECT_TRUE(known) << "left behind: " << name;
        }
    }
};

testing::TempDir* BadInput::base_ = nullptr;

const std::vector<std::string> info = {"--terrain", "@Theater.L2", "info", "0", "0", "31", "31"};

TEST_F(BadInput, TerrainPair) {
    const Case cases[] = {
        {"empty", "Theater.L2", emptied(), info, true, ""},
        {"empty", "Theater.O2", emptied(), info, true, ""},
        {"half", "Theater.L2", truncatedTo(0.5), info, true, ""},
        {"a tenth", "Theater.L2", truncatedTo(0.1), info, true, ""},
        {"odd length", "Theater.O2", truncatedTo(0.97), info, true, ""},
        {"offset past the end", "Theater.O2", lastWord(0xFFFFFF00u), info, true, ""},
        {"missing", "Theater.O2", removed(), info, true, ""},
        {"missing", "Theater.L2", removed(), info, true, ""},
        {"unreadable", "Theater.L2", unreadable(), info, true, ""},
        {"garbage", "Theater.L2", garbled(1), info, false, ""},
        {"garbage", "Theater.O2", garbled(2), info, false, ""},
    };
    for (const Case& c : cases) {
        check(c);
    }
}

TEST_F(BadInput, MatrixFile) {
    const std::vector<std::string> args = {
        "--theater", "Quillon Sample", "--terrain", "@Theater.L2M", "info", "1", "1"};
    const Case cases[] = {
        {"empty", "Theater.L2M", emptied(), args, true, ""},
        {"truncated", "Theater.L2M", truncatedTo(0.5), args, true, ""},
        {"huge size in the header", "Theater.L2M", firstWord(0xFFFFFFFFu), args, true, ""},
        {"garbage", "Theater.L2M", garbled(3), args, true, ""},
        {"missing", "Theater.L2M", removed(), args, true, ""},
    };
    for (const Case& c : cases) {
        check(c);
    }
}

TEST_F(BadInput, ObjectiveExportsAndReports) {
    const std::vector<std::string> radar = {"--terrain", "@Theater.L2", "--source", "@Theater.csv",
                                            "--out",     "@Out.csv",    "radar"};
    const std::vector<std::string> objects = {"--terrain",     "@Theater.L2", "--source",
                                              "@Theater.csv",  "--out",       "@Out.csv",
                                              "check-objects", "--range",     "2"};
    const std::vector<std::string> list = {"list", "@Theater.csv"};
    const Case cases[] = {
        {"empty", "Theater.csv", emptied(), radar, false, "Out.csv"},
        {"garbage", "Theater.csv", garbled(4), radar, false, "Out.csv"},
        {"cut mid-line", "Theater.csv", truncatedTo(0.63), radar, false, "Out.csv"},
        {"a 100,000-character line", "Theater.csv", withLongLine(), radar, false, "Out.csv"},
        {"missing", "Theater.csv", removed(), radar, true, "Out.csv"},
        {"unreadable", "Theater.csv", unreadable(), radar, true, "Out.csv"},
        {"empty", "Theater.csv", emptied(), objects, true, "Out.csv"},
        {"garbage", "Theater.csv", garbled(5), objects, false, "Out.csv"},
        {"a 100,000-character line", "Theater.csv", withLongLine(), objects, false, "Out.csv"},
        {"garbage", "Theater.csv", garbled(6), list, false, ""},
        {"a 100,000-character line", "Theater.csv", withLongLine(), list, false, ""},
        {"empty", "Theater.csv", emptied(), list, true, ""},
    };
    for (const Case& c : cases) {
        check(c);
    }
}

TEST_F(BadInput, Scripts) {
    const std::vector<std::string> roads = {"--terrain", "@Theater.L2", "--out", "@Out.csv",
                                            "roads"};
    const std::vector<std::string> bridges = {"--terrain", "@Theater.L2", "--out", "@Out.csv",
                                              "bridges"};
    const std::vector<std::string> objects = {"--terrain",    "@Theater.L2", "--source",
                                              "@Theater.csv", "--out",       "@Out.csv",
                                              "check-objects"};
    const std::vector<std::string> airbases = {"--terrain", "@Theater.L2", "--source",
                                               "@Theater.csv", "level-airbases"};
    const Case cases[] = {
        {"garbage", "Object-RoadScript.dat", garbled(7), roads, false, "Out.csv"},
        {"a 100,000-character line", "Object-RoadScript.dat", withLongLine(), roads, false,
         "Out.csv"},
        {"empty", "Object-RoadScript.dat", emptied(), roads, false, "Out.csv"},
        {"garbage", "Object-BridgeScript.dat", garbled(8), bridges, false, "Out.csv"},
        {"missing", "Object-CheckerScript.dat", removed(), objects, true, "Out.csv"},
        {"garbage", "Object-CheckerScript.dat", garbled(9), objects, false, "Out.csv"},
        {"unreadable", "Object-CheckerScript.dat", unreadable(), objects, true, "Out.csv"},
        {"missing", "Airbase-Leveler-Script.dat", removed(), airbases, true, ""},
        {"garbage", "Airbase-Leveler-Script.dat", garbled(10), airbases, false, ""},
        {"a 100,000-character line", "Airbase-Leveler-Script.dat", withLongLine(), airbases, false,
         ""},
    };
    for (const Case& c : cases) {
        check(c);
    }
}

TEST_F(BadInput, ReferenceListsAndTheIniFile) {
    const std::vector<std::string> generate = {"ocd-generate"};
    const std::vector<std::string> cities = {"--terrain",    "@Theater.L2", "--source",
                                             "@Theater.csv", "--out",       "@Out.csv",
                                             "check-cities"};
    const std::vector<std::string> theaters = {"theaters"};
    const Case cases[] = {
        {"empty", "Falcon4.ocd", emptied(), generate, false, ""},
        {"truncated", "Falcon4.ocd", truncatedTo(0.5), generate, true, ""},
        {"garbage", "Falcon4.ocd", garbled(11), generate, false, ""},
        {"missing", "Falcon4.ocd", removed(), generate, true, ""},
        {"short list", "OCDList.dat", truncatedTo(0.5), cities, true, "Out.csv", true},
        {"huge count", "OCDList.dat", firstWord(0x7FFFFFFFu), cities, true, "Out.csv", true},
        {"huge count", "TileInfo.dat", firstWord(0xFFFFFFFFu), cities, false, "Out.csv"},
        {"garbage", "TileInfo.dat", garbled(12), cities, false, "Out.csv"},
        {"missing", "TileInfo.dat", removed(), cities, true, "Out.csv", true},
        {"garbage", "Quillon.ini", garbled(13), theaters, false, ""},
        {"a 100,000-character line", "Quillon.ini", withLongLine(), theaters, false, ""},
        {"empty", "Quillon.ini", emptied(), theaters, false, ""},
    };
    for (const Case& c : cases) {
        check(c);
    }
}

} // namespace
} // namespace vantor

namespace vantor {
namespace {

// A disk that fills up part way through every file written: the file that was there before
// stays byte for byte, the failure is reported, and nothing partial is left behind.
TEST(FaultInjection, AFailedWriteLeavesTheOldFileAndSaysSo) {
    testing::TempDir base;
    ASSERT_EQ(
        testing::runProgram(VANTOR_CLI_PATH, {"--dir", base.str(), "sample", "--sections", "2"})
            .exitCode,
        0);
    ASSERT_EQ(testing::runProgram(VANTOR_CLI_PATH, {"--dir", base.str(), "ocd-generate"}).exitCode,
              0);
    struct Written {
        std::vector<std::string> args; // "@X": X in the theater folder
        std::vector<const char*> targets;
        const char* says = "No space left on device"; // the terrain files have their own words
    };
    const Written cases[] = {
        {{"--source", "@Theater.csv", "--out", "@Out.csv", "export", "--delete", "10"},
         {"Out.csv"}},
        {{"--terrain", "@Theater.L2", "--source", "@Theater.csv", "--out", "@Out.csv", "radar"},
         {"Out.csv"}},
        {{"--terrain", "@Theater.L2", "--source", "@Theater.csv", "--out", "@Out.csv",
          "check-cities"},
         {"Out.csv"}},
        {{"--source", "@Theater.csv", "--out", "@Out.csv", "move-ids", "--old-start", "10",
          "--old-end", "20", "--new-start", "900"},
         {"Out.csv"}},
        {{"--source", "@Theater.csv", "check-parents"}, {"NoParent.csv", "WrongParent.csv"}},
        {{"ocd-generate"}, {"OCDList.dat", "OCDList.csv"}},
        {{"--terrain", "@Theater.L2", "--out", "@Theater.L2M", "--theater", "Quillon Sample",
          "l2m"},
         {"Theater.L2M"},
         "L2M end of file reached"},
        {{"--terrain", "@Theater.L2", "--source", "@Theater.csv", "level-airbases"},
         {"Theater.L2", "Theater.O2"},
         "L2 end of file reached"},
        {{"--terrain", "@Theater.L2", "--out", "@Map.png", "render"}, {"Map.png"}},
        {{"--terrain", "@Theater.L2", "--out", "@Out.csv", "roads", "--text"},
         {"Out.csv", "Out.txt"}},
        {{"--terrain", "@Theater.L2", "--out", "@Out.csv", "transitions", "--append", "--text"},
         {"Out.csv", "Out.txt"}},
        {{"--terrain", "@Theater.L2", "--out", "@Out.csv", "report", "--text"},
         {"Out.csv", "Out.txt"}},
        {{"--terrain", "@Theater.L2", "--out", "@Out.csv", "bridges"}, {"Out.csv"}},
    };
    ::setenv("VANTOR_FAIL_WRITES_AFTER", "100", 1);
    for (const Written& c : cases) {
        SCOPED_TRACE(c.args.back());
        testing::TempDir dir;
        fs::copy(base.path, dir.path, fs::copy_options::recursive);
        std::map<std::string, std::string> before;
        for (const char* target : c.targets) {
            if (!fs::exists(dir.path / target)) {
                put(dir.path / target, "a good file that must survive\r\n");
            }
            before[target] = testing::readFile(dir.path / target);
        }
        const std::size_t filesBefore = static_cast<std::size_t>(
            std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()));
        std::vector<std::string> args = {"--dir", dir.str()};
        for (const std::string& a : c.args) {
            args.push_back(a.starts_with("@") ? (dir.path / a.substr(1)).string() : a);
        }
        const testing::ProgramRun run = testing::runProgram(VANTOR_CLI_PATH, args);
        EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
        EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << run.out << run.err;
        for (const auto& [target, bytes] : before) {
            EXPECT_EQ(testing::readFile(dir.path / target), bytes) << target;
        }
        EXPECT_EQ(static_cast<std::size_t>(
                      std::distance(fs::directory_iterator(dir.path), fs::directory_iterator())),
                  filesBefore)
            << "a partial file was left behind";
    }
    ::unsetenv("VANTOR_FAIL_WRITES_AFTER");
}

} // namespace
} // namespace vantor
