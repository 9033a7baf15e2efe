#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

// The few operating-system file calls the file layer is built on, in one place for POSIX and
// Windows. Everything above this file works with these and with std::filesystem only.

namespace vantor {

// What identifies a file whatever the path that leads to it: two paths name the same file when
// their identities are equal (a hard link, a symbolic link, another spelling or letter case).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

enum class FileKind { Missing, Regular, Folder, Other };

struct FileFacts {
    FileKind kind = FileKind::Missing;
    std::uint64_t size = 0;
    FileIdentity identity;
    unsigned permissions = 0;  // the mode bits (POSIX)
    bool readOnly = false;     // no write permission for anyone, or the read-only attribute
    std::int64_t modified = 0; // last change of the content, in nanoseconds since the epoch
    std::uint64_t links = 1;   // names the file has (hard links)
};

// An open file of the C runtime: a POSIX descriptor, or the C runtime's on Windows. Closed when
// it goes.
class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { close(); }

    bool valid() const { return fd_ >= 0; }
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void close();

  private:
    int fd_ = -1;
};

// The system's text for an error number.
std::string systemErrorText(int code);
// The system's text for the last failed call.
std::string lastSystemError();

// About the file a path names, symbolic links followed. Missing when nothing is there; error
// (if given) says why a file that is there could not be examined.
FileFacts examinePath(const std::filesystem::path& path, std::string* error = nullptr);
// About the path itself: true when it is a symbolic link.
bool isSymbolicLink(const std::filesystem::path& path);
FileFacts examineOpenFile(const FileDescriptor& file);

// Opens a file for reading without ever waiting on it: a FIFO or a device is opened without
// blocking, so that the caller can look at what it is and refuse it.
bool openForReadingNoWait(FileDescriptor& file, const std::filesystem::path& path,
                          std::string& error);

// Reads up to count bytes at offset; the bytes read, or -1 with error set.
long long readAtOffset(const FileDescriptor& file, std::uint64_t offset, void* buffer,
                       std::size_t count, std::string& error);

enum class CreateResult { Created, Exists, Failed };
// Creates a new, empty file for writing; never opens a file that is already there, and never
// follows a symbolic link at the path.
CreateResult createExclusively(FileDescriptor& file, const std::filesystem::path& path,
                               std::string& error);

// A buffered stream over a descriptor, which it takes over. Null (descriptor closed) on failure.
std::FILE* streamFor(FileDescriptor& file, const char* mode);

// Makes the file's content durable before it is renamed into place.
bool syncFile(std::FILE* stream);
// Makes renames in a folder durable. Best effort: not every system can.
void syncFolder(const std::filesystem::path& folder);
// As syncFolder, but says when the system reported a failure (a system that cannot sync folders
// at all is no failure). Error set on failure.
bool syncFolderChecked(const std::filesystem::path& folder, std::string& error);
// Gives a new file the permissions of the file it will replace.
void copyPermissions(std::FILE* stream, const FileFacts& from);
// Whether the user running the program may write to an existing file.
bool mayWrite(const std::filesystem::path& path, const FileFacts& facts);

// Renames from over to, replacing to. Error set on failure.
bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to,
                std::string& error);

// Removes one name of a file (never a folder). A name that is not there is no failure.
bool removeFile(const std::filesystem::path& path, std::string& error);

// Makes `link` a second name of the file `existing` (a hard link). Error set on failure, for
// example on a file system that has no hard links.
bool makeHardLink(const std::filesystem::path& existing, const std::filesystem::path& link,
                  std::string& error);

// Creates a folder (its parent must exist); one that is already there is no failure.
bool makeFolder(const std::filesystem::path& path, std::string& error);

// Whether anything (a file, a folder, a dangling link) has this name.
bool namePresent(const std::filesystem::path& path);

// Opens (creating it when missing, never through a link) a file that serves as a lock.
bool openLockFile(FileDescriptor& file, const std::filesystem::path& path, std::string& error);
enum class LockResult { Taken, Busy, Failed };
// Tries once to take an exclusive lock on the whole file; the lock goes with the descriptor.
LockResult tryLockExclusive(const FileDescriptor& file, std::string& error);

} // namespace vantor
