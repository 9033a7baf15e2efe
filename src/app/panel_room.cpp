#include "app/panel_room.h"

#include "app/platform_calls.h"
#include "app/recent_files.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace vantor {

namespace {

const std::string windowKey = std::string(settingsKey) + "\\Window";
constexpr const char* listValue = "ListWidth";
constexpr const char* sideValue = "SideWidth";

std::int32_t wantedOrShare(std::int32_t wanted, std::int32_t width, std::int32_t percent,
                           std::int32_t least) {
    const std::int32_t share = static_cast<std::int32_t>(std::int64_t{width} * percent / 100);
    return std::max(wanted > 0 ? wanted : share, least);
}

std::int32_t readWidth(const Platform& platform, const char* name) {
    const SettingRead read = readSetting(platform, windowKey, name);
    if (!read.value) {
        return 0;
    }
    std::int32_t value = 0;
    const char* first = read.value->data();
    const char* last = first + read.value->size();
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last && value > 0 ? value : 0;
}

} // namespace

PanelWidths sharePanelRoom(std::int32_t width, PanelWidths wanted, PanelsShown shown,
                           std::int32_t least) {
    width = std::max<std::int32_t>(width, 0);
    PanelWidths room;
    room.list = shown.list ? wantedOrShare(wanted.list, width, 28, least) : 0;
    room.side = shown.side ? wantedOrShare(wanted.side, width, 30, least) : 0;
    const std::int32_t half = width / 2;
    const std::int64_t sum = std::int64_t{room.list} + room.side;
    if (sum > half) {
        // Both give way in proportion to their widths.
        room.list = static_cast<std::int32_t>(room.list * std::int64_t{half} / sum);
        room.side = static_cast<std::int32_t>(room.side * std::int64_t{half} / sum);
    }
    return room;
}

PanelWidths dragPanelEdge(std::int32_t width, PanelWidths wanted, PanelsShown shown,
                          std::int32_t least, PanelEdge edge, std::int32_t at) {
    const PanelWidths room = sharePanelRoom(width, wanted, shown, least);
    const std::int32_t half = std::max<std::int32_t>(width, 0) / 2;
    PanelWidths result = wanted;
    if (edge == PanelEdge::List && shown.list) {
        result.list = std::clamp(at, std::min(least, half), std::max(half - room.side, least));
        result.side = shown.side ? room.side : wanted.side;
    } else if (edge == PanelEdge::Side && shown.side) {
        result.side =
            std::clamp(width - at, std::min(least, half), std::max(half - room.list, least));
        result.list = shown.list ? room.list : wanted.list;
    }
    return result;
}

PanelWidths loadPanelWidths(const Platform& platform) {
    return {readWidth(platform, listValue), readWidth(platform, sideValue)};
}

bool storePanelWidths(const Platform& platform, PanelWidths widths) {
    const bool list = writeSetting(platform, windowKey, listValue, std::to_string(widths.list));
    const bool side = writeSetting(platform, windowKey, sideValue, std::to_string(widths.side));
    return list && side;
}

} // namespace vantor
