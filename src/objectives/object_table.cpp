#include "objectives/object_table.h"

#include "base/text_file.h"
#include "base/text_reader.h"
#include "objectives/export_format.h"

#include <algorithm>
#include <cstdint>

namespace vantor {

namespace {

std::string keptText(std::string_view field) {
    return std::string(field.substr(0, std::min(field.size(), maxTypeLength)));
}

} // namespace

ObjectTableLoad loadObjectTable(TextReader& source, ObjectTable& table,
                                const std::function<void(std::size_t)>& placed) {
    table.clear();
    ObjectTableLoad load;
    if (!source.isOpen()) {
        return load;
    }
    rewindReader(source);
    std::string line;
    if (!readLine(source, line) || !readLine(source, line)) {
        rewindReader(source);
        return load;
    }
    std::int32_t largest = 0;
    while (readLine(source, line)) {
        const std::string_view text = withoutLineEnd(line);
        if (text.find(',') == std::string_view::npos) {
            continue;
        }
        if (!fieldAfterCommas(YField + 1, text)) {
            break; // the Y field must be followed by a comma
        }
        ObjectRecord record;
        record.type = keptText(fieldText(TypeField, text));
        record.subtype = keptText(fieldText(SubtypeField, text));
        record.identifier = readIntField(IdField, text);
        record.objectiveClass = readIntField(ObjectiveField, text);
        record.x = readIntField(XField, text);
        record.y = readIntField(YField, text);
        largest = std::max(largest, record.identifier);
        table.push_back(std::move(record));
        if (placed) {
            placed(table.size() - 1);
        }
    }
    rewindReader(source);
    load.count = table.size();
    // The largest identifier a line can hold is the largest 32-bit value: the next one stays
    // there rather than wrapping round to a negative number.
    load.nextIdentifier = largest == INT32_MAX ? INT32_MAX : largest + 1;
    return load;
}

} // namespace vantor
