#pragma once

#include "terrain/terrain_io.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

struct ApplicationState;
struct Platform;

// The terrain file dialog of a terrain command (10215, 10228 or 10227). On a choice the
// terrain folder and terrainPath take the chosen file; false when cancelled or failed.
bool requestTerrainFile(ApplicationState& state, const Platform& platform, int command);

// "Open &L2 Terrain file ..." (10215): the dialog, then openTerrainAtPath.
bool openL2TerrainCommand(ApplicationState& state, const Platform& platform);
// 10221: reads the L2/O2 pair at terrainPath into the matrix with the progress window; on
// success terrain is open for the rest of the run and the terrain commands are enabled.
bool openTerrainAtPath(ApplicationState& state, const Platform& platform);
// "Load L2M &Matrix File..." (10228).
bool loadMatrixCommand(ApplicationState& state, const Platform& platform);
// "&Save L2M Matrix..." (10227).
bool saveMatrixCommand(ApplicationState& state, const Platform& platform);

// What closing the terrain would drop that was not saved, as the question to ask first; none
// when nothing would be lost.
std::optional<std::string> closeTerrainQuestion(const ApplicationState& state);
// "Close Terrain" (10248): after the question, the matrix, the audit and the Find L2 Info window
// go, the selected theater's geometry is back in force and the terrain can be opened again.
bool closeTerrainCommand(ApplicationState& state, const Platform& platform);

// Find L2 Info (10222 shows the window, 10223 closes it).
bool showFindL2Info(ApplicationState& state, const Platform& platform);
bool closeFindL2Info(ApplicationState& state, const Platform& platform);

// Progress of a terrain operation through the progress window (counter -1 leaves the counter).
TerrainProgress terrainProgress(ApplicationState& state, const Platform& platform);

// Writes the matrix into the terrain pair it was read from, both files replaced as one commit
// and the previous pair kept in the pair's history; `done` and `verb` name the work in the
// messages ("levelled", "level"), `what` in the history ("Levelling of 3 airbases"). Both files
// must already exist: terrain loaded from a matrix file has no pair to write into. What the
// commit came to stays in state.terrain.lastWrite. Without `announce` a write that succeeds
// says nothing (its caller tells what was done); failures are always said.
bool writeTerrainBack(ApplicationState& state, const Platform& platform, std::string_view done,
                      std::string_view verb, const std::string& what, bool announce = true);

// After the pair was replaced (written back, or a generation put back): the new files are the
// inputs to keep and the version the next write-back expects.
void noteTerrainWritten(ApplicationState& state, const Platform& platform,
                        const std::filesystem::path& l2Path, const std::filesystem::path& o2Path);

} // namespace vantor
