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

// What the progress window shows: the work that runs.
enum class ProgressState : int {
    None = 0,
    Terrain = 1, // reading, loading, saving or writing back the terrain; airbase levelling
    Bridges = 2,
    Roads = 3,
    Rivers = 4,
    Transitions = 5,
    Objects = 6, // the object checks
    Radar = 7,
    Audit = 8, // the theater audit, a step per check
};

// The texts of one progress state.
struct ProgressTexts {
    const char* caption;
    const char* openLabel;
    const char* labelWithOutputFile;
    const char* labelWithoutOutputFile;
    ProgressCounter counter;
};

// Null for None.
const ProgressTexts* progressTexts(ProgressState progressState);

// Shows the progress window for the current progressState (reused when it is already open).
void openProgress(ApplicationState& state, const Platform& platform);
// The progress report (command 10220): label by whether the output file is open, counter and
// bar position. Nothing visible happens while no window is open.
void reportProgress(const ApplicationState& state, const Platform& platform);
void closeProgress(ApplicationState& state, const Platform& platform);

// The progress window's close box or Esc.
void requestAbort(ApplicationState& state);

} // namespace vantor
