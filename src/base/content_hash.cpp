#include "base/content_hash.h"

#include "base/byte_order.h"
#include "base/input_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vantor {

namespace {

constexpr std::uint64_t prime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t prime2 = 0xC2B2AE3D27D4EB4Full;
constexpr std::uint64_t prime3 = 0x165667B19E3779F9ull;

std::uint64_t rotateLeft(std::uint64_t x, int r) {
    return (x << r) | (x >> (64 - r));
}

std::uint64_t load64(const unsigned char* p) {
    return loadU32(p) | (std::uint64_t{loadU32(p + 4)} << 32);
}

std::uint64_t mix(std::uint64_t lane, std::uint64_t word) {
    return rotateLeft(lane + word * prime2, 31) * prime1;
}

} // namespace

void ContentHash::block(const unsigned char* bytes) {
    for (std::size_t i = 0; i < 4; ++i) {
        lanes_[i] = mix(lanes_[i], load64(bytes + 8 * i));
    }
}

void ContentHash::update(const void* data, std::size_t count) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    length_ += count;
    if (pendingCount_ > 0) {
        const std::size_t take = std::min(count, pending_.size() - pendingCount_);
        std::memcpy(pending_.data() + pendingCount_, bytes, take);
        pendingCount_ += take;
        bytes += take;
        count -= take;
        if (pendingCount_ < pending_.size()) {
            return;
        }
        block(pending_.data());
        pendingCount_ = 0;
    }
    for (; count >= 32; bytes += 32, count -= 32) {
        block(bytes);
    }
    std::memcpy(pending_.data(), bytes, count);
    pendingCount_ = count;
}

std::uint64_t ContentHash::value() const {
    std::uint64_t h = rotateLeft(lanes_[0], 1) + rotateLeft(lanes_[1], 7) +
                      rotateLeft(lanes_[2], 12) + rotateLeft(lanes_[3], 18);
    for (const std::uint64_t lane : lanes_) {
        h = (h ^ mix(0, lane)) * prime1 + prime3;
    }
    h += length_;
    std::size_t i = 0;
    for (; i + 8 <= pendingCount_; i += 8) {
        h = rotateLeft(h ^ mix(0, load64(pending_.data() + i)), 27) * prime1 + prime3;
    }
    for (; i < pendingCount_; ++i) {
        h = rotateLeft(h ^ (pending_[i] * prime3), 11) * prime1;
    }
    h ^= h >> 33;
    h *= prime2;
    h ^= h >> 29;
    h *= prime3;
    h ^= h >> 32;
    return h;
}

std::optional<std::uint64_t> hashOfFile(const std::filesystem::path& path, std::string& error) {
    InputFile file;
    if (!openInput(file, path, InputUse::Own)) {
        error = file.error;
        return std::nullopt;
    }
    ContentHash hash;
    std::vector<unsigned char> buffer(std::size_t{1} << 20);
    for (std::uint64_t at = 0; at < file.size;) {
        std::size_t got = 0;
        const ReadStatus status = readAt(file, at, buffer.data(), buffer.size(), got);
        if ((status != ReadStatus::Ok && status != ReadStatus::EndOfFile) || got == 0) {
            error = file.error.empty() ? "it could not be read to its end" : file.error;
            return std::nullopt;
        }
        hash.update(buffer.data(), got);
        at += got;
    }
    return hash.value();
}

} // namespace vantor
