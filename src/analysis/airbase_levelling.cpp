#include "analysis/airbase_levelling.h"

#include "base/text_util.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <unordered_map>

namespace vantor {

namespace {

// Reads integers separated by commas the way "%d,%d, %d" reads them: blanks may come before
// a number, the comma must follow it at once. Values after the first mismatch stay as they were.
template <std::size_t N> void scanIntegers(std::string_view line, std::array<std::int32_t, N>& v) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0) {
            if (pos >= line.size() || line[pos] != ',') {
                return;
            }
            ++pos;
        }
        while (pos < line.size() && std::isspace(static_cast<unsigned char>(line[pos])) != 0) {
            ++pos;
        }
        const std::optional<std::int32_t> value = parseLeadingInt(line.substr(pos));
        if (!value) {
            return;
        }
        v[i] = *value;
        if (pos < line.size() && (line[pos] == '-' || line[pos] == '+')) {
            ++pos;
        }
        while (pos < line.size() && std::isdigit(static_cast<unsigned char>(line[pos])) != 0) {
            ++pos;
        }
    }
}

} // namespace

AirbaseScript parseAirbaseScript(std::string_view text) {
    AirbaseScript script;
    enum class Expect { Header, Offsets, EntryEnd } expect = Expect::Header;
    std::int32_t offsetsLeft = 0;
    bool storing = false; // the entry being read is within the table
    std::size_t read = 0; // entries whose header was read
    forEachTextLine(text, [&](std::string_view line) {
        if (line.empty() || line.front() == ';') {
            return true;
        }
        if (startsWithIgnoreCase(line, "***END")) {
            return false;
        }
        if (line.front() == '@') {
            script.counted = std::min(read, maxAirbaseEntries);
            expect = Expect::Header;
            return true;
        }
        switch (expect) {
        case Expect::Header: {
            std::array<std::int32_t, 4> v{};
            scanIntegers(line, v);
            ++read;
            storing = script.entries.size() < maxAirbaseEntries;
            if (storing) {
                script.entries.push_back({v[0], v[1], v[2], v[3], {}});
            } else {
                script.cut = true;
            }
            offsetsLeft = v[2];
            expect = offsetsLeft > 0 ? Expect::Offsets : Expect::EntryEnd;
            return true;
        }
        case Expect::Offsets: {
            if (storing && script.entries.back().lines.size() < maxOffsetLines) {
                std::array<std::int32_t, 2 * pairsPerOffsetLine> v{};
                scanIntegers(line, v);
                std::array<PostOffset, pairsPerOffsetLine> pairs{};
                for (std::size_t p = 0; p < pairsPerOffsetLine; ++p) {
                    pairs[p] = {v[2 * p], v[2 * p + 1]};
                }
                script.entries.back().lines.push_back(pairs);
            } else if (storing) {
                script.cut = true;
            }
            if (--offsetsLeft == 0) {
                expect = Expect::EntryEnd;
            }
            return true;
        }
        case Expect::EntryEnd:
            expect = Expect::Header; // this line ends the entry and is not read
            return true;
        }
        return true;
    });
    return script;
}

