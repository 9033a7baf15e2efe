#pragma once

#include "terrain/terrain_matrix.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vantor::testing {

using Bytes = std::vector<unsigned char>;

Bytes readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, const Bytes& bytes);

// A matrix of random posts (every field, attribute bytes included), with tile IDs that fit the
// layout's tile ID field.
TerrainMatrix randomMatrix(std::int32_t sections, RecordFormat format, std::uint32_t seed);

// O2 bytes for these offsets.
Bytes o2Bytes(const std::vector<std::uint32_t>& offsets);

// The matrix an L2/O2 pair holds, decoded record by record straight from the bytes, for
// comparing with the block reader.
TerrainMatrix decodeRecordByRecord(const Bytes& l2, const Bytes& o2, RecordFormat format);

} // namespace vantor::testing
