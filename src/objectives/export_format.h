#pragma once

#include "base/text_reader.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// The objective export file of the simulation's tactical editor: a title line, the column
// line, then one objective per line, fields separated by commas (the blank after each comma
// belongs to the next field).
inline constexpr const char* exportTitle = "1.0 Objective Export";
inline constexpr const char* exportColumnLine =
    "Name, Type, Subtype, ID, Objective, X, Y, Z, STime, SFlag, BFlags, Owner, XID, LastRep, "
    "OFlags, Supply, Fuel, Losses, FCount, Priority, Parent, FOwner, LCount, Features, Links, "
    "Radar,";

// Field indexes (the text after the k-th comma).
enum ExportField : int {
    NameField = 0,
    TypeField = 1,
    SubtypeField = 2,
    IdField = 3,
    ObjectiveField = 4,
    XField = 5,
    YField = 6,
    OwnerField = 11,
    XidField = 12,
    ParentField = 20,
    LCountField = 22,
    RadarField = 25,
};

// Position just after the k-th comma of the line; the start of the line for k <= 0; none when
// the line holds fewer than k commas.
std::optional<std::size_t> fieldAfterCommas(int k, std::string_view line);

// The text of field k up to (not including) the next comma, or to the end of the line; empty
// when the line holds fewer than k commas.
std::string_view fieldText(int k, std::string_view line);

// The decimal integer at the start of field k (leading blanks and a sign allowed), never
// looking past the next comma; 0 when the field is missing or does not begin with a number.
std::int32_t readIntField(int k, std::string_view line);

// Each link of an object line takes nine fields from field 32 on; the first is its target.
inline constexpr int firstLinkTargetField = 32;
inline constexpr int fieldsPerLink = 9;

// Calls f(link, target) for the links of an object line, up to its LCount and no further than
// the line goes, in one walk over the line.
void forEachLinkTarget(std::string_view line,
                       const std::function<void(std::int32_t link, std::int32_t target)>& f);

// Replaces the text of field k (up to the next comma) by the value in decimal. When no comma
// follows field k, the field and the rest of the line become the value and "\r\n". A line with
// fewer than k commas is left as it was (false).
bool replaceIntField(int k, std::string& line, std::int64_t value);

// The 24-character local time of title lines, e.g. "Mon Dec 07 12:19:30 2026".
std::string titleTime(std::time_t when);
// The time a title line ends with in that form ("... Mon Dec 07 12:19:30 2026", its line end
// aside), as local time; none when the line ends otherwise.
std::optional<std::time_t> parseTitleTime(std::string_view titleLine);

// Why a text is no objective export with objects in it, from how many lines it has (counting
// up to three is enough) and its first line: empty, a first line that does not begin with "1"
// (a report or another file), or the header lines alone. None when it is one.
std::optional<std::string> exportShapeProblem(std::size_t lineCount, std::string_view firstLine);

// An objective export (or report) as stable text: the title without its date, then every line with
// its fields' blanks trimmed and joined by ", ", so that a rewrite that only respaces or redates a
// line shows no change.
std::string exportText(std::string_view text);

// "1.0 Objective Export  <time>" and the platform's line end, as rewriting writers title a file.
std::string exportTitleLine(std::time_t when);

struct SafeWriter;

// How a rewrite began: the source's title line replaced by a fresh one and its column line
// copied, or the source ended first (what it held is written), or a write failed.
enum class HeaderCopy { Copied, SourceEnded, WriteFailed };
HeaderCopy copyExportHeader(TextReader& source, SafeWriter& out, std::time_t now);

} // namespace vantor
