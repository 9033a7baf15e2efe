#pragma once

namespace vantor {

struct ApplicationState;
struct Platform;

enum class PreconditionKind {
    TerrainOpen,         // refused with a message until terrain is open
    TerrainClosed,       // refused with a message once terrain is open
    TerrainOpenSilently, // nothing happens until terrain is open
    MatrixBuilt,         // nothing happens until the matrix is complete
    ObjectList,          // nothing happens unless the list window shows objects
};

struct Precondition {
    int command;
    PreconditionKind kind;
    const char* message; // shown when refused; null for the silent kinds
};

// The precondition of a command, or null when it has none.
const Precondition* preconditionFor(int command);

// Checks the command's precondition (telling the user when it refuses) and runs its flow.
// True when the command ran to its end.
bool dispatchCommand(ApplicationState& state, const Platform& platform, int command);

} // namespace vantor
