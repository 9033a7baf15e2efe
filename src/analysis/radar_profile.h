#pragma once

#include "terrain/terrain_matrix.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vantor {

// The radar scanner settings, kept for the run. All three stay 0 until the settings dialog has
// been confirmed once.
struct RadarSettings {
    float maximumRange = 0.0f;     // km
    float rangeIncrement = 0.0f;   // km
    float azimuthIncrement = 0.0f; // degrees
    friend bool operator==(const RadarSettings&, const RadarSettings&) = default;
};

// What the settings dialog opens with, and what a profile uses before it was ever confirmed.
inline constexpr RadarSettings defaultRadarSettings{40.0f, 1.0f, 1.0f};

// Bounds beyond which a profile would never finish in useful time (or at all).
inline constexpr float firstSampleDistance = 1.5f;
inline constexpr float largestRadarRange = 10000.0f;
inline constexpr float smallestRangeIncrement = 0.01f;
inline constexpr float smallestAzimuthIncrement = 0.01f;
inline constexpr float largestAzimuthIncrement = 360.0f;

// Why the settings cannot be used for a profile; none when they can.
std::optional<std::string> radarSettingsProblem(const RadarSettings& settings);

// The settings a profile is computed with: the given ones when usable, else the defaults.
RadarSettings usableRadarSettings(const RadarSettings& settings);

// Eight sector values: around azimuth 180, 135, 90, 45, 0, 315, 270 and 225 degrees. Azimuth 0
// points along increasing Map Y, azimuth 90 along increasing Map X.
using RadarProfile = std::array<float, 8>;

// Everything about a profile that depends only on the settings and the map bound, worked out once
// per run: the azimuths of every sector with their sines and cosines, the distances along a ray
// with the earth-curvature terms of each, and the value of a ray that ends at each distance.
struct RadarWalk {
    RadarSettings settings;
    std::int32_t lastMapX = 0; // rays end beyond it, in X and in Y alike
    std::int32_t lastMapY = 0; // never beyond the matrix itself
    struct Direction {
        double sine;
        double cosine;
    };
    std::array<std::vector<Direction>, 8> sectors;
    std::vector<double> distances;
    std::vector<double> curvature;   // c = cos(r x earth term), per distance
    std::vector<double> groundRange; // g of the elevation angle, per distance
    std::vector<double> leftMapValue; // S(r - range increment), per distance
    double beyondRangeValue = 0.0;    // S(r) for the first r past the maximum range
    // The elevations of the map alone, row by row: a profile's rays then stay within a few
    // kilobytes of the processor's nearest cache.
    std::vector<std::uint16_t> elevations;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The walk over the map up to lastMapX, with the settings when usable (see
// radarSettingsProblem), else the defaults.
RadarWalk makeRadarWalk(const RadarSettings& settings, std::int32_t lastMapX,
                        const TerrainMatrix& matrix);

// The profile of a radar at (mapX, mapY). A radar off the map stands at elevation 0.
RadarProfile radarProfile(const RadarWalk& walk, std::int32_t mapX, std::int32_t mapY);

// One sample of the walk: the value of a single ray at the given azimuth (degrees).
double radarSampleValue(const RadarWalk& walk, std::int32_t mapX, std::int32_t mapY,
                        double azimuth);

struct RadarSite {
    std::int32_t mapX = 0;
    std::int32_t mapY = 0;
};

// Profiles of many radars, spread over up to `threads` threads (0: every core). The result is
// the same, value for value, whatever the number of threads.
void radarProfiles(const RadarWalk& walk, std::span<const RadarSite> sites,
                   std::span<RadarProfile> profiles, unsigned threads = 0);

// The eight values as the rewriters print them, each "%5.3f" followed by ", " except the last,
// which is followed by "," alone.
std::string formatRadarValues(const RadarProfile& profile);

} // namespace vantor
