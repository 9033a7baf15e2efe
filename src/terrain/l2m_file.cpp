#include "terrain/l2m_file.h"

#include "base/byte_order.h"
#include "base/file_lookup.h"
#include "base/memory.h"
#include "base/safe_writer.h"
#include "base/text_util.h"

#include <vector>

namespace vantor {

namespace {

using namespace terrain_texts;

TerrainResult writeFailure(const SafeWriter& writer) {
    return failed(withReason(l2mEndOfFile, fromFsPath(writer.target) + ": " + writer.error),
                  "Error", l2Error, l2WriteError);
}

std::int32_t progressPosition(std::size_t lastIndex) {
    return static_cast<std::int32_t>(lastIndex / 256);
}

} // namespace

TerrainResult saveL2m(const TerrainMatrix& matrix, const std::filesystem::path& path,
                      const TerrainProgress& progress, std::uint64_t failAfterBytes) {
    SafeWriter writer;
    writer.failAfterBytes = failAfterBytes;
    if (!beginSafeWrite(writer, path)) {
        return failed(withReason(dataFileOpenFailed, writer.error), fromFsPath(path));
    }
    unsigned char header[l2mHeaderSize] = {};
    storeU32(header, static_cast<std::uint32_t>(matrix.height));
    storeU16(header + 4, static_cast<std::uint16_t>(matrix.width));
    header[7] = matrix.recordFormat == SevenByteRecords ? 0 : 2;
    if (!safeWrite(writer, header, sizeof header)) {
        abandonSafeWrite(writer);
        return writeFailure(writer);
    }
    const auto width = static_cast<std::size_t>(matrix.width);
    std::vector<unsigned char> row(width * l2mRecordSize);
    for (std::int32_t y = 0; y < matrix.height; ++y) {
        encodeRecords<NineByteRecords>(&matrix.posts[static_cast<std::size_t>(y) * width], width,
                                       row.data());
        if (!safeWrite(writer, row.data(), row.size())) {
            abandonSafeWrite(writer);
            return writeFailure(writer);
        }
        if (progress.abortRequested && progress.abortRequested()) {
            abandonSafeWrite(writer);
            return aborted();
        }
        if (progress.report) {
            progress.report(-1, progressPosition(static_cast<std::size_t>(y + 1) * width - 1));
        }
    }
    if (!commitSafeWrite(writer)) {
        return writeFailure(writer);
    }
    return {};
}

TerrainResult loadL2m(BinaryReader& file, TheaterDefinition& theater, TerrainMatrix& matrix,
                      const TerrainProgress& progress) {
    releaseMatrix(matrix);
    unsigned char header[l2mHeaderSize];
    std::size_t got = 0;
    if (readAt(file, 0, header, sizeof header, got) != ReadStatus::Ok) {
        return l2EndOfFileOnRead();
    }
    const std::uint32_t rows = loadU32(header);
    const std::uint16_t columns = loadU16(header + 4);
    // A zero extent names no post: such a file is refused like any other misfit.
    if (columns != theater.xMapExtent || rows != static_cast<std::uint32_t>(theater.yMapExtent) ||
        rows != columns || columns % 16 != 0 || columns == 0) {
        return failed(l2mSizeMismatch, l2mMatrixError);
    }
    const RecordFormat format = header[7] != 0 ? NineByteRecords : SevenByteRecords;
    const std::int32_t extent = columns;
    // A file that holds fewer records than its header counts ends before its last row; it is
    // refused before the matrix is allocated.
    const std::uint64_t records = std::uint64_t{columns} * rows;
    if (file.size < l2mHeaderSize + records * l2mRecordSize) {
        return l2EndOfFileOnRead();
    }
    if (!memoryAllows(records * sizeof(TerrainPost))) {
        return failed(noMemoryText(extent, extent), "Error");
    }
    if (!allocateMatrixForOverwrite(matrix, extent, extent, format)) {
        return failed(noMemoryText(extent, extent), "Error");
    }
    const auto width = static_cast<std::size_t>(extent);
    std::vector<unsigned char> row(width * l2mRecordSize);
    std::uint64_t offset = l2mHeaderSize;
    for (std::int32_t y = 0; y < extent; ++y, offset += row.size()) {
        const ReadStatus status = readAt(file, offset, row.data(), row.size(), got);
        if (status != ReadStatus::Ok) {
            releaseMatrix(matrix);
            return l2EndOfFileOnRead();
        }
        static_assert(l2mRecordSize == 9);
        decodeRecords<NineByteRecords>(row.data(), width,
                                       &matrix.posts[static_cast<std::size_t>(y) * width]);
        if (progress.abortRequested && progress.abortRequested()) {
            releaseMatrix(matrix);
            return aborted();
        }
        if (progress.report) {
            progress.report(-1, progressPosition(static_cast<std::size_t>(y + 1) * width - 1));
        }
    }
    applyTerrainGeometry(theater, extent / 16);
    return {};
}

} // namespace vantor
