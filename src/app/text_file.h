#pragma once

#include <cstdio>
#include <memory>
#include <string>

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

} // namespace vantor
