#pragma once

#include <string>

namespace vantor {

struct ApplicationState;
struct Platform;

// Whenever a path becomes the current source, output or terrain file: it goes to the front of
// the recent files, the File menu is rebuilt and the list stored.
void rememberRecentFile(ApplicationState& state, const Platform& platform, const std::string& path);

// The platform's error code for a file that cannot be opened for reading (2 not found, 3 path
// not found, 5 access denied, ...), or 0 when it opens.
int fileOpenErrorCode(const std::string& path);

// A recent-file entry (8001 to 8009): a file that no longer opens is reported and dropped from
// the list; otherwise a CSV file is loaded into the list and an L2 file opens terrain.
bool openRecentFile(ApplicationState& state, const Platform& platform, int command);

} // namespace vantor
