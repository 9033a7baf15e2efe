#pragma once

#include "cli/cli_session.h"

#include <cstdint>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace vantor::cli {

// The reference lists, the object checks and the airbase levelling.
struct CheckCommands {
    std::vector<std::int32_t> area; // X0,Y0,X1,Y1
    std::int32_t range = 0;
    bool countOnly = false;

    CLI::App* ocdGenerate = nullptr;
    CLI::App* ocdUpdate = nullptr;
    CLI::App* checkObjects = nullptr;
    CLI::App* checkCities = nullptr;
    CLI::App* levelAirbases = nullptr;
};

void addCheckCommands(CLI::App& app, CheckCommands& commands);
// The exit status of the command that was parsed, or -1 when none was.
int runCheckCommands(const GlobalOptions& options, const CheckCommands& commands);

} // namespace vantor::cli
