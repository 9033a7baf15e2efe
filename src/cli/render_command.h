#pragma once

#include "cli/cli_session.h"

#include <cstdint>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace vantor::cli {

struct RenderCommand {
    std::string report;
    std::vector<std::int32_t> area; // X0,Y0,X1,Y1
    std::int32_t scale = 1;
    std::string mode = "relief";
    CLI::App* app = nullptr;
};

void addRenderCommand(CLI::App& app, RenderCommand& command);
// The exit status when render was parsed, or -1.
int runRenderCommand(const GlobalOptions& options, const RenderCommand& command);

} // namespace vantor::cli
