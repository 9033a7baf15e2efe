#pragma once

#include "base/input_file.h"
#include "terrain/terrain_io.h"
#include "terrain/terrain_matrix.h"
#include "terrain/theater.h"

#include <filesystem>

namespace vantor {

inline constexpr std::size_t l2mHeaderSize = 9;
inline constexpr std::size_t l2mRecordSize = 9;

// Writes the matrix as an L2M file: a 9-byte header (Y extent, X extent, record format) and
// every post in matrix order as a 9-byte record. The file is written beside its target and
// replaces it only when complete.
TerrainResult saveL2m(const TerrainMatrix& matrix, const std::filesystem::path& path,
                      const TerrainProgress& progress, std::uint64_t failAfterBytes = UINT64_MAX);

// Reads an L2M file whose size must match the current theater's extents; on success the
// matrix holds its posts and theater the geometry the file implies.
TerrainResult loadL2m(BinaryReader& file, TheaterDefinition& theater, TerrainMatrix& matrix,
                      const TerrainProgress& progress);

} // namespace vantor
