#pragma once

#include "base/pair_history.h"

#include <string>

namespace vantor {

struct ApplicationState;
struct Platform;

// Edit > "Undo" (10243) and "Redo" (10246): the generation of the open terrain's pair before
// (or after) the one in place is put back from the pair's history, the pair it replaces kept in
// turn, and the matrix is read again from the files.
bool undoTerrainCommand(ApplicationState& state, const Platform& platform);
bool redoTerrainCommand(ApplicationState& state, const Platform& platform);

// The command line's history, undo and redo, on the files alone.
struct HistoryListing {
    bool ok = false;
    std::string text;  // the listing
    std::string error; // why there is none
};
HistoryListing listTerrainHistory(const std::string& l2Path);

struct HistoryMove {
    bool ok = false;
    std::string text;  // what was put back and where the replaced pair is kept
    std::string error; // why nothing was put back: nothing to do, or a failure (change.error)
    PairChange change;
};
HistoryMove moveTerrainHistory(const std::string& l2Path, int steps, bool redo);

// How many replaced generations the terrain's history keeps (besides the first).
bool keepTerrainHistory(const std::string& l2Path, int keep, std::string& error);

} // namespace vantor
