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

namespace {

// The breaks of the listed post (x, y) with tile `tile`, through tileAt for its neighbours; the
// count of them.
template <typename TileAt, typename OnBreak>
std::int32_t breaksOfPost(const TerrainMatrix& m, const TileScript& script,
                          const TileRecord& record, std::int32_t x, std::int32_t y,
                          std::uint32_t tile, TileAt tileAt, OnBreak onBreak) {
    std::int32_t breaks = 0;
    for (const Direction& d : directions) {
        if ((record.edgeMask & d.bit) == 0) {
            continue;
        }
        const std::int32_t nx = x + d.dx;
        const std::int32_t ny = y + d.dy;
        bool broken = !m.contains(nx, ny);
        if (!broken) {
            const TileRecord* next = findTile(script, static_cast<std::int32_t>(tileAt(nx, ny)));
            broken = next == nullptr || (next->edgeMask & d.opposite) == 0;
        }
        if (broken) {
            ++breaks;
            onBreak(EdgeBreak{x, y, tile, d.code});
        }
    }
    return breaks;
}

bool withinBounds(const TileScript& script, std::uint32_t tile) {
    return tile >= static_cast<std::uint32_t>(script.lowerBound) &&
           tile <= static_cast<std::uint32_t>(script.upperBound);
}

} // namespace

void postEdgeBreaks(const TileView& view, const TileScript& script, std::int32_t x, std::int32_t y,
                    const std::function<void(const EdgeBreak&)>& onBreak) {
    if (!view.matrix.contains(x, y)) {
        return;
    }
    const std::uint32_t tile = view.at(x, y);
    const TileRecord* record =
        withinBounds(script, tile) ? findTile(script, static_cast<std::int32_t>(tile)) : nullptr;
    if (record == nullptr) {
        return;
    }
    breaksOfPost(
        view.matrix, script, *record, x, y, tile,
        [&view](std::int32_t nx, std::int32_t ny) { return view.at(nx, ny); },
        [&onBreak](const EdgeBreak& b) { onBreak(b); });
}

std::int32_t scanEdges(const TerrainMatrix& m, const TileScript& script, const MapArea& wanted,
                       const std::function<void(const EdgeBreak&)>& onBreak,
                       const RowProgress& progress) {
    const MapArea area = clampedArea(wanted, m.width, m.height);
    std::int32_t breaks = 0;
    const auto tileAt = [&m](std::int32_t nx, std::int32_t ny) { return m.at(nx, ny).tileId; };
    const auto report = [&onBreak](const EdgeBreak& b) {
        if (onBreak) {
            onBreak(b);
        }
    };
    for (std::int32_t y = area.startY; y <= area.endY; ++y) {
        const TerrainPost* row =
            m.posts.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m.width);
        for (std::int32_t x = area.startX; x <= area.endX; ++x) {
            const std::uint32_t tile = row[x].tileId;
            if (!withinBounds(script, tile)) {
                continue;
            }
            const TileRecord* record = findTile(script, static_cast<std::int32_t>(tile));
            if (record == nullptr) {
                continue;
            }
            breaks += breaksOfPost(m, script, *record, x, y, tile, tileAt, report);
            // Every listed post moves the bar; the factor is 1024 whatever the map's width.
            if (progress) {
                progress(breaks, (y * 1024 + x) / 256);
            }
        }
    }
    return breaks;
}

std::uint8_t edgeBit(int direction) {
    for (const Direction& d : directions) {
        if (d.code == direction) {
            return d.bit;
        }
    }
    return 0;
}

std::uint8_t oppositeEdgeBit(int direction) {
    for (const Direction& d : directions) {
        if (d.code == direction) {
            return d.opposite;
        }
    }
    return 0;
}

std::pair<std::int32_t, std::int32_t> stepTowards(int direction) {
    for (const Direction& d : directions) {
        if (d.code == direction) {
            return {d.dx, d.dy};
        }
    }
    return {0, 0};
}

} // namespace vantor
