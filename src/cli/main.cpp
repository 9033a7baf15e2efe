#include "app/file_lookup.h"
#include "app/version.h"
#include "cli/cli_session.h"
#include "sample/sample_theater.h"
#include "terrain/ini_file.h"
#include "terrain/theater.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>

namespace vantor::cli {
namespace {

constexpr int exitOk = 0;
constexpr int exitFailed = 1;
constexpr int exitUsage = 2;

int listTheaters(const GlobalOptions& options) {
    CliSession session;
    if (!session.start(options)) {
        return exitFailed;
    }
    const ApplicationState& state = session.state;
    std::error_code ec;
    const bool iniFound = std::filesystem::exists(toFsPath(state.iniPath), ec);
    if (iniFound) {
        std::printf("Theaters of %s:\n", state.iniPath.c_str());
    } else {
        std::printf("No %s in %s; the built-in theater list applies:\n", theaterIniName,
                    state.startDirectory.c_str());
    }
    const IniFile ini = loadIniFile(toFsPath(state.iniPath));
    for (std::size_t i = 0; i < state.theaters.names.size(); ++i) {
        const int id = 2000 + static_cast<int>(i);
        const TheaterDefinition t = listedTheaterGeometry(ini, state.theaters, i);
        std::printf("%c %d  %s: %s\n", id == state.currentTheater ? '*' : ' ', id,
                    state.theaters.names[i].c_str(), describeGeometry(t).c_str());
    }
    if (state.theaters.names.empty()) {
        std::printf("  (the list names no theaters)\n");
    }
    return exitOk;
}

int writeSample(const GlobalOptions& options) {
    std::string error;
    if (!writeSampleTheater(options.dir, error)) {
        std::fprintf(stderr, "Error: %s\n", error.c_str());
        return exitFailed;
    }
    if (!options.quiet) {
        std::printf("Wrote the sample theater into %s\n", options.dir.c_str());
    }
    return exitOk;
}

int runCli(int argc, char** argv) {
    CLI::App app{"vantor-cli: checks and places Falcon 4 theater objectives against the terrain, "
                 "without a window.\nEvery command of the desktop program Vantor, for scripts "
                 "and servers."};
    app.set_version_flag("--version", std::string("vantor-cli ") + vantorVersion());
    app.require_subcommand(1);
    app.fallthrough();

    GlobalOptions options;
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

    CLI::App* theaters =
        app.add_subcommand("theaters", "List the theaters of Quillon.ini with their geometry; "
                                       "the current one is marked with *");
    CLI::App* sample = app.add_subcommand(
        "sample", "Write the generated sample theater (Quillon.ini, ...) into --dir");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? exitOk : exitUsage;
    }

    if (theaters->parsed()) {
        return listTheaters(options);
    }
    if (sample->parsed()) {
        return writeSample(options);
    }
    return exitUsage;
}

} // namespace
} // namespace vantor::cli

int main(int argc, char** argv) {
    return vantor::cli::runCli(argc, argv);
}
