#pragma once

#include "objectives/object_table.h"
#include "terrain/terrain_matrix.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantor {

// A cell's reference to the objective on its post: none, a record of the object table, or an
// object a check created. References are positions, so a growing table never invalidates them.
inline constexpr std::uint32_t noObject = 0;
inline constexpr std::uint32_t createdObjectBit = 0x80000000u;

inline std::uint32_t tableObjectRef(std::size_t position) {
    return static_cast<std::uint32_t>(position + 1);
}
inline std::uint32_t createdObjectRef(std::size_t position) {
    return createdObjectBit | static_cast<std::uint32_t>(position + 1);
}

struct OccupancyCell {
    std::uint16_t tileId = 0; // the low 16 bits of the post's tile ID
    std::uint32_t object = noObject;
};

// One cell per terrain post, in the matrix's order and with its index.
struct OccupancyGrid {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<OccupancyCell> cells;

    bool contains(std::int64_t x, std::int64_t y) const {
        return x >= 0 && y >= 0 && x < width && y < height;
    }
    OccupancyCell& at(std::int32_t x, std::int32_t y) {
        return cells[static_cast<std::size_t>(x) +
                     static_cast<std::size_t>(y) * static_cast<std::size_t>(width)];
    }
    const OccupancyCell& at(std::int32_t x, std::int32_t y) const {
        return cells[static_cast<std::size_t>(x) +
                     static_cast<std::size_t>(y) * static_cast<std::size_t>(width)];
    }
};

// The objectives a check works on: the source file's records and the ones it creates.
struct CheckObjects {
    ObjectTable table;
    NewObjectList created;

    ObjectRecord& at(std::uint32_t ref) {
        const std::size_t position = (ref & ~createdObjectBit) - 1;
        return (ref & createdObjectBit) != 0 ? created[position] : table[position];
    }
    std::uint32_t create(ObjectRecord record) {
        created.push_back(std::move(record));
        return createdObjectRef(created.size() - 1);
    }
};

// After each row of posts: the sections completed so far; true stops the build.
using GridBuildProgress = std::function<bool(std::int32_t sectionsCompleted)>;

// The grid of the matrix's tiles with no objects; false (and the grid empty) when stopped.
bool buildOccupancyGrid(const TerrainMatrix& matrix, OccupancyGrid& grid,
                        const GridBuildProgress& progress = {});

// Posts taken twice, and records that lie off the map, as the report lists them.
struct MultipleObjects {
    std::size_t read = 0;
    std::size_t placed = 0;
    std::string report;
};

// Puts record `position` of the table on its post when the post is free. Otherwise says why:
// the record lies off the map, or the post holds another object (`holder`, its reference).
struct PostClaim {
    enum Outcome { Placed, OffMap, Taken } outcome = Placed;
    std::uint32_t holder = noObject;
};
PostClaim claimPost(OccupancyGrid& grid, const ObjectTable& table, std::size_t position);

// claimPost, with the report line of a record that was not placed.
bool placeObject(OccupancyGrid& grid, const ObjectTable& table, std::size_t position,
                 MultipleObjects& multiple);

inline constexpr const char* multiObjectReportName = "MultiObjectErr.txt";
// " %d Objects read from Master.cvs file. ..." for the records read and not placed.
std::string multipleObjectsMessage(const MultipleObjects& multiple);

} // namespace vantor
