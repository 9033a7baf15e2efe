#pragma once

namespace vantor {

struct ApplicationState;
struct Platform;

// Theater menu entry 2000 + index. The menu check always moves to the chosen entry. The
// geometry is read from the ini file unless terrain is open: the open matrix keeps the
// dimensions it was built with, so nothing can address posts outside it.
bool selectTheater(ApplicationState& state, const Platform& platform, int index);

// File > "Start Folder..." (10240): a folder dialog; the chosen folder becomes the start folder
// for this run and later ones. The theaters, scripts and reference lists are read from it from
// now on.
bool chooseStartFolderCommand(ApplicationState& state, const Platform& platform);

} // namespace vantor
