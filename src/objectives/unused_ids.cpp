#include "objectives/unused_ids.h"

#include "base/file_lookup.h"
#include "base/text_file.h"
#include "base/text_reader.h"
#include "objectives/export_format.h"

#include <algorithm>

namespace vantor {

namespace {

// Appends when it fits the room; false (nothing appended) when it does not.
bool append(UnusedListing& listing, const std::string& piece, std::size_t room) {
    if (listing.text.size() + piece.size() > room) {
        listing.exceeded = true;
        return false;
    }
    listing.text += piece;
    return true;
}

std::string shown(std::int64_t id) {
    return std::to_string(static_cast<std::uint32_t>(id));
}

} // namespace

UnusedListing listUnusedIds(std::vector<std::int32_t> ids, bool ranges, std::size_t room) {
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    UnusedListing listing;
    if (ids.size() < 2) {
        return listing;
    }
    std::int64_t next = std::int64_t{ids[0]} + 1;
    for (std::size_t j = 1; j < ids.size(); ++j) {
        const std::int64_t id = ids[j];
        if (!ranges) {
            for (; next < id; ++next) {
                if (!append(listing, " " + shown(next) + ",", room)) {
                    return listing;
                }
            }
            next = id + 1;
            continue;
        }
        if (id == next) {
            ++next;
            continue;
        }
        if (!append(listing, " " + shown(next) + " -", room)) {
            return listing;
        }
        next = std::max(next, id);
        if (!append(listing, " " + shown(next - 1) + "\r\n", room)) {
            return listing;
        }
        ++next;
    }
    return listing;
}

std::vector<std::int32_t> identifiersInExport(const std::string& path) {
    std::vector<std::int32_t> ids;
    TextReader file;
    if (!openTextReader(file, toFsPath(path))) {
        return ids;
    }
    std::string line;
    if (!readLine(file, line) || !readLine(file, line)) {
        return ids;
    }
    while (readLine(file, line)) {
        const std::string_view text = withoutLineEnd(line);
        const char separator = text.find(',') != std::string_view::npos ? ',' : ';';
        if (text.find(separator) == std::string_view::npos) {
            continue;
        }
        std::string normalised(text);
        std::replace(normalised.begin(), normalised.end(), separator, ',');
        ids.push_back(readIntField(IdField, normalised));
    }
    return ids;
}

} // namespace vantor
