#include "flows/diff_flow.h"

#include "app/application_state.h"
#include "base/file_lookup.h"
#include "base/input_file.h"
#include "base/safe_writer.h"
#include "base/text_util.h"
#include "terrain/l2_reader.h"
#include "terrain/l2m_file.h"

#include <tuple>
#include <vector>

namespace vantor {

namespace {

std::string reasonOf(const TerrainResult& result) {
    std::string text;
    for (const MessageBoxRequest& m : result.messages) {
        text += (text.empty() ? "" : "; ") + trimBlanks(m.text);
    }
    return text.empty() ? "it could not be read" : text;
}

bool readLines(const std::string& path, std::string& text, std::vector<std::string_view>& lines,
               std::string& error) {
    if (!readTextFile(toFsPath(path), text, error)) {
        return false;
    }
    forEachTextLine(text, [&](std::string_view line) {
        lines.push_back(line);
        return true;
    });
    return true;
}

} // namespace

bool readTerrainInto(const std::string& path, const TheaterDefinition& theater,
                     TerrainMatrix& matrix, std::string& error) {
    if (equalsIgnoreCase(fromFsPath(toFsPath(path).extension()), ".L2M")) {
        BinaryReader file;
        if (!openForReading(file, toFsPath(path))) {
            error = file.error;
            return false;
        }
        TheaterDefinition geometry = theater;
        const TerrainResult result = loadL2m(file, geometry, matrix, {});
        if (!result.ok()) {
            error = reasonOf(result);
            return false;
        }
        return true;
    }
    if (finishInterruptedCommit(toFsPath(path), error) == CommitRecovery::Failed) {
        error = "an interrupted write of the terrain files could not be finished: " + error;
        return false;
    }
    BinaryReader l2;
    BinaryReader o2;
    if (!openForReading(l2, toFsPath(path))) {
        error = l2.error;
        return false;
    }
    if (!openForReading(o2, findBeside(o2PathFor(path)))) {
        error = o2PathFor(path) + ": " + o2.error;
        return false;
    }
    const TerrainResult result = readTerrain(l2, o2, matrix, {});
    if (!result.ok()) {
        error = reasonOf(result);
        return false;
    }
    return true;
}

TheaterDiff diffTheater(ApplicationState& state, const Platform&, const std::string& afterTerrain,
                        const std::string& beforeSource, const std::string& afterSource) {
    TheaterDiff d;
    d.beforeTerrain = state.terrain.terrainOpen ? state.terrain.terrainPath : std::string();
    d.afterTerrain = afterTerrain;
    d.beforeSource = beforeSource;
    d.afterSource = afterSource;
    std::string error;
    if (!afterTerrain.empty()) {
        if (!state.terrain.terrainOpen) {
            d.error = "no earlier terrain is open to compare " + afterTerrain + " with";
            return d;
        }
        if (!readTerrainInto(afterTerrain, state.theater, d.after, error)) {
            d.error = withReason("Cannot read the terrain " + afterTerrain, error);
            return d;
        }
        d.terrain = diffTerrain(state.terrain.matrix, d.after);
    }
    if (!beforeSource.empty() || !afterSource.empty()) {
        std::string beforeText;
        std::string afterText;
        std::vector<std::string_view> beforeLines;
        std::vector<std::string_view> afterLines;
        for (const auto& [path, text, lines] :
             {std::tuple{&beforeSource, &beforeText, &beforeLines},
              std::tuple{&afterSource, &afterText, &afterLines}}) {
            if (path->empty()) {
                d.error = "give both exports to compare them";
                return d;
            }
            if (!readLines(*path, *text, *lines, error)) {
                d.error = withReason("Cannot read the export " + *path, error);
                return d;
            }
        }
        d.objectives = diffExports(beforeLines, afterLines);
    }
    return d;
}

} // namespace vantor
