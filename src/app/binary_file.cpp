#include "app/binary_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#if defined(__unix__)
#include <unistd.h>
#endif

namespace vantor {

namespace {

std::FILE* openFile(const std::filesystem::path& path, const char* mode) {
#ifdef _WIN32
    std::wstring wideMode;
    for (const char* m = mode; *m != '\0'; ++m) {
        wideMode.push_back(static_cast<wchar_t>(*m));
    }
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

[[maybe_unused]] bool seekTo(std::FILE* f, std::uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(f, static_cast<long long>(offset), SEEK_SET) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

std::string systemError() {
    return std::strerror(errno);
}

} // namespace

bool openForReading(BinaryReader& file, const std::filesystem::path& path) {
    file.handle.reset(openFile(path, "rb"));
    if (!file.isOpen()) {
        file.error = systemError();
        return false;
    }
    // The reads are large and positioned; the stream's own buffer would only add a copy.
    std::setvbuf(file.handle.get(), nullptr, _IONBF, 0);
    std::error_code ec;
    file.size = std::filesystem::file_size(path, ec);
    if (ec) {
        file.error = ec.message();
        file.handle.reset();
        return false;
    }
    return true;
}

ReadStatus readAt(BinaryReader& file, std::uint64_t offset, void* buffer, std::size_t count,
                  std::size_t& got) {
    got = 0;
    if (offset >= file.size) {
        return count == 0 ? ReadStatus::Ok : ReadStatus::EndOfFile;
    }
#if defined(__unix__)
    // One positioned read per call where the system has one.
    const int fd = fileno(file.handle.get());
    auto* out = static_cast<unsigned char*>(buffer);
    while (got < count) {
        const ssize_t n = pread(fd, out + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            file.error = systemError();
            return ReadStatus::Error;
        }
        if (n == 0) {
            return ReadStatus::EndOfFile;
        }
        got += static_cast<std::size_t>(n);
    }
    return ReadStatus::Ok;
#else
    if (!seekTo(file.handle.get(), offset)) {
        file.error = systemError();
        return ReadStatus::SeekFailed;
    }
    got = std::fread(buffer, 1, count, file.handle.get());
    if (got == count) {
        return ReadStatus::Ok;
    }
    if (std::ferror(file.handle.get()) != 0) {
        file.error = systemError();
        std::clearerr(file.handle.get());
        return ReadStatus::Error;
    }
    std::clearerr(file.handle.get());
    return ReadStatus::EndOfFile;
#endif
}

namespace {

// A disk that fills up, for the fault-injection tests of the command line: with
// VANTOR_FAIL_WRITES_AFTER=N in the environment, every file written aside fails after N bytes.
std::uint64_t injectedWriteLimit() {
    static const std::uint64_t limit = [] {
        const char* text = std::getenv("VANTOR_FAIL_WRITES_AFTER");
        if (text == nullptr || *text == '\0') {
            return UINT64_MAX;
        }
        return static_cast<std::uint64_t>(std::strtoull(text, nullptr, 10));
    }();
    return limit;
}

} // namespace

bool beginSafeWrite(SafeWriter& writer, const std::filesystem::path& target, const char* suffix) {
    writer.failAfterBytes = std::min(writer.failAfterBytes, injectedWriteLimit());
    writer.target = target;
    writer.temporary = target;
    writer.temporary += suffix;
    writer.written = 0;
    writer.handle.reset(openFile(writer.temporary, "wb"));
    if (writer.handle == nullptr) {
        writer.error = systemError();
        return false;
    }
    // Writers hand over a row or a section at a time; the file system takes a few large writes
    // far faster than many small ones.
    constexpr std::size_t bufferSize = std::size_t{1} << 20;
    writer.buffer = std::make_unique<char[]>(bufferSize);
    std::setvbuf(writer.handle.get(), writer.buffer.get(), _IOFBF, bufferSize);
    return true;
}

bool safeWrite(SafeWriter& writer, const void* data, std::size_t count) {
    if (writer.handle == nullptr) {
        return false;
    }
    std::size_t allowed = count;
    if (writer.written + count > writer.failAfterBytes) {
        allowed = static_cast<std::size_t>(writer.failAfterBytes - writer.written);
    }
    const std::size_t put = std::fwrite(data, 1, allowed, writer.handle.get());
    writer.written += put;
    if (put != count) {
        writer.error = put != allowed ? systemError() : "No space left on device";
        return false;
    }
    return true;
}

namespace {

bool finish(SafeWriter& writer) {
    if (writer.handle == nullptr) {
        return false;
    }
    const bool flushed = std::fflush(writer.handle.get()) == 0;
    if (!flushed) {
        writer.error = systemError();
    }
    std::FILE* f = writer.handle.release();
    const bool closed = std::fclose(f) == 0;
    if (flushed && !closed) {
        writer.error = systemError();
    }
    return flushed && closed;
}

} // namespace

bool commitSafeWrite(SafeWriter& writer) {
    if (!finish(writer)) {
        abandonSafeWrite(writer);
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(writer.temporary, writer.target, ec);
    if (ec) {
        writer.error = ec.message();
        abandonSafeWrite(writer);
        return false;
    }
    return true;
}

void abandonSafeWrite(SafeWriter& writer) {
    writer.handle.reset();
    std::error_code ec;
    if (!writer.temporary.empty()) {
        std::filesystem::remove(writer.temporary, ec);
    }
}

bool commitSafeWritePair(SafeWriter& first, SafeWriter& second) {
    const bool firstDone = finish(first);
    const bool secondDone = finish(second);
    if (!firstDone || !secondDone) {
        abandonSafeWrite(first);
        abandonSafeWrite(second);
        return false;
    }
    std::error_code ec;
    // Keep the first target aside until the second is in place.
    std::filesystem::path backup = first.target;
    backup += ".vantor-old";
    const bool hadFirst = std::filesystem::exists(first.target, ec);
    if (hadFirst) {
        std::filesystem::rename(first.target, backup, ec);
        if (ec) {
            first.error = ec.message();
            abandonSafeWrite(first);
            abandonSafeWrite(second);
            return false;
        }
    }
    std::filesystem::rename(first.temporary, first.target, ec);
    if (!ec) {
        std::filesystem::rename(second.temporary, second.target, ec);
        if (ec) {
            second.error = ec.message();
        }
    } else {
        first.error = ec.message();
    }
    if (ec) {
        std::error_code ignored;
        if (hadFirst) {
            std::filesystem::rename(backup, first.target, ignored);
        } else {
            std::filesystem::remove(first.target, ignored);
        }
        abandonSafeWrite(first);
        abandonSafeWrite(second);
        return false;
    }
    if (hadFirst) {
        std::filesystem::remove(backup, ec);
    }
    return true;
}

} // namespace vantor
