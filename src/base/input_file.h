#pragma once

#include "base/file_system.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vantor {

// Every file the program reads is opened here. An input is a regular file: a FIFO, a device or
// a folder is refused with a reason and never waited on. It is read no further than the size
// it had when opened, and it is noted among the inputs of the running command, so that no
// output of the command can be written over it.
struct InputFile {
    FileDescriptor descriptor;
    std::filesystem::path path;
    FileIdentity identity;
    std::uint64_t size = 0;
    std::string error; // why the last operation failed, in the system's words

    bool isOpen() const { return descriptor.valid(); }
    void close() { descriptor.close(); }
};

// How a file is read: as an input of the command, or as one of the program's own files (an
// output's present content, a commit record), which no output needs to be kept from.
enum class InputUse { Input, Own };

// False with error set when the path names no regular file that can be opened.
bool openInput(InputFile& file, const std::filesystem::path& path, InputUse use = InputUse::Input);

// A file read by positioned reads: every read names its byte offset.
using BinaryReader = InputFile;

inline bool openForReading(BinaryReader& file, const std::filesystem::path& path) {
    return openInput(file, path);
}

enum class ReadStatus { Ok, EndOfFile, SeekFailed, Error };

// Reads up to count bytes at offset; `got` says how many arrived (fewer at the end of the file).
ReadStatus readAt(BinaryReader& file, std::uint64_t offset, void* buffer, std::size_t count,
                  std::size_t& got);

// The first `limit` bytes of a file (all of it by default) in memory. False with error set when
// it cannot be opened or read, or holds more than the machine's memory allows.
bool readWholeFile(const std::filesystem::path& path, std::vector<unsigned char>& bytes,
                   std::string& error, std::uint64_t limit = UINT64_MAX,
                   InputUse use = InputUse::Input);

// A whole text file, as readWholeFile.
bool readTextFile(const std::filesystem::path& path, std::string& text, std::string& error,
                  InputUse use = InputUse::Input);

} // namespace vantor
