#pragma once

#include "app/binary_file.h"
#include "terrain/terrain_io.h"
#include "terrain/terrain_matrix.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace vantor {

// Sections per side of the square map an O2 file of this size describes: the integer part of
// the square root of its number of entries. Entries beyond that square are never read.
std::int32_t sectionsFromO2Size(std::uint64_t o2Size);

// The record layout of an L2 file. A size that is a multiple of 7 means 7-byte records, except
// when the block offsets themselves rule that out: if every offset the map uses is a multiple
// of a 9-byte section and at least one is not a multiple of a 7-byte section, only 9-byte
// records fit. Any other size means 9-byte records.
RecordFormat recordFormatFor(std::uint64_t l2Size, std::span<const std::uint32_t> usedOffsets);

// The O2 file beside an L2 file: the L2 path with its last two characters replaced by "O2",
// found whatever the letter case of the name on disk (the exact spelling first).
std::string o2PathFor(const std::string& l2Path);
std::filesystem::path findBeside(const std::string& path);

// Reads the whole matrix from an open L2/O2 pair, section row by section row, in blocks. The
// matrix gets its geometry from the file sizes. On failure or abort the matrix is released.
TerrainResult readTerrain(BinaryReader& l2, BinaryReader& o2, TerrainMatrix& matrix,
                          const TerrainProgress& progress);

} // namespace vantor
