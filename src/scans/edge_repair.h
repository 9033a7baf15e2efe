#pragma once

#include "scans/bridge_placement.h"
#include "scans/edge_scan.h"
#include "scans/tile_script.h"
#include "scans/tile_view.h"
#include "terrain/terrain_matrix.h"

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// The scripts a tile change must keep whole: a post changed for its road may carry a river, a
// transition or a bridge too. A script that is not at hand is null and not looked at.
struct RepairScripts {
    const TileScript* road = nullptr;
    const TileScript* river = nullptr;
    const TileScript* transition = nullptr;
    const TileScript* bridge = nullptr;
};

// Which script a fault belongs to.
enum class RepairScript : int { Road = 0, River = 1, Transition = 2, Bridge = 3 };

// The script of that kind among those at hand (null when it is not at hand).
const TileScript* scriptFor(const RepairScripts& scripts, RepairScript which);

// One fault of the terrain: an edge break of a road, river or transition (its direction 1 West,
// 2 North, 3 East, 4 South), or a two-tile bridge without its far tile (direction 0).
struct TerrainFault {
    RepairScript script = RepairScript::Road;
    std::int32_t x = 0;
    std::int32_t y = 0;
    int direction = 0;
    auto operator<=>(const TerrainFault&) const = default;
};

// The faults a change of post (x, y) can make or mend, as the view shows the terrain: every edge
// break of the post and of its four neighbours, and the two-tile bridges whose far post is the
// post (or that stand on it), sorted.
std::vector<TerrainFault> faultsAround(const TileView& view, const RepairScripts& scripts,
                                       std::int32_t x, std::int32_t y);

// One tile put on one post, and what it does there.
struct TileRepair {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t from = 0; // the tile the post has now
    std::uint32_t to = 0;
    // 0: the post at fault; otherwise the neighbour across that edge of it (1 West, 2 North,
    // 3 East, 4 South), or for a bridge the direction of its far post.
    int direction = 0;
    int changedEdges = 0; // edges of the script's mask that differ from the post's tile now
    int mended = 0;       // faults of the neighbourhood the change takes away, in every script
};

// The tiles of each script by their edge mask, built once for many suggestions.
struct RepairTables {
    RepairScripts scripts;
    // For each edge script, the tile ids (each once, with its first record's mask) by mask.
    std::array<std::array<std::vector<std::uint32_t>, 16>, 3> byMask;
    std::vector<std::uint32_t> opposingTiles; // of the bridge script, ascending
};
RepairTables buildRepairTables(const RepairScripts& scripts);

// What would mend a break, ranked. A repair must take the break away and make no new fault in
// any script at hand. Candidates are the script's tiles whose edge mask agrees with all four
// neighbours (an edge a neighbour offers is present, one it lacks is absent), first for the post
// at fault, then for its neighbour across the broken edge. Ranked: most faults mended, a tile of
// the post's own tile set (the same thousand of tile ids), fewest edges changed, the tile id
// nearest the post's own, the post at fault before its neighbour.
struct EdgeRepairs {
    std::vector<TileRepair> repairs; // at most `most`
    bool postFits = false;           // some tile of the script fits the post at fault
    bool neighbourFits = false;      // some tile fits the neighbour across the broken edge
    bool neighbourOnMap = false;
    bool refused = false; // tiles fitted the mask but each made a fault elsewhere
};
EdgeRepairs suggestEdgeRepairs(const TerrainMatrix& matrix, const RepairTables& tables,
                               RepairScript script, const EdgeBreak& broken, std::size_t most = 4);

// Where a two-tile bridge's missing far tile belongs and which of the bridge script's far tiles
// (negative span) could go there, ranked as the edge repairs are; those of the bridge's own
// direction letter first.
struct FarTileRepairs {
    std::int32_t x = 0;
    std::int32_t y = 0;
    int direction = 0; // 3 East (letter W) or 2 North
    bool onMap = false;
    std::vector<TileRepair> repairs;
    bool refused = false; // far tiles exist but each made a fault elsewhere
};
FarTileRepairs suggestFarTile(const TerrainMatrix& matrix, const RepairTables& tables,
                              const BridgeTile& bridge, std::size_t most = 4);

// What putting one tile on one post does to the faults around it (faultsAround): those it takes
// away and those it makes, in every script at hand.
struct TileEffect {
    std::vector<TerrainFault> mended;
    std::vector<TerrainFault> made;
};
TileEffect effectOfTile(const TerrainMatrix& matrix, const RepairScripts& scripts, std::int32_t x,
                        std::int32_t y, std::uint32_t tile);

// A tile that can go on a post: of a road, river or transition script at hand, its edges agree
// with the four neighbours (as the repairs' candidates do) and it makes no fault around.
struct TileChoice {
    TileRepair repair; // direction 0; `mended` counts the faults it takes away
    RepairScript script = RepairScript::Road;
    std::vector<TerrainFault> mended;
};
// Every such tile but the post's own, ranked as the repairs are: most faults mended, the post's
// own tile set, fewest edges changed, the nearest tile id. A tile of several scripts is listed
// once, under the first.
std::vector<TileChoice> tilesThatFit(const TerrainMatrix& matrix, const RepairTables& tables,
                                     std::int32_t x, std::int32_t y);

// A fault in words: "road break to the West of 512,195", "two-tile bridge at 512,195 without its
// far tile".
std::string faultText(const TerrainFault& fault);

// "road", "river", "transition", "bridge".
const char* repairScriptName(RepairScript script);

// "West", "North", "East", "South" for 1 to 4.
const char* directionName(int direction);

} // namespace vantor
