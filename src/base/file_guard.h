#pragma once

#include "base/file_system.h"

#include <filesystem>
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

// Why no file may be written at target, or empty when one may. An output is a regular file or
// nothing yet, one the user may write, and none of the inputs in force, unless it replaces that
// very input on purpose (the terrain written back, a list refreshed in place).
std::string outputRefusal(const std::filesystem::path& target, bool replacesInput = false);

} // namespace vantor
