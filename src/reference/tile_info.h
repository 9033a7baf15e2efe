#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantor {

inline constexpr const char* tileInfoName = "TileInfo.dat";
inline constexpr std::size_t tileInfoRecordSize = 44;

struct TileInfoRecord {
    std::uint32_t tileId = 0;
    std::uint32_t tileCode = 0;
};

// Tile ID to tile code, from TileInfo.dat; loaded on first use and kept for the run.
struct TileInfoList {
    bool loaded = false;
    std::vector<TileInfoRecord> records;
    std::uint32_t declared = 0; // the count the file names; more than records when it is short
    std::unordered_map<std::uint32_t, std::size_t> firstByTile;
};

// Reads the list from the start folder; false when the file cannot be opened or holds no count.
// A file shorter than its count says gives the records it holds. problem (if given) is left
// empty when the file is missing and says what is wrong with one that is there.
bool loadTileInfoList(TileInfoList& list, const std::string& startDirectory, std::string& problem);
// The same from the file's bytes.
bool decodeTileInfo(std::span<const unsigned char> bytes, TileInfoList& list);

// The position of the first record with this tile ID, or 0 when none has it.
std::size_t findTileInfo(const TileInfoList& list, std::uint32_t tileId);

} // namespace vantor
