#include "flows/audit_flow.h"

#include "app/application_state.h"
#include "app/command_table.h"
#include "app/commands.h"
#include "app/platform_calls.h"
#include "app/progress.h"
#include "app/shell_texts.h"
#include "base/file_guard.h"
#include "base/file_lookup.h"
#include "base/file_system.h"
#include "base/input_file.h"
#include "base/safe_writer.h"
#include "base/text_file.h"
#include "base/text_util.h"
#include "flows/dispatcher.h"
#include "flows/flow_files.h"
#include "objectives/export_format.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

namespace vantor {

namespace {

std::string absolutePath(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::path whole = std::filesystem::absolute(path, ec);
    return fromFsPath(ec ? path : whole.lexically_normal());
}

std::uint64_t sizeOf(const std::filesystem::path& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<std::uint64_t>(size);
}

// The checks of the table with the fact.
std::vector<AuditCheck> checksWhere(bool AuditCheckFacts::*fact) {
    std::vector<AuditCheck> checks;
    for (const AuditCheckFacts& facts : auditCheckTable) {
        if (facts.*fact) {
            checks.push_back(facts.check);
        }
    }
    return checks;
}

struct Gathering {
    const ApplicationState& state;
    const AuditSelection& selected;
    TheaterAudit& audit;
    AuditInputs& in;

