#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// A small, deterministic theater for the demo, the tests and the benchmarks.
struct SampleTheater {
    std::string name;
    std::int32_t sections; // square: sections along X and along Y
    float swLongitude, swLatitude, neLongitude, neLatitude;
};

std::vector<SampleTheater> sampleTheaters();

// The ini text that lists the sample theaters with their geometry.
std::string sampleIniText();

// Writes Quillon.ini into folder (created when missing); false when it cannot be written.
bool writeSampleTheater(const std::string& folder, std::string& error);

} // namespace vantor
