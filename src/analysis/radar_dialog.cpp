#include "analysis/radar_dialog.h"

#include "base/text_util.h"

#include <cstdio>

namespace vantor {

namespace {

float& settingOf(RadarSettings& s, RadarDialogField field) {
    switch (field) {
    case MaximumRangeField:
        return s.maximumRange;
    case RangeIncrementField:
        return s.rangeIncrement;
    case AzimuthIncrementField:
        break;
    }
    return s.azimuthIncrement;
}

// The field texts as the dialog first shows them: the range "%4.0f", the increments "%3.1f".
std::string shownRange(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%4.0f", static_cast<double>(value));
    return text;
}

std::string shownIncrement(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%3.1f", static_cast<double>(value));
    return text;
}

} // namespace

RadarDialogModel openRadarDialog() {
    RadarDialogModel model;
    model.settings = defaultRadarSettings;
    model.texts = {shownRange(model.settings.maximumRange),
                   shownIncrement(model.settings.rangeIncrement),
                   shownIncrement(model.settings.azimuthIncrement)};
    return model;
}

void editRadarField(RadarDialogModel& model, RadarDialogField field, std::string_view text) {
    model.texts[static_cast<std::size_t>(field)] = std::string(text);
    if (const std::optional<float> value = parseLeadingFloat(text)) {
        settingOf(model.settings, field) = *value;
    }
}

std::optional<std::string> confirmRadarDialog(RadarDialogModel& model) {
    for (RadarDialogField field : {MaximumRangeField, RangeIncrementField, AzimuthIncrementField}) {
        const auto index = static_cast<std::size_t>(field);
        const std::string text = model.texts[index];
        // Typing may pass through text that is no number; the run itself does not start on it.
        if (!parseLeadingFloat(text)) {
            return "The " + std::string(radarFieldLabels[index]) + " field holds \"" + text +
                   "\", which is not a number.";
        }
        editRadarField(model, field, text);
    }
    return radarSettingsProblem(model.settings);
}

} // namespace vantor
