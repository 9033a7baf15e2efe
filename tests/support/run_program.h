#pragma once

#include <string>
#include <vector>

namespace vantor::testing {

struct ProgramRun {
    int exitCode = -1;
    std::string out; // standard output
    std::string err; // standard error
};

// Runs a program with arguments (no shell quoting needed) and collects what it printed.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args);

} // namespace vantor::testing
