#include "objectives/unused_ids.h"

#include "base/file_lookup.h"
#include "base/text_file.h"
#include "base/text_reader.h"
#include "base/text_util.h"
#include "objectives/export_format.h"

#include <algorithm>
#include <charconv>
#include <climits>

namespace vantor {

namespace {

std::string shown(std::uint64_t id) {
    return std::to_string(id);
}

// Identifiers are shown without sign, so they are ordered the same way: an identifier written
// as -2147483648 is 2147483648, above every positive one, and the free ones run up to it
// instead of wrapping round from 4294967295 to 0.
std::vector<std::uint32_t> asShown(const std::vector<std::int32_t>& ids) {
    std::vector<std::uint32_t> shownIds(ids.size());
    std::transform(ids.begin(), ids.end(), shownIds.begin(),
                   [](std::int32_t id) { return static_cast<std::uint32_t>(id); });
    std::sort(shownIds.begin(), shownIds.end());
    shownIds.erase(std::unique(shownIds.begin(), shownIds.end()), shownIds.end());
    return shownIds;
}

// An identifier as the listing shows it, a 32-bit number without sign: a field that reads past
// the signed range (up to 4294967295) keeps its value instead of stopping at 2147483647, and a
// negative one is the same 32 bits. Held in the signed type the object table uses.
std::int32_t identifierOf(std::string_view line) {
    const std::string field = trimBlanks(fieldText(IdField, line));
    long long value = 0;
    const char* begin = field.data() + (field.starts_with('+') ? 1 : 0);
    const auto [end, ec] = std::from_chars(begin, field.data() + field.size(), value);
    if (ec != std::errc() || end == begin || value < INT32_MIN || value > UINT32_MAX) {
        return readIntField(IdField, line);
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

} // namespace

bool forEachUnusedPiece(std::vector<std::int32_t> signedIds, bool ranges,
                        const std::function<bool(std::string_view)>& take) {
    const std::vector<std::uint32_t> ids = asShown(signedIds);
    if (ids.size() < 2) {
        return true;
    }
    std::uint64_t next = std::uint64_t{ids[0]} + 1;
    for (std::size_t j = 1; j < ids.size(); ++j) {
        const std::uint64_t id = ids[j];
        if (!ranges) {
            for (; next < id; ++next) {
                if (!take(" " + shown(next) + ",")) {
                    return false;
                }
            }
            next = id + 1;
            continue;
        }
        if (id == next) {
            ++next;
            continue;
        }
        if (!take(" " + shown(next) + " -")) {
            return false;
        }
        next = std::max(next, id);
        if (!take(" " + shown(next - 1) + "\r\n")) {
            return false;
        }
        ++next;
    }
    return true;
}

UnusedListing listUnusedIds(std::vector<std::int32_t> ids, bool ranges, std::size_t room) {
    UnusedListing listing;
    forEachUnusedPiece(std::move(ids), ranges, [&](std::string_view piece) {
        if (listing.text.size() + piece.size() > room) {
            listing.exceeded = true;
            return false;
        }
        listing.text += piece;
        return true;
    });
    return listing;
}

std::string noUnusedIdsText(const std::vector<std::int32_t>& ids) {
    if (ids.empty()) {
        return "The file holds no objects, so it has no identifiers to list between.";
    }
    const std::vector<std::uint32_t> sorted = asShown(ids);
    const std::uint32_t* low = &sorted.front();
    const std::uint32_t* high = &sorted.back();
    if (*low == *high) {
        return "Every object has the identifier " + shown(*low) +
               ": there is nothing between to list.";
    }
    return "Every identifier from " + shown(*low) + " to " + shown(*high) +
           " is in use: none is free.";
}

bool identifiersInExport(const std::string& path, std::vector<std::int32_t>& ids,
                         std::string& error) {
    ids.clear();
    TextReader file;
    if (!openTextReader(file, toFsPath(path))) {
        error = file.error;
        return false;
    }
    std::string line;
    if (!readLine(file, line) || !readLine(file, line)) {
        error = file.error;
        return !file.failed;
    }
    while (readLine(file, line)) {
        const std::string_view text = withoutLineEnd(line);
        const char separator = text.find(',') != std::string_view::npos ? ',' : ';';
        if (text.find(separator) == std::string_view::npos) {
            continue;
        }
        std::string normalised(text);
        std::replace(normalised.begin(), normalised.end(), separator, ',');
        ids.push_back(identifierOf(normalised));
    }
    error = file.error;
    return !file.failed;
}

} // namespace vantor
