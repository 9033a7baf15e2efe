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

ParentCheck checkParentLinks(TextReader& source, SafeWriter& noParent, SafeWriter& wrongParent,
                             std::time_t now) {
    ParentCheck result;
    std::string line;
    if (!readLine(source, line) || !readLine(source, line)) {
        return result;
    }
    std::unordered_set<std::int32_t> parents;
    while (readLine(source, line)) {
        if (!fieldAfterCommas(TypeField + 1, line) || !fieldAfterCommas(IdField + 1, line)) {
            continue;
        }
        if (namesCityOrTown(fieldText(TypeField, line))) {
            parents.insert(readIntField(IdField, line));
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
        if (!fieldAfterCommas(ParentField + 1, line)) {
            continue;
        }
        const std::int32_t parent = readIntField(ParentField, line);
        SafeWriter* target = nullptr;
        if (parent == 0) {
            target = &noParent;
            ++result.zeroParent;
        } else if (!parents.contains(parent)) {
            target = &wrongParent;
            ++result.wrongParent;
        }
        if (target != nullptr && !safeWrite(*target, line)) {
            result.writeFailed = true;
            return result;
        }
    }
    return result;
}

} // namespace vantor
