#pragma once

#include "base/file_system.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

// The files a command reads. The file layer notes every input it opens in the record in force,
// and no output is ever written over one of them, whatever spelling or link names it.
struct InputFiles {
    struct Entry {
        FileIdentity identity;
        std::filesystem::path path;
    };
    // Kept from one command to the next: the terrain files the open matrix was read from.
    std::vector<Entry> held;
    // Opened by the running command.
    std::vector<Entry> read;
    // Files the program keeps beside the held ones (the terrain's backup names), which no output
    // may take whether they are there yet or not; compared by their real paths.
    struct Kept {
        std::filesystem::path path;
        std::string role; // "the backup of the terrain /p/Theater.L2"
    };
    std::vector<Kept> kept;
    // A run that is one command (the command line) keeps what it read from start to end.
    bool clearBetweenCommands = true;
};

// Puts a record in force on this thread for as long as the scope lives. Scopes nest; the
// innermost is in force.
class InputScope {
  public:
    explicit InputScope(InputFiles& files);
    ~InputScope();
    InputScope(const InputScope&) = delete;
    InputScope& operator=(const InputScope&) = delete;

  private:
    InputFiles* previous_;
};

// Notes an input in the record in force; nothing when no record is.
void noteInput(const FileIdentity& identity, const std::filesystem::path& path);

// The input of the record in force that is this file, or null.
const InputFiles::Entry* findInput(const FileIdentity& identity);

// Why no file may be written at target, or nothing when one may. An output is a regular file or
// nothing yet, one the user may write, none of the program's own working files (journals, locks,
// histories, files being written), none of the files kept in force, and none of the inputs in
// force, unless it replaces that very input on purpose (the terrain written back, a list
// refreshed in place).
std::optional<std::string> outputRefusal(const std::filesystem::path& target,
                                         bool replacesInput = false);

// Why a settings or list file of the program's own cannot be read from (it is there, but is a
// FIFO, a device or a folder, which would be waited on or read for ever), or nothing.
std::optional<std::string> storeFileRefusal(const std::filesystem::path& path);

// Whether a path is, or lies in, one of the program's working files (see isWorkingFileName).
bool isWorkingPath(const std::filesystem::path& path);

// A file a command is given, with what it is to the command.
struct FileRole {
    std::filesystem::path path;
    std::string role; // "the baseline (--baseline)"
    bool output = false;
};
// The first output that would land on another file of the command (an input, a file it keeps,
// another output) or on one of the program's working files, as a message that names both; empty
// when there is none. Paths are compared as the disk knows them: links followed, another
// spelling of the same file is the same file.
std::optional<std::string> outputClash(const std::vector<FileRole>& files);

} // namespace vantor
