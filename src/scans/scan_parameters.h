#pragma once

#include "objectives/list_kind.h"
#include "terrain/theater.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// What the scans read from the scan parameters dialog. The search area's end is the theater's
// last Map X and last Map Y (TheaterDefinition), which the dialog changes in place.
struct ScanParameters {
    std::int32_t startMapX = 0;
    std::int32_t startMapY = 0;
    std::int32_t startingObjectId = 6000;
    std::int32_t maximumObjectId = 65536;
    std::int32_t searchRange = 0; // 0 to 4
    std::int32_t owner = 1;       // index into the country list
    std::int32_t controller = 1;
    std::int32_t priority = 20; // 0 to 100
    std::int32_t supply = 235;  // 0 to 255
};

inline constexpr std::array<const char*, 8> countryNames{"XX",  "US",  "ROK",  "Japanese",
                                                         "CIS", "PRC", "DPRK", "Gorn"};

// The dialog's edit fields.
enum class ScanField {
    StartMapX,
    StartMapY,
    EndMapX,
    EndMapY,
    StartSectX,
    StartSectY,
    EndSectX,
    EndSectY,
    StartingObjectId,
    Priority,
    Supply,
};

// Everything the dialog shows and edits, as one value: the front end renders it and calls the
// field rules below; the core applies it when the dialog closes.
struct ScanDialogModel {
    TheaterDefinition theater; // extents and section counts for the ranges
    ScanParameters parameters;
    std::int32_t endMapX = 1023;
    std::int32_t endMapY = 1023;
    bool writeToFile = true;
    bool appendToOutput = false;
    bool textReport = false;
    // Set when the dialog opens.
    std::string title;
    bool objectFieldsEnabled = true; // starting ID, priority, supply, owner, controller
    bool textReportEnabled = true;
    bool appendEnabled = false;
};

struct FieldRange {
    std::int64_t low; // INT64_MIN: no lower limit
    std::int64_t high;
};
FieldRange scanFieldRange(const ScanDialogModel& model, ScanField field);

// The value a field shows, and the field that moves with it (map <-> section).
std::int32_t scanFieldValue(const ScanDialogModel& model, ScanField field);
std::optional<ScanField> coupledField(ScanField field);

struct FieldTyped {
    bool beep = false;              // the value was outside its range and was replaced
    bool replaced = false;          // the field's text must show its value again
    std::optional<ScanField> moved; // the coupled field whose text must be refreshed
};

// A change of an edit field's text, as the user types: a text that does not begin with a
// number changes nothing; a value outside the field's range beeps and is replaced by the
// field's replacement value; an accepted value moves its coupled field (without echo back).
FieldTyped typeScanField(ScanDialogModel& model, ScanField field, std::string_view text);

// A field set from a number rather than typed (a command line's option): a value outside the
// field's range is refused, not replaced, with the reason ("must be 0 to 4095, not 5000"), and
// so is a starting objective ID below 1; an accepted value moves its coupled field as typing
// does. None when the value was set.
std::optional<std::string> setScanField(ScanDialogModel& model, ScanField field,
                                        std::int64_t value);

// "Create/Scan Objects && Write to File" toggles writing and enables the append box with it.
void toggleWriteToFile(ScanDialogModel& model);

// "Begin": the message that keeps the dialog open, or none when the area is in order.
std::optional<std::string> beginCheck(const ScanDialogModel& model);

inline constexpr const char* scanDialogDefaultTitle = "Object Placement/Adjustment Parameters";
std::string scanDialogTitle(ListKind listKind, bool scanAll);

} // namespace vantor
