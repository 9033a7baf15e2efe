#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vantor {

// What an identifier that an object line refers to (its Parent, a link's target) becomes when
// the identifiers of a file change: left as it is, moved to another value, or gone with the
// object it named.
struct ReferenceFate {
    enum class Kind { Kept, Moved, Gone };
    Kind kind = Kind::Kept;
    std::int64_t to = 0;

    static ReferenceFate kept() { return {}; }
    static ReferenceFate moved(std::int64_t to) { return {Kind::Moved, to}; }
    static ReferenceFate gone() { return {Kind::Gone, 0}; }
};
using ReferenceMap = std::function<ReferenceFate(std::int32_t identifier)>;

// How a rewritten number is written: bare, as the identifier tools write their fields, or after
// the blanks that stood before the old number, so that a line keeps the export's own spacing.
enum class NumberSpacing { Bare, AsRead };

struct ReferenceChanges {
    std::int32_t parentsMoved = 0;
    std::int32_t parentsCleared = 0; // a Parent that named a gone object becomes 0
    std::int32_t linksMoved = 0;
    std::int32_t linksDropped = 0; // with LCount lowered by as many
    bool any() const { return parentsMoved + parentsCleared + linksMoved + linksDropped > 0; }
    ReferenceChanges& operator+=(const ReferenceChanges& other);
};

// Translates the Parent and every link target of an object line through map, in one walk over
// the line: a moved identifier is rewritten, a Parent that is gone becomes 0, and a link whose
// target is gone is taken out whole (its nine fields), LCount counting one less. The links are
// those LCount counts, no further than the line goes; a number in a last field (no comma after
// it) is written with "\r\n" as the rest of the line, as replaceIntField does.
ReferenceChanges translateReferences(std::string& line, const ReferenceMap& map,
                                     NumberSpacing spacing);

} // namespace vantor
