#include "flows/flow_files.h"

#include "app/application_state.h"
#include "app/commands.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "base/file_lookup.h"
#include "base/input_file.h"
#include "base/safe_writer.h"
#include "base/text_reader.h"
#include "base/text_util.h"
#include "flows/dispatcher.h"
#include "flows/list_flow.h"
#include "objectives/export_format.h"
#include "terrain/terrain_io.h"

#include <iterator>
#include <string_view>
#include <vector>

namespace vantor {

bool ensureTerrain(ApplicationState& state, const Platform& platform) {
    if (!state.terrain.terrainOpen) {
        dispatchCommand(state, platform, cmd::OpenL2Terrain);
    }
    return state.terrain.terrainOpen;
}

namespace {

// Why the open source is no objective export a tool can work on, or none when it is one. A tool
// given an empty file, a title or the header lines alone, or a report, would write an empty
// output and look done.
std::optional<std::string> sourceProblem(TextReader& source) {
    std::string first;
    std::string line;
    std::size_t lines = 0;
    while (lines < 3 && readLine(source, lines == 0 ? first : line)) {
        ++lines;
    }
    if (source.failed) {
        return source.error;
    }
    if (std::optional<std::string> problem = exportShapeProblem(lines, first)) {
        return problem;
    }
    rewindReader(source);
    return std::nullopt;
}

} // namespace

bool openToolSource(ApplicationState& state, const Platform& platform) {
    state.files.toolSourceFile.close();
    if (!requestSourceFile(state, platform, RequestForm::Internal)) {
        return false;
    }
    if (!openTextReader(state.files.toolSourceFile, toFsPath(state.files.sourcePath))) {
        showMessage(platform,
                    withReason(terrain_texts::dataFileOpenFailed, state.files.toolSourceFile.error),
                    state.files.sourcePath, MessageIcon::Error);
        return false;
    }
    if (const std::optional<std::string> problem = sourceProblem(state.files.toolSourceFile)) {
        state.files.toolSourceFile.close();
        showMessage(platform,
                    withReason("Cannot use " + state.files.sourcePath + " as the source", *problem),
                    texts::error, MessageIcon::Error);
        return false;
    }
    return true;
}

void reportWriteFailure(const Platform& platform, const SafeWriter& out, const std::string& name) {
    showMessage(platform, "Cannot write " + name + ": " + out.error, texts::error,
                MessageIcon::Error);
}

bool beginToolOutput(ApplicationState& state, const Platform& platform, SafeWriter& out) {
    if (!requestOutputFile(state, platform, RequestForm::Rewrite)) {
        return false;
    }
    if (!beginSafeWrite(out, toFsPath(state.files.outputPath))) {
        reportWriteFailure(platform, out, state.files.outputPath);
        return false;
    }
    return true;
}

bool finishToolOutput(const ApplicationState& state, const Platform& platform, SafeWriter& out,
                      bool writeFailed) {
    // A source that could not be read to its end (a read error, a line too long) reads as if it
    // ended there: the output would lack the objects after it, so it is not put in place.
    const TextReader& source = state.files.toolSourceFile;
    if (source.failed && !writeFailed) {
        abandonSafeWrite(out);
        showMessage(platform,
                    "Cannot read " + state.files.sourcePath + " to its end: " + source.error +
                        ".\r\n Nothing was written; " + state.files.outputPath + " is as it was.",
                    texts::error, MessageIcon::Error);
        return false;
    }
    if (writeFailed || !commitSafeWrite(out)) {
        abandonSafeWrite(out);
        reportWriteFailure(platform, out, state.files.outputPath);
        return false;
    }
    return true;
}

void closeToolFiles(ApplicationState& state) {
    state.files.outputFile.close();
    state.files.toolSourceFile.close();
}

std::time_t titleTimeFor(const ApplicationState& state, const std::string& titled) {
    const std::time_t now = std::time(nullptr);
    if (!state.files.keepDate || titled.empty()) {
        return now;
    }
    // Only the title line is read, as the program's own look at a file (the report a scan
    // replaces is its output, never an input).
    std::vector<unsigned char> head;
    std::string error;
    if (!readWholeFile(toFsPath(titled), head, error, 256, InputUse::Own)) {
        return now;
    }
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    return parseTitleTime(text.substr(0, text.find('\n'))).value_or(now);
}

bool writeReportFile(const std::string& path, std::string_view bytes,
                     const std::vector<std::filesystem::path>& madeFrom, std::string& error) {
    InputFiles read;
    const InputScope scope(read);
    for (const std::filesystem::path& file : madeFrom) {
        const FileFacts facts = examinePath(file);
        if (facts.kind == FileKind::Regular) {
            noteInput(facts.identity, file);
        }
    }
    return writeFileAside(toFsPath(path), bytes, error);
}

} // namespace vantor
