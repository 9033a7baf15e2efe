#pragma once

#include "cli/cli_session.h"

#include <string>

namespace CLI {
class App;
}

namespace vantor::cli {

struct MendCommand {
    std::string only; // check names, comma-separated
    bool dryRun = false;
    CLI::App* app = nullptr;
};

void addMendCommand(CLI::App& app, MendCommand& command);
// The exit status when mend was parsed, or -1.
int runMendCommand(const GlobalOptions& options, const MendCommand& command);

} // namespace vantor::cli
