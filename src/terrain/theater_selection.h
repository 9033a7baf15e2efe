#pragma once

namespace vantor {

struct ApplicationState;
struct Platform;

// Start-up: reads the theater list from the ini file in the start folder, adds one Theater menu
// entry per theater (2000 onwards), checks the first and reads the first theater's geometry.
// An ini file that is there but cannot be read is not taken for a missing one: it is reported,
// the built-in theater applies, and the result is false.
bool loadTheaters(ApplicationState& state, const Platform& platform);

// Theater menu entry 2000 + index. The menu check always moves to the chosen entry. The
// geometry is read from the ini file unless terrain is open: the open matrix keeps the
// dimensions it was built with, so nothing can address posts outside it.
bool selectTheater(ApplicationState& state, const Platform& platform, int index);

} // namespace vantor
