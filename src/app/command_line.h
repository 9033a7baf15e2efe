#pragma once

#include "app/application_state.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// "@radar" and "@airbase" (any letter case, right after the first "@") start a batch mode;
// whatever follows the word is ignored. Anything else is the interactive mode.
RunMode parseCommandLine(std::string_view commandLine);

// "--dir DIR" or "--dir=DIR" among the arguments, as vantor-cli takes it: the start folder, which
// is taken out of the arguments into `folder` (empty when none is given). False with the reason
// in error when the option has no folder after it.
bool takeStartFolderArgument(std::vector<std::string>& arguments, std::string& folder,
                             std::string& error);

// What the desktop program prints for "--help" or "-h" (and "--version") before it opens any
// window, so that it answers without a display; none for any other command line.
enum class InfoRequest { None, Help, Version };
InfoRequest infoRequest(const std::vector<std::string>& arguments);
std::string desktopUsage();

} // namespace vantor
