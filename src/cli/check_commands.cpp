#include "cli/check_commands.h"

#include "app/commands.h"
#include "app/platform_calls.h"
#include "base/file_lookup.h"
#include "base/text_util.h"
#include "cli/exit_status.h"
#include "cli/scan_commands.h"
#include "reference/ocd_list.h"
#include "terrain/terrain_file.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace vantor::cli {

namespace {

int generate(const GlobalOptions& options) {
    CliSession session;
    if (!session.start(options)) {
        return exitFailed;
    }
    const OcdGeneration g = generateOcdList(session.state.folders.startDirectory);
    showMessages(session.platform, g.messages);
    return g.ok ? exitOk : exitFailed;
}

int update(const GlobalOptions& options) {
    if (options.source.empty()) {
        std::fprintf(stderr, "Error: ocd-update needs --source\n");
        return exitUsage;
    }
    CliSession session;
    if (!session.start(options)) {
        return exitFailed;
    }
    TextReader source;
    if (!openTextReader(source, toFsPath(options.source))) {
        std::fprintf(stderr, "Error: cannot open %s: %s\n", options.source.c_str(),
                     source.error.c_str());
        return exitFailed;
    }
    const OcdUpdate u = updateOcdList(session.state.reference.ocdList, source,
                                      session.state.folders.startDirectory);
    showMessages(session.platform, u.messages);
    if (!u.ok && u.messages.empty()) {
        std::fprintf(stderr, "Error: %s cannot be read in %s (run ocd-generate first)\n",
                     ocdListName, options.dir.c_str());
    }
    return u.ok ? exitOk : exitFailed;
}

int check(const GlobalOptions& options, const CheckCommands& c, int command) {
    const bool airbases = command == cmd::LevelAirbases;
    if (options.source.empty() || (!airbases && options.out.empty() && !c.countOnly)) {
        std::fprintf(stderr, "Error: this command needs --source%s\n",
                     airbases ? "" : " and --out (or --count-only)");
        return exitUsage;
    }
    if (airbases && isMatrixFile(options.terrain)) {
        std::fprintf(stderr, "Error: level-airbases rewrites the L2/O2 terrain files; give "
                             "--terrain the .L2 file, not a matrix file\n");
        return exitUsage;
    }
    CliSession session;
    if (!session.start(options) || !session.openTerrain(options.terrain)) {
        return exitFailed;
    }
    ApplicationState& state = session.state;
    std::optional<std::string> refused;
    session.platform.editScanParameters = [&](ScanDialogModel& model) {
        refused = applyArea(c.area, model);
        model.parameters.searchRange = c.range;
        model.writeToFile = !c.countOnly;
        if (!refused) {
            refused = beginCheck(model);
        }
        return !refused;
    };
    if (airbases && !c.area.empty()) {
        // Levelling has no dialog of its own: it walks the search area as set.
        ScanDialogModel model;
        model.theater = state.theater;
        model.endMapX = state.theater.lastMapX;
        model.endMapY = state.theater.lastMapY;
        refused = applyArea(c.area, model);
        if (!refused) {
            state.scan.parameters.startMapX = model.parameters.startMapX;
            state.scan.parameters.startMapY = model.parameters.startMapY;
            state.theater.lastMapX = model.endMapX;
            state.theater.lastMapY = model.endMapY;
        }
    }
    if (refused) {
        std::fprintf(stderr, "Error: %s\n", refused->c_str());
        return exitUsage;
    }
    session.io.answerFile(FileRequestRole::Source, options.source);
    if (!airbases && !c.countOnly) {
        session.io.answerFile(FileRequestRole::Output, options.out);
    }
    const int shownBefore = session.io.messagesShown;
    const bool ran = session.run(command);
    if (refused) {
        std::fprintf(stderr, "Error: %s\n", refused->c_str());
        return exitUsage;
    }
    if (!ran && session.io.messagesShown == shownBefore) {
        // The program stops quietly on a source without objective lines; say so here.
        std::fprintf(stderr, "Error: %s holds no objective lines to work on\n",
                     options.source.c_str());
    }
    return ran ? exitOk : exitFailed;
}

} // namespace

void addCheckCommands(CLI::App& app, CheckCommands& c) {
    c.ocdGenerate = app.add_subcommand(
        "ocd-generate", "Derive OCDList.dat and OCDList.csv from Falcon4.ocd, all in --dir");
    c.ocdUpdate = app.add_subcommand(
        "ocd-update", "Take the default BFlags, priority and feature count of each class in "
                      "OCDList.dat (in --dir) from the objects of --source");
    c.checkObjects = app.add_subcommand(
        "check-objects", "Check, move and place urban and junction objects of --source by "
                         "Object-CheckerScript.dat; the checked export goes to --out");
    c.checkCities = app.add_subcommand(
        "check-cities", "Fit the urban objects of --source to their tiles through OCDList.dat, "
                        "TileInfo.dat and Object-CheckerScript.dat; the checked export goes to "
                        "--out");
    c.levelAirbases = app.add_subcommand(
        "level-airbases", "Level the ground around the airbases of --source by "
                          "Airbase-Leveler-Script.dat and rewrite the --terrain L2/O2 pair "
                          "(the old pair stays intact unless both files are written)");
    for (CLI::App* sub : {c.checkObjects, c.checkCities, c.levelAirbases}) {
        addAreaOption(sub, c.area);
    }
    for (CLI::App* sub : {c.checkObjects, c.checkCities}) {
        sub->add_flag("--count-only", c.countOnly, "Run the check; write no export");
    }
    c.checkObjects
        ->add_option("--range", c.range,
                     "Search Range (+/- tiles) for objects to pull onto a listed "
                     "tile, 0 to 4")
        ->check(CLI::Range(0, 4))
        ->capture_default_str();
}

int runCheckCommands(const GlobalOptions& options, const CheckCommands& c) {
    if (c.ocdGenerate->parsed()) {
        return generate(options);
    }
    if (c.ocdUpdate->parsed()) {
        return update(options);
    }
    if (c.checkObjects->parsed()) {
        return check(options, c, cmd::CheckPlaceMoveObjects);
    }
    if (c.checkCities->parsed()) {
        return check(options, c, cmd::CheckCityJunction);
    }
    if (c.levelAirbases->parsed()) {
        return check(options, c, cmd::LevelAirbases);
    }
    return -1;
}

} // namespace vantor::cli
