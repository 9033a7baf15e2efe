#pragma once

#include "base/pair_history.h"
#include "terrain/terrain_io.h"
#include "terrain/terrain_matrix.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vantor {

// Fault injection for tests: a write to either file fails once this many bytes were written.
struct TerrainWriteFaults {
    std::uint64_t l2FailAfterBytes = UINT64_MAX;
    std::uint64_t o2FailAfterBytes = UINT64_MAX;
};

struct TerrainWriteOptions {
    TerrainWriteFaults faults;
    std::string what;                    // the work, as the history names it ("Mend of 24 tiles")
    std::optional<PairVersion> expected; // the pair as it was read: refused when changed since
    PairChange* change = nullptr;        // where to say what the commit came to
};

// Writes the matrix as an L2/O2 pair in its record layout. Sections are stored in block order;
// an empty section (every post tile ID 0 and elevation 0) whose records equal those of the
// first empty section shares that one stored copy at offset 0, every other section is stored
// as its own, so no attribute byte is lost. Both files are written beside the old ones (links
// followed to the real files) and synced, then replaced as one commit: a failure, abort or stop
// part way leaves the old pair or the new one, never a mix. An existing pair is kept in the
// pair's history; a new pair (neither file there) has none to keep.
TerrainResult writeTerrainFiles(const TerrainMatrix& matrix, const std::filesystem::path& l2Path,
                                const std::filesystem::path& o2Path,
                                const TerrainProgress& progress,
                                const TerrainWriteOptions& options = {});

// What a write-back, an undo or a redo of a terrain pair left on disk, for its closing message:
// `done` names the new pair ("The mended terrain"), the rest comes from the change.
std::string pairChangeText(const PairChange& change, const std::filesystem::path& l2,
                           const std::filesystem::path& o2);

} // namespace vantor
