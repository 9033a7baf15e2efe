#include "objectives/list_model.h"

#include "base/file_lookup.h"
#include "base/message.h"
#include "base/safe_writer.h"
#include "base/text_file.h"
#include "base/text_reader.h"
#include "base/text_util.h"
#include "objectives/export_format.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace vantor {

namespace {

constexpr std::array<std::array<const char*, 5>, 3> errorTexts{{
    {"", "No Road to West", "No Road to North", "No Road to East", "No Road to South"},
    {"", "No River to West", "No River to North", "No River to East", "No River to South"},
    {"", "No Transition to West", "No Transition to North", "No Transition to East",
     "No Transition to South"},
}};

// The fields of a line split at one separator character.
std::vector<std::string_view> split(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = line.find(separator, start);
        if (at == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, at - start));
        start = at + 1;
    }
}

std::int32_t number(const std::vector<std::string_view>& fields, std::size_t i) {
    return i < fields.size() ? parseLeadingInt(fields[i]).value_or(0) : 0;
}

// One objective line as a row; none when the line holds no separator to split it at. The
// separator is ',' until a line without a comma but with a ';' turns the read to ';'.
std::optional<ListObjectRow> objectRow(ListWindow& window, std::string_view line) {
    if (!window.semicolons && line.find(',') == std::string_view::npos &&
        line.find(';') != std::string_view::npos) {
        window.semicolons = true;
    }
    const char separator = window.semicolons ? ';' : ',';
    if (line.find(separator) == std::string_view::npos) {
        return std::nullopt;
    }
    const std::vector<std::string_view> f = split(line, separator);
    ListObjectRow row;
    row.name = std::string(f[0]);
    row.type = f.size() > 1 ? std::string(f[1]) : std::string();
    row.identifier = number(f, 3);
    row.ocdId = number(f, 4);
    row.x = number(f, 5);
    row.y = number(f, 6);
    return row;
}

ListReportRow reportRow(std::string_view line) {
    const std::vector<std::string_view> f = split(line, ',');
    auto u16 = [&](std::size_t i) { return static_cast<std::uint16_t>(number(f, i)); };
    ListReportRow row;
    row.sectX = u16(0);
    row.sectY = u16(1);
    row.tileX = u16(2);
    row.tileY = u16(3);
    row.tileId = u16(4);
    row.mapX = u16(5);
    row.mapY = u16(6);
    row.errorCode = u16(8);
    return row;
}

enum class LineOutcome { Row, NoRow, LimitReported, PastLimit };

LineOutcome takeLine(ListWindow& window, std::string_view rawLine, const MessageSink& tell) {
    if (window.linesCounted >= maxListRows) {
        window.lineRows.push_back(-1);
        if (window.linesCounted == maxListRows) {
            if (tell) {
                tell(makeMessage(rowLimitMessage, "Error", MessageIcon::Error));
            }
            ++window.linesCounted;
            return LineOutcome::LimitReported;
        }
        return LineOutcome::PastLimit;
    }
    const std::string_view line = withoutLineEnd(rawLine);
    std::size_t row = 0;
    if (window.listMode == ListMode::Objects) {
        std::optional<ListObjectRow> parsed = objectRow(window, line);
        if (!parsed) {
            window.lineRows.push_back(-1);
            return LineOutcome::NoRow;
        }
        row = window.objectRows.size();
        window.objectRows.push_back(std::move(*parsed));
    } else {
        row = window.reportRows.size();
        window.reportRows.push_back(reportRow(line));
    }
    window.lineRows.push_back(static_cast<std::int64_t>(row));
    window.display.push_back(row);
    window.highlighted.push_back(0);
    ++window.linesCounted;
    return LineOutcome::Row;
}

