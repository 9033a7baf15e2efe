#include "terrain/l2_info.h"

#include "base/text_util.h"

namespace vantor {

L2Info lookupL2Info(const TerrainMatrix& matrix, std::string_view mapXText,
                    std::string_view mapYText) {
    L2Info info;
    info.mapX = parseLeadingInt(mapXText).value_or(0);
    info.mapY = parseLeadingInt(mapYText).value_or(0);
    info.onMap = matrix.contains(info.mapX, info.mapY) && !matrix.empty();
    if (!info.onMap) {
        info.tileIdText = "off map";
        info.elevationText = "off map";
        return info;
    }
    const TerrainPost& post =
        matrix.at(static_cast<std::int32_t>(info.mapX), static_cast<std::int32_t>(info.mapY));
    info.tileId = post.tileId;
    info.elevation = post.elevation;
    info.tileIdText = std::to_string(post.tileId);
    info.elevationText = std::to_string(post.elevation);
    return info;
}

} // namespace vantor
