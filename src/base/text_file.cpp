#include "base/text_file.h"

#include "base/file_guard.h"
#include "base/file_lookup.h"
#include "base/input_file.h"
#include "base/safe_writer.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace vantor {

void FileCloser::operator()(std::FILE* f) const noexcept {
    if (f != nullptr) {
        std::fclose(f);
    }
}

namespace {

bool streamHealthy(std::FILE* f) {
    return std::fflush(f) == 0 && std::ferror(f) == 0;
}

// Why writing failed. The stream keeps only an error flag, and the write that failed may have
// been long before, so one more byte is written to hear the system's reason; the temporary file
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
    if (healthy) {
        copyPermissions(handle.get(), examinePath(toFsPath(target)));
    }
    std::FILE* f = handle.release();
    const bool closed = f != nullptr && std::fclose(f) == 0;
    std::string error;
    // Whatever was written after the last checkpoint is kept: the temporary file only goes when
    // it has become the target, or when the target may no longer be written.
    if (healthy && closed && !outputRefusal(toFsPath(target))) {
        crashPoint();
        if (renameOver(toFsPath(path), toFsPath(target), error)) {
            forgetTemporary(toFsPath(path));
        }
    }
    removeTemporary(toFsPath(path));
    path.clear();
    target.clear();
    writeFailed = false;
}

bool openTextFileAside(TextFile& file, const std::string& target, bool keepContent,
                       std::string& error) {
    file.close();
    const std::filesystem::path resolved = outputTargetFor(toFsPath(target));
    if (std::optional<std::string> refusal = outputRefusal(resolved)) {
        error = std::move(*refusal);
        return false;
    }
    std::string present;
    if (keepContent && examinePath(resolved).kind == FileKind::Regular &&
        !readTextFile(resolved, present, error, InputUse::Own)) {
        return false;
    }
    std::filesystem::path temporary;
    std::FILE* stream = createTemporaryBeside(resolved, temporary, error);
    if (stream == nullptr) {
        return false;
    }
    file.handle.reset(stream);
    file.path = fromFsPath(temporary);
    file.target = fromFsPath(resolved);
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
    // The temporary file is read through a reader of its own, so the position it is written at
    // stays where it is.
    InputFile reader;
    if (!openInput(reader, toFsPath(file.path), InputUse::Own)) {
        error = reader.error;
        return false;
    }
    SafeWriter out;
    if (!beginSafeWrite(out, toFsPath(file.target))) {
        error = out.error;
        return false;
    }
    std::vector<char> buffer(1 << 16);
    std::uint64_t offset = 0;
    while (offset < reader.size) {
        std::size_t got = 0;
        const ReadStatus status = readAt(reader, offset, buffer.data(), buffer.size(), got);
        if ((status != ReadStatus::Ok && status != ReadStatus::EndOfFile) || got == 0) {
            error = reader.error.empty() ? "the report cannot be read back" : reader.error;
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
    const std::string temporary = file.target.empty() ? std::string() : file.path;
    file.handle.reset();
    file.path.clear();
    file.target.clear();
    file.writeFailed = false;
    if (!temporary.empty()) {
        removeTemporary(toFsPath(temporary));
    }
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
