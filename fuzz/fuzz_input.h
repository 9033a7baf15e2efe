#pragma once

// Helpers that hand a fuzz input to the readers the way the program hands them files.

#include "base/file_lookup.h"
#include "base/byte_order.h"
#include "base/input_file.h"
#include "base/text_reader.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

namespace vantor::fuzz {

// A file in memory with a real descriptor, for the positioned reads of the binary readers.
inline BinaryReader memoryFile(std::span<const std::uint8_t> bytes) {
    BinaryReader file;
    const int fd = memfd_create("vantor-fuzz", 0);
    if (fd < 0) {
        return file;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            close(fd);
            return file;
        }
        done += static_cast<std::size_t>(n);
    }
    file.descriptor = FileDescriptor(fd);
    file.size = bytes.size();
    return file;
}

// A text input over the bytes, for the line readers.
inline TextReader memoryText(std::span<const std::uint8_t> bytes) {
    TextReader reader;
    reader.file = memoryFile(bytes);
    return reader;
}

// A file on disk for the readers that take a path: one per process, rewritten per input.
inline std::string scratchFile(std::string_view name, std::span<const std::uint8_t> bytes) {
    static const std::filesystem::path dir = [] {
        std::filesystem::path d =
            std::filesystem::temp_directory_path() / ("vantor-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    const std::filesystem::path path = dir / std::string(name);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return fromFsPath(path);
}

inline std::string_view text(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

} // namespace vantor::fuzz
