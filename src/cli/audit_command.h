#pragma once

#include "cli/cli_session.h"
#include "cli/exit_status.h"
#include "cli/tool_commands.h"

#include <string>

namespace CLI {
class App;
}

namespace vantor::cli {

struct AuditCommand {
    std::string json;
    std::string html;
    std::string sarif;
    std::string only; // check names, comma-separated
    std::string skip;
    bool noRepairs = false;
    std::string baseline; // an earlier audit's JSON: only findings new since then count
    RadarOptions radar;   // the settings the radar profiles were made with
    CLI::App* app = nullptr;
};

void addAuditCommand(CLI::App& app, AuditCommand& command);
// The exit status when audit was parsed, or -1.
int runAuditCommand(const GlobalOptions& options, const AuditCommand& command);

} // namespace vantor::cli
