#pragma once

#include <string>

namespace vantor {

struct ApplicationState;
struct Platform;

// The only moments at which menu items change state; toolbar buttons never do.
enum class MenuEvent {
    InteractiveStartup,
    TerrainOpened, // terrain read or matrix loaded
    MatrixSaved,
    ObjectFileLoaded,       // a list file whose title begins with "1"
    ReportLoaded,           // a list file whose title begins with "2", "3", "4" or "9"
    OutputRequestSucceeded, // an internal output file request
    AllScansFinished,
    OutputFileClosed, // by "&Close Output Files"
    TerrainWritten,   // the terrain pair was written back, or a generation of it put back
    TerrainShut,      // by "Close Terrain"
};

void applyMenuEvent(ApplicationState& state, const Platform& platform, MenuEvent event);

// What Undo and Redo of the terrain at this path would put back, as the work that made it
// ("Mend of 24 tiles"); empty where there is nothing to undo or redo.
struct HistoryMoves {
    std::string undoWhat;
    std::string redoWhat;
};
HistoryMoves historyMovesFor(const std::string& terrainPath);

} // namespace vantor
