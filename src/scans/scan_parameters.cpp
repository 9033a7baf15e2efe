#include "scans/scan_parameters.h"

#include "base/text_util.h"

#include <limits>

namespace vantor {

namespace {

std::int32_t& fieldRef(ScanDialogModel& m, ScanField field, std::int32_t& scratch) {
    switch (field) {
    case ScanField::StartMapX:
        return m.parameters.startMapX;
    case ScanField::StartMapY:
        return m.parameters.startMapY;
    case ScanField::EndMapX:
        return m.endMapX;
    case ScanField::EndMapY:
        return m.endMapY;
    case ScanField::StartingObjectId:
        return m.parameters.startingObjectId;
    case ScanField::Priority:
        return m.parameters.priority;
    case ScanField::Supply:
        return m.parameters.supply;
    default:
        return scratch; // section fields are derived, not stored
    }
}

std::int32_t replacement(const ScanDialogModel& m, ScanField field) {
    switch (field) {
    case ScanField::EndMapX:
        return m.theater.xMapExtent - 1;
    case ScanField::EndMapY:
        return m.theater.yMapExtent - 1;
    case ScanField::EndSectX:
        return m.theater.xSections - 1;
    case ScanField::EndSectY:
        return m.theater.ySections - 1;
    case ScanField::StartingObjectId:
        return m.parameters.maximumObjectId;
    case ScanField::Priority:
        return 100;
    case ScanField::Supply:
        return 255;
    default:
        return 0;
    }
}

// A typed section value moves its map field by the section formulas.
void applySection(ScanDialogModel& m, ScanField field, std::int32_t sect) {
    const TheaterDefinition& t = m.theater;
    switch (field) {
    case ScanField::StartSectX:
        m.parameters.startMapX = sect * t.xTiles;
        break;
    case ScanField::EndSectX:
        m.endMapX = sect * t.xTiles + 15;
        break;
    case ScanField::StartSectY:
        m.parameters.startMapY = (t.ySections - 1 - sect) * t.yTiles;
        break;
    case ScanField::EndSectY:
        m.endMapY = (t.ySections - 1 - sect) * t.yTiles + 15;
        break;
    default:
        break;
    }
}

bool isSection(ScanField f) {
    return f == ScanField::StartSectX || f == ScanField::StartSectY || f == ScanField::EndSectX ||
           f == ScanField::EndSectY;
}

} // namespace

FieldRange scanFieldRange(const ScanDialogModel& m, ScanField field) {
    const TheaterDefinition& t = m.theater;
    switch (field) {
    case ScanField::StartMapX:
    case ScanField::EndMapX:
        return {0, t.xMapExtent - 1};
    case ScanField::StartMapY:
    case ScanField::EndMapY:
        return {0, t.yMapExtent - 1};
    case ScanField::StartSectX:
    case ScanField::EndSectX:
        return {0, t.xSections - 1};
    case ScanField::StartSectY:
    case ScanField::EndSectY:
        return {0, t.ySections - 1};
    case ScanField::StartingObjectId:
        return {std::numeric_limits<std::int64_t>::min(), m.parameters.maximumObjectId};
    case ScanField::Priority:
        return {0, 100};
    case ScanField::Supply:
        return {0, 255};
    }
    return {0, 0};
}

std::int32_t scanFieldValue(const ScanDialogModel& m, ScanField field) {
    const TheaterDefinition& t = m.theater;
    switch (field) {
    case ScanField::StartSectX:
        return userSectX(t, m.parameters.startMapX);
    case ScanField::EndSectX:
        return userSectX(t, m.endMapX);
    case ScanField::StartSectY:
        return userSectY(t, m.parameters.startMapY);
    case ScanField::EndSectY:
        return userSectY(t, m.endMapY);
    default: {
        std::int32_t scratch = 0;
        return fieldRef(const_cast<ScanDialogModel&>(m), field, scratch);
    }
    }
}

std::optional<ScanField> coupledField(ScanField field) {
    switch (field) {
    case ScanField::StartMapX:
        return ScanField::StartSectX;
    case ScanField::StartMapY:
        return ScanField::StartSectY;
    case ScanField::EndMapX:
        return ScanField::EndSectX;
    case ScanField::EndMapY:
        return ScanField::EndSectY;
    case ScanField::StartSectX:
        return ScanField::StartMapX;
    case ScanField::StartSectY:
        return ScanField::StartMapY;
    case ScanField::EndSectX:
        return ScanField::EndMapX;
    case ScanField::EndSectY:
        return ScanField::EndMapY;
    default:
        return std::nullopt;
    }
}

FieldTyped typeScanField(ScanDialogModel& m, ScanField field, std::string_view text) {
    FieldTyped typed;
    const std::optional<std::int32_t> number = parseLeadingInt(text);
    if (!number) {
        return typed;
    }
    std::int32_t value = *number;
    const FieldRange range = scanFieldRange(m, field);
    if (value < range.low || value > range.high) {
        typed.beep = true;
        typed.replaced = true;
        value = replacement(m, field);
    }
    if (isSection(field)) {
        applySection(m, field, value);
    } else {
        std::int32_t scratch = 0;
        fieldRef(m, field, scratch) = value;
    }
    typed.moved = coupledField(field);
    return typed;
}

std::optional<std::string> setScanField(ScanDialogModel& m, ScanField field, std::int64_t value) {
    FieldRange range = scanFieldRange(m, field);
    if (field == ScanField::StartingObjectId) {
        range.low = 1; // the dialog takes any number below its top; identifiers begin at 1
    }
    if (value < range.low || value > range.high) {
        return "must be " +
               (range.low == std::numeric_limits<std::int64_t>::min()
                    ? "at most " + std::to_string(range.high)
                    : std::to_string(range.low) + " to " + std::to_string(range.high)) +
               ", not " + std::to_string(value);
    }
    const auto v = static_cast<std::int32_t>(value);
    if (isSection(field)) {
        applySection(m, field, v);
    } else {
        std::int32_t scratch = 0;
        fieldRef(m, field, scratch) = v;
    }
    return std::nullopt;
}

void toggleWriteToFile(ScanDialogModel& m) {
    m.writeToFile = !m.writeToFile;
    m.appendEnabled = m.writeToFile;
}

std::optional<std::string> beginCheck(const ScanDialogModel& m) {
    if (m.parameters.startMapX > m.endMapX) {
        return std::string("Ending X is less then the Starting X.");
    }
    if (m.parameters.startMapY > m.endMapY) {
        return std::string("Ending Y is less then the Starting Y.");
    }
    return std::nullopt;
}

std::string scanDialogTitle(ListKind listKind, bool scanAll) {
    if (scanAll) {
        return "Scan All For Bad Tiles";
    }
    switch (listKind) {
    case ListKind::Objects:
        return "Bridge Object Placement";
    case ListKind::MisalignedRoads:
        return "Bad Roads Scan";
    case ListKind::MisalignedRivers:
        return "Bad Rivers Scan";
    case ListKind::ObjectPlacementScan:
        return "Bad Object Placemant Scan";
    case ListKind::BadTransitions:
        return "Bad Transition Tile Scan";
    default:
        return scanDialogDefaultTitle;
    }
}

} // namespace vantor