namespace {

// The levelling's walk, shared by the levelling itself and its dry run: level(x, y, h)
// is called for every post an airbase of the grid gives its own elevation h, in the order the
// levelling writes them; airbaseDone(x, y, record) after each airbase.
template <class Elevation, class Level, class AirbaseDone>
AirbaseLevelling walkAirbases(const TerrainMatrix& matrix, const OccupancyGrid& grid,
                              const ObjectTable& table, const OcdList& ocd,
                              const AirbaseScript& script, const MapArea& wanted,
                              const RowProgress& progress, Elevation elevationAt, Level level,
                              AirbaseDone airbaseDone) {
    AirbaseLevelling result;
    std::unordered_map<std::int32_t, const AirbaseEntry*> entryOf;
    for (std::size_t i = 0; i < script.counted && i < script.entries.size(); ++i) {
        entryOf.try_emplace(script.entries[i].ocdId, &script.entries[i]);
    }
    const MapArea area = clampedArea(wanted, grid.width, grid.height);
    for (std::int32_t y = area.startY; y <= area.endY; ++y) {
        for (std::int32_t x = area.startX; x <= area.endX; ++x) {
            const std::uint32_t ref = grid.at(x, y).object;
            if (ref == noObject || (ref & createdObjectBit) != 0) {
                continue;
            }
            const ObjectRecord& o = table[ref - 1];
            const OcdEntry* e = findOcdById(ocd, static_cast<std::uint32_t>(o.objectiveClass));
            if (e == nullptr) {
                continue;
            }
            const auto found = entryOf.find(o.objectiveClass);
            if (found == entryOf.end() || e->classCode != 140) {
                continue;
            }
            const AirbaseEntry& entry = *found->second;
            const std::uint16_t h = elevationAt(x, y);
            const std::size_t pairs = static_cast<std::size_t>(
                std::clamp<std::int32_t>(entry.pairsPerLine, 0, pairsPerOffsetLine));
            for (const auto& line : entry.lines) {
                for (std::size_t p = 0; p < pairs; ++p) {
                    const std::int64_t px = std::int64_t{x} + line[p].dx;
                    const std::int64_t py = std::int64_t{y} + line[p].dy;
                    if (!matrix.contains(px, py)) {
                        continue;
                    }
                    const auto mx = static_cast<std::int32_t>(px);
                    const auto my = static_cast<std::int32_t>(py);
                    if (matrix.at(mx, my).tileId != 0) {
                        level(mx, my, h);
                    }
                }
            }
            airbaseDone(x, y, o);
            ++result.levelled;
        }
        if (progress && progress(result.levelled, rowPosition(area, y, grid.width))) {
            result.stopped = true;
            return result;
        }
    }
    return result;
}

} // namespace

AirbaseLevelling levelAirbases(TerrainMatrix& matrix, const OccupancyGrid& grid,
                               const ObjectTable& table, const OcdList& ocd,
                               const AirbaseScript& script, const MapArea& area,
                               const RowProgress& progress) {
    return walkAirbases(
        matrix, grid, table, ocd, script, area, progress,
        [&](std::int32_t x, std::int32_t y) { return matrix.at(x, y).elevation; },
        [&](std::int32_t x, std::int32_t y, std::uint16_t h) { matrix.at(x, y).elevation = h; },
        [](std::int32_t, std::int32_t, const ObjectRecord&) {});
}

std::vector<AirbaseChange> airbaseChanges(const TerrainMatrix& matrix, const OccupancyGrid& grid,
                                          const ObjectTable& table, const OcdList& ocd,
                                          const AirbaseScript& script) {
    // The levelled elevations kept beside the matrix, which stays as it is: later airbases see
    // what earlier ones levelled, as they do in the levelling itself.
    std::unordered_map<std::size_t, std::uint16_t> levelled;
    const auto elevationAt = [&](std::int32_t x, std::int32_t y) {
        const auto found = levelled.find(matrix.index(x, y));
        return found != levelled.end() ? found->second : matrix.at(x, y).elevation;
    };
    std::vector<AirbaseChange> changes;
    AirbaseChange current;
    walkAirbases(
        matrix, grid, table, ocd, script, {0, 0, matrix.width - 1, matrix.height - 1}, {},
        elevationAt,
        [&](std::int32_t x, std::int32_t y, std::uint16_t h) {
            const std::uint16_t before = elevationAt(x, y);
            if (before == h) {
                return;
            }
            ++current.posts;
            current.largestDifference =
                std::max(current.largestDifference, std::abs(std::int32_t{h} - before));
            levelled[matrix.index(x, y)] = h;
        },
        [&](std::int32_t x, std::int32_t y, const ObjectRecord& airbase) {
            if (current.posts != 0) {
                current.x = x;
                current.y = y;
                current.identifier = airbase.identifier;
                changes.push_back(current);
            }
            current = {};
        });
    return changes;
}

std::string airbaseSummary(std::int32_t levelled) {
    return " " + std::to_string(levelled) + " Airbases were leveled.";
}

} // namespace vantor
