#pragma once

#include <filesystem>
#include <string>

namespace vantor::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
struct TempDir {
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::filesystem::path path;
    std::string str() const { return path.string(); }
    std::filesystem::path write(const std::string& name, const std::string& content) const;
};

// The whole content of a file, empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

} // namespace vantor::testing
