#include "app/command_table.h"
#include "app/commands.h"
#include "cli/cli_platform.h"
#include "cli/cli_session.h"
#include "cli/png_file.h"
#include "map/map_overlay.h"
#include "objectives/export_format.h"
#include "sample/sample_theater.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

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

TEST(CliEndToEnd, EverySubcommandTheCommandTableNamesExists) {
    std::set<std::string> names;
    for (const CommandFacts& facts : commandtable::table) {
        if (facts.cli != nullptr && names.insert(facts.cli).second) {
            const auto run = cli({facts.cli, "--help"});
            EXPECT_EQ(run.exitCode, 0) << facts.cli << ": " << run.err;
            EXPECT_NE(run.out.find(facts.cli), std::string::npos) << run.out;
        }
    }
    EXPECT_GE(names.size(), 20u);
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

const std::string objectsFile =
    "1.0 Objective Export  Mon Dec 07 12:19:30 2026\r\nName, Type,\r\n"
    "Seoul, City, s, 5, 7, 1, 2, 0,\r\nPusan, Town, s, 9, 3, 4, 5, 0,\r\n"
    "Inchon, City, s, 7, 1, 2, 3, 0,\r\n";

std::string fileText(const std::filesystem::path& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::string text;
    for (int c; f != nullptr && (c = std::fgetc(f)) != EOF;) {
        text.push_back(static_cast<char>(c));
    }
    if (f != nullptr) {
        std::fclose(f);
    }
    return text;
}

// Past the rows the list shows, a line the program cannot read ends the listing of free
// identifiers with an error, not with a listing of part of the file.
TEST(CliEndToEnd, UnusedIdsOfAFileThatCannotBeReadToItsEndFail) {
    testing::TempDir dir;
    std::string text = objectsFile.substr(0, objectsFile.find("Pusan"));
    for (int id = 100; id < 4200; ++id) {
        text += "Place " + std::to_string(id) + ", City, s, " + std::to_string(id) +
                ", 1, 2, 3, 0,\r\n";
    }
    text +=
        std::string((std::size_t{65} << 20), 'x') + "\r\n" + "Last, City, s, 9000, 1, 2, 3, 0,\r\n";
    const std::string source = dir.write("long.csv", text).string();
    const auto run = cli({"--source", source, "unused-ids", "--ranges"});
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_NE(run.err.find("cannot be read: it has a line longer than 64 MB"), std::string::npos)
        << run.err;
}

TEST(CliEndToEnd, ListCommandsPrintExportAndListUnusedIdentifiers) {
    testing::TempDir dir;
    const std::string source = dir.write("o.csv", objectsFile).string();
    const std::string full =
        dir.write("full.csv", objectsFile.substr(0, objectsFile.find("Pusan")) +
                                  "Busan, Town, s, 6, 3, 4, 5, 0,\r\n" +
                                  objectsFile.substr(objectsFile.find("Inchon")))
            .string();
    const std::string single =
        dir.write("one.csv", objectsFile.substr(0, objectsFile.find("Pusan"))).string();
    const std::string report =
        dir.write("r.csv",
                  "2 roads\r\nh\r\n1, 2, 3, 4, 5, 6, 7, x, 1,\r\n0, 0, 1, 1, 8, 9, 9, x, 4,\r\n")
            .string();
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int exitCode;
        std::string out;
    };
    const Case cases[] = {
        {"list sorted ascending",
         {"list", source, "--sort", "id#:asc"},
         0,
         "Name\tType\tID#\tOCD ID#\tX\tY\nSeoul\t City\t5\t7\t1\t2\nInchon\t City\t7\t1\t2\t3\n"
         "Pusan\t Town\t9\t3\t4\t5\n"},
        {"a report with its error texts",
         {"list", report},
         0,
         "Sect X\tSect Y\tTile X\tTile Y\tTile ID#\tX\tY\tError\n1\t2\t3\t4\t5\t6\t7\tNo Road to "
         "West\n0\t0\t1\t1\t8\t9\t9\tNo Road to South\n"},
        {"single unused identifiers", {"--source", source, "unused-ids"}, 0, " 6, 8,\n"},
        {"unused ranges",
         {"--source", source, "unused-ids", "--ranges"},
         0,
         " 6 - 6\r\n 8 - 8\r\n"},
        {"a sort that names no column", {"list", source, "--sort", "Height"}, 2, ""},
        {"no identifier free",
         {"--source", full, "unused-ids"},
         0,
         "Unused Objective ID#'s: Every identifier from 5 to 7 is in use: none is free.\n"},
        {"one identifier in use",
         {"--source", single, "unused-ids", "--ranges"},
         0,
         "Unused Objective ID#'s: Every object has the identifier 5: there is nothing between to "
         "list.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto run = cli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_EQ(run.out, c.out);
    }

    const auto selected = cli({"--quiet", "--source", source, "--out",
                               (dir.path / "sel.dat").string(), "export", "--select", "9,5"});
    ASSERT_EQ(selected.exitCode, 0) << selected.err;
    EXPECT_EQ(fileText(dir.path / "sel.csv"),
              "1.0 Objective Export  Mon Dec 07 12:19:30 2026\r\nName, Type,\r\n"
              "Seoul, City, s, 5, 7, 1, 2, 0,\r\nPusan, Town, s, 9, 3, 4, 5, 0,\r\n");
    const auto deleted = cli({"--quiet", "--source", source, "--out",
                              (dir.path / "del.csv").string(), "export", "--delete", "9"});
    ASSERT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_EQ(fileText(dir.path / "del.csv"),
              "1.0 Objective Export  Mon Dec 07 12:19:30 2026\r\nName, Type,\r\n"
              "Seoul, City, s, 5, 7, 1, 2, 0,\r\nInchon, City, s, 7, 1, 2, 3, 0,\r\n");

    const auto sameFile = cli({"--source", source, "--out", source, "export", "--delete", "9"});
    EXPECT_EQ(sameFile.exitCode, 1);
    EXPECT_NE(sameFile.err.find("Cannot use the same file for Source and Export."),
              std::string::npos);
    EXPECT_EQ(fileText(source), objectsFile) << "the source is never written";

    const auto text =
        cli({"--out", (dir.path / "r.txt").string(), "text-version", "--report", report});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    const std::string written = fileText(dir.path / "r.txt");
    EXPECT_EQ(written.substr(written.find('\n') + 1),
              "Sect X\tSect Y\tTile X\tTile Y\tTileID#\tMap X\tMap Y\t\tError Type\n"
              "0 \t 0 \t 1 \t 1 \t 8 \t 9 \t 9\t No Road to South\n"
              "1 \t 2 \t 3 \t 4 \t 5 \t 6 \t 7\t No Road to West\n");
    EXPECT_EQ(cli({"--out", "x.txt", "text-version", "--report", source}).exitCode, 1);
}

// A report longer than the list window's 4096 rows keeps every line in its text version, in the
// order of Sect X, Sect Y, Tile X and Tile Y, lines of equal position in file order.
TEST(CliEndToEnd, TheTextVersionOfALongReportHoldsEveryLine) {
    testing::TempDir dir;
    struct Line {
        int sectX, sectY, tileX, tileY, tileId, mapX, mapY, code;
    };
    std::vector<Line> lines;
    std::string csv = "2 Tile Scanner - Misaligned Roads Report - Mon Dec 07 12:00:00 2026\r\n"
                      "Sect X, Sect Y, Tile X, Tile Y, Tile ID#, Map X, Map Y, Error Type, "
                      "Error Code\r\n";
    const char* errors[] = {"", "No Road to West", "No Road to North", "No Road to East",
                            "No Road to South"};
    for (int i = 0; i < 5000; ++i) {
        const Line l{(i * 7) % 13, (i * 11) % 5, i % 16 + 1, (i / 16) % 16 + 1,
                     10000 + i,    i % 1024,     i / 8,      i % 4 + 1};
        lines.push_back(l);
        csv += std::to_string(l.sectX) + ", " + std::to_string(l.sectY) + ", " +
               std::to_string(l.tileX) + ", " + std::to_string(l.tileY) + ", " +
               std::to_string(l.tileId) + ", " + std::to_string(l.mapX) + ", " +
               std::to_string(l.mapY) + ", " + errors[l.code] + ", " + std::to_string(l.code) +
               "\r\n";
    }
    const std::string report = dir.write("Long.csv", csv).string();
    const auto run =
        cli({"--out", (dir.path / "Long.txt").string(), "text-version", "--report", report});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
        return std::tie(a.sectX, a.sectY, a.tileX, a.tileY) <
               std::tie(b.sectX, b.sectY, b.tileX, b.tileY);
    });
    const std::string text = testing::readFile(dir.path / "Long.txt");
    std::vector<std::string> got;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        got.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_EQ(got.size(), lines.size() + 2) << "a title, the column names and every line";
    EXPECT_EQ(got[0].rfind("Balkans Theater Misaligned Roads Report - ", 0), 0u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        const std::string expected = std::to_string(l.sectX) + " \t " + std::to_string(l.sectY) +
                                     " \t " + std::to_string(l.tileX) + " \t " +
                                     std::to_string(l.tileY) + " \t " + std::to_string(l.tileId) +
                                     " \t " + std::to_string(l.mapX) + " \t " +
                                     std::to_string(l.mapY) + "\t " + errors[l.code];
        ASSERT_EQ(got[i + 2], expected) << "line " << i;
    }
}

