#pragma once

#include <cstddef>
#include <cstdint>
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

inline std::size_t recordSize(RecordFormat format) {
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

void encodeRecord(const TerrainPost& post, RecordFormat format, unsigned char* record);

} // namespace vantor
