#pragma once

#include "cli/cli_session.h"
#include "scans/scan_parameters.h"

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace vantor::cli {

// The scan commands: roads, rivers, transitions, report, bridges.
struct ScanCommands {
    std::vector<std::int32_t> area; // X0,Y0,X1,Y1
    bool text = false;
    bool append = false;
    bool countOnly = false;
    std::optional<std::int32_t> startId;
    std::optional<std::string> owner;
    std::optional<std::string> controller;
    std::optional<std::int32_t> priority;
    std::optional<std::int32_t> supply;

    CLI::App* roads = nullptr;
    CLI::App* rivers = nullptr;
    CLI::App* transitions = nullptr;
    CLI::App* report = nullptr;
    CLI::App* bridges = nullptr;
};

void addScanCommands(CLI::App& app, ScanCommands& commands);

// --area as the scan parameters dialog would take it; the refusal, or none when accepted.
std::optional<std::string> applyArea(const std::vector<std::int32_t>& area, ScanDialogModel& model);
void addAreaOption(CLI::App* app, std::vector<std::int32_t>& area);
// The exit status of the scan command that was parsed, or -1 when none was.
int runScanCommands(const GlobalOptions& options, const ScanCommands& commands);

} // namespace vantor::cli
