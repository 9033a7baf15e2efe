#include "app/commands.h"
#include "cli/cli_platform.h"
#include "cli/cli_session.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace vantor {
namespace {

using testing::runProgram;

testing::ProgramRun cli(const std::vector<std::string>& args) {
    return runProgram(VANTOR_CLI_PATH, args);
}

TEST(CliEndToEnd, SampleThenTheatersListsEveryTheaterWithTheFirstMarked) {
    testing::TempDir dir;
    const auto sample = cli({"--dir", dir.str(), "sample"});
    ASSERT_EQ(sample.exitCode, 0) << sample.err;

    const auto run = cli({"--dir", dir.str(), "theaters"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Theaters of " + (dir.path / "Quillon.ini").string()), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("* 2000  Quillon Sample: 1024 x 1024 posts, 64 x 64 sections of 16 x "
                           "16 posts, SW 24.000 40.000, NE 28.000 44.000"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("  2001  Quillon Full: 1024 x 1024 posts, 64 x 64 sections"),
              std::string::npos);
    EXPECT_NE(run.out.find("  2002  Quillon Wide: 2048 x 2048 posts, 128 x 128 sections"),
              std::string::npos);
}

TEST(CliEndToEnd, GlobalOptionsAndExitStatus) {
    testing::TempDir dir;
    ASSERT_EQ(cli({"--dir", dir.str(), "sample"}).exitCode, 0);
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int exitCode;
        const char* inOut;
        const char* inErr;
    };
    const Case cases[] = {
        {"theater chosen by name in any case",
         {"--dir", dir.str(), "--theater", "QUILLON full", "theaters"},
         0,
         "* 2001  Quillon Full",
         ""},
        {"unknown theater",
         {"--dir", dir.str(), "--theater", "Nowhere", "theaters"},
         1,
         "",
         "theater \"Nowhere\" is not listed"},
        {"no command", {"--dir", dir.str()}, 2, "", "subcommand"},
        {"missing start folder",
         {"--dir", dir.str() + "/nowhere", "theaters"},
         1,
         "",
         "does not exist"},
        {"unknown option", {"--bogus", "theaters"}, 2, "", "bogus"},
        {"version", {"--version"}, 0, "vantor-cli 0.", ""},
        {"help names the commands", {"--help"}, 0, "theaters", ""},
        {"command help shows the global options", {"theaters", "--help"}, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto run = cli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        EXPECT_NE(run.out.find(c.inOut), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(c.inErr), std::string::npos) << run.err;
    }
}

TEST(CliEndToEnd, TerrainCommandsReadTheSampleInBothLayoutsAndThroughAnL2m) {
    for (const char* layout : {"7", "9"}) {
        SCOPED_TRACE(layout);
        testing::TempDir dir;
        const auto sample = cli({"sample", dir.str(), "--sections", "4", "--layout", layout});
        ASSERT_EQ(sample.exitCode, 0) << sample.err;
        const std::string l2 = (dir.path / "Theater.L2").string();
        const std::string l2m = (dir.path / "Theater.L2M").string();

        const auto info = cli({"--dir", dir.str(), "--terrain", l2, "info", "33", "30"});
        ASSERT_EQ(info.exitCode, 0) << info.err;
        EXPECT_EQ(info.out.rfind("Map X 33, Map Y 30 (Sect X 2, Sect Y 2, Tile X 2, Tile Y 15): "
                                 "Tile ID# ",
                                 0),
                  0u)
            << info.out;

        const auto save = cli({"--dir", dir.str(), "--terrain", l2, "--out", l2m, "l2m"});
        ASSERT_EQ(save.exitCode, 0) << save.err;
        EXPECT_EQ(std::filesystem::file_size(l2m), 9u + 9u * 64 * 64);

        const auto fromMatrix = cli({"--dir", dir.str(), "--terrain", l2m, "info", "33", "30"});
        EXPECT_EQ(fromMatrix.exitCode, 0) << fromMatrix.err;
        EXPECT_EQ(fromMatrix.out, info.out) << "the matrix file holds the same posts";
    }
}

TEST(CliEndToEnd, TerrainCommandErrorsEndWithTheirMessageAndStatus) {
    testing::TempDir dir;
    ASSERT_EQ(cli({"sample", dir.str(), "--sections", "2"}).exitCode, 0);
    const std::string l2 = (dir.path / "Theater.L2").string();
    std::filesystem::copy_file(l2, dir.path / "Lone.L2");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int exitCode;
        const char* inErr;
    };
    const Case cases[] = {
        {"info without terrain", {"--dir", dir.str(), "info", "1", "1"}, 1, "needs --terrain"},
        {"off the map",
         {"--dir", dir.str(), "--terrain", l2, "info", "32", "0"},
         1,
         "Map X 32, Map Y 0 is off the map (Map X 0 to 31, Map Y 0 to 31)"},
        {"missing L2",
         {"--dir", dir.str(), "--terrain", l2 + "x", "info", "1", "1"},
         1,
         "Data File Open Failed."},
        {"L2 without its O2",
         {"--dir", dir.str(), "--terrain", (dir.path / "Lone.L2").string(), "info", "1", "1"},
         1,
         "Lone.O2: Data File Open Failed."},
        {"l2m without --out", {"--dir", dir.str(), "--terrain", l2, "l2m"}, 2, "needs --out"},
        {"sample too large", {"sample", dir.str(), "--sections", "257"}, 2, "sections"},
        {"sample layout", {"sample", dir.str(), "--layout", "8"}, 2, "layout"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto run = cli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        EXPECT_NE(run.err.find(c.inErr), std::string::npos) << run.err;
    }
}

TEST(CliEndToEnd, WithoutAnIniFileTheBuiltInTheaterIsListed) {
    testing::TempDir dir;
    const auto run = cli({"--dir", dir.str(), "theaters"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("No Quillon.ini in"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("* 2000  Balkans: 1024 x 1024 posts, 64 x 64 sections of 16 x 16 "
                           "posts, SW 11.000 36.625, NE 21.000 46.625"),
              std::string::npos)
        << run.out;
}

TEST(CliPlatform, MessagesPrintAsTitleAndTextAndQuestionsAnswerNoUnlessYes) {
    for (bool yes : {false, true}) {
        cli::CliPlatform io;
        io.answerYes = yes;
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        io.out = out;
        io.err = err;
        const Platform p = io.platform();
        p.messageBox({"Line one\r\nLine two", "Information", MessageIcon::Information,
                      MessageButtons::Ok, true});
        const MessageAnswer answer = p.messageBox(
            {"Close it?", "Warning", MessageIcon::Question, MessageButtons::YesNo, true});
        EXPECT_EQ(answer, yes ? MessageAnswer::Yes : MessageAnswer::No);
        auto contents = [](std::FILE* f) {
            std::rewind(f);
            std::string s;
            for (int c; (c = std::fgetc(f)) != EOF;) {
                s.push_back(static_cast<char>(c));
            }
            std::fclose(f);
            return s;
        };
        EXPECT_EQ(contents(out), "Information: Line one\nLine two\n");
        EXPECT_EQ(contents(err).rfind("Warning: Close it?\n", 0), 0u);
    }
}

TEST(CliSession, PostedCommandsRunAfterTheCommandAndTheCloseRequestEndsThem) {
    testing::TempDir dir;
    cli::CliSession session;
    cli::GlobalOptions options;
    options.dir = dir.str();
    options.quiet = true;
    ASSERT_TRUE(session.start(options));
    ASSERT_TRUE(openTextFile(session.state.outputFile, (dir.path / "o.csv").string(), "w+b"));
    EXPECT_TRUE(session.run(cmd::Exit));
    EXPECT_TRUE(session.io.closeRequested);
    EXPECT_FALSE(session.state.outputFile.isOpen());
}

} // namespace
} // namespace vantor
