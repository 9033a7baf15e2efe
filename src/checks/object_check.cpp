#include "checks/object_check.h"

#include "base/text_util.h"

#include <array>
#include <vector>

namespace vantor {

namespace {

enum UrbanType { City, Town, Village, Junction, OtherType };

UrbanType urbanType(std::string_view type) {
    static constexpr std::array<std::string_view, 4> names{" City", " Town", " Village",
                                                           " Junction"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (equalsIgnoreCase(type, names[i])) {
            return static_cast<UrbanType>(i);
        }
    }
    return OtherType;
}

// For each 16-bit tile ID the checker record that applies, or -1: the tile lies within the
// bounds and in a range, and the first record of that tile id in script order.
std::vector<std::int32_t> checkedTiles(const TileScript& s) {
    std::vector<std::int32_t> record(65536, -1);
    for (std::size_t i = s.checkers.size(); i-- > 0;) { // the first record wins
        const std::int32_t t = s.checkers[i].tileId;
        if (t >= 0 && t < 65536) {
            record[static_cast<std::size_t>(t)] = static_cast<std::int32_t>(i);
        }
    }
    for (std::int32_t t = 0; t < 65536; ++t) {
        bool inRange = false;
        for (const TileIdRange& r : s.ranges) {
            if (r.low <= t && t <= r.high) {
                inRange = true;
                break;
            }
        }
        if (!inRange || t < s.lowerBound || t > s.upperBound) {
            record[static_cast<std::size_t>(t)] = -1;
        }
    }
    return record;
}

// The urban classes a checker record gives: city, town, village, junction.
std::array<std::int32_t, 4> urbanClasses(const CheckerRecord& rec) {
    return {rec.cityClass, rec.townClass, rec.villageClass, rec.junctionClass};
}

// An object on a listed tile takes the record's first class, or becomes an intersection.
void reclassObject(ObjectRecord& o, const CheckerRecord& rec, ObjectCheckCounts& c) {
    std::int32_t first = 0;
    for (const std::int32_t v : urbanClasses(rec)) {
        if (v != 0) {
            first = v;
            break;
        }
    }
    if (first == 0) {
        first = rec.newJunctionClass;
    }
    const UrbanType type = urbanType(o.type);
    if (first != 0 && type != OtherType) {
        o.objectiveClass = first;
        o.changed = true;
        ++c.changed;
        std::int32_t* byType[] = {&c.cities, &c.towns, &c.villages, &c.junctions};
        ++*byType[type];
    } else if (rec.newJunctionClass != 0) {
        o.objectiveClass = rec.newJunctionClass;
        o.type = "Junction";
        o.subtype = "Intersection";
        o.changed = true;
        ++c.changed;
        ++c.intersections;
    }
}

// An empty listed tile pulls the first urban object within range whose type the record gives a
// class; true when one came.
bool pullObject(OccupancyGrid& grid, CheckObjects& objects, std::int32_t x, std::int32_t y,
                std::int32_t range, const CheckerRecord& rec, ObjectCheckCounts& c) {
    const std::array<std::int32_t, 4> classes = urbanClasses(rec);
    for (std::int32_t ny = y - range; ny <= y + range; ++ny) {
        for (std::int32_t nx = x - range; nx <= x + range; ++nx) {
            if ((nx == x && ny == y) || !grid.contains(nx, ny)) {
                continue;
            }
            OccupancyCell& from = grid.at(nx, ny);
            if (from.object == noObject) {
                continue;
            }
            ObjectRecord& o = objects.at(from.object);
            const UrbanType type = urbanType(o.type);
            if (type == OtherType || classes[type] == 0) {
                continue;
            }
            o.objectiveClass = classes[type];
            o.x = x;
            o.y = y;
            o.changed = true;
            grid.at(x, y).object = from.object;
            from.object = noObject;
            ++c.moved;
            return true;
        }
    }
    return false;
}

// A new intersection on an empty listed tile.
ObjectRecord newIntersection(std::int64_t identifier, std::int32_t objectiveClass, std::int32_t x,
                             std::int32_t y) {
    ObjectRecord r;
    r.identifier = static_cast<std::int32_t>(identifier);
    r.objectiveClass = objectiveClass;
    r.type = "Junction";
    r.subtype = "Intersection";
    r.x = x;
    r.y = y;
    r.changed = true;
    return r;
}

} // namespace

ObjectCheckResult runObjectCheck(OccupancyGrid& grid, CheckObjects& objects,
                                 const TileScript& script, const MapArea& wanted,
                                 std::int32_t range, IdentifierRange ids,
                                 const RowProgress& progress) {
    ObjectCheckResult result;
    ObjectCheckCounts& c = result.counts;
    objects.created.clear();
    const std::vector<std::int32_t> recordOf = checkedTiles(script);
    const MapArea area = clampedArea(wanted, grid.width, grid.height);
    const auto stop = [&](bool overrun) {
        result.end.stopped = true;
        result.end.nextIdentifier = ids.next;
        if (overrun) {
            result.end.overrun = identifierOverrun(ids.next);
        }
        return result;
    };
    for (std::int32_t y = area.startY; y <= area.endY; ++y) {
        for (std::int32_t x = area.startX; x <= area.endX; ++x) {
            OccupancyCell& cell = grid.at(x, y);
            const std::int32_t at = recordOf[cell.tileId];
            if (at < 0) {
                continue;
            }
            const CheckerRecord& rec = script.checkers[static_cast<std::size_t>(at)];
            if (cell.object != noObject) {
                reclassObject(objects.at(cell.object), rec, c);
                continue;
            }
            if (range > 0 && pullObject(grid, objects, x, y, range, rec, c)) {
                continue;
            }
            if (rec.newJunctionClass != 0) {
                cell.object = objects.create(newIntersection(ids.next, rec.newJunctionClass, x, y));
                ++ids.next;
                if (ids.next > ids.maximum) {
                    return stop(true);
                }
                ++c.placed;
            }
        }
        if (progress && progress(c.total(), rowPosition(area, y, grid.width))) {
            return stop(false);
        }
    }
    result.end.nextIdentifier = ids.next;
    return result;
}

std::string objectCheckSummary(const ObjectCheckCounts& c) {
    const auto n = [](std::int32_t v) { return std::to_string(v); };
    return " " + n(c.placed) + " Objects were placed.\r\n " + n(c.moved) + " Objects moved.\r\n " +
           n(c.changed) + " Objects changed.\r\n " + n(c.cities) + " New Cities.\r\n " +
           n(c.towns) + " New Towns.\r\n " + n(c.villages) + " New Vilages.\r\n " + n(c.junctions) +
           " New Junctions.\r\n " + n(c.intersections) + " New Intersections.";
}

} // namespace vantor
