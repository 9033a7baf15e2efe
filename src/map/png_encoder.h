#pragma once

#include "map/map_overlay.h"
#include "map/map_render.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantor {

// A PNG file's bytes, on huge pages as a whole theater's picture is.
using PngBytes = std::vector<unsigned char, MatrixAllocator<unsigned char>>;

// The image as an 8-bit RGBA PNG file in `bytes`: each row as the difference from the one above,
// compressed by our own deflate (Huffman codes made for each block of rows, runs of a repeated
// pixel as matches), bands of rows compressed on `threads` threads (0: one per core). The bytes
// depend only on the image, never on the number of threads. False with the reason in `error`
// (an image with no pixels has no PNG form).
bool encodeMapPng(const MapImage& image, PngBytes& bytes, std::string& error, unsigned threads = 0);
// The same file's bytes as text, for embedding in a page: what every front end embeds, so that
// a page saved from any of them is the same file.
bool encodeMapPng(const MapImage& image, std::string& bytes, std::string& error);

// Gives pixel row y (0 at the top) of a picture: its pixels where they are, or drawn into
// `room` (a row's worth) and `room` returned. Called from several threads at once.
using PngRows = std::function<const Argb*(std::int32_t y, Argb* room)>;

// The same for a picture whose rows are drawn as the encoder asks for them, never held whole.
bool encodeMapPng(std::int32_t width, std::int32_t height, const PngRows& rows, PngBytes& bytes,
                  std::string& error, unsigned threads = 0);

// The terrain of the window with its section lines and the markers over it, as renderTerrain,
// drawSectionGrid and drawMarkers draw them, a row at a time into the PNG as it is compressed.
bool encodeTerrainPng(const TerrainMatrix& matrix, const TileClassifier& classes, MapMode mode,
                      const MapWindow& window, const std::vector<MapMarker>& markers,
                      PngBytes& bytes, std::string& error);

// The checksums the format uses, exposed for the tests.
std::uint32_t pngCrc32(std::uint32_t crc, const unsigned char* data, std::size_t length);
std::uint32_t zlibAdler32(std::uint32_t adler, const unsigned char* data, std::size_t length);
// The Adler-32 of A followed by B from those of A and B and the length of B.
std::uint32_t combineAdler32(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength);

// Deflate code lengths of at most `limit` bits for `count` symbol frequencies, shorter for the
// more frequent; at least two symbols get a length, so that the code is complete.
void huffmanLengths(const std::uint32_t* frequencies, int count, int limit, std::uint8_t* lengths);

} // namespace vantor
