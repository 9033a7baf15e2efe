#include "tools/parent_check.h"

#include "base/text_reader.h"
#include "base/text_util.h"
#include "objectives/export_format.h"

#include <string>
#include <unordered_set>

namespace vantor {

bool namesCityOrTown(std::string_view type) {
    if (type.size() < 5) {
        return false;
    }
    const std::string_view head = type.substr(0, 5);
    return equalsIgnoreCase(head, " City") || equalsIgnoreCase(head, " Town");
}

std::optional<std::int32_t> parentCandidate(std::string_view line) {
    if (!fieldAfterCommas(TypeField + 1, line) || !fieldAfterCommas(IdField + 1, line) ||
        !namesCityOrTown(fieldText(TypeField, line))) {
        return std::nullopt;
    }
    return readIntField(IdField, line);
}

ParentLink parentLink(std::string_view line, const std::unordered_set<std::int32_t>& cityOrTown) {
    if (!fieldAfterCommas(ParentField + 1, line)) {
        return ParentLink::NoField;
    }
    const std::int32_t parent = readIntField(ParentField, line);
    if (parent == 0) {
        return ParentLink::Zero;
    }
    return cityOrTown.contains(parent) ? ParentLink::CityOrTown : ParentLink::NoCityOrTown;
}

const ParentSite* nearestParentSite(const std::vector<ParentSite>& sites, std::int32_t x,
                                    std::int32_t y, std::int32_t ownId) {
    const ParentSite* best = nullptr;
    std::int64_t bestDistance = 0;
    for (const ParentSite& site : sites) {
        if (site.id == ownId) {
            continue;
        }
        const std::int64_t dx = std::int64_t{site.x} - x;
        const std::int64_t dy = std::int64_t{site.y} - y;
        const std::int64_t d = dx * dx + dy * dy;
        if (best == nullptr || d < bestDistance) {
            best = &site;
            bestDistance = d;
        }
    }
    return best;
}

ParentCheck checkParentLinks(TextReader& source, SafeWriter& noParent, SafeWriter& wrongParent,
                             std::time_t now) {
    ParentCheck result;
    std::string line;
    if (!readLine(source, line) || !readLine(source, line)) {
        return result;
    }
    std::unordered_set<std::int32_t> parents;
    while (readLine(source, line)) {
        if (const std::optional<std::int32_t> id = parentCandidate(line)) {
            parents.insert(*id);
        }
    }

    rewindReader(source);
    if (!readLine(source, line)) {
        return result;
    }
    const std::string title = exportTitleLine(now);
    if (!safeWrite(noParent, title) || !safeWrite(wrongParent, title)) {
        result.writeFailed = true;
        return result;
    }
    if (!readLine(source, line)) {
        return result;
    }
    if (!safeWrite(noParent, line) || !safeWrite(wrongParent, line)) {
        result.writeFailed = true;
        return result;
    }
    result.headerRead = true;
    while (readLine(source, line)) {
        SafeWriter* target = nullptr;
        switch (parentLink(line, parents)) {
        case ParentLink::Zero:
            target = &noParent;
            ++result.zeroParent;
            break;
        case ParentLink::NoCityOrTown:
            target = &wrongParent;
            ++result.wrongParent;
            break;
        case ParentLink::NoField:
        case ParentLink::CityOrTown:
            break;
        }
        if (target != nullptr && !safeWrite(*target, line)) {
            result.writeFailed = true;
            return result;
        }
    }
    return result;
}

} // namespace vantor
