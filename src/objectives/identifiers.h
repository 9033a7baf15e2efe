#pragma once

#include "base/message.h"

#include <cstdint>

namespace vantor {

// The identifier jumps of the suite: 3800 becomes 18579 and 18630 becomes 21000.
std::int32_t skipReservedIdentifiers(std::int32_t identifier);

// Identifiers for created objects: the next one to give and the largest usable.
// The next is kept in 64 bits, so that a source whose largest identifier is the largest 32-bit
// value still overruns cleanly instead of wrapping round.
struct IdentifierRange {
    std::int64_t next = 0;
    std::int64_t maximum = 65536;
};

// "ID number %d exceeds the maximum useable ID number. Aborting placements"
MessageBoxRequest identifierOverrun(std::int64_t next);

} // namespace vantor
