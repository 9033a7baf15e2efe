#pragma once

#include "app/application_state.h"
#include "cli/cli_platform.h"

#include <functional>
#include <string>

namespace vantor::cli {

struct GlobalOptions {
    std::string dir = ".";
    bool dirGiven = false; // --dir was on the command line
    std::string theater;
    std::string terrain;
    std::string source;
    std::string out;
    bool yes = false;
    bool quiet = false;
    bool keepDate = false; // titles carry the source's date, not now
};

// One run of the program without a window: started as the desktop program starts, commands
// dispatched as the desktop program dispatches them.
struct CliSession {
    CliPlatform io;
    ApplicationState state;
    // A run of the command line is one command: every file it reads, through the dispatcher or
    // not, stays an input to its end, and no output of the run is written over one.
    InputScope inputScope{state.files.inputs};
    Platform platform;

    CliSession() { state.files.inputs.clearBetweenCommands = false; }

    // Starts the session in the start folder and selects --theater; false (with a message on
    // standard error) when that theater is not listed.
    bool start(const GlobalOptions& options);

    // Dispatches the command, then everything it posted, as the message loop would.
    bool run(int command);
    // The same for a flow that takes a request of its caller's, in the command's place.
    bool runFlow(int command, const std::function<bool()>& flow);

    // Opens --terrain: an L2M file is loaded as a matrix, anything else read as an L2 file with
    // its O2 beside it. False (after the program's messages) when terrain did not open.
    bool openTerrain(const std::string& path);

  private:
    // Everything the command posted, then the close it asked for; ok passed through.
    bool runPosted(bool ok);
};

} // namespace vantor::cli
