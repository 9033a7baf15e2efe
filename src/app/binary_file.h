#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace vantor {

// A file read by positioned reads: every read names its byte offset, so the reader never
// depends on a current position.
struct BinaryReader {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> handle{nullptr, &std::fclose};
    std::uint64_t size = 0;
    std::string error; // why the last operation failed, in the system's words

    bool isOpen() const { return handle != nullptr; }
};

bool openForReading(BinaryReader& file, const std::filesystem::path& path);

enum class ReadStatus { Ok, EndOfFile, SeekFailed, Error };

// Reads up to count bytes at offset; `got` says how many arrived (fewer at the end of the file).
ReadStatus readAt(BinaryReader& file, std::uint64_t offset, void* buffer, std::size_t count,
                  std::size_t& got);

// A file produced whole: written beside its target and renamed over it only when complete, so
// a failure part way never leaves a half-written file where a good one was.
struct SafeWriter {
    std::filesystem::path target;
    std::filesystem::path temporary;
    // The stream's buffer: declared before the stream, so it outlives the stream's last flush.
    std::unique_ptr<char[]> buffer;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> handle{nullptr, &std::fclose};
    std::uint64_t written = 0;
    // Fault injection for tests: writes fail once this many bytes have been written.
    std::uint64_t failAfterBytes = UINT64_MAX;
    std::string error;
};

// The partial file is the target's name followed by suffix.
bool beginSafeWrite(SafeWriter& writer, const std::filesystem::path& target,
                    const char* suffix = ".vantor-partial");
bool safeWrite(SafeWriter& writer, const void* data, std::size_t count);
inline bool safeWrite(SafeWriter& writer, std::string_view text) {
    return safeWrite(writer, text.data(), text.size());
}
// Flushes and renames over the target. On failure the target is left as it was.
bool commitSafeWrite(SafeWriter& writer);
// Removes the partial file; the target is untouched.
void abandonSafeWrite(SafeWriter& writer);

// Commits two files as a pair: both are complete on disk before either target is replaced, and
// if the second replacement fails the first target is put back as it was.
bool commitSafeWritePair(SafeWriter& first, SafeWriter& second);

// Little-endian fields at a byte position of a buffer.
inline std::uint16_t loadU16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t loadU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void storeU16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v & 0xFFu);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void storeU32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFFu);
    }
}

} // namespace vantor
