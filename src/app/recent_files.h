#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

struct Menu;
struct Platform;

inline constexpr const char* settingsKey = "Software\\Moravik\\Quillon";
inline constexpr const char* pathsSubkey = "Paths";
inline constexpr const char* csvFolderValue = "Work1";
inline constexpr const char* terrainFolderValue = "Terrain";
// The start folder chosen with File > "Start Folder...", used by later runs.
inline constexpr const char* startFolderValue = "Start";

// Most recently used files, newest first, shown as numbered entries of the File menu.
struct RecentFileList {
    std::uint16_t count = 0;
    std::uint16_t shown = 6;       // at most this many appear in the menu
    std::uint16_t capacity = 9;    // at most this many are held and stored
    std::uint16_t entrySize = 128; // the suite's slot size; paths are kept whole regardless
    std::uint16_t baseId = 8000;   // the separator above "E&xit"; entry n is baseId + n
    std::vector<std::string> entries;
};

RecentFileList createRecentFileList(std::uint16_t shown = 6, std::uint16_t capacity = 9,
                                    std::uint16_t entrySize = 128, std::uint16_t baseId = 8000);

// Puts the path at the front; a path already listed (compared without regard to case) moves
// there instead of being added twice, and the oldest entry falls off a full list.
void addRecentFile(RecentFileList& list, std::string_view path);
std::optional<std::string> recentFile(const RecentFileList& list, std::size_t index);
std::optional<std::string> recentFileById(const RecentFileList& list, int commandId);
// Stores text in entry index (used when loading); count becomes at least index + 1.
bool setRecentFile(RecentFileList& list, std::size_t index, std::string text);
bool removeRecentFile(RecentFileList& list, std::size_t index);
bool removeRecentFileById(RecentFileList& list, int commandId);

// Replaces the recent-file entries of the File menu: "&1 path" to "&n path" (n at most `shown`)
// and a separator, directly above the item exitId. An empty list leaves no separator.
void rebuildRecentFileMenu(const RecentFileList& list, Menu& fileMenu, int exitId);

// "File1" to "File9" under the settings key; empty text for unused slots.
bool storeRecentFiles(const RecentFileList& list, const Platform& platform);
// Reads "File1" onwards until a missing or empty value.
void loadRecentFiles(RecentFileList& list, const Platform& platform);

bool storeFolder(const Platform& platform, std::string_view subkey, std::string_view valueName,
                 const std::string& text);
// False when the key cannot be opened (folder unchanged). A missing value leaves the folder as
// it was and still succeeds.
bool readFolder(const Platform& platform, std::string_view subkey, std::string_view valueName,
                std::string& folder);

} // namespace vantor