TEST(CliEndToEnd, ScansOfTheSampleFindWhatWasLaidOnIt) {
    testing::TempDir dir;
    const auto sample = cli({"sample", dir.str(), "--sections", "16"});
    ASSERT_EQ(sample.exitCode, 0) << sample.err;
    // "laid on it: R road, V river and T transition breaks; ..."
    int roads = 0, rivers = 0, transitions = 0, one = 0, two = 0, missing = 0;
    ASSERT_EQ(std::sscanf(sample.out.substr(sample.out.find("laid on it:")).c_str(),
                          "laid on it: %d road, %d river and %d transition breaks; %d one-tile and "
                          "%d two-tile bridges, %d",
                          &roads, &rivers, &transitions, &one, &two, &missing),
              6)
        << sample.out;
    const std::string l2 = (dir.path / "Theater.L2").string();
    const std::string out = (dir.path / "roads.csv").string();
    const std::vector<std::string> base{"--dir", dir.str(), "--terrain", l2};
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> args = base;
        args.insert(args.end(), more.begin(), more.end());
        return cli(args);
    };

    const auto road = with({"--out", out, "roads", "--text"});
    ASSERT_EQ(road.exitCode, 0) << road.err;
    EXPECT_EQ(road.out, "Road Scan Finished: " + std::to_string(roads) +
                            " bad Road alignments were found & written.\n Written to " + out +
                            " and " + (dir.path / "roads.txt").string() + ".\n");
    const std::string report = fileText(out);
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), roads + 2);
    EXPECT_TRUE(std::filesystem::exists(dir.path / "roads.txt"));

    const auto appended = with({"--out", out, "roads", "--append"});
    ASSERT_EQ(appended.exitCode, 0) << appended.err;
    const std::string twice = fileText(out);
    EXPECT_EQ(std::count(twice.begin(), twice.end(), '\n'), 2 * roads + 2) << "no second header";

    EXPECT_EQ(with({"rivers", "--count-only"}).out,
              "River Scan Finished: " + std::to_string(rivers) +
                  " bad River alignments were found.\n");
    EXPECT_EQ(with({"transitions", "--count-only"}).out,
              "Transition Tiles Scan Finished: " + std::to_string(transitions) +
                  " bad Transition tiles were found.\n");

    const auto combined = with({"--out", (dir.path / "all.csv").string(), "report", "--text"});
    ASSERT_EQ(combined.exitCode, 0) << combined.err;
    const std::string all = fileText(dir.path / "all.csv");
    EXPECT_EQ(all.rfind("9 Balkans Theater Bad Road/River/Transition Tiles Report - ", 0), 0u);
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), roads + rivers + transitions + 2);
    EXPECT_TRUE(std::filesystem::exists(dir.path / "all.txt"));
    EXPECT_EQ(combined.out,
              "Section Report Finished: " + std::to_string(roads) +
                  " bad Road alignments were found & written.\n " + std::to_string(rivers) +
                  " bad River alignments were found & written.\n " + std::to_string(transitions) +
                  " bad Transition tiles were found & written.\n Written to " +
                  (dir.path / "all.csv").string() + " and " + (dir.path / "all.txt").string() +
                  ".\n");

    const auto bridges = with({"--out", (dir.path / "b.csv").string(), "bridges", "--start-id",
                               "3799", "--owner", "ROK"});
    ASSERT_EQ(bridges.exitCode, 0) << bridges.err;
    EXPECT_NE(bridges.out.find(" " + std::to_string(one + two) + " Bridges were placed.\n " +
                               std::to_string(missing) + " Rejected due to no opposing tile."),
              std::string::npos)
        << bridges.out;
    const std::string placed = fileText(dir.path / "b.csv");
    EXPECT_NE(placed.find("0, Bridge, XXXX, 3799, "), std::string::npos);
    EXPECT_NE(placed.find("0, Bridge, XXXX, 18579, "), std::string::npos);
    EXPECT_NE(placed.find(",0,0,0,0, 2, 3799,0,0, 235,0,0,1, 20,0, 1,0, 0 0,"), std::string::npos)
        << "owner ROK is country 2";
    const std::string rejected = fileText(dir.path / "NoOpposingTile.txt");
    EXPECT_EQ(std::count(rejected.begin(), rejected.end(), '\n'), missing);

    struct Refused {
        std::vector<std::string> args;
        const char* inErr;
    };
    const Refused refused[] = {
        {{"--out", out, "bridges", "--priority", "101"}, "--priority must be 0 to 100, not 101"},
        {{"--out", out, "bridges", "--start-id", "70000"}, "--start-id must be 1 to 65536"},
        {{"--out", out, "bridges", "--start-id", "-5"}, "--start-id must be 1 to 65536, not -5"},
        {{"--out", out, "roads", "--area", "0,0,300,10"}, "--area X1 must be 0 to 255, not 300"},
        {{"--out", out, "roads", "--area", "50,0,40,10"}, "Ending X is less then the Starting X."},
        {{"--out", out, "bridges", "--owner", "Mars"}, "--owner must be 0 to 7"},
        {{"roads"}, "--count-only"},
    };
    for (const Refused& r : refused) {
        const auto run = with(r.args);
        EXPECT_EQ(run.exitCode, 2) << r.inErr << run.err;
        EXPECT_NE(run.err.find(r.inErr), std::string::npos) << run.err;
    }
}

