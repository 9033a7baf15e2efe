#pragma once

#include "audit/audit.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vantor {

struct ApplicationState;
struct Platform;

// 10242: mends what the audit finds on the open terrain, as state.repair asks: the chosen
// repairs (the desktop's), or the first-ranked repair of every fault of the selected terrain
// checks (the command line's), and the suggested Parents of the source's objects. The changes
// are made in memory first; then the mended export is written to its own file (never over the
// source) and the terrain into its pair (replaced as one commit, the previous pair kept in the
// pair's history, which Edit > Undo walks back). A dry run, or a write that fails, leaves the
// terrain in memory as it was. The outcome stays in state.repair for the front end to report.
bool mendCommand(ApplicationState& state, const Platform& platform);

// What Apply on a finding of the audit does: run the command that mends it (the city check,
// the levelling, the radar profiles), or mend these posts and these objects' Parents. With
// wholeCheck, every finding of the chosen one's check that has a repair of its own.
struct ApplyChoice {
    int command = 0;
    std::vector<TileRepair> tiles;        // each post once: two breaks of a gap share a repair
    std::vector<std::size_t> parentLines; // lines of the source export
    std::string sourcePath;               // that export
};
ApplyChoice chooseRepairs(const TheaterAudit& audit, std::size_t finding, bool wholeCheck);

// Readies state.repair for the mend of a choice without a command; asks where the mended
// export goes when Parents are among it. False when there is nothing to mend or the user
// cancels.
bool prepareMend(ApplicationState& state, const Platform& platform, const ApplyChoice& choice);

// What the mend came to, in one message: tile changes and Parents written, what had no repair.
std::string mendSummary(const ApplicationState& state);

} // namespace vantor
