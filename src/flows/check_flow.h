#pragma once

namespace vantor {

struct ApplicationState;
struct Platform;

// "Check/Place/Move Objects" (10219).
bool objectCheckCommand(ApplicationState& state, const Platform& platform);
// "Check &City and Junction Objects" (10237).
bool cityCheckCommand(ApplicationState& state, const Platform& platform);
// "Level Airbases" (17182), also the airbase batch mode's whole work.
bool levelAirbasesCommand(ApplicationState& state, const Platform& platform);

} // namespace vantor
