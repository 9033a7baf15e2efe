#include "terrain/theater.h"

#include "base/text_util.h"

#include <algorithm>
#include <cstdio>

namespace vantor {

namespace {

constexpr const char* locationSection = "Location";
constexpr const char* defaultTheaterName = "Balkans";

void readInt(const IniFile& ini, std::string_view section, const char* key, const char* def,
             std::int32_t& field) {
    if (auto value = parseLeadingInt(iniValue(ini, section, key, def))) {
        field = *value;
    }
}

// A size of the theater: a value below 1 would divide by zero or walk backwards, and leaves the
// field as it was, as a value that is no number does.
void readSize(const IniFile& ini, std::string_view section, const char* key, const char* def,
              std::int32_t& field) {
    std::int32_t value = field;
    readInt(ini, section, key, def, value);
    if (value >= 1) {
        field = value;
    }
}

void readReal(const IniFile& ini, std::string_view section, const char* key, const char* def,
              float& field) {
    if (auto value = parseLeadingFloat(iniValue(ini, section, key, def))) {
        field = *value;
    }
}

// Floor division, so that coordinates left of or above the map still name the section they
// would fall in rather than section 0.
std::int32_t floorDiv(std::int32_t a, std::int32_t b) {
    if (b == 0) {
        return 0;
    }
    std::int32_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

std::int32_t floorMod(std::int32_t a, std::int32_t b) {
    return b == 0 ? 0 : a - floorDiv(a, b) * b;
}

} // namespace

TheaterDefinition builtInTheater() {
    return TheaterDefinition{};
}

TheaterList readTheaterList(const IniFile& ini) {
    std::int32_t count = 1;
    readInt(ini, locationSection, "Theaters", "1", count);
    count = std::min<std::int32_t>(count, static_cast<std::int32_t>(maxTheaters));
    TheaterList list;
    for (std::int32_t n = 1; n <= count; ++n) {
        list.names.push_back(iniValue(ini, locationSection, std::to_string(n), defaultTheaterName));
    }
    return list;
}

void readTheaterGeometry(const IniFile& ini, std::string_view sectionName,
                         TheaterDefinition& theater) {
    theater.sectionName = std::string(sectionName);
    readReal(ini, sectionName, "SW Long", "11.0", theater.swLongitude);
    readReal(ini, sectionName, "SW Lat", "36.625", theater.swLatitude);
    readReal(ini, sectionName, "NE Long", "21.0", theater.neLongitude);
    readReal(ini, sectionName, "NE Lat", "46.625", theater.neLatitude);
    readSize(ini, sectionName, "X Map Extent", "1024", theater.xMapExtent);
    readSize(ini, sectionName, "Y Map Extent", "1024", theater.yMapExtent);
    readSize(ini, sectionName, "X Sections", "64", theater.xSections);
    readSize(ini, sectionName, "Y Sections", "64", theater.ySections);
    readSize(ini, sectionName, "X Tiles", "16", theater.xTiles);
    readSize(ini, sectionName, "Y Tiles", "16", theater.yTiles);
}

void applyTerrainGeometry(TheaterDefinition& t, std::int32_t sections) {
    t.xTiles = t.yTiles = 16;
    t.xSections = t.ySections = sections;
    t.xMapExtent = t.yMapExtent = sections * 16;
    t.lastMapX = t.lastMapY = t.xMapExtent - 1;
    t.lastSectionColumn = t.lastSectionRow = sections - 1;
}

std::string describeGeometry(const TheaterDefinition& t) {
    char corners[96];
    std::snprintf(corners, sizeof corners, "SW %.3f %.3f, NE %.3f %.3f",
                  static_cast<double>(t.swLongitude), static_cast<double>(t.swLatitude),
                  static_cast<double>(t.neLongitude), static_cast<double>(t.neLatitude));
    return std::to_string(t.xMapExtent) + " x " + std::to_string(t.yMapExtent) + " posts, " +
           std::to_string(t.xSections) + " x " + std::to_string(t.ySections) + " sections of " +
           std::to_string(t.xTiles) + " x " + std::to_string(t.yTiles) + " posts, " + corners;
}

TheaterDefinition listedTheaterGeometry(const IniFile& ini, const TheaterList& list,
                                        std::size_t index) {
    TheaterDefinition t = builtInTheater();
    if (index < list.names.size()) {
        readTheaterGeometry(ini, list.names[index], t);
    }
    return t;
}

int findTheater(const TheaterList& list, std::string_view name) {
    for (std::size_t i = 0; i < list.names.size(); ++i) {
        if (equalsIgnoreCase(list.names[i], name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::int32_t sectionColumn(const TheaterDefinition& t, std::int32_t mapX) {
    return floorDiv(mapX, t.xTiles);
}

std::int32_t sectionRow(const TheaterDefinition& t, std::int32_t mapY) {
    return floorDiv(mapY, t.yTiles);
}

std::int32_t columnInSection(const TheaterDefinition& t, std::int32_t mapX) {
    return floorMod(mapX, t.xTiles);
}

std::int32_t rowInSection(const TheaterDefinition& t, std::int32_t mapY) {
    return floorMod(mapY, t.yTiles);
}

std::int64_t blockIndex(const TheaterDefinition& t, std::int32_t mapX, std::int32_t mapY) {
    return std::int64_t{sectionRow(t, mapY)} * t.xSections + sectionColumn(t, mapX);
}

std::int64_t matrixIndex(const TheaterDefinition& t, std::int32_t mapX, std::int32_t mapY) {
    return std::int64_t{mapX} + std::int64_t{mapY} * t.xMapExtent;
}

std::int32_t userSectX(const TheaterDefinition& t, std::int32_t mapX) {
    return sectionColumn(t, mapX);
}

std::int32_t userSectY(const TheaterDefinition& t, std::int32_t mapY) {
    // A post far off the map (an objective's own coordinates) must not overflow.
    const std::int64_t row = std::int64_t{t.ySections} - 1 - sectionRow(t, mapY);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(row, INT32_MIN, INT32_MAX));
}

std::int32_t userTileX(const TheaterDefinition& t, std::int32_t mapX) {
    return columnInSection(t, mapX) + 1;
}

std::int32_t userTileY(const TheaterDefinition& t, std::int32_t mapY) {
    return rowInSection(t, mapY) + 1;
}

} // namespace vantor
