#pragma once

#include "cli/cli_session.h"

#include <cstdint>

namespace CLI {
class App;
}

namespace vantor::cli {

// set-tile X Y TILE: one tile put on one post by hand.
struct SetTileCommand {
    CLI::App* app = nullptr;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t tile = 0;
    bool dryRun = false;
    bool fits = false; // list the tiles that fit the post instead
};

void addSetTileCommand(CLI::App& app, SetTileCommand& command);
// The exit status when it was parsed, or -1.
int runSetTileCommand(const GlobalOptions& options, const SetTileCommand& command);

} // namespace vantor::cli
