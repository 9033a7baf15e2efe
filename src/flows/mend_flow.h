#pragma once

#include "audit/audit.h"
#include "audit/mend.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

struct ApplicationState;
struct Platform;

// What a mend is asked to do: by the command line, every fault of the selected checks; by the
// desktop's Apply, the repairs the user applies.
struct MendRequest {
    AuditSelection selected{}; // the checks a mend takes on
    std::string sourcePath;    // the export whose Parents are mended, or empty
    std::string outPath;       // where the mended export goes
    bool dryRun = false;
    std::vector<TileRepair> chosen;       // only these are put on the terrain; empty: the first
                                          // ranked repair of every fault of the selected checks
    std::vector<std::size_t> parentLines; // only these objects' Parents; empty: every one
    bool announce = true; // a message when the terrain is written; the desktop's Apply says
                          // what it did in the status bar and the audit panel instead
};

// What it came to.
struct MendResult {
    bool done = false; // ran to its end
    TerrainMend terrain;
    TheaterAudit parentsAudit; // the findings the Parents written come from
    ParentMend parents;
    std::vector<std::pair<AuditCheck, std::string>> skipped; // checks that could not be taken on
    bool terrainWritten = false;
    bool exportWritten = false;
};

// Mends what the audit finds on the open terrain, as the request asks. The changes are made in
// memory first; then the mended export is written to its own file (never over the source) and
// the terrain into its pair (replaced as one commit, the previous pair kept in the pair's
// history, which Edit > Undo walks back). A dry run, or a write that fails, leaves the terrain
// in memory as it was. Run it through runFlow with the command MendTheater (its precondition,
// the guard of every command).
MendResult mendTheater(ApplicationState& state, const Platform& platform,
                       const MendRequest& request);

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

// The mend of a choice without a command; asks where the mended export goes when Parents are
// among it. None when there is nothing to mend or the user cancels.
std::optional<MendRequest> mendRequestFor(const ApplicationState& state, const Platform& platform,
                                          const ApplyChoice& choice);

// The question before Apply All of Check: how many repairs, of which check, into which files.
std::string applyAllQuestion(const ApplicationState& state, const TheaterAudit& audit,
                             std::size_t finding, const ApplyChoice& choice);

// After an Apply: the finding of the same check to select in the audit made again, the next one
// after the finding applied (in the order of the earlier audit) that is still found, else the
// last of its check still found before it; none when the check has no findings left.
std::optional<std::size_t> nextFindingAfterApply(const AuditReport& before, std::size_t applied,
                                                 const AuditReport& after);

// What the mend came to, in one message: tile changes and Parents written, what had no repair.
std::string mendSummary(const ApplicationState& state, const MendRequest& request,
                        const MendResult& result);

// Apply and Apply All of Check beside the map: the finding's first repair (or that of every
// finding of its check, after a question) put in place through the mend, or the command that
// mends it run as from its menu item. The front end runs the work as it runs a command (busy,
// the map frozen): runWork(command, work). What it came to, for the status line and the panel.
struct AppliedRepairs {
    int command = 0;      // the command to run instead, as from its menu (nothing else done)
    bool done = false;    // something was written
    bool refused = false; // some repair could not be made: the summary said why, as a warning
    std::string line;     // the summary in one line, for the status bar and the panel
    std::optional<std::size_t> next; // the finding to select in the audit made again
};
using WorkRunner = std::function<void(int command, const std::function<void()>& work)>;
AppliedRepairs applyRepairs(ApplicationState& state, const Platform& platform, std::size_t finding,
                            bool wholeCheck, const WorkRunner& runWork);

} // namespace vantor
