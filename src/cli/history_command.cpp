#include "cli/history_command.h"

#include "cli/exit_status.h"
#include "flows/history_flow.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace vantor::cli {

namespace {

// Message texts carry the desktop's line breaks.
std::string forTerminal(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) {
        text.replace(at, 2, "\n");
    }
    return text;
}

int history(const GlobalOptions& options, const HistoryCommands& c) {
    if (c.keep != 0) {
        std::string error;
        if (!keepTerrainHistory(options.terrain, c.keep, error)) {
            std::fprintf(stderr, "Error: %s\n", error.c_str());
            return exitFailed;
        }
        if (!options.quiet) {
            std::printf("The history of %s keeps the first generation and the last %d replaced "
                        "from the next write-back on.\n",
                        options.terrain.c_str(), c.keep);
        }
    }
    const HistoryListing listing = listTerrainHistory(options.terrain);
    std::fprintf(listing.ok ? stdout : stderr, "%s%s", listing.ok ? "" : "Error: ",
                 forTerminal(listing.ok ? listing.text : listing.error).c_str());
    return listing.ok ? exitOk : exitFailed;
}

int move(const GlobalOptions& options, const HistoryCommands& c, bool redo) {
    const HistoryMove moved = moveTerrainHistory(options.terrain, c.steps, redo);
    if (!moved.ok) {
        // Nothing to undo is no failure of the files: said, with status 1 all the same, so that
        // a script does not go on as if the pair had changed.
        std::fprintf(stderr, "%s: %s\n", moved.change.error.empty() ? "Nothing done" : "Error",
                     forTerminal(moved.error).c_str());
        return exitFailed;
    }
    if (!options.quiet) {
        std::printf("%s: %s\n", redo ? "Redo" : "Undo", forTerminal(moved.text).c_str());
    }
    return exitOk;
}

} // namespace

void addHistoryCommands(CLI::App& app, HistoryCommands& c) {
    c.history = app.add_subcommand(
        "history", "List the generations of the --terrain pair that write-backs (mend, "
                   "level-airbases, undo, redo) replaced and keep in NAME.L2.vantor-history, "
                   "with when and by what each was made");
    c.history
        ->add_option("--keep", c.keep,
                     "Keep the first generation and the last N replaced from now on (1 to 1000; "
                     "the default is 10)")
        ->check(CLI::Range(1, maxHistoryKeep));
    c.undo = app.add_subcommand(
        "undo", "Put back the --terrain pair as it was before the last write-back; the pair in "
                "place is kept in the history, so redo brings it back");
    c.redo = app.add_subcommand("redo", "Put back the --terrain pair that the last undo replaced");
    for (CLI::App* sub : {c.undo, c.redo}) {
        sub->add_option("--steps", c.steps, "How many generations to go")
            ->check(CLI::Range(1, maxHistoryKeep + 1))
            ->capture_default_str();
    }
}

int runHistoryCommands(const GlobalOptions& options, const HistoryCommands& c) {
    const bool parsed = c.history->parsed() || c.undo->parsed() || c.redo->parsed();
    if (!parsed) {
        return -1;
    }
    if (options.terrain.empty()) {
        std::fprintf(stderr, "Error: this command needs --terrain FILE.L2 (its .O2 beside it)\n");
        return exitUsage;
    }
    if (c.history->parsed()) {
        return history(options, c);
    }
    return move(options, c, c.redo->parsed());
}

} // namespace vantor::cli
