#include "terrain/post_records.h"

#include "base/file_lookup.h"
#include "base/input_file.h"
#include "base/text_util.h"
#include "terrain/l2_reader.h"
#include "terrain/l2m_file.h"
#include "terrain/terrain_file.h"

#include <map>

namespace vantor {

std::size_t PostRecords::recordSize() const {
    return l2m ? l2mRecordSize : vantor::recordSize(format);
}

std::optional<std::uint64_t> PostRecords::recordAt(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return std::nullopt;
    }
    if (l2m) {
        return l2mHeaderSize +
               (std::uint64_t{static_cast<std::uint32_t>(y)} * static_cast<std::uint32_t>(width) +
                static_cast<std::uint32_t>(x)) *
                   l2mRecordSize;
    }
    const std::size_t sectionsX = static_cast<std::size_t>(width / postsPerSectionSide);
    const std::size_t block = static_cast<std::size_t>(y / postsPerSectionSide) * sectionsX +
                              static_cast<std::size_t>(x / postsPerSectionSide);
    if (block >= blockOffsets.size()) {
        return std::nullopt;
    }
    const std::size_t inBlock = static_cast<std::size_t>(
        (y % postsPerSectionSide) * postsPerSectionSide + x % postsPerSectionSide);
    return std::uint64_t{blockOffsets[block]} + inBlock * recordSize();
}

bool PostRecords::ownRecord(std::int32_t x, std::int32_t y) const {
    if (l2m) {
        return recordAt(x, y).has_value();
    }
    const std::size_t sectionsX = static_cast<std::size_t>(width / postsPerSectionSide);
    const std::size_t block = static_cast<std::size_t>(y / postsPerSectionSide) * sectionsX +
                              static_cast<std::size_t>(x / postsPerSectionSide);
    return recordAt(x, y).has_value() && block < sharedBlock.size() && !sharedBlock[block];
}

bool locatePostRecords(const std::string& path, const TerrainMatrix& matrix, PostRecords& records,
                       std::string& error) {
    records = {};
    records.width = matrix.width;
    records.height = matrix.height;
    records.format = matrix.recordFormat;
    if (isMatrixFile(path)) {
        records.l2m = true;
        return true;
    }
    std::vector<unsigned char> o2;
    const std::filesystem::path o2Path = findBeside(o2PathFor(path));
    if (!readWholeFile(o2Path, o2, error)) {
        error = "cannot read " + fromFsPath(o2Path) + ": " + error;
        return false;
    }
    std::map<std::uint32_t, int> uses;
    for (std::size_t i = 0; i + 4 <= o2.size(); i += 4) {
        const std::uint32_t offset = std::uint32_t{o2[i]} | (std::uint32_t{o2[i + 1]} << 8) |
                                     (std::uint32_t{o2[i + 2]} << 16) |
                                     (std::uint32_t{o2[i + 3]} << 24);
        records.blockOffsets.push_back(offset);
        ++uses[offset];
    }
    for (const std::uint32_t offset : records.blockOffsets) {
        records.sharedBlock.push_back(uses[offset] > 1);
    }
    return true;
}

} // namespace vantor
