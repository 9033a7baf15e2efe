#include "app/recent_files.h"

#include "app/menu_model.h"
#include "app/platform_calls.h"
#include "base/text_util.h"

#include <algorithm>

namespace vantor {

namespace {

std::string keyPath(std::string_view subkey) {
    std::string key = settingsKey;
    if (!subkey.empty()) {
        key += '\\';
        key += subkey;
    }
    return key;
}

std::string slotName(std::size_t n) {
    return "File" + std::to_string(n);
}

} // namespace

RecentFileList createRecentFileList(std::uint16_t shown, std::uint16_t capacity,
                                    std::uint16_t entrySize, std::uint16_t baseId) {
    RecentFileList list;
    list.shown = shown;
    list.capacity = capacity;
    list.entrySize = entrySize;
    list.baseId = baseId;
    list.entries.assign(capacity, std::string());
    return list;
}

void addRecentFile(RecentFileList& list, std::string_view path) {
    if (list.capacity == 0) {
        return;
    }
    list.entries.resize(list.capacity);
    std::size_t at = list.count;
    for (std::size_t i = 0; i < list.count; ++i) {
        if (equalsIgnoreCase(list.entries[i], path)) {
            at = i;
            break;
        }
    }
    if (at == list.count) {
        list.count = static_cast<std::uint16_t>(std::min<int>(list.capacity, list.count + 1));
        at = list.count - 1u;
    }
    // Entries 0 .. at-1 move one place back over entry `at`.
    std::move_backward(list.entries.begin(), list.entries.begin() + static_cast<std::ptrdiff_t>(at),
                       list.entries.begin() + static_cast<std::ptrdiff_t>(at) + 1);
    list.entries[0] = std::string(path);
}

std::optional<std::string> recentFile(const RecentFileList& list, std::size_t index) {
    if (index >= list.count) {
        return std::nullopt;
    }
    return list.entries[index];
}

std::optional<std::string> recentFileById(const RecentFileList& list, int commandId) {
    const int index = commandId - (list.baseId + 1);
    if (index < 0) {
        return std::nullopt;
    }
    return recentFile(list, static_cast<std::size_t>(index));
}

bool setRecentFile(RecentFileList& list, std::size_t index, std::string text) {
    if (index >= list.capacity) {
        return false;
    }
    list.entries.resize(list.capacity);
    list.entries[index] = std::move(text);
    list.count = static_cast<std::uint16_t>(std::max<std::size_t>(list.count, index + 1));
    return true;
}

bool removeRecentFile(RecentFileList& list, std::size_t index) {
    if (index >= list.count) {
        return false;
    }
    list.entries.erase(list.entries.begin() + static_cast<std::ptrdiff_t>(index));
    list.entries.resize(list.capacity);
    --list.count;
    return true;
}

bool removeRecentFileById(RecentFileList& list, int commandId) {
    const int index = commandId - (list.baseId + 1);
    return index >= 0 && removeRecentFile(list, static_cast<std::size_t>(index));
}

void rebuildRecentFileMenu(const RecentFileList& list, Menu& fileMenu, int exitId) {
    for (int id = list.baseId; id <= list.baseId + list.capacity; ++id) {
        removeMenuItems(fileMenu, id);
    }
    if (list.count == 0) {
        return;
    }
    if (!insertMenuItemBefore(fileMenu, exitId, makeSeparator(list.baseId))) {
        return;
    }
    const std::size_t n = std::min<std::size_t>(list.count, list.shown);
    for (std::size_t j = n; j-- > 0;) {
        const int before = j == n - 1 ? list.baseId : list.baseId + static_cast<int>(j) + 2;
        insertMenuItemBefore(fileMenu, before,
                             makeMenuItem(list.baseId + static_cast<int>(j) + 1,
                                          "&" + std::to_string(j + 1) + " " + list.entries[j]));
    }
}

bool storeRecentFiles(const RecentFileList& list, const Platform& platform) {
    bool ok = true;
    for (std::size_t n = 1; n <= list.capacity; ++n) {
        const std::string text = n <= list.count ? list.entries[n - 1] : std::string();
        ok = writeSetting(platform, settingsKey, slotName(n), text) && ok;
    }
    return ok;
}

void loadRecentFiles(RecentFileList& list, const Platform& platform) {
    for (std::size_t n = 1; n <= list.capacity; ++n) {
        const SettingRead read = readSetting(platform, settingsKey, slotName(n));
        if (!read.keyOpened || !read.value || read.value->empty()) {
            return;
        }
        setRecentFile(list, n - 1, *read.value);
    }
}

bool storeFolder(const Platform& platform, std::string_view subkey, std::string_view valueName,
                 const std::string& text) {
    return writeSetting(platform, keyPath(subkey), std::string(valueName), text);
}

bool readFolder(const Platform& platform, std::string_view subkey, std::string_view valueName,
                std::string& folder) {
    const SettingRead read = readSetting(platform, keyPath(subkey), std::string(valueName));
    if (!read.keyOpened) {
        return false;
    }
    if (read.value) {
        folder = *read.value;
    }
    return true;
}

} // namespace vantor
