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
    int textForm = 0;  // --text-form: the version git's set-up names (0: none named)
    std::string rev;   // --rev: the earlier version is the one a git revision holds
    std::string toRev; // --to-rev: so is the later one (else the working files)
    CLI::App* app = nullptr;
    CLI::App* gitSetup = nullptr;
    std::string gitSetupFolder = ".";
};

// diff, and git-setup (which sets a repository up for it).
void addDiffCommand(CLI::App& app, DiffCommand& command);
// The exit status when one of them was parsed, or -1.
int runDiffCommand(const GlobalOptions& options, const DiffCommand& command);

} // namespace vantor::cli
