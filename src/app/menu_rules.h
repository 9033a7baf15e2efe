#pragma once

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
    RepairWritten,    // a mend wrote the terrain pair: it can be undone
    RepairUndone,     // or the last one was undone, or the pair written otherwise
};

void applyMenuEvent(ApplicationState& state, const Platform& platform, MenuEvent event);

} // namespace vantor
