#include "cli/set_tile_command.h"

#include "app/commands.h"
#include "cli/exit_status.h"
#include "flows/set_tile_flow.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace vantor::cli {

namespace {

void printFaults(const char* heading, const std::vector<TerrainFault>& faults) {
    for (const TerrainFault& f : faults) {
        std::printf("  %s %s\n", heading, faultText(f).c_str());
    }
}

int listFits(CliSession& session, const SetTileCommand& c) {
    const std::vector<TileChoice> choices = tileChoicesAt(session.state, c.x, c.y);
    std::printf("Tiles that fit %d,%d (now tile %u), best first:\n", c.x, c.y,
                session.state.terrain.matrix.at(c.x, c.y).tileId);
    for (const TileChoice& choice : choices) {
        std::printf("  %u mends %d\n", choice.repair.to, choice.repair.mended);
    }
    if (choices.empty()) {
        std::printf("  none of the road, river and transition scripts at hand\n");
    }
    return exitOk;
}

} // namespace

void addSetTileCommand(CLI::App& app, SetTileCommand& c) {
    c.app = app.add_subcommand(
        "set-tile", "Put TILE on the post at Map X, Map Y of --terrain and write the L2/O2 pair "
                    "back (the previous pair kept in its history: see history, undo); prints the "
                    "faults the tile mends and those it makes. Exit status 0 when it makes none, "
                    "3 when it makes some (the tile is put in place all the same)");
    c.app->add_option("X", c.x, "Map X of the post")->required();
    c.app->add_option("Y", c.y, "Map Y of the post")->required();
    c.app->add_option("TILE", c.tile, "The tile id to put there");
    c.app->add_flag("--dry-run", c.dryRun, "Say what the tile would mend and make; write nothing");
    c.app->add_flag("--fits", c.fits,
                    "List the tiles of the start folder's scripts that fit the post, ranked as "
                    "the repairs are, instead of setting one");
}

int runSetTileCommand(const GlobalOptions& options, const SetTileCommand& c) {
    if (c.app == nullptr || !c.app->parsed()) {
        return -1;
    }
    if (!c.fits && c.app->count("TILE") == 0) {
        std::fprintf(stderr, "Error: set-tile needs TILE (or --fits to list the tiles that fit)\n");
        return exitUsage;
    }
    CliSession session;
    session.state.terrain.dryRun = c.dryRun;
    if (!session.start(options) || !session.openTerrain(options.terrain)) {
        return exitFailed;
    }
    if (!session.state.terrain.matrix.contains(c.x, c.y)) {
        std::fprintf(stderr, "Error: Map X %d, Map Y %d is off the map\n", c.x, c.y);
        return exitUsage;
    }
    if (c.fits) {
        return listFits(session, c);
    }
    const SetTileRequest request{c.x, c.y, c.tile, c.dryRun};
    SetTileResult r;
    // The write-back's own closing message is said below, with the rest.
    const bool quietBefore = session.io.quiet;
    session.io.quiet = true;
    const bool done = session.runFlow(cmd::SetTile, [&] {
        r = setTile(session.state, session.platform, request);
        return r.done;
    });
    session.io.quiet = quietBefore;
    for (const std::string& missing : r.scriptsMissing) {
        std::fprintf(stderr, "Warning: %s cannot be read; its faults are not looked at\n",
                     missing.c_str());
    }
    if (!done) {
        std::fprintf(stderr, "Error: the tile was not set; the terrain is as it was\n");
        return exitFailed;
    }
    if (!options.quiet) {
        std::printf("%s%s\n", setTileWhat(c.x, c.y, r.from, c.tile).c_str(),
                    c.dryRun ? " (dry run: nothing was written)" : "");
        printFaults("mends", r.effect.mended);
        printFaults("makes", r.effect.made);
    }
    return r.effect.made.empty() ? exitOk : exitFindings;
}

} // namespace vantor::cli
