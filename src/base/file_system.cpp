#include "base/file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vantor {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.release();
    }
    return *this;
}

void FileDescriptor::close() {
    if (fd_ >= 0) {
#ifdef _WIN32
        _close(fd_);
#else
        ::close(fd_);
#endif
        fd_ = -1;
    }
}

std::string systemErrorText(int code) {
    return std::strerror(code);
}

std::string lastSystemError() {
    return systemErrorText(errno);
}

namespace {

#ifdef _WIN32
using StatRecord = struct _stat64;

FileFacts factsFrom(const StatRecord& st) {
    FileFacts facts;
    if ((st.st_mode & _S_IFMT) == _S_IFREG) {
        facts.kind = FileKind::Regular;
    } else if ((st.st_mode & _S_IFMT) == _S_IFDIR) {
        facts.kind = FileKind::Folder;
    } else {
        facts.kind = FileKind::Other;
    }
    facts.size = st.st_size < 0 ? 0 : static_cast<std::uint64_t>(st.st_size);
    facts.permissions = static_cast<unsigned>(st.st_mode) & 0777u;
    facts.readOnly = (st.st_mode & _S_IWRITE) == 0;
    facts.modified = static_cast<std::int64_t>(st.st_mtime) * 1000000000;
    return facts;
}

// The volume and the file index: what the file system knows a file by.
void addIdentity(HANDLE handle, FileFacts& facts) {
    BY_HANDLE_FILE_INFORMATION info;
    if (handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info)) {
        facts.identity.device = info.dwVolumeSerialNumber;
        facts.identity.file =
            (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        facts.links = info.nNumberOfLinks;
        const std::uint64_t ticks =
            (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
            info.ftLastWriteTime.dwLowDateTime;
        // 100 ns ticks since 1601: as nanoseconds since 1970, as the rest of the program counts.
        constexpr std::int64_t ticksTo1970 = 116444736000000000LL;
        facts.modified = (static_cast<std::int64_t>(ticks) - ticksTo1970) * 100;
    }
}
#else
FileFacts factsFrom(const struct stat& st) {
    FileFacts facts;
    if (S_ISREG(st.st_mode)) {
        facts.kind = FileKind::Regular;
    } else if (S_ISDIR(st.st_mode)) {
        facts.kind = FileKind::Folder;
    } else {
        facts.kind = FileKind::Other;
    }
    facts.size = st.st_size < 0 ? 0 : static_cast<std::uint64_t>(st.st_size);
    facts.identity.device = static_cast<std::uint64_t>(st.st_dev);
    facts.identity.file = static_cast<std::uint64_t>(st.st_ino);
    facts.permissions = static_cast<unsigned>(st.st_mode) & 07777u;
    facts.readOnly = (st.st_mode & 0222) == 0;
#ifdef __APPLE__
    facts.modified =
        static_cast<std::int64_t>(st.st_mtimespec.tv_sec) * 1000000000 + st.st_mtimespec.tv_nsec;
#else
    facts.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#endif
    facts.links = static_cast<std::uint64_t>(st.st_nlink);
    return facts;
}
#endif

} // namespace

FileFacts examinePath(const std::filesystem::path& path, std::string* error) {
#ifdef _WIN32
    StatRecord st;
    if (_wstat64(path.c_str(), &st) != 0) {
        if (errno != ENOENT && error != nullptr) {
            *error = lastSystemError();
        }
        return {};
    }
    FileFacts facts = factsFrom(st);
    HANDLE handle =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    addIdentity(handle, facts);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
    }
    return facts;
#else
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR && error != nullptr) {
            *error = lastSystemError();
        }
        return {};
    }
    return factsFrom(st);
#endif
}

bool isSymbolicLink(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_symlink(path, ec);
}

FileFacts examineOpenFile(const FileDescriptor& file) {
#ifdef _WIN32
    StatRecord st;
    if (_fstat64(file.get(), &st) != 0) {
        return {};
    }
    FileFacts facts = factsFrom(st);
    addIdentity(reinterpret_cast<HANDLE>(_get_osfhandle(file.get())), facts);
    if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(file.get()))) != FILE_TYPE_DISK) {
        facts.kind = FileKind::Other;
    }
    return facts;
#else
    struct stat st;
    if (::fstat(file.get(), &st) != 0) {
        return {};
    }
    return factsFrom(st);
#endif
}

bool openForReadingNoWait(FileDescriptor& file, const std::filesystem::path& path,
                          std::string& error) {
    file.close();
#ifdef _WIN32
    int fd = -1;
    if (_wsopen_s(&fd, path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, 0) != 0) {
        error = lastSystemError();
        return false;
    }
    file = FileDescriptor(fd);
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = lastSystemError();
        return false;
    }
    file = FileDescriptor(fd);
    // Reads of a regular file may block as usual.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
#endif
    return true;
}

long long readAtOffset(const FileDescriptor& file, std::uint64_t offset, void* buffer,
                       std::size_t count, std::string& error) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t got = 0;