int compareText(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char ca = toLowerAscii(a[i]);
        const char cb = toLowerAscii(b[i]);
        if (ca != cb) {
            return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb) ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::int64_t compareRows(const ListWindow& w, std::size_t a, std::size_t b, int column) {
    if (w.listMode == ListMode::Objects) {
        const ListObjectRow& ra = w.objectRows[a];
        const ListObjectRow& rb = w.objectRows[b];
        switch (column) {
        case 0:
            return compareText(ra.name, rb.name);
        case 1:
            return compareText(ra.type, rb.type);
        case 2:
            return std::int64_t{ra.identifier} - rb.identifier;
        case 3:
            return std::int64_t{ra.ocdId} - rb.ocdId;
        case 4:
            return std::int64_t{ra.x} - rb.x;
        case 5:
            return std::int64_t{ra.y} - rb.y;
        default:
            return 0;
        }
    }
    const ListReportRow& ra = w.reportRows[a];
    const ListReportRow& rb = w.reportRows[b];
    const std::array<std::uint16_t, 8> va{ra.sectX,  ra.sectY, ra.tileX, ra.tileY,
                                          ra.tileId, ra.mapX,  ra.mapY,  ra.errorCode};
    const std::array<std::uint16_t, 8> vb{rb.sectX,  rb.sectY, rb.tileX, rb.tileY,
                                          rb.tileId, rb.mapX,  rb.mapY,  rb.errorCode};
    if (column < 0 || column > 7) {
        return 0;
    }
    const auto c = static_cast<std::size_t>(column);
    return std::int64_t{va[c]} - vb[c];
}

} // namespace

std::vector<ListColumn> listColumns(ListMode listMode) {
    if (listMode == ListMode::Objects) {
        return {{"Name", 150}, {"Type", 100}, {"ID#", 60}, {"OCD ID#", 80}, {"X", 40}, {"Y", 40}};
    }
    return {{"Sect X", 70},   {"Sect Y", 70}, {"Tile X", 70}, {"Tile Y", 70},
            {"Tile ID#", 85}, {"X", 70},      {"Y", 70},      {"Error", 150}};
}

std::int32_t listColumnsWidth(ListMode listMode) {
    std::int32_t width = 0;
    for (const ListColumn& column : listColumns(listMode)) {
        width += column.width;
    }
    return width;
}

std::size_t rowCount(const ListWindow& window) {
    return window.listMode == ListMode::Objects ? window.objectRows.size()
                                                : window.reportRows.size();
}

std::int32_t markOf(const ListWindow& window, std::size_t row) {
    return window.listMode == ListMode::Objects ? window.objectRows[row].mark
                                                : window.reportRows[row].mark;
}

void setMark(ListWindow& window, std::size_t row, std::int32_t mark) {
    if (window.listMode == ListMode::Objects) {
        window.objectRows[row].mark = mark;
    } else {
        window.reportRows[row].mark = mark;
    }
}

void createListWindow(ListState& list, ListMode listMode) {
    list.window.emplace();
    list.window->listMode = listMode;
}

void destroyListWindow(ListState& list) {
    list.window.reset();
}

std::size_t readRows(ListState& list, TextReader& file, const MessageSink& tell) {
    if (!list.window) {
        return 0;
    }
    ListWindow& window = *list.window;
    window.semicolons = false;
    std::string line;
    while (readLine(file, line)) {
        if (takeLine(window, line, tell) == LineOutcome::LimitReported) {
            return window.linesCounted;
        }
    }
    if (file.failed) {
        return 0;
    }
    return window.linesCounted;
}

std::size_t addRow(ListState& list, std::string_view line, const MessageSink& tell) {
    if (!list.window) {
        return 0;
    }
    takeLine(*list.window, line, tell);
    return list.window->linesCounted;
}

const char* reportTextTitle(ListKind listKind, bool scanAll) {
    if (isCombinedReport(listKind, scanAll)) {
        return "Balkans Theater Bad Road/River/Transition Tiles Report";
    }
    switch (listKind) {
    case ListKind::MisalignedRoads:
        return "Balkans Theater Misaligned Roads Report";
    case ListKind::MisalignedRivers:
        return "Balkans Theater Misaligned Rivers Report";
    default:
        return "Balkans Theater Misaligned Transitions Report";
    }
}

const char* reportErrorText(std::uint16_t errorCode, ListKind listKind, bool scanAll) {
    const auto [kind, direction] = decodeReportCode(errorCode, listKind, scanAll);
    std::size_t table = 0;
    switch (kind) {
    case ListKind::MisalignedRoads:
        table = 0;
        break;
    case ListKind::MisalignedRivers:
        table = 1;
        break;
    case ListKind::BadTransitions:
        table = 2;
        break;
    default:
        return "";
    }
    if (direction < 0 || direction > 4) {
        return "";
    }
    return errorTexts[table][static_cast<std::size_t>(direction)];
}

