#pragma once

#include "app/application_state.h"

#include <string_view>

namespace vantor {

// "@radar" and "@airbase" (any letter case, right after the first "@") start a batch mode;
// whatever follows the word is ignored. Anything else is the interactive mode.
RunMode parseCommandLine(std::string_view commandLine);

} // namespace vantor
