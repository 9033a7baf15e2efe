#include "terrain/terrain_matrix.h"

#include "base/byte_order.h"

#include <cstdlib>
#include <new>
#include <stdexcept>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace vantor {

namespace {

constexpr std::size_t hugePage = std::size_t{2} << 20;

} // namespace

void* allocateMatrixMemory(std::size_t bytes) {
#if defined(__linux__)
    if (bytes >= 2 * hugePage) {
        const std::size_t rounded = (bytes + hugePage - 1) / hugePage * hugePage;
        void* p = std::aligned_alloc(hugePage, rounded);
        if (p == nullptr) {
            throw std::bad_alloc();
        }
        madvise(p, rounded, MADV_HUGEPAGE);
        return p;
    }
#endif
    return ::operator new(bytes);
}

void freeMatrixMemory(void* p, std::size_t bytes) noexcept {
#if defined(__linux__)
    if (bytes >= 2 * hugePage) {
        std::free(p);
        return;
    }
#endif
    ::operator delete(p);
}

namespace {

bool allocatePosts(TerrainMatrix& matrix, std::int32_t width, std::int32_t height,
                   RecordFormat format, bool zeroFilled) {
    releaseMatrix(matrix);
    if (width < 0 || height < 0) {
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    try {
        if (zeroFilled) {
            matrix.posts.assign(count, TerrainPost{});
        } else {
            matrix.posts.resize(count);
        }
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    matrix.width = width;
    matrix.height = height;
    matrix.recordFormat = format;
    matrix.layoutCertain = true;
    return true;
}

} // namespace

bool allocateMatrix(TerrainMatrix& matrix, std::int32_t width, std::int32_t height,
                    RecordFormat format) {
    return allocatePosts(matrix, width, height, format, true);
}

bool allocateMatrixForOverwrite(TerrainMatrix& matrix, std::int32_t width, std::int32_t height,
                                RecordFormat format) {
    return allocatePosts(matrix, width, height, format, false);
}

void releaseMatrix(TerrainMatrix& matrix) {
    decltype(matrix.posts)().swap(matrix.posts);
    matrix.width = 0;
    matrix.height = 0;
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
