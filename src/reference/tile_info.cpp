#include "reference/tile_info.h"

#include "base/byte_order.h"
#include "base/file_lookup.h"
#include "base/input_file.h"

#include <algorithm>

namespace vantor {

bool decodeTileInfo(std::span<const unsigned char> bytes, TileInfoList& list) {
    if (bytes.size() < 4) {
        return false;
    }
    const std::uint32_t declared = loadU32(bytes.data());
    // Only records actually in the file are taken, whatever the count claims.
    const std::size_t present = (bytes.size() - 4) / tileInfoRecordSize;
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(declared, present));
    list.records.clear();
    list.firstByTile.clear();
    list.records.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        const unsigned char* r = &bytes[4 + k * tileInfoRecordSize];
        list.records.push_back({loadU32(r), loadU32(r + 4)});
        list.firstByTile.try_emplace(list.records.back().tileId, k);
    }
    list.declared = declared;
    list.loaded = true;
    return true;
}

bool loadTileInfoList(TileInfoList& list, const std::string& startDirectory, std::string& problem) {
    const std::filesystem::path path = findInFolder(startDirectory, tileInfoName);
    std::string why;
    std::vector<unsigned char> bytes;
    // The count comes first; no more than the records it names are read.
    if (readWholeFile(path, bytes, why, 4)) {
        const std::uint64_t count = bytes.size() >= 4 ? loadU32(bytes.data()) : 0;
        if (readWholeFile(path, bytes, why, 4 + count * tileInfoRecordSize)) {
            if (decodeTileInfo(bytes, list)) {
                return true;
            }
            why = "it holds no record count";
        }
    }
    problem = examinePath(path).kind == FileKind::Missing ? std::string() : why;
    return false;
}

std::size_t findTileInfo(const TileInfoList& list, std::uint32_t tileId) {
    const auto it = list.firstByTile.find(tileId);
    return it == list.firstByTile.end() ? 0 : it->second;
}

} // namespace vantor
