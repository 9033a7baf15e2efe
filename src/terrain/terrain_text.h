#pragma once

#include "terrain/terrain_matrix.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// A terrain as stable text, for line-by-line comparison (git's textconv): a header with the
// size and the record layout, then one line per row of a section, from the south-west:
// "sect 12,5 row 3: 10005/120 10005/121 ...", each post its tile ID and elevation, and its
// three attribute bytes after a second slash when any is set. A post that changes changes one
// line; the lines of unchanged rows stay the same.
bool writeTerrainText(const TerrainMatrix& matrix, std::FILE* out);

// An L2 file read alone (git hands each file of the pair over by itself): its blocks of 256
// posts in file order, a line per 16 posts ("block 5 row 3: ..."), in the layout the size names
// (7-byte records unless only 9 divide it). An O2 file alone: its block offsets, one per line.
bool writeLoneL2Text(const std::vector<unsigned char>& l2, std::FILE* out);
bool writeO2Text(const std::vector<unsigned char>& o2, std::FILE* out);

} // namespace vantor
