#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

struct ApplicationState;
struct Platform;
struct SafeWriter;

// Steps the tool and check flows share.

// The open-terrain flow when no terrain is open yet; true when terrain is open afterwards.
bool ensureTerrain(ApplicationState& state, const Platform& platform);

// The source: asked for and opened for reading as toolSourceFile.
bool openToolSource(ApplicationState& state, const Platform& platform);

void reportWriteFailure(const Platform& platform, const SafeWriter& out, const std::string& name);

// The output: asked for (titled by listKind), then written aside until it is complete.
bool beginToolOutput(ApplicationState& state, const Platform& platform, SafeWriter& out);

// Puts the finished output in place; a failed write, or a source that could not be read to its
// end, leaves whatever was there before (and says so).
bool finishToolOutput(const ApplicationState& state, const Platform& platform, SafeWriter& out,
                      bool writeFailed);

void closeToolFiles(ApplicationState& state);

// Writes a report (a page, JSON, a log) aside and renames it over path, never over one of the
// files it was made from, whenever it is written. False with the reason in error.
bool writeReportFile(const std::string& path, std::string_view bytes,
                     const std::vector<std::filesystem::path>& madeFrom, std::string& error);

// The time a title line of this command's output carries: now, or, when the user keeps the
// dates (state.files.keepDate), the time in the title line of `titled` (the source, or the
// report the output replaces) where it has one, so that a run again on the same input writes
// the same bytes.
std::time_t titleTimeFor(const ApplicationState& state, const std::string& titled);

} // namespace vantor
