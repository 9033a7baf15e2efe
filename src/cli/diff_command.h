#pragma once

#include "cli/cli_session.h"

#include <string>

namespace CLI {
class App;
}

namespace vantor::cli {

struct DiffCommand {
    std::string toTerrain;
    std::string toSource;
    std::string json;
    std::string html;
    std::string textconv;
    CLI::App* app = nullptr;
};

void addDiffCommand(CLI::App& app, DiffCommand& command);
// The exit status when diff was parsed, or -1.
int runDiffCommand(const GlobalOptions& options, const DiffCommand& command);

} // namespace vantor::cli
