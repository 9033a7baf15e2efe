#pragma once

#include "base/file_guard.h"
#include "base/input_file.h"
#include "base/pair_history.h"

#include <string>
#include <vector>

namespace vantor {

// A terrain pair opened for reading as one version: the O2 found beside the L2, an interrupted
// write of the pair finished or undone first (a dry run reads the files as that would leave them
// and changes nothing), and both files opened while no commit is under way.
struct TerrainPairFiles {
    BinaryReader l2;
    BinaryReader o2;
    std::string o2Path;       // the O2 as found beside the L2
    PairVersion version;      // the two files as opened
    Recovery recovery;        // the interrupted write met, if any
    std::string recoveryText; // what was done about it, for the user; empty when nothing
    std::string error;        // why the pair could not be opened
    std::string failedPath;   // the file the error is about
};

bool openTerrainPair(const std::string& l2Path, bool dryRun, TerrainPairFiles& files);

// The real L2 and O2 of the terrain at terrainPath (its L2 or its O2, any letter case), which a
// write-back replaces; false with the reason (an .L2M file has no pair; both files must be
// there, in one folder).
bool terrainPairFor(const std::string& terrainPath, std::filesystem::path& realL2,
                    std::filesystem::path& realO2, std::string& error);
// The same names, whether the files are there or not (a write stopped half way may have moved
// one aside).
bool terrainPairNames(const std::string& terrainPath, std::filesystem::path& realL2,
                      std::filesystem::path& realO2, std::string& error);

// The files a write-back of the pair keeps beside it under names of their own (the backup names
// of the pair it replaced), which no output may take.
std::vector<InputFiles::Kept> terrainKeptFiles(const std::filesystem::path& l2,
                                               const std::filesystem::path& o2);

} // namespace vantor
