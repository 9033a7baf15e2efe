#pragma once

#include "terrain/terrain_matrix.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// Tile classes of the sample terrain: each class owns a block of tile IDs, base + variant
// (0 to 15). Open sea is tile 0 at elevation 0, so sea sections are empty and share storage.
namespace sample_tiles {
inline constexpr std::uint32_t sea = 0;
inline constexpr std::uint32_t coast = 900;
inline constexpr std::uint32_t lowland = 1000;
inline constexpr std::uint32_t forest = 2000;
inline constexpr std::uint32_t highland = 3000;
inline constexpr std::uint32_t mountain = 4000;
inline constexpr std::uint32_t snow = 5000;
inline constexpr std::uint32_t variants = 16;
} // namespace sample_tiles

struct SampleOptions {
    std::int32_t sections = 64; // sections per side, 1 to 256
    RecordFormat layout = SevenByteRecords;
    std::uint32_t seed = 1;
};

inline constexpr const char* sampleTheaterName = "Quillon Sample";
inline constexpr const char* sampleL2Name = "Theater.L2";
inline constexpr const char* sampleO2Name = "Theater.O2";

// A deterministic synthetic terrain: smooth relief with sea around the edges, lowlands, forests,
// highlands and snow-capped mountains. Our own data; nothing from the simulation.
TerrainMatrix generateSampleTerrain(const SampleOptions& options);

// The ini text naming the sample theater (first, with its own geometry) and two more theaters.
std::string sampleIniText(const SampleOptions& options);

// Writes Quillon.ini, Theater.L2 and Theater.O2 into folder (created when missing).
bool writeSampleTheater(const std::string& folder, const SampleOptions& options,
                        std::string& error);

} // namespace vantor
