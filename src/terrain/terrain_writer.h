#pragma once

#include "terrain/terrain_io.h"
#include "terrain/terrain_matrix.h"

#include <cstdint>
#include <filesystem>

namespace vantor {

// Fault injection for tests: a write to either file fails once this many bytes were written.
struct TerrainWriteFaults {
    std::uint64_t l2FailAfterBytes = UINT64_MAX;
    std::uint64_t o2FailAfterBytes = UINT64_MAX;
};

// Writes the matrix as an L2/O2 pair in its record layout. Sections are stored in block order;
// an empty section (every post tile ID 0 and elevation 0) whose records equal those of the
// first empty section shares that one stored copy at offset 0, every other section is stored
// as its own, so no attribute byte is lost. Both files are written beside the old ones and
// replace them only when both are complete: a failure or abort part way leaves the old pair
// as it was.
TerrainResult writeTerrainFiles(const TerrainMatrix& matrix, const std::filesystem::path& l2Path,
                                const std::filesystem::path& o2Path,
                                const TerrainProgress& progress,
                                const TerrainWriteFaults& faults = {});

} // namespace vantor
