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
    file.handle.reset(f);
    file.path = path;
    return true;
}

} // namespace vantor
