#pragma once

#include "cli/cli_session.h"

#include <cstdint>
#include <optional>

namespace CLI {
class App;
}

namespace vantor::cli {

// The objective maintenance tools: radar, remove-links, check-parents, move-ids,
// fix-bridge-offsets.
struct ToolCommands {
    float maxRange = 40.0f;
    float rangeIncrement = 1.0f;
    float azimuthIncrement = 1.0f;
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