#ifdef _WIN32
    if (_lseeki64(file.get(), static_cast<long long>(offset), SEEK_SET) < 0) {
        error = lastSystemError();
        return -1;
    }
    while (got < count) {
        const std::size_t chunk = std::min<std::size_t>(count - got, std::size_t{1} << 30);
        const int n = _read(file.get(), out + got, static_cast<unsigned>(chunk));
        if (n < 0) {
            error = lastSystemError();
            return -1;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
#else
    while (got < count) {
        const ssize_t n =
            ::pread(file.get(), out + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = lastSystemError();
            return -1;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
#endif
    return static_cast<long long>(got);
}

CreateResult createExclusively(FileDescriptor& file, const std::filesystem::path& path,
                               std::string& error) {
    file.close();
#ifdef _WIN32
    int fd = -1;
    const errno_t code =
        _wsopen_s(&fd, path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _SH_DENYNO, _S_IREAD | _S_IWRITE);
    if (code != 0) {
        error = systemErrorText(code);
        return code == EEXIST ? CreateResult::Exists : CreateResult::Failed;
    }
#else
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        error = lastSystemError();
        return errno == EEXIST ? CreateResult::Exists : CreateResult::Failed;
    }
#endif
    file = FileDescriptor(fd);
    return CreateResult::Created;
}

std::FILE* streamFor(FileDescriptor& file, const char* mode) {
#ifdef _WIN32
    std::FILE* stream = _fdopen(file.get(), mode);
#else
    std::FILE* stream = ::fdopen(file.get(), mode);
#endif
    if (stream == nullptr) {
        file.close();
        return nullptr;
    }
    file.release(); // the stream owns it now
    return stream;
}

bool syncFile(std::FILE* stream) {
    if (std::fflush(stream) != 0) {
        return false;
    }
#ifdef _WIN32
    return _commit(_fileno(stream)) == 0;
#else
    return ::fsync(fileno(stream)) == 0;
#endif
}

void syncFolder([[maybe_unused]] const std::filesystem::path& folder) {
#ifndef _WIN32
    const std::filesystem::path dir = folder.empty() ? std::filesystem::path(".") : folder;
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

void copyPermissions([[maybe_unused]] std::FILE* stream, [[maybe_unused]] const FileFacts& from) {
#ifndef _WIN32
    if (from.kind == FileKind::Regular) {
        ::fchmod(fileno(stream), static_cast<mode_t>(from.permissions));
    }
#endif
}

bool mayWrite(const std::filesystem::path& path, const FileFacts& facts) {
    if (facts.readOnly) {
        return false;
    }
#ifdef _WIN32
    (void)path;
    return true;
#else
    return ::access(path.c_str(), W_OK) == 0;
#endif
}

bool syncFolderChecked([[maybe_unused]] const std::filesystem::path& folder,
                       [[maybe_unused]] std::string& error) {
#ifndef _WIN32
    const std::filesystem::path dir = folder.empty() ? std::filesystem::path(".") : folder;
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = lastSystemError();
        return false;
    }
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL; // EINVAL: folders cannot be synced
    if (!synced) {
        error = lastSystemError();
    }
    ::close(fd);
    return synced;
#else
    return true; // NTFS keeps its folders in its own journal
#endif
}

bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to,
                std::string& error) {
#ifndef _WIN32
    if (::rename(from.c_str(), to.c_str()) != 0) {
        error = lastSystemError();
        return false;
    }
    return true;
#else
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    return true;
#endif
}

bool removeFile(const std::filesystem::path& path, std::string& error) {
#ifndef _WIN32
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        error = lastSystemError();
        return false;
    }
#else
    if (_wunlink(path.c_str()) != 0 && errno != ENOENT) {
        error = lastSystemError();
        return false;
    }
#endif
    return true;
}

bool makeHardLink(const std::filesystem::path& existing, const std::filesystem::path& link,
                  std::string& error) {
#ifndef _WIN32
    if (::link(existing.c_str(), link.c_str()) != 0) {
        error = lastSystemError();
        return false;
    }
#else
    if (!CreateHardLinkW(link.c_str(), existing.c_str(), nullptr)) {
        error = std::system_category().message(static_cast<int>(GetLastError()));
        return false;
    }
#endif
    return true;
}

bool makeFolder(const std::filesystem::path& path, std::string& error) {
#ifndef _WIN32
    const bool made = ::mkdir(path.c_str(), 0777) == 0;
#else
    const bool made = _wmkdir(path.c_str()) == 0;
#endif
    if (made) {
        return true;
    }
    const int code = errno;
    if (code == EEXIST && examinePath(path).kind == FileKind::Folder && !isSymbolicLink(path)) {
        return true;
    }
    error = code == EEXIST ? "something that is not a folder has its name" : systemErrorText(code);
    return false;
}

bool namePresent(const std::filesystem::path& path) {
#ifndef _WIN32
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
#else
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
#endif
}

bool openLockFile(FileDescriptor& file, const std::filesystem::path& path, std::string& error) {
    file.close();
#ifndef _WIN32
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        error = lastSystemError();
        return false;
    }
#else
    int fd = -1;
    const errno_t code = _wsopen_s(&fd, path.c_str(), _O_RDWR | _O_CREAT | _O_BINARY | _O_NOINHERIT,
                                   _SH_DENYNO, _S_IREAD | _S_IWRITE);
    if (code != 0) {
        error = systemErrorText(code);
        return false;
    }
#endif
    file = FileDescriptor(fd);
    if (examineOpenFile(file).kind != FileKind::Regular) {
        file.close();
        error = "it is not a regular file";
        return false;
    }
    return true;
}

LockResult tryLockExclusive(const FileDescriptor& file, std::string& error) {
#ifndef _WIN32
    if (::flock(file.get(), LOCK_EX | LOCK_NB) == 0) {
        return LockResult::Taken;
    }
    if (errno == EWOULDBLOCK || errno == EINTR) {
        return LockResult::Busy;
    }
    error = lastSystemError();
    return LockResult::Failed;
#else
    OVERLAPPED overlapped{};
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.get()));
    if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                   &overlapped)) {
        return LockResult::Taken;
    }
    const DWORD code = GetLastError();
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING) {
        return LockResult::Busy;
    }
    error = std::system_category().message(static_cast<int>(code));
    return LockResult::Failed;
#endif
}

} // namespace vantor