std::string cellText(const ListWindow& window, std::size_t displayPosition, int column,
                     ListKind listKind, bool scanAll) {
    const std::size_t row = window.display[displayPosition];
    if (window.listMode == ListMode::Objects) {
        const ListObjectRow& r = window.objectRows[row];
        switch (column) {
        case 0:
            return r.name;
        case 1:
            return r.type;
        case 2:
            return std::to_string(r.identifier);
        case 3:
            return std::to_string(r.ocdId);
        case 4:
            return std::to_string(r.x);
        case 5:
            return std::to_string(r.y);
        default:
            return {};
        }
    }
    const ListReportRow& r = window.reportRows[row];
    switch (column) {
    case 0:
        return std::to_string(r.sectX);
    case 1:
        return std::to_string(r.sectY);
    case 2:
        return std::to_string(r.tileX);
    case 3:
        return std::to_string(r.tileY);
    case 4:
        return std::to_string(r.tileId);
    case 5:
        return std::to_string(r.mapX);
    case 6:
        return std::to_string(r.mapY);
    case 7:
        return reportErrorText(r.errorCode, listKind, scanAll);
    default:
        return {};
    }
}

void sortRows(ListWindow& window, int column, bool ascending) {
    std::stable_sort(window.display.begin(), window.display.end(),
                     [&](std::size_t a, std::size_t b) {
                         const std::int64_t r = compareRows(window, a, b, column);
                         return ascending ? r < 0 : r > 0;
                     });
}

void sortByHeader(ListState& list, int column) {
    if (list.window) {
        sortRows(*list.window, column, list.sortAscending);
    }
    list.sortAscending = !list.sortAscending;
}

void toggleMark(ListWindow& window, std::size_t row) {
    if (row >= rowCount(window)) {
        return;
    }
    setMark(window, row, markOf(window, row) != MarkNone ? MarkNone : MarkSelected);
}

void activateHighlighted(ListWindow& window) {
    if (std::count(window.highlighted.begin(), window.highlighted.end(), 1) > 1) {
        for (std::size_t row = 0; row < window.highlighted.size(); ++row) {
            if (window.highlighted[row] != 0) {
                setMark(window, row, MarkSelected);
            }
        }
    }
}

void markHighlighted(ListState& list, std::int32_t mark) {
    if (mark == MarkDeleted) {
        list.deletionMode = true;
    }
    if (!list.window) {
        return;
    }
    for (std::size_t row = 0; row < list.window->highlighted.size(); ++row) {
        if (list.window->highlighted[row] != 0) {
            setMark(*list.window, row, mark);
        }
    }
}

void clearAllMarks(ListState& list) {
    if (list.window) {
        for (std::size_t row = 0; row < rowCount(*list.window); ++row) {
            setMark(*list.window, row, MarkNone);
        }
    }
    list.deletionMode = false;
}

bool writeExport(const ListState& list, const std::string& exportPath, std::string& error) {
    const auto fail = [&error](std::string why) {
        error = std::move(why);
        return false;
    };
    TextReader source;
    if (list.sourcePath.empty() || !openTextReader(source, toFsPath(list.sourcePath))) {
        return fail("the list's source " + list.sourcePath + " cannot be read" +
                    (source.error.empty() ? "" : ": " + source.error));
    }
    SafeWriter out;
    if (!beginSafeWrite(out, toFsPath(exportPath))) {
        return fail(out.error);
    }
    std::string line;
    for (int header = 0; header < 2; ++header) {
        if (readLine(source, line) && !safeWrite(out, line.data(), line.size())) {
            abandonSafeWrite(out);
            return fail(out.error);
        }
    }
    const ListWindow* window = list.window ? &*list.window : nullptr;
    for (std::size_t k = 0; readLine(source, line); ++k) {
        const std::int64_t row =
            window != nullptr && k < window->lineRows.size() ? window->lineRows[k] : -1;
        const std::int32_t mark =
            row >= 0 ? markOf(*window, static_cast<std::size_t>(row)) : MarkNone;
        const bool copy = mark == MarkSelected || (list.deletionMode && mark == MarkNone);
        if (copy && !safeWrite(out, line.data(), line.size())) {
            abandonSafeWrite(out);
            return fail(out.error);
        }
    }
    if (!commitSafeWrite(out)) {
        abandonSafeWrite(out);
        return fail(out.error);
    }
    return true;
}

