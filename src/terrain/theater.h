#pragma once

#include "terrain/ini_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// The geometry of the current theater.
struct TheaterDefinition {
    std::string sectionName;
    // Corners in decimal degrees; carried for completeness, nothing computes with them.
    float swLongitude = 11.0F;
    float swLatitude = 36.625F;
    float neLongitude = 21.0F;
    float neLatitude = 46.625F;
    std::int32_t xMapExtent = 1024;
    std::int32_t yMapExtent = 1024;
    std::int32_t xSections = 64;
    std::int32_t ySections = 64;
    std::int32_t xTiles = 16;
    std::int32_t yTiles = 16;
    // Set only when terrain is opened or a matrix loaded; the scan dialog may lower the map ones.
    std::int32_t lastMapX = 1023;
    std::int32_t lastMapY = 1023;
    std::int32_t lastSectionColumn = 63;
    std::int32_t lastSectionRow = 63;
};

// The geometry in force before the ini file is read, and whenever it is not read.
TheaterDefinition builtInTheater();

inline constexpr std::size_t maxTheaters = 10;
inline constexpr const char* theaterIniName = "Quillon.ini";

struct TheaterList {
    std::vector<std::string> names; // at most maxTheaters, in ini order
};

// The theater list of section "Location": "Theaters" (default 1, at most 10) names, each read
// from key n with default "Balkans". Names are kept whole so that each still finds its section.
TheaterList readTheaterList(const IniFile& ini);

// Reads the ten geometry keys of a theater's section, in their fixed order. A value that does
// not begin with a number leaves its field as it was; the "last" values are not touched.
void readTheaterGeometry(const IniFile& ini, std::string_view sectionName,
                         TheaterDefinition& theater);

// The geometry that terrain files imply: a square map of sections of 16 x 16 posts, replacing
// whatever the ini file said, the "last" values included.
void applyTerrainGeometry(TheaterDefinition& theater, std::int32_t sectionsPerSide);

// One line describing a theater's geometry, e.g. "1024 x 1024 posts, 64 x 64 sections of
// 16 x 16 posts, SW 11.000 36.625, NE 21.000 46.625".
std::string describeGeometry(const TheaterDefinition& theater);

// The geometry of the index-th listed theater as selecting it would read it on a fresh start.
TheaterDefinition listedTheaterGeometry(const IniFile& ini, const TheaterList& list,
                                        std::size_t index);

// Index of the listed theater with this name (without regard to case), or -1.
int findTheater(const TheaterList& list, std::string_view name);

// Coordinates of a post given by Map X and Map Y.
std::int32_t sectionColumn(const TheaterDefinition& t, std::int32_t mapX);
std::int32_t sectionRow(const TheaterDefinition& t, std::int32_t mapY);
std::int32_t columnInSection(const TheaterDefinition& t, std::int32_t mapX);
std::int32_t rowInSection(const TheaterDefinition& t, std::int32_t mapY);
// Place of the post's section in the block offset table.
std::int64_t blockIndex(const TheaterDefinition& t, std::int32_t mapX, std::int32_t mapY);
// Place of the post in the terrain matrix (row-major by Map Y).
std::int64_t matrixIndex(const TheaterDefinition& t, std::int32_t mapX, std::int32_t mapY);

// The section and tile numbers users see in dialogs and reports: Sect Y counts section rows
// from the north edge, Tile X and Tile Y count posts inside the section from 1.
std::int32_t userSectX(const TheaterDefinition& t, std::int32_t mapX);
std::int32_t userSectY(const TheaterDefinition& t, std::int32_t mapY);
std::int32_t userTileX(const TheaterDefinition& t, std::int32_t mapX);
std::int32_t userTileY(const TheaterDefinition& t, std::int32_t mapY);

} // namespace vantor
