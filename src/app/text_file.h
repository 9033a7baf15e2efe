#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace vantor {

struct FileCloser {
    void operator()(std::FILE* f) const noexcept;
};

// An open text file that a command keeps between steps (the tool source, the output CSV, the
// text report). Bytes are read and written as they are, without line-end translation.
struct TextFile {
    std::unique_ptr<std::FILE, FileCloser> handle;
    std::string path;

    bool isOpen() const { return handle != nullptr; }
    void close() {
        handle.reset();
        path.clear();
    }
};

// Opens path (UTF-8) with a C stdio mode such as "rb" or "w+b"; false when it cannot be opened.
bool openTextFile(TextFile& file, const std::string& path, const char* mode);

// Reads one whole line of any length, its line end ("\n" or "\r\n") included, into line.
// False at the end of the file (or on a read error) with nothing read.
bool readLine(std::FILE* file, std::string& line);

// The line without its line end.
std::string_view withoutLineEnd(std::string_view line);

// The line end written after lines the program composes itself: the platform's own.
#ifdef _WIN32
inline constexpr const char* platformLineEnd = "\r\n";
#else
inline constexpr const char* platformLineEnd = "\n";
#endif

bool writeText(std::FILE* file, std::string_view text);

// The whole content of a regular file; false (text empty) when it is missing, a folder, or
// cannot be read to its end.
bool readTextFile(const std::filesystem::path& path, std::string& text);

} // namespace vantor
