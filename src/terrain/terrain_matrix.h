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
struct TerrainMatrix {
    std::int32_t width = 0;  // X Map Extent
    std::int32_t height = 0; // Y Map Extent
    RecordFormat recordFormat = SevenByteRecords;
    std::vector<TerrainPost> posts;

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

// L2 records to and from posts.
TerrainPost decodeRecord(const unsigned char* record, RecordFormat format);
void encodeRecord(const TerrainPost& post, RecordFormat format, unsigned char* record);

} // namespace vantor
