#pragma once

namespace vantor::cli {

// What vantor-cli's exit status says, the same for every command.
inline constexpr int exitOk = 0;       // done; nothing found, nothing differs
inline constexpr int exitFailed = 1;   // an input could not be read, an output not written
inline constexpr int exitUsage = 2;    // the command line is wrong
inline constexpr int exitFindings = 3; // done, and something was found, differs or stays

} // namespace vantor::cli
