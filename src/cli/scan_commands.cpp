#include "cli/scan_commands.h"

#include "app/commands.h"
#include "base/text_util.h"
#include "cli/exit_status.h"
#include "flows/list_flow.h"
#include "scans/scan_parameters.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <limits>

namespace vantor::cli {

namespace {

// A country by its number in the list or its name.
std::optional<std::int32_t> country(const std::string& text) {
    for (std::size_t i = 0; i < countryNames.size(); ++i) {
        if (equalsIgnoreCase(text, countryNames[i])) {
            return static_cast<std::int32_t>(i);
        }
    }
    const std::optional<std::int32_t> n = parseLeadingInt(text);
    if (n && std::to_string(*n) == trimBlanks(text) && *n >= 0 && *n <= 7) {
        return n;
    }
    return std::nullopt;
}

// Sets one value through the core's rule for numbers given (a value outside the dialog's range
// is refused, never clamped), naming the option in the refusal.
std::optional<std::string> setValue(ScanDialogModel& m, ScanField field, const char* option,
                                    std::int32_t value) {
    if (std::optional<std::string> refused = setScanField(m, field, value)) {
        return std::string(option) + " " + *refused;
    }
    return std::nullopt;
}

// Applies the options to the dialog's model; the first refusal, or none when every value was
// accepted.
std::optional<std::string> applyOptions(const ScanCommands& c, ScanDialogModel& m,
                                        bool forBridges) {
    if (std::optional<std::string> refused = applyArea(c.area, m)) {
        return refused;
    }
    if (forBridges) {
        const std::tuple<ScanField, const char*, std::optional<std::int32_t>> values[] = {
            {ScanField::StartingObjectId, "--start-id", c.startId},
            {ScanField::Priority, "--priority", c.priority},
            {ScanField::Supply, "--supply", c.supply}};
        for (const auto& [field, option, value] : values) {
            if (value) {
                if (std::optional<std::string> refused = setValue(m, field, option, *value)) {
                    return refused;
                }
            }
        }
        for (const auto& [text, target, name] :
             {std::tuple{c.owner, &m.parameters.owner, "--owner"},
              std::tuple{c.controller, &m.parameters.controller, "--controller"}}) {
            if (!text) {
                continue;
            }
            const std::optional<std::int32_t> n = country(*text);
            if (!n) {
                return std::string(name) +
                       " must be 0 to 7 or a country (XX, US, ROK, Japanese, "
                       "CIS, PRC, DPRK, Gorn), not " +
                       *text;
            }
            *target = *n;
        }
    }
    m.writeToFile = !c.countOnly;
    m.appendToOutput = c.append && m.appendEnabled;
    m.textReport = c.text && m.textReportEnabled;
    return beginCheck(m);
}

int runScan(const GlobalOptions& options, const ScanCommands& c, int command) {
    const bool combined = command == cmd::GenerateSectionReport;
    const bool bridges = command == cmd::PlaceBridges;
    if (options.out.empty() && !c.countOnly) {
        std::fprintf(stderr, "Error: give --out FILE.csv, or --count-only to write nothing\n");
        return exitUsage;
    }
    if (c.append && (c.countOnly || combined)) {
        std::fprintf(stderr, "Error: --append adds to an existing --out; it does not go with %s\n",
                     combined ? "the combined report" : "--count-only");
        return exitUsage;
    }
    CliSession session;
    if (!session.start(options) || !session.openTerrain(options.terrain)) {
        return exitFailed;
    }
    ApplicationState& state = session.state;
    if (c.append) {
        // The report grows aside and replaces the file only once the scan is complete.
        std::string error;
        if (!openTextFileAside(state.files.outputFile, options.out, true, error)) {
            std::fprintf(stderr, "Error: cannot append to %s: %s\n", options.out.c_str(),
                         error.c_str());
            return exitFailed;
        }
        state.files.outputPath = options.out;
        const std::string textPath = withExtension(options.out, ".txt");
        if (c.text && !bridges &&
            !openTextFileAside(state.files.textReportFile, textPath, true, error)) {
            std::fprintf(stderr, "Error: cannot append to %s: %s\n", textPath.c_str(),
                         error.c_str());
            return exitFailed;
        }
    }
    std::optional<std::string> refused;
    session.platform.editScanParameters = [&](ScanDialogModel& model) {
        refused = applyOptions(c, model, bridges);
        return !refused;
    };
    if (!options.out.empty()) {
        session.io.answerFile(FileRequestRole::Output, options.out);
        if (combined && c.text) {
            session.io.answerFile(FileRequestRole::Output, withExtension(options.out, ".txt"));
        }
    }
    const bool ran = session.run(command);
    if (refused) {
        std::fprintf(stderr, "Error: %s\n", refused->c_str());
        return exitUsage;
    }
    return ran ? exitOk : exitFailed;
}

} // namespace

std::optional<std::string> applyArea(const std::vector<std::int32_t>& area, ScanDialogModel& m) {
    if (area.empty()) {
        return std::nullopt;
    }
    const char* options[] = {"--area X0", "--area Y0", "--area X1", "--area Y1"};
    const ScanField fields[] = {ScanField::StartMapX, ScanField::StartMapY, ScanField::EndMapX,
                                ScanField::EndMapY};
    for (std::size_t i = 0; i < 4; ++i) {
        if (std::optional<std::string> refused = setValue(m, fields[i], options[i], area[i])) {
            return refused;
        }
    }
    return {};
}

void addAreaOption(CLI::App* app, std::vector<std::int32_t>& area) {
    app->add_option("--area", area,
                    "Search area X0,Y0,X1,Y1 in map coordinates, inclusive "
                    "(default: the whole map)")
        ->delimiter(',')
        ->expected(4);
}

void addScanCommands(CLI::App& app, ScanCommands& c) {
    const char* edgeHelp = " breaks into --out (the scripts come from --dir)";
    c.roads = app.add_subcommand("roads", std::string("Report misaligned roads") + edgeHelp);
    c.rivers = app.add_subcommand("rivers", std::string("Report misaligned rivers") + edgeHelp);
    c.transitions = app.add_subcommand("transitions",
                                       std::string("Report missing transition tiles") + edgeHelp);
    for (CLI::App* scan : {c.roads, c.rivers, c.transitions}) {
        addAreaOption(scan, c.area);
        scan->add_flag("--text", c.text, "Also write the tab-separated text report beside --out");
        scan->add_flag("--append", c.append, "Append to an existing --out (no new header)");
        scan->add_flag("--count-only", c.countOnly, "Count the breaks; write no file");
    }
    c.report = app.add_subcommand(
        "report", "The combined report: roads, rivers and transitions into one --out");
    addAreaOption(c.report, c.area);
    c.report->add_flag("--text", c.text, "Also write its text version beside --out");

    c.bridges = app.add_subcommand("bridges", "Place bridge objectives on the bridge tiles into "
                                              "--out; rejected bridges go to NoOpposingTile.txt "
                                              "in --dir");
    addAreaOption(c.bridges, c.area);
    c.bridges->add_option("--start-id", c.startId,
                          "Starting object ID# (default 6000; 1 to 65536)");
    c.bridges->add_option("--owner", c.owner, "Owner: 0 to 7 or a country name (default 1, US)");
    c.bridges->add_option("--controller", c.controller,
                          "Controller: 0 to 7 or a country name (default 1, US)");
    c.bridges->add_option("--priority", c.priority, "Priority, 0 to 100 (default 20)");
    c.bridges->add_option("--supply", c.supply, "Supply, 0 to 255 (default 235)");
    c.bridges->add_flag("--append", c.append, "Append to an existing --out (no new header)");
    c.bridges->add_flag("--count-only", c.countOnly, "Count the bridges; write nothing");
}

int runScanCommands(const GlobalOptions& options, const ScanCommands& c) {
    if (c.roads->parsed()) {
        return runScan(options, c, cmd::CheckRoads);
    }
    if (c.rivers->parsed()) {
        return runScan(options, c, cmd::CheckRivers);
    }
    if (c.transitions->parsed()) {
        return runScan(options, c, cmd::CheckTransitions);
    }
    if (c.report->parsed()) {
        return runScan(options, c, cmd::GenerateSectionReport);
    }
    if (c.bridges->parsed()) {
        return runScan(options, c, cmd::PlaceBridges);
    }
    return -1;
}

} // namespace vantor::cli
