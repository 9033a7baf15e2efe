#pragma once

#include <cstdint>
#include <string>

namespace vantor {

struct ApplicationState;
struct Platform;

// The identifier jumps of the suite: 3800 becomes 18579 and 18630 becomes 21000.
std::int32_t skipReservedIdentifiers(std::int32_t identifier);

struct BridgeObject {
    std::int32_t identifier = 0;
    std::int32_t objectiveType = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t owner = 1;
    std::int32_t supply = 235;
    std::int32_t priority = 20;
    std::int32_t controller = 1;
};

// One bridge objective in the export format, without its line end.
std::string bridgeObjectLine(const BridgeObject& bridge);

// The rotating selector: the 1-based entry of a variable with n entries.
std::int32_t rotatingEntry(std::int32_t& selector, std::size_t n);

inline constexpr const char* rejectionFileName = "NoOpposingTile.txt";

// Bridge placement over the search area with the loaded bridge script. Returns the number of
// bridges placed (or found, when nothing is written).
std::int32_t runBridgePlacement(ApplicationState& state, const Platform& platform);

} // namespace vantor
