#pragma once

#include "base/safe_writer.h"
#include "base/text_reader.h"
#include "scans/tile_script.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

namespace vantor {

// The block of identifiers to move; kept for the whole run, so the dialog shows the values
// entered last.
struct IdMoveLimits {
    std::int32_t oldStart = 0;
    std::int32_t oldEnd = 0; // inclusive; below oldStart nothing is in the range
    std::int32_t newStart = 10;
};

// What the "Move ID's and Links " dialog was closed with.
enum class IdToolChoice { Cancel = 0, MoveIds = 1, FixBridgeOffsets = 9 };

// The dialog's fields as text, and reading them back: a field that does not begin with a
// number leaves its value as it was.
struct IdLimitsDialogModel {
    std::string oldStart;
    std::string oldEnd;
    std::string newStart;
};
IdLimitsDialogModel idLimitsDialogModel(const IdMoveLimits& limits);
void readIdLimitsDialog(const IdLimitsDialogModel& model, IdMoveLimits& limits);

// Why a move cannot be made, or nothing: identifiers moved past the largest 32-bit identifier
// would be written clamped, as duplicates.
std::optional<std::string> idMoveProblem(const IdMoveLimits& limits);

struct IdMove {
    bool headerRead = false; // the source held its title and column lines
    std::int32_t changed = 0;
    std::int32_t unchanged = 0;
    bool writeFailed = false;
};

// The line with every identifier of the range shifted to the new start: link targets, ID and
// XID (both from the ID), and Parent. False, with the line untouched, when none was in range.
bool moveLineIds(std::string& line, const IdMoveLimits& limits);

IdMove moveObjectIds(TextReader& source, SafeWriter& out, const IdMoveLimits& limits,
                     std::time_t now);

// The offset that puts an object back where its bridge script entry says.
inline constexpr std::int32_t bridgeOffsetOrigin = 32;

struct BridgeFix {
    bool headerRead = false; // the source held its title and column lines
    std::int32_t moved = 0;
    bool writeFailed = false;
};

// Moves every object whose objective type has an entry in the bridge script by that entry's
// offsets less 32; other lines are copied as read.
BridgeFix fixBridgeOffsets(TextReader& source, SafeWriter& out, const TileScript& bridgeScript,
                           std::time_t now);

} // namespace vantor
