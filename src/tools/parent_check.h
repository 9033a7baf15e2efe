#pragma once

#include "base/safe_writer.h"
#include "base/text_reader.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vantor {

inline constexpr const char* noParentFileName = "NoParent.csv";
inline constexpr const char* wrongParentFileName = "WrongParent.csv";

// The Type column with its leading blank: " City" and " Town" in any case, also as the start
// of a longer word. Only such objects can be a Parent.
bool namesCityOrTown(std::string_view type);

// The identifier of an object line that can be a Parent: a city or town with an ID field.
std::optional<std::int32_t> parentCandidate(std::string_view line);

// What the Parent field of an object line names, against the cities and towns of its file.
enum class ParentLink { NoField, Zero, NoCityOrTown, CityOrTown };
ParentLink parentLink(std::string_view line, const std::unordered_set<std::int32_t>& cityOrTown);

// A city or town that can be a Parent, where it stands.
struct ParentSite {
    std::int32_t id = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::string name;
};

// The site nearest the post (straight-line distance in posts) other than the object itself (a
// site with its identifier); ties go to the one listed first. Null when there is none.
const ParentSite* nearestParentSite(const std::vector<ParentSite>& sites, std::int32_t x,
                                    std::int32_t y, std::int32_t ownId);

struct ParentCheck {
    bool headerRead = false; // the source held its title and column lines
    std::int32_t zeroParent = 0;
    std::int32_t wrongParent = 0;
    bool writeFailed = false;
};

// Sorts the objects of an objective export: those with Parent 0 into noParent, those whose
// Parent is the identifier of no city or town of the same file into wrongParent. Identifiers
// are compared whole, and a file may hold any number of cities and towns.
ParentCheck checkParentLinks(TextReader& source, SafeWriter& noParent, SafeWriter& wrongParent,
                             std::time_t now);

} // namespace vantor
