#include "scans/edge_scan.h"

#include "base/text_util.h"
#include "objectives/export_format.h"
#include "objectives/list_model.h"

#include <array>

namespace vantor {

namespace {

struct Direction {
    std::uint8_t bit;
    std::uint8_t opposite;
    int dx;
    int dy;
    int code;
};

// Tested in this order: West, East, North, South.
constexpr std::array<Direction, 4> directions{{
    {1, 4, -1, 0, 1},
    {4, 1, 1, 0, 3},
    {2, 8, 0, 1, 2},
    {8, 2, 0, -1, 4},
}};

// The texts of the three scans.
struct EdgeScanTexts {
    const char* found;        // what the summary says was found
    const char* summaryTitle; // the summary's title
    const char* reportTitle;  // the report's title line, before its date
};

const EdgeScanTexts& textsOf(ListKind listKind) {
    static const EdgeScanTexts roads{" bad Road alignments were found", "Road Scan Finished",
                                     "2 Tile Scanner - Misaligned Roads Report"};
    static const EdgeScanTexts rivers{" bad River alignments were found", "River Scan Finished",
                                      "3 Tile Scanner - Misaligned Rivers Report"};
    static const EdgeScanTexts transitions{" bad Transition tiles were found",
                                           "Transition Tiles Scan Finished",
                                           "4 Tile Scanner - Missing Transition Tiles Report"};
    return listKind == ListKind::MisalignedRoads    ? roads
           : listKind == ListKind::MisalignedRivers ? rivers
                                                    : transitions;
}

} // namespace

std::string edgeScanSummary(ListKind listKind, bool written, std::int32_t count) {
    return std::to_string(count) + textsOf(listKind).found + (written ? " & written." : ".");
}

const char* edgeScanSummaryTitle(ListKind listKind) {
    return textsOf(listKind).summaryTitle;
}

const char* edgeReportTitle(ListKind listKind, bool scanAll) {
    return scanAll ? "9 Balkans Theater Bad Road/River/Transition Tiles Report"
                   : textsOf(listKind).reportTitle;
}

namespace {

// The nine values of a report line, joined by the report's separator.
std::string joinedLine(const EdgeBreak& b, ListKind listKind, bool scanAll, std::int32_t ySections,
                       const char* separator) {
    const std::string values[] = {
        std::to_string(b.mapX / 16),
        std::to_string(ySections - 1 - b.mapY / 16),
        std::to_string(b.mapX % 16 + 1),
        std::to_string(b.mapY % 16 + 1),
        std::to_string(b.tileId),
        std::to_string(b.mapX),
        std::to_string(b.mapY),
        reportErrorText(static_cast<std::uint16_t>(b.direction), listKind, false),
        std::to_string(encodeReportCode(b.direction, listKind, scanAll)),
    };
    std::string line = values[0];
    for (std::size_t i = 1; i < std::size(values); ++i) {
        line += separator + values[i];
    }
    return line;
}

} // namespace

std::string edgeReportLine(const EdgeBreak& b, ListKind listKind, bool scanAll,
                           std::int32_t ySections) {
    return joinedLine(b, listKind, scanAll, ySections, ", ");
}

std::string edgeTextReportLine(const EdgeBreak& b, ListKind listKind, bool scanAll,
                               std::int32_t ySections) {
    return joinedLine(b, listKind, scanAll, ySections, " \t ");
}

std::int32_t scanEdges(const TerrainMatrix& m, const TileScript& script, const MapArea& wanted,
                       const std::function<void(const EdgeBreak&)>& onBreak,
                       const RowProgress& progress) {
    const MapArea area = clampedArea(wanted, m.width, m.height);
    const auto lower = static_cast<std::uint32_t>(script.lowerBound);
    const auto upper = static_cast<std::uint32_t>(script.upperBound);
    std::int32_t breaks = 0;
    for (std::int32_t y = area.startY; y <= area.endY; ++y) {
        const TerrainPost* row =
            m.posts.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m.width);
        for (std::int32_t x = area.startX; x <= area.endX; ++x) {
            const std::uint32_t tile = row[x].tileId;
            if (tile < lower || tile > upper) {
                continue;
            }
            const TileRecord* record = findTile(script, static_cast<std::int32_t>(tile));
            if (record == nullptr) {
                continue;
            }
            for (const Direction& d : directions) {
                if ((record->edgeMask & d.bit) == 0) {
                    continue;
                }
                const std::int32_t nx = x + d.dx;
                const std::int32_t ny = y + d.dy;
                bool broken = !m.contains(nx, ny);
                if (!broken) {
                    const TileRecord* next =
                        findTile(script, static_cast<std::int32_t>(m.at(nx, ny).tileId));
                    broken = next == nullptr || (next->edgeMask & d.opposite) == 0;
                }
                if (broken) {
                    ++breaks;
                    if (onBreak) {
                        onBreak(EdgeBreak{x, y, tile, d.code});
                    }
                }
            }
            // Every listed post moves the bar; the factor is 1024 whatever the map's width.
            if (progress) {
                progress(breaks, (y * 1024 + x) / 256);
            }
        }
    }
    return breaks;
}

} // namespace vantor
