#include "terrain/terrain_writer.h"

#include "base/byte_order.h"
#include "base/file_lookup.h"
#include "base/safe_writer.h"
#include "base/text_util.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace vantor {

namespace {

using namespace terrain_texts;

bool isEmptySection(const TerrainMatrix& m, std::int32_t column, std::int32_t row) {
    for (int y = 0; y < postsPerSectionSide; ++y) {
        const TerrainPost* post =
            &m.at(column * postsPerSectionSide, row * postsPerSectionSide + y);
        for (int x = 0; x < postsPerSectionSide; ++x) {
            if (post[x].tileId != 0 || post[x].elevation != 0) {
                return false;
            }
        }
    }
    return true;
}

void encodeSection(const TerrainMatrix& m, std::int32_t column, std::int32_t row,
                   std::vector<unsigned char>& out) {
    const std::size_t rs = recordSize(m.recordFormat);
    out.resize(postsPerSection * rs);
    unsigned char* record = out.data();
    for (int y = 0; y < postsPerSectionSide; ++y) {
        const TerrainPost* post =
            &m.at(column * postsPerSectionSide, row * postsPerSectionSide + y);
        record = m.recordFormat == SevenByteRecords
                     ? encodeRecords<SevenByteRecords>(post, postsPerSectionSide, record)
                     : encodeRecords<NineByteRecords>(post, postsPerSectionSide, record);
    }
}

// Where a write failed, in the system's words, after the suite's own message.
std::string failure(const SafeWriter& writer) {
    return fromFsPath(writer.target) + ": " + writer.error;
}

TerrainResult l2WriteFailure(const SafeWriter& l2) {
    return failed(withReason(l2EndOfFile, failure(l2)), "Error", l2Error, l2WriteError);
}

TerrainResult o2WriteFailure(const SafeWriter& o2) {
    return failed(withReason(o2WriteFailed, failure(o2)), o2WriteError, o2Error, o2WriteError);
}

} // namespace

TerrainResult writeTerrainFiles(const TerrainMatrix& matrix, const std::filesystem::path& l2Path,
                                const std::filesystem::path& o2Path,
                                const TerrainProgress& progress, const TerrainWriteFaults& faults) {
    if (!matrix.layoutCertain) {
        return failed(layoutInDoubtText, l2WriteError);
    }
    const std::int32_t sectionsX = matrix.sectionsX();
    const std::int32_t sectionsY = matrix.sectionsY();
    const std::size_t sectionBytes = postsPerSection * recordSize(matrix.recordFormat);

    SafeWriter l2;
    SafeWriter o2;
    l2.failAfterBytes = faults.l2FailAfterBytes;
    o2.failAfterBytes = faults.o2FailAfterBytes;
    // The pair the matrix was read from is replaced on purpose, and kept as the backup.
    for (SafeWriter* w : {&l2, &o2}) {
        w->replacesInput = true;
        w->keepBackup = true;
    }
    if (!beginSafeWrite(l2, l2Path)) {
        return failed(withReason(dataFileOpenFailed, l2.error), fromFsPath(l2Path));
    }
    if (!beginSafeWrite(o2, o2Path)) {
        abandonSafeWrite(l2);
        return failed(withReason(dataFileOpenFailed, o2.error), fromFsPath(o2Path));
    }
    auto abandonBoth = [&] {
        abandonSafeWrite(l2);
        abandonSafeWrite(o2);
    };

    // The shared empty copy takes offset 0, so it is found and written before any other section.
    std::vector<unsigned char> shared;
    for (std::int32_t row = 0; row < sectionsY && shared.empty(); ++row) {
        for (std::int32_t column = 0; column < sectionsX; ++column) {
            if (isEmptySection(matrix, column, row)) {
                encodeSection(matrix, column, row, shared);
                break;
            }
        }
    }
    std::uint64_t nextOffset = 0;
    if (!shared.empty()) {
        if (!safeWrite(l2, shared.data(), shared.size())) {
            abandonBoth();
            return l2WriteFailure(l2);
        }
        nextOffset = sectionBytes;
    }

    std::vector<unsigned char> records;
    std::vector<unsigned char> entries(static_cast<std::size_t>(sectionsX) * 4);
    for (std::int32_t row = 0; row < sectionsY; ++row) {
        for (std::int32_t column = 0; column < sectionsX; ++column) {
            encodeSection(matrix, column, row, records);
            std::uint32_t offset = 0;
            const bool sharesEmptyCopy =
                !shared.empty() && records == shared && isEmptySection(matrix, column, row);
            if (!sharesEmptyCopy) {
                if (nextOffset > UINT32_MAX) {
                    l2.error = "the file would pass the 4 GB its offsets can reach";
                    abandonBoth();
                    return l2WriteFailure(l2);
                }
                offset = static_cast<std::uint32_t>(nextOffset);
                if (!safeWrite(l2, records.data(), records.size())) {
                    abandonBoth();
                    return l2WriteFailure(l2);
                }
                nextOffset += sectionBytes;
            }
            storeU32(entries.data() + 4 * static_cast<std::size_t>(column), offset);
        }
        if (!safeWrite(o2, entries.data(), entries.size())) {
            abandonBoth();
            return o2WriteFailure(o2);
        }
        if (progress.abortRequested && progress.abortRequested()) {
            abandonBoth();
            return aborted();
        }
        if (progress.report) {
            const std::int32_t lastBlock = row * sectionsX + sectionsX - 1;
            progress.report(lastBlock, lastBlock);
        }
    }
    if (!commitSafeWritePair(l2, o2)) {
        return o2.error.empty() ? l2WriteFailure(l2) : o2WriteFailure(o2);
    }
    return {};
}

} // namespace vantor
