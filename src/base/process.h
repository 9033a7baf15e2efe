#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// Another program run and waited for (git, to read a theater as a revision holds it).

namespace vantor {

struct ProgramRun {
    bool ran = false;   // false: it could not be started or did not end by itself (error says)
    int status = -1;    // its exit status
    std::string output; // its standard output, unless that went into a file
    std::string errors; // its standard error
    std::string error;
};

// Changes to the environment a program is run with (on POSIX systems): variables it must not
// see, and variables set for it.
struct ProgramEnvironment {
    std::vector<std::string> unset;
    std::vector<std::pair<std::string, std::string>> set;
};

// Runs `arguments[0]` (searched on PATH) with the rest as its arguments, its standard input
// empty, and waits for it. Its standard output goes into `outputFile` when one is given (made
// or truncated), else into `output`; nothing passes through a shell.
ProgramRun runProgram(const std::vector<std::string>& arguments,
                      const std::filesystem::path& outputFile = {},
                      const ProgramEnvironment& environment = {});

// The running program's own executable, for commands that other programs are to run.
std::filesystem::path runningProgramPath();

// A folder of its own in the system's temporary folder, removed with what it holds when it goes.
class TemporaryFolder {
  public:
    TemporaryFolder() = default;
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder();
    bool make(std::string& error);
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

} // namespace vantor
