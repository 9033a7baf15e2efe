#pragma once

#include <string>

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

// What the mend came to, in one message: tile changes and Parents written, what had no repair.
std::string mendSummary(const ApplicationState& state);

} // namespace vantor
