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

// A report that a command keeps open between steps (the output CSV, the text report). Bytes are
// written as they are, without line-end translation.
//
// The report is written aside: its lines go to a temporary file beside the target, and the target
// only ever changes by a whole replacement (a checkpoint, or closing the file), so a full disk
// or a write error part way never leaves a half-written report where a good one was.
struct TextFile {
    std::unique_ptr<std::FILE, FileCloser> handle;
    // The temporary file the lines go to.
    std::string path;
    // The file that the temporary one replaces.
    std::string target;
    // A write to the temporary file failed: it never replaces the target.
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
    // Closes the file; it replaces its target when every write succeeded and the target may
    // still be written, and is removed otherwise.
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

// Opens a report written aside for target (UTF-8). It starts empty, or with the target's present
// content when keepContent is set (appending), so the target stays as it is until a checkpoint.
// False with error set when the target may not be written or the temporary file cannot be made.
bool openTextFileAside(TextFile& file, const std::string& target, bool keepContent,
                       std::string& error);

// Makes the target hold everything written so far, replacing it whole. On failure the target is
// left as it was and error says why; the file stays open.
bool checkpointTextFile(TextFile& file, std::string& error);

// Closes the report without touching its target, and removes the temporary file.
void abandonTextFile(TextFile& file);

// The line without its line end ("\n", "\r\n" or "\r").
std::string_view withoutLineEnd(std::string_view line);

// The line end written after lines the program composes itself: the platform's own.
#ifdef _WIN32
inline constexpr const char* platformLineEnd = "\r\n";
#else
inline constexpr const char* platformLineEnd = "\n";
#endif

bool writeText(std::FILE* file, std::string_view text);

} // namespace vantor
