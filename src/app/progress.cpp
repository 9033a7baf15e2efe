#include "app/progress.h"

#include "app/application_state.h"
#include "app/platform.h"

#include <array>
#include <string>

namespace vantor {

namespace {

// Labels of the object check and radar states begin with a blank, as the suite shows them.
constexpr std::array<ProgressTexts, 8> texts{{
    {"Building Terrain Matrix", "Sections Completed:", "Sections Completed:", "Sections Completed:",
     ProgressCounter::SectionsCompleted},
    {"Placing Bridges",
     "Bridges Placed:", "Bridges Placed:", "Bridges Found:", ProgressCounter::ObjectsCounted},
    {"Scanning Misaligned Roads", "Misaligned Roads:", "Bad Roads Found:", "Bad Roads Reported:",
     ProgressCounter::ErrorsCounted},
    {"Scanning Misaligned Rivers", "Misaligned Rivers:", "Bad Rivers Found:",
     "Bad Rivers Reported:", ProgressCounter::ErrorsCounted},
    {"Scanning Transition Tiles", "Bad Transition Tiles:", "Bad Transitions Found:",
     "Bad Transitions Reported:", ProgressCounter::ErrorsCounted},
    {"Moving Misplaced Objects", "Objects moved:", " City Objects Changed/Placed:",
     " City Objects Changed/Placed:", ProgressCounter::ObjectsCounted},
    {"Scanning Radars", "Radars scanned:", " Radar Objects Scanned:", " Radar Objects Scanned:",
     ProgressCounter::ObjectsCounted},
    {"Auditing the Theater", "Checks Completed:", "Checks Completed:", "Checks Completed:",
     ProgressCounter::ObjectsCounted},
}};

std::int32_t counterValue(const ProgressCounters& counters, ProgressCounter which) {
    switch (which) {
    case ProgressCounter::SectionsCompleted:
        return counters.sectionsCompleted;
    case ProgressCounter::ObjectsCounted:
        return counters.objectsCounted;
    case ProgressCounter::ErrorsCounted:
        return counters.errorsCounted;
    }
    return 0;
}

} // namespace

const ProgressTexts* progressTexts(ProgressState progressState) {
    const auto index = static_cast<std::size_t>(progressState);
    if (index < 1 || index > texts.size()) {
        return nullptr;
    }
    return &texts[index - 1];
}

void openProgress(ApplicationState& state, const Platform& platform) {
    if (state.progress.windowOpen) {
        return;
    }
    state.progress.windowOpen = true;
    const ProgressTexts* t = progressTexts(state.progress.progressState);
    ProgressView view;
    view.caption = t != nullptr ? t->caption : "";
    view.label = t != nullptr ? t->openLabel : "";
    view.counter = "0";
    view.position = 0;
    if (platform.progressOpen) {
        platform.progressOpen(view);
    }
}

void reportProgress(const ApplicationState& state, const Platform& platform) {
    const ProgressTexts* t = progressTexts(state.progress.progressState);
    if (!state.progress.windowOpen || t == nullptr) {
        return;
    }
    ProgressView view;
    view.caption = t->caption;
    view.label =
        state.files.outputFile.isOpen() ? t->labelWithOutputFile : t->labelWithoutOutputFile;
    view.counter = std::to_string(counterValue(state.progress.counters, t->counter));
    view.position = state.progress.counters.position;
    if (platform.progressReport) {
        platform.progressReport(view);
    }
}

void closeProgress(ApplicationState& state, const Platform& platform) {
    if (!state.progress.windowOpen) {
        return;
    }
    state.progress.windowOpen = false;
    if (platform.progressClose) {
        platform.progressClose();
    }
}

void requestAbort(ApplicationState& state) {
    state.progress.abortRequested = true;
}

} // namespace vantor
