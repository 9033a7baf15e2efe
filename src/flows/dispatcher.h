#pragma once

namespace vantor {

struct ApplicationState;
struct CommandFacts;
struct Platform;

// The facts of a command that has a precondition, or null when it has none.
const CommandFacts* preconditionFor(int command);

// Whether the dispatcher has a flow for the command.
bool hasFlow(int command);

// Checks the command's precondition (telling the user when it refuses) and runs its flow.
// True when the command ran to its end.
bool dispatchCommand(ApplicationState& state, const Platform& platform, int command);

} // namespace vantor
