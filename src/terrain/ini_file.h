#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// A read-only ini file with the lookup rules of the Windows private-profile functions that the
// suite's tools use: section and key names match without regard to case, the first section and
// the first key of a name win, blanks around names and values are dropped, a value enclosed in
// matching quotes loses them, and lines beginning with ';' are comments.
struct IniEntry {
    std::string key;
    std::string value;
};

struct IniSection {
    std::string name;
    std::vector<IniEntry> entries;
};

struct IniFile {
    std::vector<IniSection> sections;
};

IniFile parseIniText(std::string_view text);
// A missing file reads as an empty one: every lookup gets its default. So does a file that is
// there but cannot be read; readIniFile then says why (false), loadIniFile does not.
bool readIniFile(const std::filesystem::path& path, IniFile& ini, std::string& error);
IniFile loadIniFile(const std::filesystem::path& path);

// The value of key in section, or the default (trimmed as the platform trims it). Values are
// read into a buffer of 255 characters, so at most 254 characters come back.
std::string iniValue(const IniFile& ini, std::string_view section, std::string_view key,
                     std::string_view defaultValue);

} // namespace vantor
