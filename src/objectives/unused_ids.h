#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

inline constexpr const char* unusedIdsTitle = "Unused Objective ID#'s";

// The listing box of the dialog holds 9,999 characters; the command line has no such limit.
inline constexpr std::size_t unusedListingRoom = 9999;
inline constexpr const char* unusedListingExceeded =
    "Number of ID Numbers able to be listed has been exceeded.  Some Id's are not listed.";

struct UnusedListing {
    std::string text;
    bool exceeded = false; // a piece did not fit; the rest was not examined
};

// The identifiers between the lowest and the highest in use that belong to no object: one by
// one (" 4, 5, 6,") or as ranges (" 4 - 6\r\n"), numbers shown unsigned. The identifiers are
// taken sorted, each once: an identifier used by several objects is one identifier in use.
UnusedListing listUnusedIds(std::vector<std::int32_t> identifiers, bool ranges,
                            std::size_t room = std::numeric_limits<std::size_t>::max());

// The same listing handed over piece by piece, so that a listing of any length needs no more
// memory than the identifiers themselves. take returns false to stop; so does the call then.
bool forEachUnusedPiece(std::vector<std::int32_t> identifiers, bool ranges,
                        const std::function<bool(std::string_view)>& take);

// What to say when the listing is empty: no identifier between the lowest and the highest in
// use is free (or the file has fewer than two to list between).
std::string noUnusedIdsText(const std::vector<std::int32_t>& identifiers);

// The identifiers of every object line of an objective export (not only the rows a list shows).
// False with the reason when the file cannot be read to its end.
bool identifiersInExport(const std::string& path, std::vector<std::int32_t>& identifiers,
                         std::string& error);

} // namespace vantor
