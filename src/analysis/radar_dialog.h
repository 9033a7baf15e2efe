#pragma once

#include "analysis/radar_profile.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

inline constexpr const char* radarDialogTitle = "Configure Radar Scanner";

enum RadarDialogField : int {
    MaximumRangeField = 0,
    RangeIncrementField = 1,
    AzimuthIncrementField = 2
};

inline constexpr std::array<const char*, 3> radarFieldLabels{
    "Max Scan Range (km)", "Range Scan Inc. (km)", "Scan Azimuth Inc. (deg)"};

// The "Configure Radar Scanner" dialog: the settings it edits and the texts of its three fields.
struct RadarDialogModel {
    RadarSettings settings;
    std::array<std::string, 3> texts;
};

// The dialog as it opens: the defaults, shown "%4.0f", "%3.1f" and "%3.1f".
RadarDialogModel openRadarDialog();

// A field's text changed: a leading real number becomes its setting; other text leaves the
// setting as it was.
void editRadarField(RadarDialogModel& model, RadarDialogField field, std::string_view text);

// "Scan": the three fields once more; the reason the settings cannot be used (a field that holds
// no number, a value out of its range), or none.
std::optional<std::string> confirmRadarDialog(RadarDialogModel& model);

} // namespace vantor
