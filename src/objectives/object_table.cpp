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

ObjectLine readObjectRecord(std::string_view text, ObjectRecord& record) {
    if (text.find(',') == std::string_view::npos) {
        return ObjectLine::NoRecord;
    }
    if (!fieldAfterCommas(YField + 1, text)) {
        return ObjectLine::EndOfLoad; // the Y field must be followed by a comma
    }
    record.type = keptText(fieldText(TypeField, text));
    record.subtype = keptText(fieldText(SubtypeField, text));
    record.identifier = readIntField(IdField, text);
    record.objectiveClass = readIntField(ObjectiveField, text);
    record.x = readIntField(XField, text);
    record.y = readIntField(YField, text);
    return ObjectLine::Record;
}

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
        ObjectRecord record;
        const ObjectLine kind = readObjectRecord(withoutLineEnd(line), record);
        if (kind == ObjectLine::EndOfLoad) {
            break;
        }
        if (kind == ObjectLine::NoRecord) {
            continue;
        }
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
