#include "terrain/ini_file.h"

#include "base/input_file.h"
#include "base/text_util.h"

namespace vantor {

namespace {

constexpr std::size_t valueBufferSize = 255;

std::string unquote(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

} // namespace

IniFile parseIniText(std::string_view text) {
    IniFile ini;
    IniSection* current = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string line = trimBlanks(text.substr(pos, end - pos));
        pos = end;
        while (pos < text.size() && (text[pos] == '\r' || text[pos] == '\n')) {
            ++pos;
        }
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            const std::string name = trimBlanks(std::string_view(line).substr(
                1, close == std::string::npos ? std::string::npos : close - 1));
            ini.sections.push_back(IniSection{name, {}});
            current = &ini.sections.back();
            continue;
        }
        if (current == nullptr) {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        current->entries.push_back(
            IniEntry{trimBlanks(std::string_view(line).substr(0, equals)),
                     unquote(trimBlanks(std::string_view(line).substr(equals + 1)))});
    }
    return ini;
}

bool readIniFile(const std::filesystem::path& path, IniFile& ini, std::string& error) {
    ini = {};
    std::string text;
    if (examinePath(path).kind == FileKind::Missing) {
        return true;
    }
    if (!readTextFile(path, text, error)) {
        return false;
    }
    ini = parseIniText(text);
    return true;
}

IniFile loadIniFile(const std::filesystem::path& path) {
    IniFile ini;
    std::string ignored;
    readIniFile(path, ini, ignored);
    return ini;
}

std::string iniValue(const IniFile& ini, std::string_view section, std::string_view key,
                     std::string_view defaultValue) {
    std::string value = trimBlanks(defaultValue);
    for (const IniSection& s : ini.sections) {
        if (!equalsIgnoreCase(s.name, section)) {
            continue;
        }
        for (const IniEntry& e : s.entries) {
            if (equalsIgnoreCase(e.key, key)) {
                value = e.value;
                break;
            }
        }
        break; // only the first section of a name is searched
    }
    if (value.size() > valueBufferSize - 1) {
        value.resize(valueBufferSize - 1);
    }
    return value;
}

} // namespace vantor
