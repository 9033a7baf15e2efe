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
// Features laid on the land, tile id = base + edge mask (1 West, 2 North, 4 East, 8 South).
inline constexpr std::uint32_t road = 10000;
inline constexpr std::uint32_t river = 11000;
inline constexpr std::uint32_t transition = 12000;
inline constexpr std::uint32_t bridge = 13001;        // one-tile bridge
inline constexpr std::uint32_t bridgeWest = 13002;    // two-tile bridge, far tile to the east
inline constexpr std::uint32_t bridgeFarTile = 13003; // the far tile of a two-tile bridge
// Urban tiles laid under the towns of the objective export.
inline constexpr std::uint32_t cityBlock = 14000;
inline constexpr std::uint32_t townBlock = 14001;
inline constexpr std::uint32_t crossroads = 14002;
inline constexpr std::uint32_t harbour = 14003;
inline constexpr std::uint32_t villageBlock = 14004;
} // namespace sample_tiles

// Where the sample's objectives stand: land posts on a coarse grid, taking the kinds in turn.
enum class SampleSiteKind { City, Town, Village, Junction, Radar, Airbase };
struct SampleSite {
    SampleSiteKind kind;
    std::int32_t x;
    std::int32_t y;
};
std::vector<SampleSite> sampleSites(const TerrainMatrix& matrix);
bool sampleLand(const TerrainMatrix& matrix, std::int32_t x, std::int32_t y);

// The sample's objective classes, as OCD IDs of its class file.
namespace sample_classes {
inline constexpr std::int32_t city = 101;
inline constexpr std::int32_t town = 102;
inline constexpr std::int32_t village = 103;
inline constexpr std::int32_t junction = 104;
inline constexpr std::int32_t airbase = 106;
inline constexpr std::int32_t kimpo = 107;        // also class code 140
inline constexpr std::int32_t highwayStrip = 108; // class code 141: never levelled
inline constexpr std::int32_t radar = 109;
} // namespace sample_classes

// Our own class file in the simulation's layout, and the TileInfo list of the urban tiles.
std::string sampleClassFile();
std::string sampleTileInfoFile();
// The checker script (urban tiles for both object checks) and the airbase levelling script.
std::string sampleCheckerScript();
std::string sampleAirbaseScript();

// What was laid on the sample terrain, so that its scans have known results.
struct SampleFeatures {
    std::int32_t roadBreaks = 0; // each gap in a road breaks it twice
    std::int32_t riverBreaks = 0;
    std::int32_t transitionBreaks = 0;
    std::int32_t oneTileBridges = 0;
    std::int32_t twoTileBridges = 0;
    std::int32_t bridgesWithoutFarTile = 0;
};

// Whether the sample carries its deliberate faults (gaps in the roads, rivers and transitions, a
// bridge without its far tile, missing and misplaced towns, urban tiles without their objects,
// wrong parents, unlevelled airbases, radar values never computed) or none of them.
enum class SampleFaults { Planted, None };

struct SampleOptions {
    std::int32_t sections = 64; // sections per side, 1 to 256
    RecordFormat layout = SevenByteRecords;
    std::uint32_t seed = 1;
    SampleFaults faults = SampleFaults::Planted;
};

inline constexpr const char* sampleTheaterName = "Quillon Sample";
inline constexpr const char* sampleL2Name = "Theater.L2";
inline constexpr const char* sampleO2Name = "Theater.O2";

// A deterministic synthetic terrain: smooth relief with sea around the edges, lowlands, forests,
// highlands and snow-capped mountains. Our own data; nothing from the simulation.
// With features, roads run along rows and rivers along columns of the land, crossing on
// bridges, with transition strips and a few deliberate gaps. Without faults, the ground around
// every airbase is level with the airbase's own post.
TerrainMatrix generateSampleTerrain(const SampleOptions& options,
                                    SampleFeatures* features = nullptr);

// The scripts that describe the sample's tiles.
std::string sampleScript(int kind); // 1 bridge, 2 road, 3 river, 5 transition

// The ini text naming the sample theater (first, with its own geometry) and two more theaters.
std::string sampleIniText(const SampleOptions& options);

inline constexpr const char* sampleExportName = "Theater.csv";
// An objective export of synthetic objectives on the land of the terrain: cities, towns,
// villages, junctions, airbases and radar sites on a coarse grid, bridges on the bridge tiles,
// with parents (a few deliberately wrong) and links. Some villages stand beside their tile,
// some junctions off theirs, and some towns are missing, for the object checks to find.
// Without faults, every object stands on the tile laid for it, has a city or town as its parent
// and carries the radar profile of its post (default settings, the map's own last X).
std::string sampleObjectiveExport(const TerrainMatrix& matrix,
                                  SampleFaults faults = SampleFaults::Planted);
// The files writeSampleTheater writes.
const std::vector<std::string>& sampleFileNames();

// Writes Quillon.ini, Theater.L2, Theater.O2, the scan, checker and airbase scripts,
// Falcon4.ocd, TileInfo.dat and the objective export Theater.csv into folder (created when
// missing), each written aside like every file the program writes.
bool writeSampleTheater(const std::string& folder, const SampleOptions& options, std::string& error,
                        SampleFeatures* features = nullptr);

} // namespace vantor
