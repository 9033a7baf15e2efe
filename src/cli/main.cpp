#include "app/commands.h"
#include "app/version.h"
#include "base/file_guard.h"
#include "base/file_lookup.h"
#include "base/file_system.h"
#include "base/safe_writer.h"
#include "base/text_util.h"
#include "cli/audit_command.h"
#include "cli/check_commands.h"
#include "cli/cli_session.h"
#include "cli/diff_command.h"
#include "cli/exit_status.h"
#include "cli/history_command.h"
#include "cli/list_commands.h"
#include "cli/mend_command.h"
#include "cli/render_command.h"
#include "cli/scan_commands.h"
#include "cli/set_tile_command.h"
#include "cli/tool_commands.h"
#include "sample/sample_theater.h"
#include "terrain/ini_file.h"
#include "terrain/l2_info.h"
#include "terrain/l2_reader.h"
#include "terrain/terrain_file.h"
#include "terrain/terrain_pair.h"
#include "terrain/theater.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <new>

namespace vantor::cli {
namespace {

int listTheaters(const GlobalOptions& options) {
    CliSession session;
    if (!session.start(options)) {
        return exitFailed;
    }
    const ApplicationState& state = session.state;
    std::error_code ec;
    const bool iniFound = std::filesystem::exists(toFsPath(state.theaters.iniPath), ec);
    if (iniFound) {
        std::printf("Theaters of %s:\n", state.theaters.iniPath.c_str());
    } else {
        std::printf("No %s in %s; the built-in theater list applies:\n", theaterIniName,
                    state.folders.startDirectory.c_str());
    }
    const IniFile ini = loadIniFile(toFsPath(state.theaters.iniPath));
    for (std::size_t i = 0; i < state.theaters.list.names.size(); ++i) {
        const int id = 2000 + static_cast<int>(i);
        const TheaterDefinition t = listedTheaterGeometry(ini, state.theaters.list, i);
        std::printf("%c %d  %s: %s\n", id == state.theaters.currentTheater ? '*' : ' ', id,
                    state.theaters.list.names[i].c_str(), describeGeometry(t).c_str());
    }
    if (state.theaters.list.names.empty()) {
        std::printf("  (the list names no theaters)\n");
    }
    return exitOk;
}

struct SampleCommand {
    std::string dir;
    SampleOptions sample;
    int layout = 7;
    bool clean = false;
};

int writeSample(const GlobalOptions& options, SampleCommand& command) {
    const std::string folder = command.dir.empty() ? options.dir : command.dir;
    command.sample.layout = command.layout == 9 ? NineByteRecords : SevenByteRecords;
    command.sample.faults = command.clean ? SampleFaults::None : SampleFaults::Planted;
    // A theater of the user's may sit in that folder: its files are never replaced by samples.
    for (const std::string& name : sampleFileNames()) {
        const std::string present = fromFsPath(findInFolder(folder, name));
        if (examinePath(toFsPath(present)).kind != FileKind::Missing) {
            std::fprintf(stderr,
                         "Error: %s already holds %s; the sample theater is written only into a "
                         "folder without its files\n",
                         folder.c_str(), fromFsPath(toFsPath(present).filename()).c_str());
            return exitFailed;
        }
    }
    std::string error;
    SampleFeatures features;
    if (!writeSampleTheater(folder, command.sample, error, &features)) {
        std::fprintf(stderr, "Error: %s\n", error.c_str());
        return exitFailed;
    }
    if (!options.quiet) {
        std::printf("Wrote the sample theater into %s: %s of %d x %d sections, %d-byte records\n",
                    folder.c_str(), sampleL2Name, command.sample.sections, command.sample.sections,
                    command.layout);
        if (command.clean) {
            std::printf("  without faults: %d one-tile and %d two-tile bridges, every object on "
                        "its tile, level airbases, current radar values\n",
                        features.oneTileBridges, features.twoTileBridges);
            return exitOk;
        }
        std::printf("  laid on it: %d road, %d river and %d transition breaks; %d one-tile and "
                    "%d two-tile bridges, %d two-tile bridges without their far tile\n",
                    features.roadBreaks, features.riverBreaks, features.transitionBreaks,
                    features.oneTileBridges, features.twoTileBridges,
                    features.bridgesWithoutFarTile);
    }
    return exitOk;
}

struct InfoCommand {
    std::vector<std::string> coordinates; // Map X, Map Y pairs
};

int printInfo(const GlobalOptions& options, const InfoCommand& command) {
    if (command.coordinates.size() % 2 != 0) {
        std::fprintf(stderr, "Error: info takes Map X and Map Y in pairs\n");
        return exitUsage;
    }
    CliSession session;
    if (!session.start(options) || !session.openTerrain(options.terrain)) {
        return exitFailed;
    }
    const TerrainMatrix& m = session.state.terrain.matrix;
    const TheaterDefinition& t = session.state.theater;
    int status = exitOk;
    for (std::size_t i = 0; i < command.coordinates.size(); i += 2) {
        const L2Info info = lookupL2Info(m, command.coordinates[i], command.coordinates[i + 1]);
        if (!info.onMap) {
            std::fprintf(stderr,
                         "Error: Map X %lld, Map Y %lld is off the map (Map X 0 to %d, Map Y 0 "
                         "to %d)\n",
                         static_cast<long long>(info.mapX), static_cast<long long>(info.mapY),
                         m.width - 1, m.height - 1);
            status = exitFailed;
            continue;
        }
        const auto x = static_cast<std::int32_t>(info.mapX);
        const auto y = static_cast<std::int32_t>(info.mapY);
        std::printf("Map X %d, Map Y %d (Sect X %d, Sect Y %d, Tile X %d, Tile Y %d): Tile ID# "
                    "%s, Elevation %s\n",
                    x, y, userSectX(t, x), userSectY(t, y), userTileX(t, x), userTileY(t, y),
                    info.tileIdText.c_str(), info.elevationText.c_str());
    }
    return status;
}

int saveMatrix(const GlobalOptions& options) {
    if (options.out.empty()) {
        std::fprintf(stderr, "Error: l2m needs --out FILE.L2M\n");
        return exitUsage;
    }
    CliSession session;
    if (!session.start(options) || !session.openTerrain(options.terrain)) {
        return exitFailed;
    }
    session.io.answerFile(FileRequestRole::Output, options.out);
    if (!session.run(cmd::SaveL2mMatrix)) {
        return exitFailed;
    }
    if (!options.quiet) {
        std::printf("Saved the terrain matrix (%d x %d posts) to %s\n",
                    session.state.terrain.matrix.width, session.state.terrain.matrix.height,
                    options.out.c_str());
    }
    return exitOk;
}

void addGlobalOptions(CLI::App& app, GlobalOptions& options) {
    app.add_option("--dir", options.dir,
                   "Start folder: scripts, reference lists, Quillon.ini and fixed-name outputs")
        ->capture_default_str();
    app.add_option("--theater", options.theater,
                   "Theater of Quillon.ini to select (default: the first listed)");
    app.add_option("--terrain", options.terrain, "An .L2 file (its .O2 beside it) or an .L2M file");
    app.add_option("--source", options.source, "Source objective export");
    app.add_option("--out", options.out, "Output file");
    app.add_flag("--yes", options.yes, "Answer Yes to every question (default: No)");
    app.add_flag("--quiet", options.quiet, "Print no information messages or progress");
    app.add_flag("--keep-date", options.keepDate,
                 "Title what is written with the date of the source's title (of the report it "
                 "replaces, for a scan) instead of now: a run again on the same input writes the "
                 "same bytes");
}

// The commands of this file: theaters, sample, info, l2m.
struct TheaterCommands {
    CLI::App* theaters = nullptr;
    CLI::App* sample = nullptr;
    CLI::App* info = nullptr;
    CLI::App* l2m = nullptr;
    SampleCommand sampleCommand;
    InfoCommand infoCommand;
};

void addTheaterCommands(CLI::App& app, TheaterCommands& c) {
    c.theaters =
        app.add_subcommand("theaters", "List the theaters of Quillon.ini with their geometry; "
                                       "the current one is marked with *");
    c.sample = app.add_subcommand(
        "sample", "Write the generated sample theater (Quillon.ini, Theater.L2, Theater.O2) into "
                  "DIR (default: --dir)");
    c.sample->add_option("DIR", c.sampleCommand.dir, "Folder to write into");
    c.sample->add_option("--sections", c.sampleCommand.sample.sections, "Sections per side")
        ->check(CLI::Range(1, 256))
        ->capture_default_str();
    c.sample->add_option("--layout", c.sampleCommand.layout, "L2 record size in bytes")
        ->check(CLI::IsMember({7, 9}))
        ->capture_default_str();
    c.sample->add_option("--seed", c.sampleCommand.sample.seed, "Seed of the synthetic relief")
        ->capture_default_str();
    c.sample->add_flag("--clean", c.sampleCommand.clean,
                       "Without the planted faults: an audit of it finds nothing");
    c.info = app.add_subcommand(
        "info", "Print tile ID and elevation of the posts at Map X, Map Y of --terrain (as Find "
                "L2 Info does: each value is read as a leading number)");
    c.info->add_option("X Y", c.infoCommand.coordinates, "Map X and Map Y, one pair per post")
        ->required()
        ->expected(2, -1);
    c.l2m = app.add_subcommand(
        "l2m", "Save the terrain matrix of --terrain as an L2M file given by --out");
}

// The command that was parsed; -1 when it belongs to none of these.
int runTheaterCommands(const GlobalOptions& options, TheaterCommands& c) {
    if (c.theaters->parsed()) {
        return listTheaters(options);
    }
    if (c.sample->parsed()) {
        return writeSample(options, c.sampleCommand);
    }
    if (c.info->parsed()) {
        return printInfo(options, c.infoCommand);
    }
    if (c.l2m->parsed()) {
        return saveMatrix(options);
    }
    return -1;
}

// What each file option is to the command it is given to, for the check that no output lands on
// another file of the command before anything runs. --out counts where it is written as named
// (other commands give it their extension, and the core checks the file they write).
struct FileOption {
    const char* name;
    const char* role;
    bool output;
};
constexpr FileOption fileOptions[] = {
    {"--terrain", "the terrain (--terrain)", false},
    {"--source", "the source export (--source)", false},
    {"--baseline", "the baseline (--baseline)", false},
    {"--report", "the report (--report)", false},
    {"--to-terrain", "the later terrain (--to-terrain)", false},
    {"--to-source", "the later export (--to-source)", false},
    {"--json", "the JSON report (--json)", true},
    {"--html", "the page (--html)", true},
    {"--sarif", "the SARIF log (--sarif)", true},
};
constexpr const char* commandsWritingOutAsNamed[] = {"mend", "l2m", "render"};

std::optional<std::string> fileClash(const CLI::App& app) {
    const std::vector<CLI::App*> parsed = app.get_subcommands();
    if (parsed.empty()) {
        return std::nullopt;
    }
    const CLI::App& command = *parsed.front();
    std::vector<FileRole> files;
    const auto given = [&](const char* name) -> std::string {
        for (const CLI::App* a : {&app, &command}) {
            const CLI::Option* o = a->get_option_no_throw(name);
            if (o != nullptr && o->count() > 0) {
                return o->as<std::string>();
            }
        }
        return {};
    };
    for (const FileOption& f : fileOptions) {
        const std::string path = given(f.name);
        if (path.empty()) {
            continue;
        }
        files.push_back({toFsPath(path), f.role, f.output});
        const bool terrain = std::string_view(f.name).ends_with("terrain");
        if (terrain && !isMatrixFile(path)) {
            files.push_back(
                {findBeside(o2PathFor(path)), std::string("the O2 file of ") + f.role, false});
            for (const InputFiles::Kept& kept :
                 terrainKeptFiles(toFsPath(path), findBeside(o2PathFor(path)))) {
                files.push_back({kept.path, kept.role, false});
            }
        }
    }
    for (const char* name : commandsWritingOutAsNamed) {
        if (command.get_name() == name && !given("--out").empty()) {
            files.push_back({toFsPath(given("--out")), "the output (--out)", true});
        }
    }
    return outputClash(files);
}

int runCli(int argc, char** argv) {
    CLI::App app{"vantor-cli: checks and places Falcon 4 theater objectives against the terrain, "
                 "without a window.\nEvery command of the desktop program Vantor, for scripts "
                 "and servers."};
    app.set_version_flag("--version", std::string("vantor-cli ") + vantorVersion());
    app.require_subcommand(1);
    app.fallthrough();
    GlobalOptions options;
    addGlobalOptions(app, options);
    TheaterCommands theaterCommands;
    addTheaterCommands(app, theaterCommands);
    ListCommands listCommands;
    addListCommands(app, listCommands);
    ScanCommands scanCommands;
    addScanCommands(app, scanCommands);
    ToolCommands toolCommands;
    addToolCommands(app, toolCommands);
    CheckCommands checkCommands;
    addCheckCommands(app, checkCommands);
    RenderCommand renderCommand;
    addRenderCommand(app, renderCommand);
    AuditCommand auditCommand;
    addAuditCommand(app, auditCommand);
    MendCommand mendCommand;
    addMendCommand(app, mendCommand);
    DiffCommand diffCommand;
    addDiffCommand(app, diffCommand);
    HistoryCommands historyCommands;
    addHistoryCommands(app, historyCommands);
    SetTileCommand setTileCommand;
    addSetTileCommand(app, setTileCommand);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? exitOk : exitUsage;
    }
    options.dirGiven = app.count("--dir") > 0;
    if (const std::optional<std::string> clash = fileClash(app)) {
        std::fprintf(stderr, "Error: %s\n", clash->c_str());
        return exitFailed;
    }
    // Each family runs its command if it was the one parsed, and answers -1 otherwise.
    int status = runTheaterCommands(options, theaterCommands);
    status = status >= 0 ? status : runListCommands(options, listCommands);
    status = status >= 0 ? status : runScanCommands(options, scanCommands);
    status = status >= 0 ? status : runToolCommands(options, toolCommands);
    status = status >= 0 ? status : runCheckCommands(options, checkCommands);
    status = status >= 0 ? status : runRenderCommand(options, renderCommand);
    status = status >= 0 ? status : runAuditCommand(options, auditCommand);
    status = status >= 0 ? status : runMendCommand(options, mendCommand);
    status = status >= 0 ? status : runDiffCommand(options, diffCommand);
    status = status >= 0 ? status : runHistoryCommands(options, historyCommands);
    status = status >= 0 ? status : runSetTileCommand(options, setTileCommand);
    return status >= 0 ? status : exitUsage;
}

} // namespace
} // namespace vantor::cli

int main(int argc, char** argv) {
    // A run stopped by Ctrl+C or a signal leaves no temporary file behind; one that comes while
    // the terrain pair is being replaced waits for the commit, and then says what is on disk.
    vantor::removeTemporariesOnSignal();
    vantor::setStopNotice([](const std::string& text) {
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
    });
    try {
        return vantor::cli::runCli(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "Error: not enough memory to finish the command; nothing was "
                             "written\n");
        return 1;
    }
}
