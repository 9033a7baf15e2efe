#pragma once

#include <functional>

namespace vantor {

struct ApplicationState;
struct CommandFacts;
struct Platform;

// The facts of a command that has a precondition, or null when it has none.
const CommandFacts* preconditionFor(int command);

// Whether the dispatcher has a flow for the command.
bool hasFlow(int command);

// Runs a flow that takes a request of its caller's (the mend) as the command would run: its
// precondition checked first, then the same guards as dispatchCommand.
bool runFlow(ApplicationState& state, const Platform& platform, int command,
             const std::function<bool()>& flow);

// Checks the command's precondition (telling the user when it refuses) and runs its flow.
// True when the command ran to its end.
bool dispatchCommand(ApplicationState& state, const Platform& platform, int command);

} // namespace vantor
