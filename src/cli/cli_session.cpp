#include "cli/cli_session.h"

#include "app/commands.h"
#include "app/startup.h"
#include "base/file_lookup.h"
#include "base/text_util.h"
#include "flows/dispatcher.h"
#include "terrain/terrain_file.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#define VANTOR_ISATTY _isatty
#define VANTOR_FILENO _fileno
#else
#include <unistd.h>
#define VANTOR_ISATTY isatty
#define VANTOR_FILENO fileno
#endif

namespace vantor::cli {

namespace {

// Commands that post commands again (a repeated save dialog) must not loop forever when the
// answers come from options.
constexpr int maxPostedCommands = 64;

std::string absoluteFolder(const std::string& dir) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(toFsPath(dir), ec);
    return ec ? dir : fromFsPath(absolute.lexically_normal());
}

} // namespace

bool CliSession::start(const GlobalOptions& options) {
    io.answerYes = options.yes;
    io.quiet = options.quiet;
    io.progressToTerminal = VANTOR_ISATTY(VANTOR_FILENO(io.err)) != 0;
    platform = io.platform();
    std::error_code ec;
    if (!std::filesystem::is_directory(toFsPath(options.dir), ec)) {
        std::fprintf(io.err, "Error: the start folder %s does not exist\n", options.dir.c_str());
        return false;
    }
    std::string folder = absoluteFolder(options.dir);
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) {
        folder.pop_back();
    }
    if (!options.dirGiven) {
        io.startFolderHint = startFolderHint(folder);
    }
    if (!startUp(state, platform, RunMode::Interactive, folder)) {
        return false; // an ini file that cannot be read: the theaters it lists are unknown
    }
    state.files.keepDate = options.keepDate;
    if (options.theater.empty()) {
        return true;
    }
    const int index = findTheater(state.theaters.list, options.theater);
    if (index < 0) {
        std::fprintf(io.err, "Error: theater \"%s\" is not listed in %s\n", options.theater.c_str(),
                     state.theaters.iniPath.c_str());
        return false;
    }
    return run(cmd::TheaterFirst + index);
}

bool CliSession::openTerrain(const std::string& path) {
    if (path.empty()) {
        std::fprintf(io.err, "Error: this command needs --terrain FILE (an .L2 or .L2M file)\n");
        return false;
    }
    const bool matrixFile = isMatrixFile(path);
    io.answerFile(FileRequestRole::Terrain, path);
    run(matrixFile ? cmd::LoadL2mMatrix : cmd::OpenL2Terrain);
    io.fileAnswers.clear();
    if (!state.terrain.terrainOpen) {
        std::fprintf(io.err, "Error: the terrain %s could not be opened\n", path.c_str());
    }
    return state.terrain.terrainOpen;
}

bool CliSession::run(int command) {
    return runPosted(dispatchCommand(state, platform, command));
}

bool CliSession::runFlow(int command, const std::function<bool()>& flow) {
    return runPosted(vantor::runFlow(state, platform, command, flow));
}

bool CliSession::runPosted(bool ok) {
    for (int n = 0; n < maxPostedCommands && !io.posted.empty() && !io.closeRequested; ++n) {
        const int next = io.posted.front();
        io.posted.pop_front();
        dispatchCommand(state, platform, next);
    }
    io.posted.clear();
    if (io.closeRequested) {
        handleCloseRequest(state, platform);
    }
    return ok;
}

} // namespace vantor::cli
