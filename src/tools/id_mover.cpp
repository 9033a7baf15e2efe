#include "tools/id_mover.h"

#include "base/text_reader.h"
#include "base/text_util.h"
#include "objectives/export_format.h"
#include "objectives/references.h"
#include "tools/rewrite_start.h"

namespace vantor {

IdLimitsDialogModel idLimitsDialogModel(const IdMoveLimits& limits) {
    return {std::to_string(limits.oldStart), std::to_string(limits.oldEnd),
            std::to_string(limits.newStart)};
}

void readIdLimitsDialog(const IdLimitsDialogModel& model, IdMoveLimits& limits) {
    limits.oldStart = parseLeadingInt(model.oldStart).value_or(limits.oldStart);
    limits.oldEnd = parseLeadingInt(model.oldEnd).value_or(limits.oldEnd);
    limits.newStart = parseLeadingInt(model.newStart).value_or(limits.newStart);
}

std::optional<std::string> idMoveProblem(const IdMoveLimits& limits) {
    if (limits.oldEnd < limits.oldStart) {
        return std::nullopt;
    }
    const std::int64_t last = std::int64_t{limits.newStart} + limits.oldEnd - limits.oldStart;
    if (last > INT32_MAX) {
        return "Moving the identifiers " + std::to_string(limits.oldStart) + " to " +
               std::to_string(limits.oldEnd) + " to start at " + std::to_string(limits.newStart) +
               " would take the last one to " + std::to_string(last) +
               ", past 2147483647, the largest identifier.  Nothing was "
               "written.";
    }
    return std::nullopt;
}

bool moveLineIds(std::string& line, const IdMoveLimits& limits) {
    const auto inRange = [&](std::int64_t v) { return v >= limits.oldStart && v <= limits.oldEnd; };
    const std::int64_t shift = std::int64_t{limits.newStart} - limits.oldStart;
    const std::int32_t id = readIntField(IdField, line);
    bool changed = translateReferences(
                       line,
                       [&](std::int32_t target) {
                           return inRange(target) ? ReferenceFate::moved(target + shift)
                                                  : ReferenceFate::kept();
                       },
                       NumberSpacing::Bare)
                       .any();
    if (inRange(id)) {
        changed = replaceIntField(IdField, line, id + shift) || changed;
        changed = replaceIntField(XidField, line, id + shift) || changed;
    }
    return changed;
}

IdMove moveObjectIds(TextReader& source, SafeWriter& out, const IdMoveLimits& limits,
                     std::time_t now) {
    IdMove result;
    if (!startRewrite(source, out, now, result)) {
        return result;
    }
    rewriteEachLine(source, out, result, [&](std::string& line) {
        if (moveLineIds(line, limits)) {
            ++result.changed;
        } else {
            ++result.unchanged;
        }
    });
    return result;
}

BridgeFix fixBridgeOffsets(TextReader& source, SafeWriter& out, const TileScript& bridgeScript,
                           std::time_t now) {
    BridgeFix result;
    if (!startRewrite(source, out, now, result)) {
        return result;
    }
    rewriteEachLine(source, out, result, [&](std::string& line) {
        const std::int32_t type = readIntField(ObjectiveField, line);
        for (const RandomSelectEntry& entry : bridgeScript.entries) {
            if (entry.objectiveType != type) {
                continue;
            }
            const std::int64_t x = readIntField(XField, line);
            const std::int64_t y = readIntField(YField, line);
            if (replaceIntField(XField, line, x + entry.xOffset - bridgeOffsetOrigin)) {
                replaceIntField(YField, line, y + entry.yOffset - bridgeOffsetOrigin);
                ++result.moved;
            }
            break;
        }
    });
    return result;
}

} // namespace vantor
