#include "base/file_lookup.h"

#include "base/text_util.h"

#include <algorithm>
#include <system_error>
#include <vector>

namespace vantor {

std::filesystem::path toFsPath(std::string_view utf8) {
    std::u8string text;
    text.reserve(utf8.size());
    for (char c : utf8) {
        text.push_back(static_cast<char8_t>(c));
    }
    return std::filesystem::path(text);
}

std::string fromFsPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    std::string out;
    out.reserve(text.size());
    for (char8_t c : text) {
        out.push_back(static_cast<char>(c));
    }
    return out;
}

std::filesystem::path withSuffix(const std::filesystem::path& path, std::string_view suffix) {
    std::filesystem::path result = path;
    result += toFsPath(suffix);
    return result;
}

std::string fromFsPathGeneric(const std::filesystem::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

std::string folderPart(std::string_view path) {
    const std::size_t last = path.find_last_of("\\/");
    if (last == std::string_view::npos) {
        return {};
    }
    return std::string(path.substr(0, last + 1));
}

std::filesystem::path findOneInFolder(std::string_view folder, std::string_view name,
                                      std::string& ambiguity) {
    ambiguity.clear();
    const std::filesystem::path found = findInFolder(folder, name);
    std::error_code ec;
    if (found.filename() == toFsPath(name) || !std::filesystem::exists(found, ec)) {
        return found; // the exact spelling, or nothing at all
    }
    std::vector<std::filesystem::path> matches;
    const std::filesystem::path dir = found.parent_path();
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (equalsIgnoreCase(fromFsPath(it->path().filename()), name)) {
            matches.push_back(it->path());
        }
    }
    if (matches.size() > 1) {
        std::sort(matches.begin(), matches.end());
        for (const std::filesystem::path& m : matches) {
            ambiguity += (ambiguity.empty() ? "" : " and ") + fromFsPath(m.filename());
        }
    }
    return found;
}

std::filesystem::path findInFolder(std::string_view folder, std::string_view name) {
    std::filesystem::path dir;
    if (folder.empty()) {
        std::error_code ec;
        dir = std::filesystem::current_path(ec).root_path();
    } else {
        dir = toFsPath(folder);
    }
    const std::filesystem::path exact = dir / toFsPath(name);
    std::error_code ec;
    if (std::filesystem::exists(exact, ec)) {
        return exact;
    }
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (equalsIgnoreCase(fromFsPath(it->path().filename()), name)) {
            return it->path();
        }
    }
    return exact;
}

bool sameFile(std::string_view a, std::string_view b) {
    std::error_code ec;
    const bool same = std::filesystem::equivalent(toFsPath(a), toFsPath(b), ec);
    if (!ec) {
        return same;
    }
    return equalsIgnoreCase(a, b);
}

} // namespace vantor
