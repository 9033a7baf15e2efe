#include "objectives/identifiers.h"

#include <string>

namespace vantor {

std::int32_t skipReservedIdentifiers(std::int32_t id) {
    if (id == 3800) {
        return 18579;
    }
    if (id == 18630) {
        return 21000;
    }
    return id;
}

MessageBoxRequest identifierOverrun(std::int64_t next) {
    return makeMessage("ID number " + std::to_string(next) +
                           " exceeds the maximum useable ID number. Aborting placements",
                       "ID Number Overrun", MessageIcon::Error);
}

} // namespace vantor
