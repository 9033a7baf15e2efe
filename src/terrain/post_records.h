#pragma once

#include "terrain/terrain_matrix.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

// Where each post's record lies in the terrain file it was read from: in an L2, in its
// section's block (the O2 gives the block's offset) at its place in the block, row by row; in an
// L2M, at its place in the matrix after the header.
struct PostRecords {
    bool l2m = false;
    RecordFormat format = SevenByteRecords;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> blockOffsets; // the O2's, in block index order
    std::vector<bool> sharedBlock;           // several sections are stored in the same block

    // The byte offset of the post's record in its file; nothing off the map.
    std::optional<std::uint64_t> recordAt(std::int32_t x, std::int32_t y) const;
    std::size_t recordSize() const;
    // Whether a change of the post's record changes that post alone (its block is no other
    // section's too, as the shared empty section is).
    bool ownRecord(std::int32_t x, std::int32_t y) const;
};

// The records of the terrain `path` (an .L2 with its .O2 beside it, or an .L2M) as read into
// `matrix`; false with the reason in error.
bool locatePostRecords(const std::string& path, const TerrainMatrix& matrix, PostRecords& records,
                       std::string& error);

} // namespace vantor
