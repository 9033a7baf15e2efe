#include "base/memory.h"

#include <cstddef>
#include <cstdio>
#include <iterator>
#include <limits>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vantor {

std::uint64_t physicalMemory() {
#ifdef _WIN32
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
#else
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
#endif
}

bool memoryAllows(std::uint64_t bytes) {
    if (bytes > std::numeric_limits<std::size_t>::max() / 2) {
        return false;
    }
    const std::uint64_t machine = physicalMemory();
    return machine == 0 || bytes <= machine / 4 * 3;
}

std::string byteSizeText(std::uint64_t bytes) {
    if (bytes < 1024) {
        return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    }
    const char* units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < std::size(units)) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}

std::string notEnoughMemoryText(const std::string& name, std::uint64_t bytes) {
    std::string text = "Not enough memory for " + name + ": it needs " + byteSizeText(bytes);
    if (const std::uint64_t machine = physicalMemory(); machine != 0) {
        text += ", and this machine has " + byteSizeText(machine);
    }
    return text + ".";
}

} // namespace vantor
