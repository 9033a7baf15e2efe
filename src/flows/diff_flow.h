#pragma once

#include "terrain/terrain_diff.h"
#include "terrain/terrain_matrix.h"
#include "terrain/theater.h"
#include "tools/export_diff.h"

#include <optional>
#include <string>

namespace vantor {

struct ApplicationState;
struct Platform;

// Two versions of a theater compared: the open terrain (the earlier one) with another L2/O2
// pair or L2M file, and one export with another. Either pair may be left out.
struct TheaterDiff {
    std::string error; // a file could not be read: nothing was compared
    std::string beforeTerrain;
    std::string afterTerrain;
    std::string beforeSource;
    std::string afterSource;
    std::optional<TerrainDiff> terrain;
    TerrainMatrix after; // the later terrain, for the maps of the page
    std::optional<ExportDiff> objectives;

    bool same() const {
        return (!terrain || terrain->same()) && (!objectives || objectives->same());
    }
};

// Reads the later terrain (an .L2 with its .O2 beside it, or an .L2M of the open terrain's size)
// and the two exports, and compares them with the open terrain and with each other.
TheaterDiff diffTheater(ApplicationState& state, const Platform& platform,
                        const std::string& afterTerrain, const std::string& beforeSource,
                        const std::string& afterSource);

// A terrain file read into a matrix of its own, as opening it reads it (an interrupted write
// of the pair finished first). False with the reason in error.
bool readTerrainInto(const std::string& path, const TheaterDefinition& theater,
                     TerrainMatrix& matrix, std::string& error);

} // namespace vantor
