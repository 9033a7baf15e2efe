#pragma once

#include "base/input_file.h"
#include "terrain/terrain_io.h"
#include "terrain/terrain_matrix.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace vantor {

// Sections per side of the square map an O2 file of this size describes: the integer part of
// the square root of its number of entries. Entries beyond that square are never read.
std::int32_t sectionsFromO2Size(std::uint64_t o2Size);

// Why an O2 file of this size cannot be a map's block offsets (no whole number of offsets, or no
// square number of them), or empty when it can.
std::optional<std::string> o2SizeRefusal(const std::string& o2Name, std::uint64_t o2Size);

// The record layout of an L2 file, as its size and the block offsets of its O2 file tell it.
// Offsets that are all multiples of one layout's section size (and not of the other's) name
// that layout, and the size must then be a whole number of its records. Otherwise the size
// decides: a multiple of 7 means 7-byte records, else a multiple of 9 means 9-byte records.
// When neither can be told (a size that is no whole number of the records the offsets name,
// or of any records at all) the layout is unknown and the pair is refused. A layout that both
// readings fit is taken as 7-byte records but is not certain, and such terrain is never written
// back.
struct RecordLayout {
    RecordFormat format = SevenByteRecords;
    bool known = false;
    bool certain = false;
};
RecordLayout recordLayoutFor(std::uint64_t l2Size, std::span<const std::uint32_t> usedOffsets);

// The O2 file beside an L2 file: the L2 path with its last two characters replaced by "O2",
// found whatever the letter case of the name on disk (the exact spelling first).
std::string o2PathFor(const std::string& l2Path);
std::filesystem::path findBeside(const std::string& path);
// As findBeside, but false (with the names in error) where several files match the name without
// regard to case and none exactly: which one is meant is not guessed.
bool findOneBeside(const std::string& path, std::filesystem::path& found, std::string& error);

// Reads the whole matrix from an open L2/O2 pair, section row by section row, in blocks. The
// matrix gets its geometry from the file sizes. On failure or abort the matrix is released.
TerrainResult readTerrain(BinaryReader& l2, BinaryReader& o2, TerrainMatrix& matrix,
                          const TerrainProgress& progress);

} // namespace vantor
