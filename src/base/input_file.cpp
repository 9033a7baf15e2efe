#include "base/input_file.h"

#include "base/file_guard.h"
#include "base/file_lookup.h"
#include "base/memory.h"

#include <algorithm>

namespace vantor {

bool openInput(InputFile& file, const std::filesystem::path& path, InputUse use) {
    file.close();
    file.path = path;
    file.size = 0;
    file.error.clear();
    // A folder opens for reading on some systems; it is told apart before anything is opened.
    const FileFacts named = examinePath(path, &file.error);
    if (named.kind == FileKind::Folder) {
        file.error = "it is a folder";
        return false;
    }
    if (named.kind == FileKind::Missing) {
        if (file.error.empty()) {
            file.error = "No such file or directory";
        }
        return false;
    }
    if (!openForReadingNoWait(file.descriptor, path, file.error)) {
        return false;
    }
    // What was opened decides, not what the path named a moment before.
    const FileFacts opened = examineOpenFile(file.descriptor);
    if (opened.kind != FileKind::Regular) {
        file.close();
        file.error =
            opened.kind == FileKind::Folder ? "it is a folder" : "it is not a regular file";
        return false;
    }
    file.identity = opened.identity;
    file.size = opened.size;
    if (use == InputUse::Input) {
        noteInput(file.identity, path);
    }
    return true;
}

ReadStatus readAt(BinaryReader& file, std::uint64_t offset, void* buffer, std::size_t count,
                  std::size_t& got) {
    got = 0;
    if (count == 0) {
        return ReadStatus::Ok;
    }
    if (offset >= file.size) {
        return ReadStatus::EndOfFile;
    }
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(count, file.size - offset));
    const long long n = readAtOffset(file.descriptor, offset, buffer, wanted, file.error);
    if (n < 0) {
        return ReadStatus::Error;
    }
    got = static_cast<std::size_t>(n);
    return got == count ? ReadStatus::Ok : ReadStatus::EndOfFile;
}

namespace {

// The file's bytes, no more than limit of them, into a byte container.
template <class Bytes>
bool readInto(const std::filesystem::path& path, Bytes& bytes, std::string& error,
              std::uint64_t limit, InputUse use) {
    bytes.clear();
    InputFile file;
    if (!openInput(file, path, use)) {
        error = file.error;
        return false;
    }
    const std::uint64_t wanted = std::min(file.size, limit);
    if (!memoryAllows(wanted)) {
        error = notEnoughMemoryText(fromFsPath(path), wanted);
        return false;
    }
    bytes.resize(static_cast<std::size_t>(wanted));
    std::size_t got = 0;
    const ReadStatus status = readAt(file, 0, bytes.data(), bytes.size(), got);
    if (status == ReadStatus::Error || status == ReadStatus::SeekFailed) {
        error = file.error;
        bytes.clear();
        return false;
    }
    bytes.resize(got); // a file that shrank since it was opened
    return true;
}

} // namespace

bool readWholeFile(const std::filesystem::path& path, std::vector<unsigned char>& bytes,
                   std::string& error, std::uint64_t limit, InputUse use) {
    return readInto(path, bytes, error, limit, use);
}

bool readTextFile(const std::filesystem::path& path, std::string& text, std::string& error,
                  InputUse use) {
    return readInto(path, text, error, UINT64_MAX, use);
}

} // namespace vantor
