#pragma once

namespace vantor {

struct ApplicationState;
struct Platform;

// Theater menu entry 2000 + index. The menu check always moves to the chosen entry. The
// geometry is read from the ini file unless terrain is open: the open matrix keeps the
// dimensions it was built with, so nothing can address posts outside it.
bool selectTheater(ApplicationState& state, const Platform& platform, int index);

} // namespace vantor
