#include "checks/checked_export.h"

#include "base/safe_writer.h"
#include "base/text_file.h"
#include "base/text_reader.h"
#include "objectives/export_format.h"

#include <unordered_map>
#include <vector>

namespace vantor {

namespace {

constexpr int commasThroughXid = XidField + 1;

// Positions of the commas that end columns 1 .. 13 (index k - 1 for column k); none when the
// line has fewer.
std::optional<std::array<std::size_t, commasThroughXid>> columnEnds(std::string_view line) {
    std::array<std::size_t, commasThroughXid> ends{};
    std::size_t from = 0;
    for (std::size_t k = 0; k < ends.size(); ++k) {
        const std::size_t comma = line.find(',', from);
        if (comma == std::string_view::npos) {
            return std::nullopt;
        }
        ends[k] = comma;
        from = comma + 1;
    }
    return ends;
}

std::string blankNumber(std::int64_t value) {
    return " " + std::to_string(value);
}

bool endsLine(std::string_view text) {
    return !text.empty() && text.back() == '\n';
}

} // namespace

std::int32_t nextExportIdentifier(std::int32_t identifier) {
    ++identifier;
    if (identifier == 3800) {
        return 18579;
    }
    if (identifier == 18630) {
        return 21000;
    }
    return identifier;
}

std::optional<std::string> renumberedLine(std::string_view line, std::int32_t identifier) {
    const auto ends = columnEnds(line);
    if (!ends) {
        return std::nullopt;
    }
    const auto& e = *ends;
    std::string out(line.substr(0, e[2] + 1));
    out += blankNumber(identifier);
    out += line.substr(e[3], e[11] + 1 - e[3]);
    out += blankNumber(identifier);
    out += line.substr(e[12]);
    return out;
}

std::optional<std::string> changedObjectLine(std::string_view line, const ObjectRecord& r,
                                             std::int32_t identifier) {
    const auto ends = columnEnds(line);
    if (!ends) {
        return std::nullopt;
    }
    const auto& e = *ends;
    std::string out(line.substr(0, e[0] + 1));
    out += r.type + "," + r.subtype + ",";
    out += blankNumber(identifier) + "," + blankNumber(r.objectiveClass) + "," + blankNumber(r.x) +
           "," + blankNumber(r.y) + ",";
    out += line.substr(e[6] + 1, e[11] - e[6]);
    out += blankNumber(identifier);
    out += line.substr(e[12]);
    return out;
}

std::string newObjectLine(const ObjectRecord& o, const OcdEntry* defaults, std::int32_t identifier,
                          const RadarProfile& profile) {
    const OcdEntry none;
    const OcdEntry& e = defaults != nullptr ? *defaults : none;
    const std::string id = blankNumber(identifier);
    std::string out = "0, " + o.type + ", " + o.subtype + "," + id + "," +
                      blankNumber(o.objectiveClass) + "," + blankNumber(o.x) + "," +
                      blankNumber(o.y) + ",0,0,1," + blankNumber(e.defaultBFlags) + ", 1," + id +
                      ",0,32768,235,235,0," + blankNumber(e.defaultFeatureCount) + "," +
                      blankNumber(e.defaultPriority) + ", 0, 1, 0,";
    for (int i = 0; i < e.defaultFeatureCount; ++i) {
        out += " 0";
    }
    out += ",";
    out += formatRadarValues(profile);
    out += platformLineEnd;
    return out;
}

namespace {

// Where each identifier of the source goes: to the identifier its object is written with, or
// nowhere when the object is left out. An identifier that two objects share goes where the
// first one written goes.
using IdentifierMoves = std::unordered_map<std::int32_t, std::optional<std::int32_t>>;

// Walks the source's object lines as the writer takes them: the record of each line with a
// comma (null past the table), and the identifier the line is written with (none when it is
// left out).
template <typename F> void forEachExportLine(TextReader& source, const CheckObjects& objects, F f) {
    std::int32_t identifier = 10;
    std::size_t next = 0; // the record of the next line with a comma
    std::string line;
    while (readLine(source, line)) {
        const std::string_view text(line);
        if (withoutLineEnd(text).find(',') == std::string_view::npos) {
            continue;
        }
        const ObjectRecord* record = next < objects.table.size() ? &objects.table[next] : nullptr;
        ++next;
        const bool written = !(record != nullptr && record->deleted) && columnEnds(text);
        if (!f(line, record, written ? std::optional<std::int32_t>(identifier) : std::nullopt)) {
            return;
        }
        if (written) {
            identifier = nextExportIdentifier(identifier);
        }
    }
}

ReferenceMap followObjects(const IdentifierMoves& moves) {
    return [&moves](std::int32_t identifier) {
        const auto it = identifier == 0 ? moves.end() : moves.find(identifier);
        if (it == moves.end()) {
            return ReferenceFate::kept(); // 0 (no object), or no object of the file has it
        }
        if (!it->second) {
            return ReferenceFate::gone();
        }
        return *it->second == identifier ? ReferenceFate::kept()
                                         : ReferenceFate::moved(*it->second);
    };
}

} // namespace

CheckedExport writeCheckedExport(TextReader& source, SafeWriter& out, const CheckObjects& objects,
                                 const OcdList& ocd, const RadarWalk& walk, std::time_t now) {
    CheckedExport result;
    if (!source.isOpen()) {
        return result;
    }
    // Parents and links follow their objects to their new identifiers, also those that point
    // further down the file, so the identifiers are handed out once before anything is written.
    IdentifierMoves moves;
    rewindReader(source);
    std::string skipped;
    if (readLine(source, skipped) && readLine(source, skipped)) {
        forEachExportLine(source, objects,
                          [&](const std::string& line, const ObjectRecord*,
                              std::optional<std::int32_t> identifier) {
                              const auto [at, inserted] =
                                  moves.try_emplace(readIntField(IdField, line), identifier);
                              if (!inserted && !at->second) {
                                  at->second = identifier;
                              }
                              return true;
                          });
    }
    const ReferenceMap follow = followObjects(moves);

    rewindReader(source);
    switch (copyExportHeader(source, out, now)) {
    case HeaderCopy::Copied:
        break;
    case HeaderCopy::SourceEnded:
        return result;
    case HeaderCopy::WriteFailed:
        result.writeFailed = true;
        return result;
    }
    result.ok = true;

    std::int32_t identifier = 10;
    bool lineOpen = false; // the last line written had no line end (the source's last line)
    const auto emit = [&](std::string_view text) {
        if (lineOpen && !safeWrite(out, platformLineEnd)) {
            return false;
        }
        lineOpen = !endsLine(text);
        return safeWrite(out, text);
    };

    forEachExportLine(source, objects,
                      [&](const std::string& line, const ObjectRecord* record,
                          std::optional<std::int32_t> given) {
                          if (!given) {
                              return true;
                          }
                          identifier = *given;
                          std::optional<std::string> written =
                              record != nullptr && record->changed
                                  ? changedObjectLine(line, *record, identifier)
                                  : renumberedLine(line, identifier);
                          result.references +=
                              translateReferences(*written, follow, NumberSpacing::AsRead);
                          if (!emit(*written)) {
                              result.writeFailed = true;
                              return false;
                          }
                          ++result.written;
                          return true;
                      });
    if (result.writeFailed) {
        return result;
    }
    identifier = result.written == 0 ? 10 : nextExportIdentifier(identifier);

    std::vector<RadarSite> sites;
    sites.reserve(objects.created.size());
    for (const ObjectRecord& o : objects.created) {
        sites.push_back({o.x, o.y});
    }
    std::vector<RadarProfile> profiles(sites.size());
    radarProfiles(walk, sites, profiles);
    for (std::size_t i = 0; i < objects.created.size(); ++i) {
        const ObjectRecord& o = objects.created[i];
        const OcdEntry* defaults = findOcdById(ocd, static_cast<std::uint32_t>(o.objectiveClass));
        if (!emit(newObjectLine(o, defaults, identifier, profiles[i]))) {
            result.writeFailed = true;
            return result;
        }
        ++result.written;
        ++result.added;
        identifier = nextExportIdentifier(identifier);
    }
    return result;
}

std::string checkedExportMessage(const CheckedExport& result) {
    std::string text = "Total of " + std::to_string(result.written) + " Objects written.\r\n " +
                       std::to_string(result.added) + "  new Objects added.";
    // What the renumbering could not carry over: references to objects that were left out.
    const ReferenceChanges& r = result.references;
    if (r.parentsCleared > 0 || r.linksDropped > 0) {
        text += "\r\n " + std::to_string(r.parentsCleared) + " Parents set to 0 and " +
                std::to_string(r.linksDropped) + " links dropped: their objects were deleted.";
    }
    return text;
}

} // namespace vantor
