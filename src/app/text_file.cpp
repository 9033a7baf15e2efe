#include "app/text_file.h"

#include "app/file_lookup.h"

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
