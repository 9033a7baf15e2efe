#pragma once

#include <cstdint>

namespace vantor {

struct ApplicationState;
struct Platform;

// Written by the long operations, read by the progress report.
struct ProgressCounters {
    std::int32_t sectionsCompleted = 0;
    std::int32_t objectsCounted = 0;
    std::int32_t errorsCounted = 0;
    std::int32_t position = 0; // 0 to 4096 on the standard theater; not rescaled on others
};

inline constexpr int progressBarRange = 4096;

enum class ProgressCounter { SectionsCompleted, ObjectsCounted, ErrorsCounted };

// The texts of one progress state (1 to 7).
struct ProgressTexts {
    const char* caption;
    const char* openLabel;
    const char* labelWithOutputFile;
    const char* labelWithoutOutputFile;
    ProgressCounter counter;
};

// Null for a state outside 1 to 7.
const ProgressTexts* progressTexts(int progressState);

// Shows the progress window for the current progressState (reused when it is already open).
void openProgress(ApplicationState& state, const Platform& platform);
// The progress report (command 10220): label by whether the output file is open, counter and
// bar position. Nothing visible happens while no window is open.
void reportProgress(const ApplicationState& state, const Platform& platform);
void closeProgress(ApplicationState& state, const Platform& platform);

// The progress window's close box or Esc.
void requestAbort(ApplicationState& state);

} // namespace vantor
