#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace vantor {

// One post of the terrain. The three attribute bytes are not interpreted anywhere; they are
// carried from the terrain files to the matrix file and back unchanged.
struct TerrainPost {
    std::uint32_t tileId = 0;
    std::uint16_t elevation = 0;
    std::uint8_t attribute1 = 0;
    std::uint8_t attribute2 = 0;
    std::uint8_t attribute3 = 0;

    friend bool operator==(const TerrainPost&, const TerrainPost&) = default;
};

// L2 record layouts, as the matrix file header and the write-back name them.
enum RecordFormat : std::uint8_t { SevenByteRecords = 0, NineByteRecords = 2 };

inline constexpr int postsPerSectionSide = 16;
inline constexpr int postsPerSection = postsPerSectionSide * postsPerSectionSide;

constexpr std::size_t recordSize(RecordFormat format) {
    return format == SevenByteRecords ? 7 : 9;
}

// Every post of the map in one zero-filled block, row-major by Map Y: the post at (Map X,
// Map Y) is element Map X + Map Y * width. The matrix keeps the dimensions it was built with.
// Large matrices are placed on huge pages where the system offers them: a 4096 x 4096 theater
// would otherwise take tens of thousands of page faults just to come into being.
template <class T> struct MatrixAllocator {
    using value_type = T;
    MatrixAllocator() = default;
    template <class U> MatrixAllocator(const MatrixAllocator<U>&) noexcept {}
    T* allocate(std::size_t n);
    void deallocate(T* p, std::size_t n) noexcept;
    template <class U> bool operator==(const MatrixAllocator<U>&) const noexcept { return true; }
    // A post made without a value is left as the memory gives it: the readers write every post
    // themselves, and a whole theater is not worth filling twice. Posts given a value (the
    // zero-filled matrix) are copied in as usual.
    template <class U> void construct(U*) noexcept {}
    template <class U, class... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

void* allocateMatrixMemory(std::size_t bytes);
void freeMatrixMemory(void* p, std::size_t bytes) noexcept;

template <class T> T* MatrixAllocator<T>::allocate(std::size_t n) {
    return static_cast<T*>(allocateMatrixMemory(n * sizeof(T)));
}
template <class T> void MatrixAllocator<T>::deallocate(T* p, std::size_t n) noexcept {
    freeMatrixMemory(p, n * sizeof(T));
}

struct TerrainMatrix {
    std::int32_t width = 0;  // X Map Extent
    std::int32_t height = 0; // Y Map Extent
    RecordFormat recordFormat = SevenByteRecords;
    // The record layout was told for certain: by a pair whose size and offsets agree on it, or
    // by a matrix file. Terrain read under doubt is never written back.
    bool layoutCertain = true;
    std::vector<TerrainPost, MatrixAllocator<TerrainPost>> posts;

    bool empty() const { return posts.empty(); }
    bool contains(std::int64_t mapX, std::int64_t mapY) const {
        return mapX >= 0 && mapY >= 0 && mapX < width && mapY < height;
    }
    std::size_t index(std::int32_t mapX, std::int32_t mapY) const {
        return static_cast<std::size_t>(mapX) +
               static_cast<std::size_t>(mapY) * static_cast<std::size_t>(width);
    }
    // Callers keep the coordinates on the map (see contains).
    const TerrainPost& at(std::int32_t mapX, std::int32_t mapY) const {
        return posts[index(mapX, mapY)];
    }
    TerrainPost& at(std::int32_t mapX, std::int32_t mapY) { return posts[index(mapX, mapY)]; }
    std::int32_t sectionsX() const { return width / postsPerSectionSide; }
    std::int32_t sectionsY() const { return height / postsPerSectionSide; }
};

// Allocates a zero-filled square matrix; false when the memory cannot be had.
bool allocateMatrix(TerrainMatrix& matrix, std::int32_t width, std::int32_t height,
                    RecordFormat format);
// The same without the filling, for a reader that writes every post before anyone looks.
bool allocateMatrixForOverwrite(TerrainMatrix& matrix, std::int32_t width, std::int32_t height,
                                RecordFormat format);
void releaseMatrix(TerrainMatrix& matrix);

// L2 records to and from posts (little-endian fields).
inline TerrainPost decodeRecord(const unsigned char* r, RecordFormat format) {
    TerrainPost post;
    if (format == SevenByteRecords) {
        post.tileId = static_cast<std::uint32_t>(r[0] | (r[1] << 8));
        post.elevation = static_cast<std::uint16_t>(r[2] | (r[3] << 8));
        post.attribute1 = r[4];
        post.attribute2 = r[5];
        post.attribute3 = r[6];
    } else {
        post.tileId = static_cast<std::uint32_t>(r[0]) | (static_cast<std::uint32_t>(r[1]) << 8) |
                      (static_cast<std::uint32_t>(r[2]) << 16) |
                      (static_cast<std::uint32_t>(r[3]) << 24);
        post.elevation = static_cast<std::uint16_t>(r[4] | (r[5] << 8));
        post.attribute1 = r[6];
        post.attribute2 = r[7];
        post.attribute3 = r[8];
    }
    return post;
}

// Decodes count records stored one after another into the posts from cell on; returns the post
// after the last. Every byte a post's value is made of is written.
template <RecordFormat format>
TerrainPost* decodeRecords(const unsigned char* record, std::size_t count, TerrainPost* cell) {
    constexpr std::size_t rs = format == SevenByteRecords ? 7 : 9;
    if constexpr (std::endian::native == std::endian::little) {
        // The tile, elevation and first two attributes are the post's first eight bytes: they
        // are put together in a register and stored at once. A post assembled field by field
        // and then copied costs a stalled load per post, most of the time of a whole read.
        static_assert(offsetof(TerrainPost, tileId) == 0 && offsetof(TerrainPost, elevation) == 4 &&
                      offsetof(TerrainPost, attribute1) == 6 &&
                      offsetof(TerrainPost, attribute2) == 7 &&
                      offsetof(TerrainPost, attribute3) == 8);
        for (std::size_t i = 0; i < count; ++i, record += rs, ++cell) {
            std::uint64_t head = 0;
            if constexpr (format == SevenByteRecords) {
                std::uint16_t tile = 0;
                std::uint32_t rest = 0;
                std::memcpy(&tile, record, 2);
                std::memcpy(&rest, record + 2, 4);
                head = std::uint64_t{tile} | (std::uint64_t{rest} << 32);
            } else {
                std::memcpy(&head, record, 8);
            }
            std::memcpy(static_cast<void*>(cell), &head, 8);
            cell->attribute3 = record[rs - 1];
        }
    } else {
        for (std::size_t i = 0; i < count; ++i, record += rs) {
            *cell++ = decodeRecord(record, format);
        }
    }
    return cell;
}

void encodeRecord(const TerrainPost& post, RecordFormat format, unsigned char* record);

// Encodes count posts from cell on into records stored one after another; returns the byte
// after the last record.
template <RecordFormat format>
unsigned char* encodeRecords(const TerrainPost* cell, std::size_t count, unsigned char* record) {
    constexpr std::size_t rs = format == SevenByteRecords ? 7 : 9;
    if constexpr (std::endian::native == std::endian::little) {
        // A post's first nine bytes are the 9-byte record; the 7-byte record drops the tile's
        // upper half (see decodeRecords for the layout).
        for (std::size_t i = 0; i < count; ++i, record += rs, ++cell) {
            const auto* bytes = reinterpret_cast<const unsigned char*>(cell);
            if constexpr (format == SevenByteRecords) {
                std::memcpy(record, bytes, 2);
                std::memcpy(record + 2, bytes + 4, 5);
            } else {
                std::memcpy(record, bytes, 9);
            }
        }
    } else {
        for (std::size_t i = 0; i < count; ++i, record += rs) {
            encodeRecord(*cell++, format, record);
        }
    }
    return record;
}

} // namespace vantor
