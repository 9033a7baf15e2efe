#include "terrain/terrain_matrix.h"

#include "app/binary_file.h"

#include <new>

namespace vantor {

bool allocateMatrix(TerrainMatrix& matrix, std::int32_t width, std::int32_t height,
                    RecordFormat format) {
    releaseMatrix(matrix);
    if (width < 0 || height < 0) {
        return false;
    }
    try {
        matrix.posts.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                            TerrainPost{});
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    matrix.width = width;
    matrix.height = height;
    matrix.recordFormat = format;
    return true;
}

void releaseMatrix(TerrainMatrix& matrix) {
    std::vector<TerrainPost>().swap(matrix.posts);
    matrix.width = 0;
    matrix.height = 0;
}

TerrainPost decodeRecord(const unsigned char* r, RecordFormat format) {
    TerrainPost post;
    if (format == SevenByteRecords) {
        post.tileId = loadU16(r);
        post.elevation = loadU16(r + 2);
        post.attribute1 = r[4];
        post.attribute2 = r[5];
        post.attribute3 = r[6];
    } else {
        post.tileId = loadU32(r);
        post.elevation = loadU16(r + 4);
        post.attribute1 = r[6];
        post.attribute2 = r[7];
        post.attribute3 = r[8];
    }
    return post;
}

void encodeRecord(const TerrainPost& post, RecordFormat format, unsigned char* r) {
    if (format == SevenByteRecords) {
        storeU16(r, static_cast<std::uint16_t>(post.tileId & 0xFFFFu));
        storeU16(r + 2, post.elevation);
        r[4] = post.attribute1;
        r[5] = post.attribute2;
        r[6] = post.attribute3;
    } else {
        storeU32(r, post.tileId);
        storeU16(r + 4, post.elevation);
        r[6] = post.attribute1;
        r[7] = post.attribute2;
        r[8] = post.attribute3;
    }
}

} // namespace vantor
