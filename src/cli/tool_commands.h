#pragma once

#include "analysis/radar_profile.h"
#include "cli/cli_session.h"

#include <cstdint>
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace vantor::cli {

// The radar scanner's settings as options, for radar and for the audit's radar check.
struct RadarOptions {
    float maxRange = 40.0f;
    float rangeIncrement = 1.0f;
    float azimuthIncrement = 1.0f;
};
void addRadarOptions(CLI::App& command, RadarOptions& options);
// The settings as the radar dialog takes them from its three fields; the problem, in the
// dialog's words, when it would refuse them.
std::optional<std::string> radarSettingsOf(const RadarOptions& options, RadarSettings& settings);

// The objective maintenance tools: radar, remove-links, check-parents, move-ids,
// fix-bridge-offsets.
struct ToolCommands {
    RadarOptions radarOptions;
    std::optional<std::int32_t> oldStart;
    std::optional<std::int32_t> oldEnd;
    std::optional<std::int32_t> newStart;

    CLI::App* radar = nullptr;
    CLI::App* removeLinks = nullptr;
    CLI::App* checkParents = nullptr;
    CLI::App* moveIds = nullptr;
    CLI::App* fixBridgeOffsets = nullptr;
};

void addToolCommands(CLI::App& app, ToolCommands& commands);
// The exit status of the tool command that was parsed, or -1 when none was.
int runToolCommands(const GlobalOptions& options, const ToolCommands& commands);

} // namespace vantor::cli