namespace {

// The report's lines that have no row in the list (those past its limit), read again from the
// list's source in file order. Nothing, with the reason, when the source cannot be read or no
// longer has the lines the list was read from.
std::optional<std::vector<ListReportRow>> linesBeyondTheRows(const ListState& list,
                                                             std::string& error) {
    const ListWindow& window = *list.window;
    TextReader source;
    if (list.sourcePath.empty() || !openTextReader(source, toFsPath(list.sourcePath))) {
        error = withReason("The lines past the list's " + std::to_string(maxListRows) +
                               " rows cannot be read again from " + list.sourcePath,
                           source.error.empty() ? "the list has no source file" : source.error);
        return std::nullopt;
    }
    std::vector<ListReportRow> beyond;
    std::string line;
    for (int header = 0; header < 2 && readLine(source, line); ++header) {
    }
    std::size_t k = 0;
    for (; readLine(source, line); ++k) {
        // A list read from a file stops reading once its limit is reported: what follows is
        // past it too.
        if (k >= window.lineRows.size() || window.lineRows[k] < 0) {
            beyond.push_back(reportRow(withoutLineEnd(line)));
        }
    }
    if (!source.error.empty() || k < window.lineRows.size()) {
        error = withReason("The lines past the list's " + std::to_string(maxListRows) +
                               " rows cannot be read again from " + list.sourcePath,
                           !source.error.empty() ? source.error
                                                 : "it has " + std::to_string(k) +
                                                       " report lines now, fewer than the " +
                                                       std::to_string(window.lineRows.size()) +
                                                       " the list was read from");
        return std::nullopt;
    }
    return beyond;
}

std::string textVersionLine(const ListReportRow& r, ListKind listKind, bool scanAll) {
    return std::to_string(r.sectX) + " \t " + std::to_string(r.sectY) + " \t " +
           std::to_string(r.tileX) + " \t " + std::to_string(r.tileY) + " \t " +
           std::to_string(r.tileId) + " \t " + std::to_string(r.mapX) + " \t " +
           std::to_string(r.mapY) + "\t " + reportErrorText(r.errorCode, listKind, scanAll);
}

} // namespace

bool writeTextVersion(ListState& list, std::FILE* file, ListKind listKind, bool scanAll,
                      std::time_t when, std::string& error) {
    if (!list.window || list.window->listMode != ListMode::Reports) {
        return true;
    }
    ListWindow& window = *list.window;
    // Four stable sorts leave the rows ordered by Sect X, Sect Y, Tile X, then Tile Y.
    for (int column : {3, 2, 1, 0}) {
        sortRows(window, column, true);
    }
    list.sortAscending = true;
    // Every line of the report goes into the text version, not only the rows the list holds:
    // the rows in their display order, then the lines past the list's limit, in that order.
    std::vector<ListReportRow> lines;
    lines.reserve(window.display.size());
    for (std::size_t position : window.display) {
        lines.push_back(window.reportRows[position]);
    }
    if (window.linesCounted > maxListRows) {
        std::string problem;
        const std::optional<std::vector<ListReportRow>> beyond = linesBeyondTheRows(list, problem);
        if (!beyond) {
            error = problem;
            return false;
        }
        lines.insert(lines.end(), beyond->begin(), beyond->end());
        std::stable_sort(lines.begin(), lines.end(),
                         [](const ListReportRow& a, const ListReportRow& b) {
                             return std::tie(a.sectX, a.sectY, a.tileX, a.tileY) <
                                    std::tie(b.sectX, b.sectY, b.tileX, b.tileY);
                         });
    }
    const std::string eol = platformLineEnd;
    writeText(file, std::string(reportTextTitle(listKind, scanAll)) + " - " + titleTime(when) +
                        eol + reportTextColumns + eol);
    for (const ListReportRow& r : lines) {
        writeText(file, textVersionLine(r, listKind, scanAll) + eol);
    }
    return true;
}

std::optional<std::size_t> highlightOnly(ListWindow& w, std::size_t row) {
    std::fill(w.highlighted.begin(), w.highlighted.end(), 0);
    if (row < w.highlighted.size()) {
        w.highlighted[row] = 1;
    }
    const auto at = std::find(w.display.begin(), w.display.end(), row);
    if (at == w.display.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(at - w.display.begin());
}

} // namespace vantor
