#pragma once

#include "terrain/terrain_matrix.h"
#include "terrain/theater.h"

#include <string>

namespace vantor {

// Whether the path names an L2M matrix file rather than an L2 of a pair (by its extension).
bool isMatrixFile(const std::string& path);

// A terrain file read into a matrix of its own, as opening it reads it (an interrupted write
// of the pair finished or undone first; `note` says so). False with the reason in error.
bool readTerrainInto(const std::string& path, const TheaterDefinition& theater,
                     TerrainMatrix& matrix, std::string& error, std::string* note = nullptr);

} // namespace vantor
