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

} // namespace
} // namespace vantor
