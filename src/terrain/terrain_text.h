#pragma once

#include <cstdio>
#include <span>

namespace vantor {

// The terrain files as stable text, for line-by-line comparison (git's textconv). Git hands each
// file over alone (an old version as a loose blob, with no O2 beside it), so each text is a
// function of its own file's bytes and nothing else: the same whichever way git hands it over,
// and safe to cache.
//
// An L2: a header with its size and record layout, then each block of 256 posts as 16 lines of
// 16 posts, from the block's first record: "r3: 10005/120 10005/121 ...", each post its tile ID
// and elevation, and its three attribute bytes after a second slash when any is set. A changed
// post changes its own line only. The lines carry no block number: a section that becomes
// stored (or empty) moves every later block, and numbered lines would then all change; line L
// of the text (from 1) is row (L - 2) mod 16 of block (L - 2) div 16, and which section a block
// holds is the O2's to say.
bool writeL2Text(std::span<const unsigned char> l2, std::FILE* out);

// The version of these forms (and of an export's), named in git's set-up: raised whenever any
// of them changes, so that git never mixes texts it cached before with new ones.
inline constexpr int textFormVersion = 2;

// An O2: a line per section in block index order, "Sect X 12, Sect Y 200: 123456" (the byte
// offset of its block in the L2, 0 for the shared empty section), numbered as the reports number
// sections; "entry N: ..." when the count of offsets is no square.
bool writeO2Text(std::span<const unsigned char> o2, std::FILE* out);

} // namespace vantor
