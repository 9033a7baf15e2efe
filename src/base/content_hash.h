#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vantor {

// A 64-bit fingerprint of a file's bytes, fed in pieces of any size as they are written, fast
// enough to run beside the write of a whole theater: four lanes of multiply-rotate steps over
// 32-byte blocks, then the tail. Stored in the history's index, it tells whether a generation's
// files are still the ones kept, wherever they were copied to.
class ContentHash {
  public:
    void update(const void* data, std::size_t count);
    std::uint64_t value() const;

  private:
    void block(const unsigned char* bytes);

    std::array<std::uint64_t, 4> lanes_{0x9E3779B185EBCA87ull, 0xC2B2AE3D27D4EB4Full,
                                        0x165667B19E3779F9ull, 0x85EBCA77C2B2AE63ull};
    std::array<unsigned char, 32> pending_{};
    std::size_t pendingCount_ = 0;
    std::uint64_t length_ = 0;
};

// The fingerprint of a whole file, read a block at a time; none when it cannot be read.
std::optional<std::uint64_t> hashOfFile(const std::filesystem::path& path, std::string& error);

} // namespace vantor
