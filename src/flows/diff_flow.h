#pragma once

#include "terrain/terrain_matrix.h"
#include "terrain/theater.h"
#include "tools/theater_diff.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace vantor {

struct ApplicationState;
struct Platform;

// Reads the later terrain (an .L2 with its .O2 beside it, or an .L2M of the open terrain's size)
// and the two exports, and compares them with the open terrain and with each other.
TheaterDiff diffTheater(ApplicationState& state, const Platform& platform,
                        const std::string& afterTerrain, const std::string& beforeSource,
                        const std::string& afterSource);

// The terrain (with its O2) and the export as the git revision `revision` holds them, copied
// under their own names into `folder`: the copies' paths (empty where none was asked for), or
// the reason in error. The files are found in the repository by where they are now.
struct RevisionCopy {
    std::string terrain;
    std::string source;
    std::string error;
};
// Names the files a comparison of revisions read as the user knows them: "PATH at REV" (the
// working file where a revision is empty), instead of the copies.
void nameRevisions(TheaterDiff& diff, const std::string& terrain, const std::string& source,
                   const std::string& beforeRevision, const std::string& afterRevision);

RevisionCopy copyRevision(const std::string& terrain, const std::string& source,
                          const std::string& revision, const std::filesystem::path& folder);

// Actions > "Compare Versions..." (10245): the open terrain with a later version the user picks
// (or Cancel: the exports alone), and the list's export (or one picked) with a later one; the
// comparison is kept in the state and shown (showDiff, or its summary in a message).
bool compareVersionsCommand(ApplicationState& state, const Platform& platform);

// Writes a comparison's page or JSON aside and renames it over path; never over one of the
// files compared (an L2's O2 included). False with the reason in error.
bool writeDiffFile(const TheaterDiff& diff, const std::string& path, std::string_view bytes,
                   std::string& error);

} // namespace vantor
