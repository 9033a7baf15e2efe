#pragma once

#include "cli/cli_session.h"

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace vantor::cli {

// The list window's commands on the command line: list, export, text-version, unused-ids.
struct ListCommands {
    std::string file;
    std::string sort;
    std::vector<std::int32_t> select;
    std::vector<std::int32_t> remove;
    std::string report;
    bool ranges = false;

    CLI::App* list = nullptr;
    CLI::App* exportCommand = nullptr;
    CLI::App* textVersion = nullptr;
    CLI::App* unusedIds = nullptr;
};

// Loads a CSV file into the list window as "&Open  Source csv File..." does.
bool loadList(CliSession& session, const std::string& path);

void addListCommands(CLI::App& app, ListCommands& commands);
// The exit status of the list command that was parsed, or -1 when none was.
int runListCommands(const GlobalOptions& options, const ListCommands& commands);

} // namespace vantor::cli
