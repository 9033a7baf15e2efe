#include "app/command_line.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(CommandLine, SelectsTheModeFromTheWordAfterTheFirstAtSign) {
    struct Case {
        const char* commandLine;
        RunMode mode;
    };
    const Case cases[] = {
        {"", RunMode::Interactive},
        {"@radar", RunMode::RadarBatch},
        {"@RADAR", RunMode::RadarBatch},
        {"@RaDaR", RunMode::RadarBatch},
        {"@radarscope now", RunMode::RadarBatch},
        {"something @radar", RunMode::RadarBatch},
        {"@airbase", RunMode::AirbaseBatch},
        {"@AIRBASE", RunMode::AirbaseBatch},
        {"@AirBases", RunMode::AirbaseBatch},
        {"@ radar", RunMode::Interactive},
        {"radar", RunMode::Interactive},
        {"airbase", RunMode::Interactive},
        {"@rada", RunMode::Interactive},
        {"@airbas", RunMode::Interactive},
        // Only the first at sign counts.
        {"@x @radar", RunMode::Interactive},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseCommandLine(c.commandLine), c.mode) << '"' << c.commandLine << '"';
    }
}

TEST(CommandLine, TheStartFolderIsTakenOutOfTheArguments) {
    using Args = std::vector<std::string>;
    struct Case {
        Args arguments;
        const char* folder;
        bool error;
        Args left;
    };
    const Case cases[] = {
        {{}, "", false, {}},
        {{"@radar"}, "", false, {"@radar"}},
        {{"--dir", "/t/Korea"}, "/t/Korea", false, {}},
        {{"--dir=/t/Korea", "@airbase"}, "/t/Korea", false, {"@airbase"}},
        {{"@radar", "--dir", "C:\\Falcon 4\\Terrain"}, "C:\\Falcon 4\\Terrain", false, {"@radar"}},
        // The folder may look like an option; it is the word after --dir all the same.
        {{"--dir", "@radar"}, "@radar", false, {}},
        {{"--dir"}, "", true, {}},
        {{"@radar", "--dir="}, "", true, {"@radar"}},
        // Only the first is taken; the word of the mode stays where it was.
        {{"--dir", "a", "--dir", "b"}, "a", false, {"--dir", "b"}},
        {{"--directory", "a"}, "", false, {"--directory", "a"}},
    };
    for (const Case& c : cases) {
        Args arguments = c.arguments;
        std::string error;
        std::string folder;
        EXPECT_EQ(takeStartFolderArgument(arguments, folder, error), !c.error) << error;
        EXPECT_EQ(folder, c.folder);
        EXPECT_EQ(!error.empty(), c.error) << error;
        EXPECT_EQ(arguments, c.left);
    }
}

TEST(CommandLine, HelpAndVersionAreAnsweredBeforeAnyWindow) {
    using Args = std::vector<std::string>;
    const std::pair<Args, InfoRequest> cases[] = {
        {{}, InfoRequest::None},
        {{"@radar"}, InfoRequest::None},
        {{"--help"}, InfoRequest::Help},
        {{"-h"}, InfoRequest::Help},
        {{"@airbase", "--help"}, InfoRequest::Help},
        {{"--version"}, InfoRequest::Version},
        {{"--version", "-h"}, InfoRequest::Help},
        {{"--helpful"}, InfoRequest::None},
    };
    for (const auto& [arguments, request] : cases) {
        EXPECT_EQ(infoRequest(arguments), request) << (arguments.empty() ? "" : arguments[0]);
    }
    const std::string usage = desktopUsage();
    for (const char* option : {"--dir DIR", "@radar", "@airbase", "--help", "--version"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

} // namespace
} // namespace vantor
