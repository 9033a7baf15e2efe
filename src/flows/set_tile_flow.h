#pragma once

#include "scans/edge_repair.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

struct ApplicationState;
struct Platform;

// One tile put on one post by hand.
struct SetTileRequest {
    std::int32_t x = 0; // Map X, Map Y
    std::int32_t y = 0;
    std::uint32_t tile = 0;
    bool dryRun = false;  // say what it would do; change and write nothing
    bool announce = true; // a message when the terrain is written (the desktop says it itself)
};

// What it came to: the tile the post had, the faults around it the new tile mends and makes (in
// the scripts of the start folder that could be read), and whether the pair was written.
struct SetTileResult {
    bool done = false; // ran to its end (a dry run included)
    std::uint32_t from = 0;
    TileEffect effect;
    std::vector<std::string> scriptsMissing; // tile scripts that could not be read
    bool terrainWritten = false;
};

// Why the request cannot be carried out on the open terrain (off the map, a tile id the
// terrain's record layout cannot hold, the post's own tile); nothing when it can.
std::optional<std::string> setTileProblem(const ApplicationState& state,
                                          const SetTileRequest& request);

// Puts the tile on the post and writes the terrain pair back as one commit, the previous pair
// kept in its history as "Set tile at X,Y: FROM → TO" (Undo puts it back). A tile that makes
// faults is put in place all the same: the builder chose it; the result says which. Run it
// through runFlow with the command SetTile.
SetTileResult setTile(ApplicationState& state, const Platform& platform,
                      const SetTileRequest& request);

// "Set tile at 512,195: 4007 → 10005; it mends 2 faults and makes none": what a Set Tile did.
std::string setTileOutcome(const SetTileRequest& request, const SetTileResult& result);

// Actions > "Set Tile..." (and a right-click on the map): the picker at state.tools' post, then
// setTile. What it did goes to the status bar where there is one, else into a message.
bool setTileCommand(ApplicationState& state, const Platform& platform);

// The tiles of the start folder's scripts that fit the post, ranked (tilesThatFit), for a
// picker.
std::vector<TileChoice> tileChoicesAt(const ApplicationState& state, std::int32_t x,
                                      std::int32_t y);

// The picker's texts, the same in every front end: its columns, a fitting tile's row, what the
// list says when nothing fits, and what the tile typed (or chosen) would do, said before it is
// set (a dry run of setTile).
inline constexpr const char* tileChoiceColumns[4] = {"Tile", "Script", "Mends", "Edges changed"};
inline constexpr const char* tileChoicesHeading =
    "Tiles of the scripts at hand that fit the four neighbours, best first:";
inline constexpr const char* noTileFits =
    "No tile of the scripts at hand fits here; a tile typed below is set all the same.";
struct TileChoiceRow {
    std::string text[4];
    std::uint32_t tile = 0;
};
TileChoiceRow tileChoiceRow(const TileChoice& choice);
struct TilePickEffect {
    std::vector<std::string> lines;  // said in turn
    std::size_t boldFrom = SIZE_MAX; // the line of the faults it makes, where it makes any
    bool warning = false;            // said in red: no tile, a refusal, or faults it makes
    bool settable = false;           // Set Tile may put it in place
    std::uint32_t tile = 0;
};
TilePickEffect tilePickEffect(ApplicationState& state, const Platform& platform, std::int32_t x,
                              std::int32_t y, std::string_view typed);

// "Set tile at 512,195: 4007 → 10005", the history's name of the change.
std::string setTileWhat(std::int32_t x, std::int32_t y, std::uint32_t from, std::uint32_t to);

} // namespace vantor
