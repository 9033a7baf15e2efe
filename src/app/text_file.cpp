#include "app/text_file.h"

#include "app/binary_file.h"
#include "app/file_lookup.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <cwchar>
#endif

namespace vantor {

void FileCloser::operator()(std::FILE* f) const noexcept {
    if (f != nullptr) {
        std::fclose(f);
    }
}

bool openTextFile(TextFile& file, const std::string& path, const char* mode) {
    file.close();
#ifdef _WIN32
    std::wstring wideMode;
    for (const char* m = mode; *m != '\0'; ++m) {
        wideMode.push_back(static_cast<wchar_t>(*m));
    }
    std::FILE* f = _wfopen(toFsPath(path).c_str(), wideMode.c_str());
#else
    std::FILE* f = std::fopen(toFsPath(path).c_str(), mode);
#endif
    if (f == nullptr) {
        return false;
    }
    // A folder opens as a stream on some systems but never reads: it is no text file.
    std::error_code ec;
    if (std::filesystem::is_directory(toFsPath(path), ec)) {
        std::fclose(f);
        return false;
    }
    file.handle.reset(f);
    file.path = path;
    return true;
}

namespace {

constexpr const char* partialSuffix = ".vantor-partial";

std::string partialPath(const std::string& target) {
    return target + partialSuffix;
}

bool streamHealthy(std::FILE* f) {
    return std::fflush(f) == 0 && std::ferror(f) == 0;
}

// Why writing failed. The stream keeps only an error flag, and the write that failed may have
// been long before, so one more byte is written to hear the system's reason; the partial file
// is given up anyway.
std::string writeFailureReason(std::FILE* f) {
    const int earlier = errno;
    std::clearerr(f);
    errno = 0;
    if (std::fputc('\n', f) == EOF || std::fflush(f) != 0) {
        if (errno != 0) {
            return std::strerror(errno);
        }
    }
    return earlier != 0 ? std::strerror(earlier) : "a write failed";
}

} // namespace

void TextFile::close() {
    if (target.empty()) {
        handle.reset();
        path.clear();
        return;
    }
    const bool healthy = handle != nullptr && !writeFailed && streamHealthy(handle.get());
    std::FILE* f = handle.release();
    const bool closed = f != nullptr && std::fclose(f) == 0;
    std::error_code ec;
    if (healthy && closed) {
        // Whatever was written after the last checkpoint is kept: the partial file only goes
        // when it has become the target.
        std::filesystem::rename(toFsPath(path), toFsPath(target), ec);
    } else {
        std::filesystem::remove(toFsPath(path), ec);
    }
    path.clear();
    target.clear();
    writeFailed = false;
}

bool openTextFileAside(TextFile& file, const std::string& target, bool keepContent,
                       std::string& error) {
    file.close();
    std::error_code ec;
    if (std::filesystem::is_directory(toFsPath(target), ec)) {
        error = "it is a folder";
        return false;
    }
    std::string present;
    if (keepContent && std::filesystem::exists(toFsPath(target), ec) &&
        !readTextFile(toFsPath(target), present)) {
        error = "it cannot be read";
        return false;
    }
    const std::string partial = partialPath(target);
    errno = 0;
    if (!openTextFile(file, partial, "w+b")) {
        error = errno != 0 ? std::strerror(errno) : "it cannot be created";
        return false;
    }
    file.target = target;
    if (!present.empty() &&
        (!writeText(file.handle.get(), present) || !streamHealthy(file.handle.get()))) {
        error = std::strerror(errno);
        abandonTextFile(file);
        return false;
    }
    return true;
}

bool checkpointTextFile(TextFile& file, std::string& error) {
    if (file.handle == nullptr || file.target.empty()) {
        return true;
    }
    errno = 0;
    if (!streamHealthy(file.handle.get())) {
        error = writeFailureReason(file.handle.get());
        file.writeFailed = true;
        return false;
    }
    // The partial file is read through a reader of its own, so the position it is written at
    // stays where it is.
    BinaryReader reader;
    if (!openForReading(reader, toFsPath(file.path))) {
        error = reader.error;
        return false;
    }
    SafeWriter out;
    if (!beginSafeWrite(out, toFsPath(file.target), ".vantor-new")) {
        error = out.error;
        return false;
    }
    std::vector<char> buffer(1 << 16);
    std::uint64_t offset = 0;
    while (offset < reader.size) {
        std::size_t got = 0;
        const ReadStatus status = readAt(reader, offset, buffer.data(), buffer.size(), got);
        if ((status != ReadStatus::Ok && status != ReadStatus::EndOfFile) || got == 0) {
            error = reader.error.empty() ? "the partial report cannot be read" : reader.error;
            abandonSafeWrite(out);
            return false;
        }
        if (!safeWrite(out, buffer.data(), got)) {
            error = out.error;
            abandonSafeWrite(out);
            return false;
        }
        offset += got;
    }
    if (!commitSafeWrite(out)) {
        error = out.error;
        return false;
    }
    return true;
}

void abandonTextFile(TextFile& file) {
    const std::string partial = file.target.empty() ? std::string() : file.path;
    file.handle.reset();
    file.path.clear();
    file.target.clear();
    file.writeFailed = false;
    if (!partial.empty()) {
        std::error_code ec;
        std::filesystem::remove(toFsPath(partial), ec);
    }
}

bool readLine(std::FILE* file, std::string& line) {
    line.clear();
    if (file == nullptr) {
        return false;
    }
    // Byte by byte, so that every byte of the line (even a NUL) is kept as it is.
    for (int c = std::getc(file); c != EOF; c = std::getc(file)) {
        line.push_back(static_cast<char>(c));
        if (c == '\n') {
            return true;
        }
    }
    return !line.empty();
}

std::string_view withoutLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\n') {
        line.remove_suffix(1);
    }
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

bool writeText(std::FILE* file, std::string_view text) {
    return file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

} // namespace vantor

namespace vantor {

bool readTextFile(const std::filesystem::path& path, std::string& text) {
    text.clear();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return false;
    }
    TextFile file;
    if (!openTextFile(file, fromFsPath(path), "rb")) {
        return false;
    }
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.handle.get())) > 0) {
        text.append(buffer, got);
    }
    if (std::ferror(file.handle.get()) != 0) {
        text.clear();
        return false;
    }
    return true;
}

} // namespace vantor
