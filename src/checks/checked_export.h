#pragma once

#include "analysis/radar_profile.h"
#include "base/text_reader.h"
#include "objectives/occupancy_grid.h"
#include "objectives/references.h"
#include "reference/ocd_list.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

namespace vantor {

struct SafeWriter;

// The identifiers the checked export gives, from 10 on, never 3800 to 18578 nor 18630 to
// 20999.
std::int32_t nextExportIdentifier(std::int32_t identifier);

// An unchanged objective with ID and XID replaced; none when the line lacks their commas.
std::optional<std::string> renumberedLine(std::string_view line, std::int32_t identifier);
// A changed objective: type, subtype, class and position from the record.
std::optional<std::string> changedObjectLine(std::string_view line, const ObjectRecord& record,
                                             std::int32_t identifier);
// A created objective with the defaults of its class (zero when the class has no entry).
std::string newObjectLine(const ObjectRecord& object, const OcdEntry* defaults,
                          std::int32_t identifier, const RadarProfile& profile);

struct CheckedExport {
    bool ok = false; // false: the source is not open or lacks its first two lines
    bool writeFailed = false;
    std::int32_t written = 0;
    std::int32_t added = 0;
    ReferenceChanges references; // Parents and links that followed (or lost) their objects
};

// Writes the checked master export of a check's objects: the source renumbered, changed lines
// rewritten, deleted ones left out, then the created objects with their radar profiles.
// Source lines after the one that ended the object table load keep their content and are
// renumbered with the rest. Parents and link targets follow their objects to the new
// identifiers; a Parent of a deleted object becomes 0 and a link to one is dropped.
CheckedExport writeCheckedExport(TextReader& source, SafeWriter& out, const CheckObjects& objects,
                                 const OcdList& ocd, const RadarWalk& walk, std::time_t now);

std::string checkedExportMessage(const CheckedExport& result);

} // namespace vantor
