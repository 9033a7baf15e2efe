#pragma once

#include "base/text_reader.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// One objective of a source file, as the object checks need it.
struct ObjectRecord {
    std::int32_t identifier = 0;
    std::int32_t objectiveClass = 0; // key of the OCD list
    std::string type;                // as read, leading blank included, at most 31 characters
    std::string subtype;
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool changed = false;
    bool deleted = false;
};

inline constexpr std::size_t maxTypeLength = 31;

// The objectives of the current source file in line order; records never move once loaded.
using ObjectTable = std::vector<ObjectRecord>;
// Objects a check creates, in creation order.
using NewObjectList = std::vector<ObjectRecord>;

// One data line of an export (without its line end) as a record: lines without a comma take
// none, and a line whose Y field is not followed by a comma ends the objects of the file.
enum class ObjectLine { Record, NoRecord, EndOfLoad };
ObjectLine readObjectRecord(std::string_view text, ObjectRecord& record);

struct ObjectTableLoad {
    std::size_t count = 0;           // 0: the load failed
    std::int32_t nextIdentifier = 1; // the largest identifier in the file plus 1
};

// Builds the table from an open source file, reading from its start and leaving it at its
// start again. Lines without a comma take no record; a line whose Y field is not followed by a
// comma ends the load. placed is called with each record's position as it is filled (the
// occupancy grid uses it).
ObjectTableLoad loadObjectTable(TextReader& source, ObjectTable& table,
                                const std::function<void(std::size_t)>& placed = {});

} // namespace vantor
