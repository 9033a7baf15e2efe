#pragma once

#include "cli/cli_session.h"

namespace CLI {
class App;
}

namespace vantor::cli {

// history, undo and redo: the generations of a terrain pair that write-backs replaced.
struct HistoryCommands {
    CLI::App* history = nullptr;
    CLI::App* undo = nullptr;
    CLI::App* redo = nullptr;
    int keep = 0; // history --keep N: how many replaced generations to keep
    int steps = 1;
};

void addHistoryCommands(CLI::App& app, HistoryCommands& commands);
// The exit status when one of them was parsed, or -1.
int runHistoryCommands(const GlobalOptions& options, const HistoryCommands& commands);

} // namespace vantor::cli