    bool wanted(std::span<const AuditCheck> checks) const {
        return std::any_of(checks.begin(), checks.end(),
                           [&](AuditCheck c) { return selected[auditIndex(c)]; });
    }
    bool wanted(std::initializer_list<AuditCheck> checks) const {
        return wanted(std::span(checks.begin(), checks.size()));
    }
    void skip(std::span<const AuditCheck> checks, const std::string& reason) {
        for (AuditCheck c : checks) {
            if (in.missing[auditIndex(c)].empty()) {
                in.missing[auditIndex(c)] = reason;
            }
        }
    }
    void skip(std::initializer_list<AuditCheck> checks, const std::string& reason) {
        skip(std::span(checks.begin(), checks.size()), reason);
    }
    // A file of the start folder read whole; false with the checks skipped when it cannot be.
    bool readFile(const char* name, const char* role, std::initializer_list<AuditCheck> checks,
                  std::string& text) {
        const std::filesystem::path path = findInFolder(state.folders.startDirectory, name);
        std::string error;
        if (!readTextFile(path, text, error)) {
            skip(checks, withReason(fromFsPath(path) + " cannot be read", error));
            return false;
        }
        audit.inputs.push_back({role, absolutePath(path), text.size()});
        return true;
    }
    // A script is read for its check, and for every terrain check's repairs: a tile changed
    // to mend a road must keep the rivers, transitions and bridges whole.
    void script(ScriptKind kind, TileScript& script, const TileScript*& into,
                std::initializer_list<AuditCheck> checks) {
        std::string text;
        const bool forRepairs = wanted(checksWhere(&AuditCheckFacts::tileRepairs));
        if ((!wanted(checks) && !forRepairs) ||
            !readFile(scriptFileName(kind), "script", checks, text)) {
            return;
        }
        const ScriptLoad load = parseTileScript(script, kind, text);
        if (!load.ok) {
            skip(checks, std::string(scriptFileName(kind)) + " cannot be used: " +
                             (load.messages.empty() ? "it holds no usable table"
                                                    : trimBlanks(load.messages[0].text)));
            return;
        }
        into = &script;
    }
};

// What mends a finding that a whole command mends, as the desktop's menu item and the vantor-cli
// line: the city and junction check, the levelling, the radar profiles (with the settings the
// profiles were computed with where they are not the defaults). Empty for the others.
std::string commandRepairText(AuditMender mender, const RadarSettings& radar) {
    const CommandFacts* command = mendingCommand(mender);
    if (command == nullptr || mender == AuditMender::Mend) {
        return {};
    }
    std::string options;
    const char* what = "makes this change, in a new export";
    if (mender == AuditMender::LevelAirbases) {
        what = "levels this ground and writes the terrain pair back, the previous pair kept in "
               "its history (undo puts it back)";
    } else if (mender == AuditMender::RadarProfiles) {
        what = "writes the profile computed now, in a new export";
        if (!(radar == defaultRadarSettings)) {
            char text[160];
            std::snprintf(text, sizeof text, " --max-range %g --range-inc %g --azimuth-inc %g",
                          static_cast<double>(radar.maximumRange),
                          static_cast<double>(radar.rangeIncrement),
                          static_cast<double>(radar.azimuthIncrement));
            options = text;
        }
    }
    return menuPathText(*command) + " (vantor-cli " + command->cli + options + ") " + what;
}

// The findings that a whole command mends say which.
void suggestMendingCommands(AuditReport& report) {
    for (AuditFinding& f : report.findings) {
        if (!f.suggestions.empty()) {
            continue;
        }
        std::string text = commandRepairText(auditCheckFacts(f.check).mender, report.radarSettings);
        if (!text.empty()) {
            f.suggestions.emplace_back().text = std::move(text);
        }
    }
}

} // namespace

TheaterAudit auditTheater(const ApplicationState& state, const std::string& sourcePath,
                          const AuditSelection& selected, const AuditProgress& progress,
                          bool suggestRepairs) {
    TheaterAudit audit;
    AuditInputs in;
    in.suggestRepairs = suggestRepairs;
    in.radarSettings = state.tools.radarSettings; // as the radar command last ran, else defaults
    if (state.terrain.terrainOpen && !state.terrain.matrix.empty()) {
        in.matrix = &state.terrain.matrix;
        in.lastMapX = state.theater.lastMapX;
        // The files the matrix was read from: an L2 and its O2, or a matrix file.
        for (const InputFiles::Entry& held : state.files.inputs.held) {
            const bool offsets = equalsIgnoreCase(fromFsPath(held.path.extension()), ".O2");
            audit.inputs.push_back(
                {offsets ? "offsets" : "terrain", absolutePath(held.path), sizeOf(held.path)});
        }
    }
    Gathering g{state, selected, audit, in};

    // The source, read once for every check that needs it.
    std::string sourceText;
    std::vector<std::string_view> sourceLines;
    const std::vector<AuditCheck> objectChecks = checksWhere(&AuditCheckFacts::needsSource);
    if (sourcePath.empty()) {
        g.skip(objectChecks, "no source export was given");
    } else {
        std::string error;
        if (!readTextFile(toFsPath(sourcePath), sourceText, error)) {
            audit.error = withReason("Cannot read the source " + sourcePath, error);
            return audit;
        }
        audit.inputs.push_back({"source", absolutePath(toFsPath(sourcePath)), sourceText.size()});
        forEachTextLine(sourceText, [&](std::string_view line) {
            sourceLines.push_back(line);
            return true;
        });
        // A report, another file or an export without objects would look clean.
        if (const std::optional<std::string> problem = exportShapeProblem(
                sourceLines.size(), sourceLines.empty() ? std::string_view() : sourceLines[0])) {
            audit.error = withReason("Cannot audit " + sourcePath + " as the source", *problem);
            return audit;
        }
        in.sourceLines = &sourceLines;
    }

    TileScript roads, rivers, transitions, bridges;
    g.script(ScriptKind::Road, roads, in.roadScript, {AuditCheck::Roads});
    g.script(ScriptKind::River, rivers, in.riverScript, {AuditCheck::Rivers});
    g.script(ScriptKind::Transition, transitions, in.transitionScript, {AuditCheck::Transitions});
    g.script(ScriptKind::Bridge, bridges, in.bridgeScript, {AuditCheck::Bridges});

    OcdList ocd;
    TileInfoList tileInfo;
    CityTileTables cityTables;
    AirbaseScript airbaseScript;
    // The class list serves the parents check too, which runs without it by the Type text.
    if (g.wanted({AuditCheck::Urban, AuditCheck::Airbases, AuditCheck::Parents})) {
        std::string problem;
        if (loadOcdList(ocd, state.folders.startDirectory, problem)) {
            const std::filesystem::path path =
                findInFolder(state.folders.startDirectory, ocdListName);
            audit.inputs.push_back({"list", absolutePath(path), sizeOf(path)});
            in.ocd = &ocd;
        } else {
            g.skip({AuditCheck::Urban, AuditCheck::Airbases},
                   withReason(std::string(ocdListName) + " cannot be used",
                              problem.empty() ? "it is not in the start folder; ocd-generate "
                                                "or Help > How to ... builds it"
                                              : problem));
        }
    }
    if (g.wanted({AuditCheck::Urban})) {
        std::string problem;
        if (loadTileInfoList(tileInfo, state.folders.startDirectory, problem)) {
            const std::filesystem::path path =
                findInFolder(state.folders.startDirectory, tileInfoName);
            audit.inputs.push_back({"list", absolutePath(path), sizeOf(path)});
            in.tileInfo = &tileInfo;
        } else {
            g.skip({AuditCheck::Urban},
                   withReason(std::string(tileInfoName) + " cannot be used",
                              problem.empty() ? "it is not in the start folder" : problem));
        }
        std::string text;
        if (g.readFile(checkerScriptName, "script", {AuditCheck::Urban}, text)) {
            parseCityTileTables(cityTables, text);
            in.cityTables = &cityTables;
        }
    }
    if (g.wanted({AuditCheck::Airbases})) {
        std::string text;
        if (g.readFile(airbaseScriptName, "script", {AuditCheck::Airbases}, text)) {
            airbaseScript = parseAirbaseScript(text);
            in.airbaseScript = &airbaseScript;
        }
    }
    audit.report = runAudit(in, selected, progress);
    if (suggestRepairs) {
        suggestMendingCommands(audit.report);
    }
    return audit;
}

TheaterAudit auditWithProgress(ApplicationState& state, const Platform& platform,
                               const std::string& sourcePath, const AuditSelection& selected,
                               bool suggestRepairs) {
    state.progress.progressState = ProgressState::Audit;
    state.progress.abortRequested = false;
    state.progress.counters = {};
    openProgress(state, platform);
    const auto steps =
        static_cast<std::int32_t>(std::count(selected.begin(), selected.end(), true));
    std::int32_t completed = 0;
    TheaterAudit audit = auditTheater(
        state, sourcePath, selected,
        [&](AuditCheck) {
            if (!state.progress.abortRequested) {
                state.progress.counters.objectsCounted = completed;
                state.progress.counters.position =
                    completed * progressBarRange / std::max(steps, 1);
                ++completed;
                dispatchCommand(state, platform, cmd::ProgressReport);
            }
            return state.progress.abortRequested;
        },
        suggestRepairs);
    closeProgress(state, platform);
    return audit;
}

bool auditTheaterCommand(ApplicationState& state, const Platform& platform) {
    // The list's objective export is the one audited; a report in the list has no objects, and
    // without one the user picks the export, or cancels to audit the terrain alone.
    const ListState& list = state.list.model;
    std::string source;
    if (list.window.has_value() && list.window->listMode == ListMode::Objects) {
        source = list.sourcePath;
    } else {
        FileRequest request;
        request.role = FileRequestRole::Source;
        request.kind = FileDialogKind::Open;
        request.title = "Objective Export to Audit (Cancel: the terrain alone)";
        request.filter = "Object Export file|*.csv||";
        request.initialName = "*.csv";
        request.initialFolder = state.folders.csvDirectory;
        const FileRequestResult chosen = requestFile(platform, request);
        if (chosen.status == FileRequestStatus::Error) {
            showMessage(platform, formatWithInt("Data file open error# %d", chosen.errorCode),
                        texts::error, MessageIcon::Error);
            return false;
        }
        if (chosen.status == FileRequestStatus::Chosen) {
            source = chosen.path;
            state.folders.csvDirectory = folderPart(chosen.path);
        }
    }
    return auditAgain(state, platform, source);
}

bool auditAgain(ApplicationState& state, const Platform& platform, const std::string& source) {
    AuditSelection every{};
    every.fill(true);
    TheaterAudit audit = auditWithProgress(state, platform, source, every);
    if (!audit.error.empty()) {
        showMessage(platform, audit.error, texts::error, MessageIcon::Error);
        return false;
    }
    // The checks that never ran would look clean: a stopped audit shows nothing.
    if (audit.report.stopped) {
        showMessage(platform, "The audit was stopped before its last check; nothing is shown.",
                    texts::information, MessageIcon::Information);
        return false;
    }
    state.audit.last = std::move(audit);
    state.audit.done = true;
    state.audit.saved = false; // a new audit, not saved yet
    if (platform.showAudit) {
        platform.showAudit();
    }
    return true;
}

std::string lastAuditSource(const ApplicationState& state) {
    for (const AuditInput& input : state.audit.last.inputs) {
        if (input.role == "source") {
            return input.path;
        }
    }
    return {};
}

void forgetAudit(ApplicationState& state, const Platform& platform) {
    if (!state.audit.done) {
        return;
    }
    state.audit = {};
    if (platform.showAudit) {
        platform.showAudit();
    }
}

bool writeAuditFile(const TheaterAudit& audit, const std::string& path, std::string_view bytes,
                    std::string& error) {
    std::vector<std::filesystem::path> madeFrom;
    for (const AuditInput& input : audit.inputs) {
        madeFrom.push_back(toFsPath(input.path));
    }
    return writeReportFile(path, bytes, madeFrom, error);
}

} // namespace vantor
