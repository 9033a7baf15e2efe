#include "objectives/occupancy_grid.h"

#include <string>

namespace vantor {

bool buildOccupancyGrid(const TerrainMatrix& matrix, OccupancyGrid& grid,
                        const GridBuildProgress& progress) {
    grid.width = matrix.width;
    grid.height = matrix.height;
    grid.cells.assign(matrix.posts.size(), OccupancyCell{});
    const std::size_t width = static_cast<std::size_t>(matrix.width);
    const std::int32_t sectionsX = matrix.sectionsX();
    for (std::int32_t y = 0; y < matrix.height; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * width;
        for (std::size_t x = 0; x < width; ++x) {
            grid.cells[row + x].tileId = static_cast<std::uint16_t>(matrix.posts[row + x].tileId);
        }
        const std::int32_t sectionsDone = (y / postsPerSectionSide) * sectionsX + sectionsX - 1;
        if (progress && progress(sectionsDone)) {
            grid = OccupancyGrid{};
            return false;
        }
    }
    return true;
}

PostClaim claimPost(OccupancyGrid& grid, const ObjectTable& table, std::size_t position) {
    const ObjectRecord& record = table[position];
    if (!grid.contains(record.x, record.y)) {
        return {PostClaim::OffMap, noObject};
    }
    OccupancyCell& cell = grid.at(record.x, record.y);
    if (cell.object != noObject) {
        return {PostClaim::Taken, cell.object};
    }
    cell.object = tableObjectRef(position);
    return {PostClaim::Placed, noObject};
}

bool placeObject(OccupancyGrid& grid, const ObjectTable& table, std::size_t position,
                 MultipleObjects& multiple) {
    ++multiple.read;
    const PostClaim claim = claimPost(grid, table, position);
    if (claim.outcome == PostClaim::Placed) {
        ++multiple.placed;
        return true;
    }
    const ObjectRecord& record = table[position];
    multiple.report += std::to_string(record.identifier) + "\t" + record.type +
                       "\t*** X= " + std::to_string(record.x) + "\tY= " + std::to_string(record.y) +
                       "\t*** ";
    if (claim.outcome == PostClaim::OffMap) {
        multiple.report += "not on the map\r\n";
    } else {
        const ObjectRecord& first = table[(claim.holder & ~createdObjectBit) - 1];
        multiple.report += std::to_string(first.identifier) + "\t" + first.type + "\r\n";
    }
    return false;
}

std::string multipleObjectsMessage(const MultipleObjects& multiple) {
    return " " + std::to_string(multiple.read) + " Objects read from Master.cvs file.\r\n " +
           std::to_string(multiple.read - multiple.placed) +
           " Objects on tile with another Object.\r\n Error report in MultiObjectErr.txt file.";
}

} // namespace vantor
