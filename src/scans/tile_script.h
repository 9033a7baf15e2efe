#pragma once

#include "base/message.h"

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantor {

enum class ScriptKind : int {
    Bridge = 1,
    Road = 2,
    River = 3,
    Object = 4,
    Transition = 5,
    Checker = 6,
    CityChecker = 7,
};

const char* scriptFileName(ScriptKind kind);

struct TileRecord {
    std::int32_t tileId = 0;
    std::uint16_t variable = 0;    // bridge lines: random-select variable of the object
    std::int16_t span = 0;         // 1 one-tile bridge, 2 two-tile; negative for opposing tiles
    char direction = 0;            // letter 1: 'W' puts the opposing tile to the east
    std::array<char, 3> letters{}; // letters 2 to 4, read and kept
    std::uint8_t edgeMask = 0;     // edge lines: 1 West, 2 North, 4 East, 8 South
};

struct RandomSelectEntry {
    std::int32_t objectiveType = 0;
    std::uint16_t variable = 0;
    std::int16_t xOffset = 0;
    std::int16_t yOffset = 0;
};

struct TileIdRange {
    std::int32_t low = 0;
    std::int32_t high = 0;
};

struct CheckerRecord {
    std::int32_t tileId = 0;
    std::int32_t cityClass = 0;
    std::int32_t townClass = 0;
    std::int32_t villageClass = 0;
    std::int32_t junctionClass = 0;
    std::int32_t newJunctionClass = 0;
};

inline constexpr int randomSelectVariables = 59; // variables 1 to 59
inline constexpr std::size_t entriesPerVariable = 39;

// The tables one script file fills. The tile, range, entry and checker tables grow as needed;
// the random-select variables keep their fixed number and room.
struct TileScript {
    std::vector<TileRecord> tiles;
    std::int32_t lowerBound = 0;
    std::int32_t upperBound = 0;
    std::vector<TileIdRange> ranges;
    std::vector<RandomSelectEntry> entries;
    std::array<std::vector<RandomSelectEntry>, randomSelectVariables + 1> variables;
    std::vector<CheckerRecord> checkers;

    // The first record of each tile id, and the first with a positive span (a bridge) and
    // whether any has a negative one (an opposing tile): built once per load.
    std::unordered_map<std::int32_t, std::size_t> firstRecord;
    // The same as a table by tile id from denseLow on, when the ids lie close enough together
    // (a scan looks up every post and its neighbours: an index beats a hash); -1 for none.
    std::vector<std::int32_t> denseFirst;
    std::int32_t denseLow = 0;
    std::unordered_map<std::int32_t, std::size_t> firstBridge;
    std::unordered_map<std::int32_t, bool> opposing;
};

void clearTileScript(TileScript& script, ScriptKind kind);
// What a scan does when it ends: the tile records go, so the next scan reads its own script.
void emptyTileTable(TileScript& script);

// The first record with this tile id, or null.
const TileRecord* findTile(const TileScript& script, std::int32_t tileId);

struct ScriptLoad {
    bool ok = false;
    std::vector<MessageBoxRequest> messages;
};

// Parses a script's text into the tables (after clearing them).
ScriptLoad parseTileScript(TileScript& script, ScriptKind kind, std::string_view text);

// Whose words a missing script is told in: the scans' own message, as the suite's users know it
// (" Could not script file: ..."), or the program's newer commands' (" Could not open script
// file: ...").
enum class ScriptWording { Suite, Own };

// Reads the kind's file from the start folder (its name found whatever its letter case). A
// missing or unreadable file leaves the tables as they were and fails with an error message.
ScriptLoad loadTileScript(TileScript& script, ScriptKind kind, const std::string& startDirectory,
                          ScriptWording wording = ScriptWording::Suite);

} // namespace vantor