TEST(CliEndToEnd, AMissingScriptWithoutDirSaysWhereItWasLookedFor) {
    testing::TempDir dir;
    ASSERT_EQ(cli({"sample", dir.str(), "--sections", "2"}).exitCode, 0);
    const std::string l2 = (dir.path / "Theater.L2").string();
    const std::string empty = (dir.path / "empty").string();
    std::filesystem::create_directory(empty);
    struct Case {
        const char* name;
        std::vector<std::string> args;
        bool hint;
    };
    const Case cases[] = {
        {"a scan from the current folder", {"--terrain", l2, "roads", "--count-only"}, true},
        {"a scan from a named folder",
         {"--dir", empty, "--terrain", l2, "roads", "--count-only"},
         false},
        {"an audit from the current folder",
         {"--terrain", l2, "audit", "--only", "roads,rivers"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto run = cli(c.args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE((run.err + run.out).find("Object-RoadScript.dat"), std::string::npos) << run.err;
        const std::size_t hint = run.err.find("Note: without --dir the scripts and lists are read "
                                              "from the current folder, ");
        EXPECT_EQ(hint != std::string::npos, c.hint) << run.err;
        if (c.hint) {
            EXPECT_EQ(run.err.find("Note: without --dir", hint + 1), std::string::npos)
                << "said once";
        }
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
    std::string error;
    ASSERT_TRUE(openTextFileAside(session.state.files.outputFile, (dir.path / "o.csv").string(),
                                  false, error));
    EXPECT_TRUE(session.run(cmd::Exit));
    EXPECT_TRUE(session.io.closeRequested);
    EXPECT_FALSE(session.state.files.outputFile.isOpen());
}

} // namespace
} // namespace vantor

namespace vantor {
namespace {

TEST(CliTools, EachToolRewritesTheSampleExport) {
    testing::TempDir dir;
    ASSERT_EQ(cli({"--dir", dir.str(), "sample", "--sections", "8"}).exitCode, 0);
    const std::string d = dir.str();
    const std::string source = (dir.path / "Theater.csv").string();
    const std::string before = fileText(source);
    const std::string terrain = (dir.path / "Theater.L2").string();
    auto out = [&](const char* name) { return (dir.path / name).string(); };
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* inOut;
        const char* inErr;
        const char* writes;
    };
    const Case cases[] = {
        {{"--terrain", terrain, "--out", out("Radar.csv"), "radar", "--azimuth-inc", "5"},
         0,
         "Radar LOS Calcuations Completed.: Total of 131 Objects processed.",
         "",
         "Radar.csv"},
        {{"--terrain", terrain, "--out", out("R0.csv"), "radar", "--range-inc", "0"},
         2,
         "",
         "The range scan increment must be from 0.01 to 10000 km.",
         nullptr},
        {{"--terrain", terrain, "--out", out("R1.csv"), "radar", "--max-range", "1"},
         2,
         "",
         "The maximum scan range must be from 1.5 to 10000 km.",
         nullptr},
        {{"--out", out("R2.csv"), "radar"}, 1, "", "needs --terrain", nullptr},
        {{"--terrain", terrain, "--out", out("NoLinks.csv"), "remove-links"},
         0,
         "131 Objects processed and written.",
         "",
         "NoLinks.csv"},
        {{"check-parents"}, 0, "Object Parent Link Check Completed.", "", "NoParent.csv"},
        {{"--out", out("Moved.csv"), "move-ids", "--old-start", "10", "--old-end", "20",
          "--new-start", "2010"},
         0,
         "ID/Link Check Completed.:  16 Objects IDs and/or Links changed. 115 Objects Unchanged.",
         "",
         "Moved.csv"},
        {{"--out", out("Moved2.csv"), "move-ids", "--old-start", "10"},
         2,
         "",
         "--old-end",
         nullptr},
        {{"--out", source, "move-ids", "--old-start", "10", "--old-end", "20", "--new-start",
          "2010"},
         1,
         "",
         "Cannot use the same file for Source and Export.",
         nullptr},
        {{"--out", out("Fixed.csv"), "fix-bridge-offsets"},
         0,
         "Bridge Fix Finished:  1 Bridges were moved.",
         "",
         "Fixed.csv"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--dir", d, "--source", source};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto run = cli(args);
        const std::string what = c.args.back();
        EXPECT_EQ(run.exitCode, c.exitCode) << what << "\n" << run.out << run.err;
        EXPECT_NE(run.out.find(c.inOut), std::string::npos) << what << "\n" << run.out;
        EXPECT_NE(run.err.find(c.inErr), std::string::npos) << what << "\n" << run.err;
        if (c.writes != nullptr) {
            EXPECT_TRUE(std::filesystem::exists(dir.path / c.writes)) << what;
        }
    }
    EXPECT_EQ(fileText(source), before) << "the source is never changed";
    EXPECT_FALSE(std::filesystem::exists(out("R0.csv")));

    // The profiles are those of a single thread, whatever the number of cores.
    const std::string radar = fileText(out("Radar.csv"));
    EXPECT_EQ(std::count(radar.begin(), radar.end(), '\n'), 133);
    EXPECT_EQ(radar.substr(0, 22), "1.0 Objective Export  ");
}

} // namespace
} // namespace vantor

namespace vantor {
namespace {

TEST(CliChecks, ReferenceListsChecksAndLevelling) {
    testing::TempDir dir;
    ASSERT_EQ(cli({"--dir", dir.str(), "sample", "--sections", "8"}).exitCode, 0);
    const std::string d = dir.str();
    const std::string source = (dir.path / "Theater.csv").string();
    const std::string before = fileText(source);
    const std::string terrain = (dir.path / "Theater.L2").string();
    auto out = [&](const char* name) { return (dir.path / name).string(); };
    const std::string l2Before = fileText(terrain);

    // The sample derives its class list; without it, the list commands say what is missing.
    EXPECT_TRUE(std::filesystem::exists(dir.path / "OCDList.dat"));
    EXPECT_TRUE(std::filesystem::exists(dir.path / "OCDList.csv"));
    std::filesystem::remove(dir.path / "OCDList.dat");
    auto run = cli({"--dir", d, "--source", source, "ocd-update"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("OCDList.dat cannot be read"), std::string::npos) << run.err;

    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* inOut;
        const char* inErr;
        const char* writes;
    };
    const Case cases[] = {
        {{"ocd-generate"},
         0,
         "OCD Data Processed: 22 OCD Objects found out of 23.",
         "",
         "OCDList.csv"},
        {{"--source", source, "ocd-update"},
         0,
         "OCD List Updated: 130 csv Objects processed.",
         "",
         nullptr},
        {{"--terrain", terrain, "--source", source, "--out", out("Checked.csv"), "check-objects",
          "--range", "1"},
         0,
         " 12 Objects moved.",
         "",
         "Checked.csv"},
        {{"--terrain", terrain, "--source", source, "--out", out("R5.csv"), "check-objects",
          "--range", "5"},
         2,
         "",
         "--range",
         nullptr},
        {{"--terrain", terrain, "--source", source, "check-objects"}, 2, "", "--out", nullptr},
        {{"--terrain", terrain, "--source", source, "--out", out("City.csv"), "check-cities"},
         0,
         "Total of 124 Objects written.\n 37  new Objects added.",
         "",
         "City.csv"},
        {{"--terrain", terrain, "--source", source, "check-cities", "--count-only"},
         0,
         " 49 Objects were placed.",
         "",
         nullptr},
        {{"--terrain", terrain, "--source", source, "--out", out("Part.csv"), "check-cities",
          "--area", "0,0,200,5"},
         2,
         "",
         "--area X1 must be",
         nullptr},
        {{"--terrain", out("Theater.L2M"), "--source", source, "level-airbases"},
         2,
         "",
         "not a matrix file",
         nullptr},
        {{"--terrain", terrain, "--source", source, "level-airbases"},
         0,
         "Airbase Leveling Finished:  8 Airbases were leveled.",
         "",
         nullptr},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--dir", d};
        args.insert(args.end(), c.args.begin(), c.args.end());
        run = cli(args);
        const std::string what = c.args.back();
        EXPECT_EQ(run.exitCode, c.exitCode) << what << "\n" << run.out << run.err;
        EXPECT_NE(run.out.find(c.inOut), std::string::npos) << what << "\n" << run.out;
        EXPECT_NE(run.err.find(c.inErr), std::string::npos) << what << "\n" << run.err;
        if (c.writes != nullptr) {
            EXPECT_TRUE(std::filesystem::exists(dir.path / c.writes)) << what;
        }
    }
    EXPECT_EQ(fileText(source), before) << "the source is never changed";
    EXPECT_NE(fileText(terrain), l2Before) << "the levelled terrain was written back";
    EXPECT_FALSE(std::filesystem::exists(out("R5.csv")));
    EXPECT_FALSE(std::filesystem::exists(out("Part.csv")));
}

} // namespace
} // namespace vantor

namespace vantor {
namespace {

TEST(CliRender, WritesTheSharedDrawingAsPng) {
    testing::TempDir dir;
    ASSERT_EQ(cli({"--dir", dir.str(), "sample", "--sections", "4"}).exitCode, 0);
    const std::string d = dir.str();
    const std::string terrain = (dir.path / "Theater.L2").string();
    const std::string source = (dir.path / "Theater.csv").string();
    const std::string png = (dir.path / "map.png").string();
    auto run = cli({"--dir", d, "--terrain", terrain, "--source", source, "--out", png, "render",
                    "--area", "8,40,39,9", "--scale", "4", "--mode", "tiles"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Wrote "), std::string::npos);
    MapImage written;
    ASSERT_TRUE(cli::readPng(png, written));

    // The same drawing straight from the core.
    cli::CliSession session;
    cli::GlobalOptions options;
    options.dir = d;
    ASSERT_TRUE(session.start(options));
    ASSERT_TRUE(session.openTerrain(terrain));
    MapWindow window{8, 40, 32 * 4, 32 * 4, 4};
    MapImage expected;
    renderTerrain(session.state.terrain.matrix, loadTileClassifier(d), MapMode::Tiles, window,
                  expected);
    drawSectionGrid(window, expected);
    ASSERT_EQ(written.width, expected.width);
    ASSERT_EQ(written.height, expected.height);
    EXPECT_TRUE(written.pixels != expected.pixels); // the markers are on it too
    std::size_t differing = 0;
    for (std::size_t i = 0; i < expected.pixels.size(); ++i) {
        differing += written.pixels[i] != expected.pixels[i] ? 1u : 0u;
    }
    EXPECT_LT(differing, expected.pixels.size() / 4);

    const struct {
        std::vector<std::string> args;
        const char* inErr;
    } refused[] = {
        {{"render", "--mode", "shaded"}, "--mode is relief or tiles"},
        {{"render", "--area", "0,0,64,10"}, "--area must lie within 0,0,63,63"},
        {{"render", "--scale", "0"}, "--scale"},
    };
    for (const auto& r : refused) {
        std::vector<std::string> args = {"--dir", d, "--terrain", terrain, "--out", png};
        args.insert(args.end(), r.args.begin(), r.args.end());
        run = cli(args);
        EXPECT_EQ(run.exitCode, 2) << r.inErr;
        EXPECT_NE(run.err.find(r.inErr), std::string::npos) << run.err;
    }
}

// The audit: one line per check and the total, status 0 for nothing found and 3 for findings,
// the usual 1 and 2 for failures and usage; its JSON follows the schema in docs/.
TEST(CliEndToEnd, TheAuditReportsByCheckAndEndsWithItsStatus) {
    testing::TempDir dir;
    const std::string d = dir.str();
    ASSERT_EQ(cli({"sample", d, "--sections", "16"}).exitCode, 0);
    ASSERT_EQ(cli({"--dir", d, "ocd-generate"}).exitCode, 0);
    const std::string terrain = (dir.path / "Theater.L2").string();
    const std::string source = (dir.path / "Theater.csv").string();
    const std::string json = (dir.path / "audit.json").string();
    const std::vector<std::string> base{"--dir",    d,      "--terrain", terrain,
                                        "--source", source, "audit"};
    struct Case {
        const char* name;
        std::vector<std::string> more;
        int exitCode;
        const char* inOut;
        const char* inErr;
    };
    const Case cases[] = {
        {"everything", {"--json", json}, 3, "roads        4\n", ""},
        {"a clean selection",
         {"--only", "ids,multi,offmap"},
         0,
         "ids          0\ntotal        0\n",
         ""},
        {"all but",
         {"--skip", "radar,urban,parents,airbases,roads,rivers,transitions,bridges"},
         0,
         "multi        0\n",
         ""},
        {"an unknown check", {"--only", "roads,road"}, 2, "", "\"road\" is no check"},
        {"both selections", {"--only", "roads", "--skip", "ids"}, 2, "", "not both"},
        {"one check with findings", {"--only", "parents", "--json", json}, 3, "parents", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = base;
        args.insert(args.end(), c.more.begin(), c.more.end());
        const auto run = cli(args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        EXPECT_NE(run.out.find(c.inOut), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(c.inErr), std::string::npos) << run.err;
    }
    // Without its class list the urban check is skipped, said so, and --only makes that an error.
    std::filesystem::remove(dir.path / "OCDList.dat");
    auto run =
        cli({"--dir", d, "--terrain", terrain, "--source", source, "audit", "--only", "urban"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("urban        skipped: OCDList.dat cannot be used"), std::string::npos)
        << run.out;
    // Skipped checks make the audit incomplete, which never passes for clean; leaving them out
    // is the user's call.
    run = cli({"--dir", d, "--terrain", terrain, "audit"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("parents      skipped: no source export was given"), std::string::npos);
    EXPECT_NE(run.out.find("roads        4\n"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("the audit is incomplete: bridges,multi,offmap,urban,parents,ids,"
                           "airbases,radar could not run"),
              std::string::npos)
        << run.err;
    run = cli({"--dir", d, "--terrain", terrain, "audit", "--only", "roads,rivers,transitions"});
    EXPECT_EQ(run.exitCode, 3) << "the terrain checks still find the sample's breaks";
    EXPECT_EQ(cli({"--dir", d, "audit"}).exitCode, 2) << "no terrain";
    // The audit never writes over what it reads.
    run = cli({"--dir", d, "--terrain", terrain, "--source", source, "audit", "--json", source});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(testing::readFile(source).rfind("1.0 Objective Export", 0), 0u);

    // A sample without its planted faults passes every check, and a pipeline goes on.
    const std::string clean = (dir.path / "clean").string();
    ASSERT_EQ(cli({"sample", clean, "--sections", "16", "--clean"}).exitCode, 0);
    ASSERT_EQ(cli({"--dir", clean, "ocd-generate"}).exitCode, 0);
    run = cli({"--dir", clean, "--terrain", clean + "/Theater.L2", "--source",
               clean + "/Theater.csv", "audit"});
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("total        0\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("skipped"), std::string::npos) << run.out;

    // The JSON of an incomplete audit (no class list) against the schema: written all the same.
    ASSERT_EQ(cli({"--dir", d, "--terrain", terrain, "--source", source, "audit", "--json", json})
                  .exitCode,
              1);
    const auto valid =
        runProgram("/usr/bin/python3", {"-c",
                                        "import json, sys, jsonschema\n"
                                        "doc = json.load(open(sys.argv[2]))\n"
                                        "jsonschema.validate(doc, json.load(open(sys.argv[1])))\n"
                                        "assert doc['summary']['total'] == len(doc['findings'])\n"
                                        "skipped = doc['summary']['skipped']\n"
                                        "assert 'urban' in [s['check'] for s in skipped]\n"
                                        "print('valid', doc['summary']['total'])\n",
                                        VANTOR_SOURCE_DIR "/docs/audit.schema.json", json});
    EXPECT_EQ(valid.exitCode, 0) << valid.out << valid.err;
    EXPECT_EQ(valid.out.rfind("valid ", 0), 0u) << valid.out;
}

} // namespace
} // namespace vantor

namespace vantor {
namespace {

// Every file of a folder with its bytes.
std::map<std::string, std::string> folderFiles(const std::filesystem::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files[entry.path().filename().string()] = fileText(entry.path());
        }
    }
    return files;
}

// The counts of an audit's output lines ("roads        0").
std::map<std::string, int> auditCounts(const std::string& out) {
    std::map<std::string, int> counts;
    std::istringstream lines(out);
    for (std::string name, value; lines >> name >> value;) {
        if (std::isdigit(static_cast<unsigned char>(value[0])) != 0) {
            counts[name] = std::stoi(value);
        }
        std::getline(lines, value);
    }
    return counts;
}

TEST(CliMend, MendThenAuditFindsNoBreakThatHadARepair) {
    testing::TempDir dir;
    const std::string d = dir.str();
    ASSERT_EQ(cli({"sample", d, "--sections", "16"}).exitCode, 0);
    const auto at = [&](const char* name) { return (dir.path / name).string(); };
    const std::vector<std::string> theater{"--dir", d, "--terrain", at("Theater.L2")};
    const auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> args = theater;
        args.insert(args.end(), more.begin(), more.end());
        return cli(args);
    };
    const auto before = folderFiles(dir.path);
    const auto auditBefore = auditCounts(with({"--source", at("Theater.csv"), "audit"}).out);
    ASSERT_GT(auditBefore.at("roads") + auditBefore.at("bridges") + auditBefore.at("parents"), 0);

    // A dry run says what it would do and touches nothing.
    auto run = with({"--source", at("Theater.csv"), "mend", "--dry-run"});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Nothing was written (dry run)."), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("roads        Map X "), std::string::npos);
    EXPECT_EQ(folderFiles(dir.path), before);

    // Usage: what mend cannot take on, and where its Parents would go.
    struct Refused {
        std::vector<std::string> args;
        const char* inErr;
    };
    const Refused refused[] = {
        {{"--source", at("Theater.csv"), "mend"}, "give --out FILE.csv"},
        {{"mend", "--only", "urban"}, "not urban"},
        {{"mend", "--only", "parents"}, "mending parents needs --source"},
        {{"mend", "--only", "road"}, "\"road\" is no check"},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.inErr);
        run = with(r.args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find(r.inErr), std::string::npos) << run.err;
    }
    EXPECT_EQ(folderFiles(dir.path), before);

    // Roads alone: the rivers stay broken.
    testing::TempDir roadsOnly;
    for (const auto& [name, bytes] : before) {
        std::ofstream(roadsOnly.path / name, std::ios::binary) << bytes;
    }
    run = cli({"--dir", roadsOnly.str(), "--terrain", (roadsOnly.path / "Theater.L2").string(),
               "mend", "--only", "roads"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const auto roadsMended = auditCounts(
        cli({"--dir", roadsOnly.str(), "--terrain", (roadsOnly.path / "Theater.L2").string(),
             "audit", "--only", "roads,rivers"})
            .out);
    EXPECT_EQ(roadsMended.at("roads"), 0);
    EXPECT_EQ(roadsMended.at("rivers"), auditBefore.at("rivers"));

    // Terrain from a matrix file has no pair to write into: nothing is written, not even the
    // Parents; a dry run says what would change all the same.
    ASSERT_EQ(with({"--out", at("Theater.L2M"), "l2m"}).exitCode, 0);
    const std::vector<std::string> matrix{"--dir",           d,          "--terrain",
                                          at("Theater.L2M"), "--source", at("Theater.csv")};
    auto fromMatrix = matrix;
    fromMatrix.insert(fromMatrix.end(), {"--out", at("FromMatrix.csv"), "mend"});
    run = cli(fromMatrix);
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_NE(run.err.find("it was loaded from the matrix file"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path / "FromMatrix.csv"));
    auto dry = matrix;
    dry.insert(dry.end(), {"mend", "--dry-run"});
    EXPECT_EQ(cli(dry).exitCode, 0);

    // Everything: the terrain pair and a new export; nothing else of the folder changes.
    run = with({"--source", at("Theater.csv"), "--out", at("Mended.csv"), "mend"});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("0 without a repair."), std::string::npos) << run.out;
    const auto after = folderFiles(dir.path);
    for (const auto& [name, bytes] : before) {
        if (name != "Theater.L2" && name != "Theater.O2") {
            EXPECT_EQ(after.at(name), bytes) << name << " is no output of the mend";
        }
    }
    EXPECT_EQ(after.at("Theater.L2.bak"), before.at("Theater.L2"));
    EXPECT_EQ(after.at("Theater.O2.bak"), before.at("Theater.O2"));
    EXPECT_NE(after.at("Theater.L2"), before.at("Theater.L2"));
    const auto mended = auditCounts(with({"--source", at("Mended.csv"), "audit"}).out);
    for (const char* check : {"roads", "rivers", "transitions", "bridges", "parents"}) {
        EXPECT_EQ(mended.at(check), 0) << check;
    }
    for (const char* check : {"urban", "ids", "multi", "airbases", "radar"}) {
        EXPECT_EQ(mended.at(check), auditBefore.at(check)) << check << " is not mended";
    }

    // Nothing can be a Parent in a file without cities and towns: status 3, the rest mended.
    const std::string villages =
        dir.write("Villages.csv", "1.0 Objective Export\r\nName,\r\n"
                                  "V1, Village, 3, 10, 103, 5, 5, 0, 0, 0, 0, 2, 10, 0, "
                                  "0, 100, 100, 0, 1, 30, 0, 2, 0, 1, 0.019,\r\n")
            .string();
    run = with({"--source", villages, "--out", at("V2.csv"), "mend", "--only", "parents"});
    EXPECT_EQ(run.exitCode, 3) << run.out << run.err;
    EXPECT_NE(run.out.find("no repair (the file holds no other city or town to be its Parent)"),
              std::string::npos)
        << run.out;
}

} // namespace
} // namespace vantor

namespace vantor {
namespace {

// A run again on the same input with --keep-date writes the same bytes: the title carries the
// source's date (or, for a scan, that of the report it replaces), not the time of the run.
TEST(CliKeepDate, EveryWriterTitlesWithTheSourcesDate) {
    testing::TempDir dir;
    const std::string d = dir.str();
    ASSERT_EQ(cli({"sample", d, "--sections", "8"}).exitCode, 0);
    const auto at = [&](const std::string& name) { return (dir.path / name).string(); };
    const std::string sourceDate = "Mon Dec 07 12:00:00 2026"; // the sample's
    struct Case {
        const char* name;
        std::vector<std::string> args; // after --dir, --terrain, --source
        std::vector<std::string> written;
        bool fromSource; // titled with the source's date, else with the replaced report's
    };
    const Case cases[] = {
        {"radar", {"--out", at("Radar.csv"), "radar"}, {"Radar.csv"}, true},
        {"remove-links", {"--out", at("Unlinked.csv"), "remove-links"}, {"Unlinked.csv"}, true},
        {"move-ids",
         {"--out", at("Moved.csv"), "move-ids", "--old-start", "10", "--old-end", "20",
          "--new-start", "5000"},
         {"Moved.csv"},
         true},
        {"fix-bridge-offsets",
         {"--out", at("Fixed.csv"), "fix-bridge-offsets"},
         {"Fixed.csv"},
         true},
        {"check-cities", {"--out", at("City.csv"), "check-cities"}, {"City.csv"}, true},
        {"check-objects", {"--out", at("Objects.csv"), "check-objects"}, {"Objects.csv"}, true},
        {"check-parents", {"check-parents"}, {"NoParent.csv", "WrongParent.csv"}, true},
        {"mend", {"--out", at("Mended.csv"), "mend", "--only", "parents"}, {"Mended.csv"}, true},
        {"roads", {"--out", at("Roads.csv"), "roads", "--text"}, {"Roads.csv", "Roads.txt"}, false},
        {"report", {"--out", at("All.csv"), "report", "--text"}, {"All.csv", "All.txt"}, false},
        {"bridges", {"--out", at("Bridges.csv"), "bridges"}, {"Bridges.csv"}, false},
        {"text-version",
         {"--out", at("Version.txt"), "text-version", "--report", at("All.csv")},
         {"Version.txt"},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args{"--quiet",   "--keep-date",    "--dir",    d,
                                      "--terrain", at("Theater.L2"), "--source", at("Theater.csv")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto first = cli(args);
        ASSERT_LE(first.exitCode, 3) << first.err;
        std::vector<std::string> before;
        for (const std::string& name : c.written) {
            before.push_back(fileText(dir.path / name));
            const std::string title = before.back().substr(0, before.back().find('\n'));
            if (c.fromSource) {
                EXPECT_NE(title.find(sourceDate), std::string::npos) << name << ": " << title;
            }
        }
        const auto again = cli(args);
        ASSERT_EQ(again.exitCode, first.exitCode) << again.err;
        for (std::size_t i = 0; i < c.written.size(); ++i) {
            EXPECT_EQ(fileText(dir.path / c.written[i]), before[i]) << c.written[i];
        }
    }
}

} // namespace
} // namespace vantor

namespace vantor {
namespace {

// An audit compared with an earlier one counts, and fails a build on, only what is new.
// Profiles written with other settings than the defaults are stale only when the audit is told
// otherwise: the audit takes radar's own options.
TEST(CliAuditRadar, TheProfilesAreComparedWithTheSettingsTheyWereMadeWith) {
    testing::TempDir dir;
    const std::string d = dir.str();
    ASSERT_EQ(cli({"sample", d, "--sections", "16"}).exitCode, 0);
    const auto at = [&](const std::string& name) { return (dir.path / name).string(); };
    const auto run = [&](const std::string& source, std::vector<std::string> more) {
        std::vector<std::string> args{"--dir", d,       "--terrain", at("Theater.L2"), "--source",
                                      source,  "audit", "--only",    "radar"};
        args.insert(args.end(), more.begin(), more.end());
        return cli(args);
    };
    const auto radar =
        cli({"--dir", d, "--terrain", at("Theater.L2"), "--source", at("Theater.csv"), "--out",
             at("Far.csv"), "radar", "--max-range", "60", "--azimuth-inc", "2"});
    ASSERT_EQ(radar.exitCode, 0) << radar.err;
    const std::size_t total = radar.out.find("Total of ");
    ASSERT_NE(total, std::string::npos) << radar.out;
    const int objects = std::stoi(radar.out.substr(total + 9)); // every one has a fresh profile
    ASSERT_GT(objects, 0);
    struct Case {
        const char* name;
        std::vector<std::string> options;
        int exitCode;
        int radar; // findings, -1 when the audit does not run
    };
    const Case cases[] = {
        {"the defaults", {}, 3, objects},
        {"the settings radar ran with", {"--max-range", "60", "--azimuth-inc", "2"}, 0, 0},
        {"another range", {"--max-range", "50", "--azimuth-inc", "2"}, 3, objects},
        {"a range the dialog refuses", {"--max-range", "0.5"}, 2, -1},
        {"no number", {"--azimuth-inc", "nan"}, 2, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> options = c.options;
        options.insert(options.end(), {"--json", at("Radar.json")});
        std::filesystem::remove(at("Radar.json"));
        const auto audit = run(at("Far.csv"), options);
        EXPECT_EQ(audit.exitCode, c.exitCode) << audit.out << audit.err;
        if (c.radar < 0) {
            EXPECT_NE(audit.err.find("Error: "), std::string::npos);
            EXPECT_FALSE(std::filesystem::exists(at("Radar.json")));
            continue;
        }
        EXPECT_EQ(auditCounts(audit.out).at("radar"), c.radar);
        const std::string json = fileText(dir.path / "Radar.json");
        const std::string range = c.options.empty() ? "40.0" : c.options[1] + ".0";
        EXPECT_NE(json.find("\"maxRange\": " + range), std::string::npos) << json.substr(0, 900);
        if (c.radar > 0 && !c.options.empty()) {
            // The repair says how to make the profiles again with these settings.
            EXPECT_NE(json.find("(vantor-cli radar --max-range " + c.options[1] +
                                " --range-inc 1 --azimuth-inc 2)"),
                      std::string::npos);
        }
    }
}

TEST(CliAuditBaseline, OnlyFindingsNewSinceTheBaselineCount) {
    testing::TempDir dir;
    const std::string d = dir.str();
    ASSERT_EQ(cli({"sample", d, "--sections", "16"}).exitCode, 0);
    const auto at = [&](const std::string& name) { return (dir.path / name).string(); };
    const auto audit = [&](const std::string& source, std::vector<std::string> more) {
        std::vector<std::string> args{"--dir",    d,      "--terrain", at("Theater.L2"),
                                      "--source", source, "audit"};
        args.insert(args.end(), more.begin(), more.end());
        return cli(args);
    };
    ASSERT_EQ(audit(at("Theater.csv"), {"--json", at("Base.json")}).exitCode, 3);
    const auto all = auditCounts(audit(at("Theater.csv"), {}).out);

    // One more Parent 0: the first Parent of a village set to 0.
    std::string text = fileText(dir.path / "Theater.csv");
    const std::size_t village = text.find("\r\nVillage ") + 2;
    std::string line = text.substr(village, text.find('\n', village) - village);
    ASSERT_NE(readIntField(ParentField, line), 0);
    replaceIntField(ParentField, line, 0);
    text.replace(village, text.find('\n', village) - village, line);
    dir.write("Orphan.csv", text);

    // Roads mended: fewer findings, none new.
    testing::TempDir mended;
    std::filesystem::copy(dir.path, mended.path, std::filesystem::copy_options::recursive);
    ASSERT_EQ(cli({"--dir", mended.str(), "--terrain", (mended.path / "Theater.L2").string(),
                   "mend", "--only", "roads"})
                  .exitCode,
              0);

    struct Case {
        const char* name;
        std::function<testing::ProgramRun()> run;
        int exitCode;
        std::map<std::string, int> counts;
        std::string inErr;
    };
    const Case cases[] = {
        {"the theater against its own audit",
         [&] {
             return audit(at("Theater.csv"), {"--baseline", at("Base.json")});
         },
         0,
         {{"total", 0}, {"known", all.at("total")}},
         ""},
        {"a Parent lost since",
         [&] {
             return audit(at("Orphan.csv"),
                          {"--baseline", at("Base.json"), "--json", at("New.json")});
         },
         3,
         {{"parents", 1}, {"total", 1}},
         ""},
        {"the roads mended since",
         [&] {
             return cli({"--dir", mended.str(), "--terrain", (mended.path / "Theater.L2").string(),
                         "--source", (mended.path / "Theater.csv").string(), "audit", "--baseline",
                         at("Base.json")});
         },
         0,
         {{"total", 0}, {"known", all.at("total") - all.at("roads")}},
         ""},
        {"a report as the baseline",
         [&] {
             return audit(at("Theater.csv"), {"--baseline", at("Theater.csv")});
         },
         1,
         {},
         "cannot use " + at("Theater.csv") +
             " as the baseline: it is no audit written with --json"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto run = c.run();
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        const auto counts = auditCounts(run.out);
        for (const auto& [name, n] : c.counts) {
            EXPECT_EQ(counts.count(name) != 0 ? counts.at(name) : -1, n) << name << "\n" << run.out;
        }
        EXPECT_NE(run.err.find(c.inErr), std::string::npos) << run.err;
    }

    // The JSON of the comparison: every finding keyed and flagged, the summary says how many.
    const auto valid = runProgram(
        "/usr/bin/python3",
        {"-c",
         "import json, sys, jsonschema\n"
         "doc = json.load(open(sys.argv[2]))\n"
         "jsonschema.validate(doc, json.load(open(sys.argv[1])))\n"
         "b = doc['summary']['baseline']\n"
         "fresh = [f for f in doc['findings'] if f['new']]\n"
         "assert b['new'] == len(fresh) == 1, b\n"
         "assert fresh[0]['check'] == 'parents' and fresh[0]['key'].endswith('/zero'), fresh\n"
         "assert b['known'] + b['new'] == len(doc['findings'])\n"
         "print('valid')\n",
         VANTOR_SOURCE_DIR "/docs/audit.schema.json", at("New.json")});
    EXPECT_EQ(valid.exitCode, 0) << valid.out << valid.err;
}

} // namespace
} // namespace vantor
