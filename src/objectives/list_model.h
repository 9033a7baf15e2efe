#pragma once

#include "base/message.h"
#include "base/text_reader.h"
#include "objectives/list_kind.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// Marks a row can carry; the view's highlight is separate from them.
enum RowMark : std::int32_t { MarkNone = 0, MarkSelected = 1, MarkDeleted = -1 };

struct ListObjectRow {
    std::string name;
    std::string type; // leading blank included
    std::int32_t identifier = 0;
    std::int32_t ocdId = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t mark = MarkNone;
};

struct ListReportRow {
    std::uint16_t sectX = 0;
    std::uint16_t sectY = 0;
    std::uint16_t tileX = 0;
    std::uint16_t tileY = 0;
    std::uint16_t tileId = 0;
    std::uint16_t mapX = 0;
    std::uint16_t mapY = 0;
    std::uint16_t errorCode = 0;
    std::int32_t mark = MarkNone;
};

inline constexpr std::size_t maxListRows = 4096;
inline constexpr const char* rowLimitMessage =
    "Maximum number of records (4096) reached in the List Window.  A complete CSV file is being "
    "generated.";

// The rows of the list window. Rows stay in the order their lines were read; the display
// order is a permutation of them that sorting changes.
struct ListWindow {
    ListMode listMode = ListMode::Objects; // decides the row type and the columns
    std::vector<ListObjectRow> objectRows;
    std::vector<ListReportRow> reportRows;
    // Data line k of the source file (after its two header lines) -> its row, or -1 when the
    // line took no row; the export pairs lines with rows through this.
    std::vector<std::int64_t> lineRows;
    std::vector<std::size_t> display;
    std::vector<char> highlighted; // per row: the view's highlight
    std::size_t linesCounted = 0;  // rows, plus one once the row limit was reported
    bool semicolons = false;       // objective lines of this read are split at ';'
};

struct ListState {
    std::optional<ListWindow> window;
    std::string sourcePath;     // the file the rows were read from
    bool deletionMode = false;  // kept across loads until "&Clear All Selections"
    bool sortAscending = false; // flips at every header click; clear at start
};

struct ListColumn {
    const char* title;
    int width;
};
std::vector<ListColumn> listColumns(ListMode listMode);
// The columns' widths together: what the list panel needs to show them all.
std::int32_t listColumnsWidth(ListMode listMode);

std::size_t rowCount(const ListWindow& window);
std::int32_t markOf(const ListWindow& window, std::size_t row);
void setMark(ListWindow& window, std::size_t row, std::int32_t mark);

void createListWindow(ListState& list, ListMode listMode);
void destroyListWindow(ListState& list);

// Reads the rest of an open file into rows: returns the row count (4097 once the row limit was
// met, which is reported once), 0 for a file without data lines or on a read error.
std::size_t readRows(ListState& list, TextReader& file, const MessageSink& tell);
// One line a scan has just written; lines past the row limit get no row.
std::size_t addRow(ListState& list, std::string_view line, const MessageSink& tell);

// The error text of a report row. A list is combined (all three scans) when listKind is 10 or
// scanAll is set; its codes are 10 x direction + scan kind, a single scan's are the direction.
const char* reportErrorText(std::uint16_t errorCode, ListKind listKind, bool scanAll);

// The title and column line of a report's text version (and of a scan's text report).
const char* reportTextTitle(ListKind listKind, bool scanAll);
inline constexpr const char* reportTextColumns =
    "Sect X\tSect Y\tTile X\tTile Y\tTileID#\tMap X\tMap Y\t\tError Type";

// Cell text of a displayed row, as the list shows it.
std::string cellText(const ListWindow& window, std::size_t displayPosition, int column,
                     ListKind listKind, bool scanAll);

// Stable sort of the display by a column, ascending or descending.
void sortRows(ListWindow& window, int column, bool ascending);
// A click on a column header: sort in the current direction, then flip it.
void sortByHeader(ListState& list, int column);

// Mouse rules: a double-click or right-click toggles a row between unmarked and selected
// (a row marked for deletion becomes unmarked); activating several highlighted rows selects
// them all.
void toggleMark(ListWindow& window, std::size_t row);
void activateHighlighted(ListWindow& window);
// A marker picked on the map: its row alone highlighted; where it stands in the display, if it
// is displayed.
std::optional<std::size_t> highlightOnly(ListWindow& window, std::size_t row);
// "&Select Objects" and "&Delete Selected" mark the highlighted rows.
void markHighlighted(ListState& list, std::int32_t mark);
void clearAllMarks(ListState& list);

// The user-form export: the source's two header lines, then each data line whose row is
// selected or, in deletion mode, not marked for deletion (lines without a row are exported
// in deletion mode). The export replaces its target only when complete.
// False with the reason in `error` when the export could not be written.
bool writeExport(const ListState& list, const std::string& exportPath, std::string& error);

// The text version of a report list, written to an open file: the rows sorted by Sect X, Sect Y,
// Tile X and Tile Y (the list shows them so afterwards), with the report's lines past the list's
// row limit, read again from its source, sorted in among them. False, with nothing written and
// the reason in `error`, when those lines cannot be read again: a text version never lacks lines.
bool writeTextVersion(ListState& list, std::FILE* file, ListKind listKind, bool scanAll,
                      std::time_t when, std::string& error);

} // namespace vantor
