#pragma once

#include "app/application_state.h"

#include <string>

namespace vantor {

struct Platform;

// The core's part of start-up, run once the main window exists. Interactive mode: records the
// start folder (also the first CSV folder), reads the theaters and enables "Load L2M &Matrix
// File...". Batch modes read nothing from the start folder, which stays empty. Then the recent
// files are loaded into the File menu and, in a batch mode, its command is posted.
// False when the ini file of the start folder is there but could not be read (it was reported).
bool startUp(ApplicationState& state, const Platform& platform, RunMode mode,
             const std::string& workingDirectory);

// Reads the theater list from the ini file in the start folder into the Theater menu (2000
// onwards, replacing what it held), checks the first and, unless terrain is open, takes the
// first theater's geometry. An ini file that is there but cannot be read is not taken for a
// missing one: it is reported, the built-in theater applies, and the result is false.
bool loadTheaters(ApplicationState& state, const Platform& platform);

// The start folder of an interactive run: the one the command line names (--dir), else the one
// last chosen with File > "Start Folder..." while it is still a folder, else the current one.
std::string chooseStartFolder(const Platform& platform, const std::string& fromCommandLine,
                              const std::string& current);

// "&Close Output Files": asks before closing an output file that scans could still append to.
void closeOutputFiles(ApplicationState& state, const Platform& platform);

// The close request (E&xit, the window's close box, the end of a batch flow): closes every open
// file without asking and removes the list and find windows. The front end then ends the program.
void handleCloseRequest(ApplicationState& state, const Platform& platform);

} // namespace vantor
