#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace vantor {

struct FileCloser {
    void operator()(std::FILE* f) const noexcept;
};

// An open text file that a command keeps between steps (the tool source, the output CSV, the
// text report). Bytes are read and written as they are, without line-end translation.
//
// A report may be written aside: its lines go to a partial file beside the target, and the
// target only ever changes by a whole replacement (a checkpoint, or closing the file), so a
// full disk or a write error part way never leaves a half-written report where a good one was.
struct TextFile {
    std::unique_ptr<std::FILE, FileCloser> handle;
    std::string path;
    // Set while written aside: the file that the partial one replaces.
    std::string target;
    // A write to the partial file failed: it never replaces the target.
    bool writeFailed = false;

    TextFile() = default;
    TextFile(TextFile&& other) noexcept { take(other); }
    TextFile& operator=(TextFile&& other) noexcept {
        if (this != &other) {
            close();
            take(other);
        }
        return *this;
    }
    // A report still open when its owner goes (a command line session ending) is put in place.
    ~TextFile() { close(); }

    bool isOpen() const { return handle != nullptr; }
    // Closes the file; one written aside replaces its target when every write succeeded and is
    // removed otherwise.
    void close();

  private:
    void take(TextFile& other) noexcept {
        handle = std::move(other.handle);
        path = std::move(other.path);
        target = std::move(other.target);
        writeFailed = other.writeFailed;
        other.path.clear();
        other.target.clear();
    }
};

// Opens path (UTF-8) with a C stdio mode such as "rb" or "w+b"; false when it cannot be opened.
bool openTextFile(TextFile& file, const std::string& path, const char* mode);

// Opens a report written aside for target (UTF-8). It starts empty, or with the target's present
// content when keepContent is set (appending), so the target stays as it is until a checkpoint.
// False with error set when the partial file cannot be made.
bool openTextFileAside(TextFile& file, const std::string& target, bool keepContent,
                       std::string& error);

// Makes the target of a file written aside hold everything written so far, replacing it whole.
// On failure the target is left as it was and error says why; the file stays open.
bool checkpointTextFile(TextFile& file, std::string& error);

// Closes a file written aside without touching its target, and removes the partial file.
void abandonTextFile(TextFile& file);

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
