#include "cli/tool_commands.h"

#include "analysis/radar_dialog.h"
#include "app/commands.h"
#include "cli/exit_status.h"
#include "tools/id_mover.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <tuple>

namespace vantor::cli {

namespace {

bool needs(const GlobalOptions& options, bool out, const char* command) {
    if (options.source.empty() || (out && options.out.empty())) {
        std::fprintf(stderr, "Error: %s needs --source%s\n", command, out ? " and --out" : "");
        return false;
    }
    return true;
}

// A setting as typed into its field, with every digit the value holds.
std::string typed(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

// The identifier move's options: the range in order, and the moved range within 32 bits.
std::optional<std::string> idOptionProblem(const ToolCommands& c) {
    if (*c.oldEnd < *c.oldStart) {
        return "--old-end must be at least --old-start (" + std::to_string(*c.oldStart) +
               "), not " + std::to_string(*c.oldEnd);
    }
    const std::int64_t highest = std::int64_t{INT32_MAX} - (std::int64_t{*c.oldEnd} - *c.oldStart);
    if (*c.newStart > highest) {
        return "--new-start must be at most " + std::to_string(highest) +
               " for this range, so that no identifier passes 2147483647; not " +
               std::to_string(*c.newStart);
    }
    return std::nullopt;
}

// A setting given as an option must be a number: the dialog keeps its old value for text that is
// no number ("nan", "inf"), which on a command line would pass unnoticed. Its range is checked
// with the dialog's own words afterwards.
std::optional<std::string> radarOptionProblem(const RadarOptions& c) {
    const std::tuple<const char*, float, float, float, const char*> options[] = {
        {"--max-range", c.maxRange, firstSampleDistance, largestRadarRange, "km"},
        {"--range-inc", c.rangeIncrement, smallestRangeIncrement, largestRadarRange, "km"},
        {"--azimuth-inc", c.azimuthIncrement, smallestAzimuthIncrement, largestAzimuthIncrement,
         "degrees"}};
    for (const auto& [option, value, low, high, unit] : options) {
        if (!std::isfinite(value)) {
            char limits[96];
            std::snprintf(limits, sizeof limits, "%g to %g %s", static_cast<double>(low),
                          static_cast<double>(high), unit);
            return std::string(option) + " must be a number from " + limits + ", not " +
                   typed(value);
        }
    }
    return std::nullopt;
}

// The radar dialog as it would stand after its three fields were typed in.
std::optional<std::string> radarDialogOf(const RadarOptions& o, RadarDialogModel& model) {
    if (std::optional<std::string> problem = radarOptionProblem(o)) {
        return problem;
    }
    model = openRadarDialog();
    editRadarField(model, MaximumRangeField, typed(o.maxRange));
    editRadarField(model, RangeIncrementField, typed(o.rangeIncrement));
    editRadarField(model, AzimuthIncrementField, typed(o.azimuthIncrement));
    return radarSettingsProblem(model.settings);
}

int runTool(const GlobalOptions& options, const ToolCommands& c, int command, bool bridgeFix) {
    const bool withOutput = command != cmd::CheckParentLinks;
    if (!needs(options, withOutput,
               command == cmd::RadarProfiles       ? "radar"
               : command == cmd::RemoveObjectLinks ? "remove-links"
               : command == cmd::CheckParentLinks  ? "check-parents"
               : bridgeFix                         ? "fix-bridge-offsets"
                                                   : "move-ids")) {
        return exitUsage;
    }
    if (command == cmd::MoveObjectIds && !bridgeFix) {
        if (const std::optional<std::string> problem = idOptionProblem(c)) {
            std::fprintf(stderr, "Error: %s\n", problem->c_str());
            return exitUsage;
        }
    }
    RadarDialogModel radar;
    if (command == cmd::RadarProfiles) {
        if (const std::optional<std::string> problem = radarDialogOf(c.radarOptions, radar)) {
            std::fprintf(stderr, "Error: %s\n", problem->c_str());
            return exitUsage;
        }
    }
    CliSession session;
    if (!session.start(options)) {
        return exitFailed;
    }
    const bool needsTerrain = command == cmd::RadarProfiles || command == cmd::RemoveObjectLinks;
    if (needsTerrain && !session.openTerrain(options.terrain)) {
        return exitFailed;
    }
    if (command == cmd::RemoveObjectLinks) {
        // Link removal writes the profile of each object's post with the scanner's defaults.
        session.state.tools.radarSettings = defaultRadarSettings;
    }
    session.platform.editRadarSettings = [&](RadarDialogModel& model) {
        model = radar;
        return true;
    };
    session.platform.editIdLimits = [&](IdLimitsDialogModel& model) {
        if (bridgeFix) {
            return IdToolChoice::FixBridgeOffsets;
        }
        model.oldStart = std::to_string(*c.oldStart);
        model.oldEnd = std::to_string(*c.oldEnd);
        model.newStart = std::to_string(*c.newStart);
        return IdToolChoice::MoveIds;
    };
    session.io.answerFile(FileRequestRole::Source, options.source);
    if (withOutput) {
        session.io.answerFile(FileRequestRole::Output, options.out);
    }
    return session.run(command) ? exitOk : exitFailed;
}

} // namespace

void addRadarOptions(CLI::App& command, RadarOptions& o) {
    command.add_option("--max-range", o.maxRange, "Max Scan Range (km), 1.5 to 10000")
        ->capture_default_str();
    command.add_option("--range-inc", o.rangeIncrement, "Range Scan Inc. (km), 0.01 to 10000")
        ->capture_default_str();
    command.add_option("--azimuth-inc", o.azimuthIncrement, "Scan Azimuth Inc. (deg), 0.01 to 360")
        ->capture_default_str();
}

std::optional<std::string> radarSettingsOf(const RadarOptions& o, RadarSettings& settings) {
    RadarDialogModel model;
    std::optional<std::string> problem = radarDialogOf(o, model);
    settings = model.settings;
    return problem;
}

void addToolCommands(CLI::App& app, ToolCommands& c) {
    c.radar = app.add_subcommand(
        "radar", "Copy --source to --out with the radar LOS profile of every object's post "
                 "(needs --terrain)");
    addRadarOptions(*c.radar, c.radarOptions);

    c.removeLinks = app.add_subcommand(
        "remove-links", "Copy --source to --out with every Parent 0, no links, and the radar "
                        "profile of each object's post (needs --terrain; default scanner "
                        "settings 40, 1, 1)");
    c.checkParents = app.add_subcommand(
        "check-parents", "Write the objects of --source with Parent 0 to NoParent.csv and those "
                         "whose Parent is no city or town of the file to WrongParent.csv, in "
                         "--dir");
    c.moveIds = app.add_subcommand(
        "move-ids", "Copy --source to --out with the identifiers --old-start to --old-end "
                    "(ID, XID, Parent and link targets) moved to begin at --new-start");
    c.moveIds->add_option("--old-start", c.oldStart, "First identifier to move")->required();
    c.moveIds->add_option("--old-end", c.oldEnd, "Last identifier to move, inclusive")->required();
    c.moveIds->add_option("--new-start", c.newStart, "Identifier that --old-start becomes")
        ->required();
    c.fixBridgeOffsets = app.add_subcommand(
        "fix-bridge-offsets", "Copy --source to --out with every object whose objective type "
                              "is in Object-BridgeScript.dat (in --dir) moved by its offsets "
                              "less 32");
}

int runToolCommands(const GlobalOptions& options, const ToolCommands& c) {
    if (c.radar->parsed()) {
        return runTool(options, c, cmd::RadarProfiles, false);
    }
    if (c.removeLinks->parsed()) {
        return runTool(options, c, cmd::RemoveObjectLinks, false);
    }
    if (c.checkParents->parsed()) {
        return runTool(options, c, cmd::CheckParentLinks, false);
    }
    if (c.moveIds->parsed()) {
        return runTool(options, c, cmd::MoveObjectIds, false);
    }
    if (c.fixBridgeOffsets->parsed()) {
        return runTool(options, c, cmd::MoveObjectIds, true);
    }
    return -1;
}

} // namespace vantor::cli
