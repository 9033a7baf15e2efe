#include "flows/diff_flow.h"

#include "app/application_state.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "base/file_guard.h"
#include "base/file_lookup.h"
#include "base/file_system.h"
#include "base/git_files.h"
#include "base/input_file.h"
#include "base/process.h"
#include "base/safe_writer.h"
#include "base/text_util.h"
#include "flows/flow_files.h"
#include "objectives/export_format.h"
#include "terrain/l2_reader.h"
#include "terrain/terrain_file.h"
#include "terrain/terrain_pair.h"

#include <tuple>
#include <vector>

namespace vantor {

namespace {

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

// The open terrain as the user knows it: its L2 (the state holds the O2 it read last) or the
// L2M it was loaded from.
std::string openTerrainFile(const TerrainRecord& terrain) {
    const std::string& path = terrain.terrainPath;
    if (!terrain.terrainOpen || isMatrixFile(path) || path.size() < 2) {
        return terrain.terrainOpen ? path : std::string();
    }
    return fromFsPath(findBeside(path.substr(0, path.size() - 2) + "L2"));
}

// One of the later versions (or the earlier export) picked; Cancel leaves path empty. False when
// the dialog itself failed, which has been said.
bool pickVersion(const Platform& platform, const std::string& title, const std::string& filter,
                 const std::string& initialName, const std::string& folder, std::string& path) {
    FileRequest request;
    request.role = FileRequestRole::Version;
    request.kind = FileDialogKind::Open;
    request.title = title;
    request.filter = filter;
    request.initialName = initialName;
    request.initialFolder = folder;
    const FileRequestResult chosen = requestFile(platform, request);
    if (chosen.status == FileRequestStatus::Error) {
        showMessage(platform, formatWithInt("Data file open error# %d", chosen.errorCode),
                    texts::error, MessageIcon::Error);
        return false;
    }
    path = chosen.status == FileRequestStatus::Chosen ? chosen.path : std::string();
    return true;
}

// The two exports compared into d; false with the reason in d.error.
bool compareExports(TheaterDiff& d, const std::string& beforeSource,
                    const std::string& afterSource) {
    std::string error;
    std::string beforeText;
    std::string afterText;
    std::vector<std::string_view> beforeLines;
    std::vector<std::string_view> afterLines;
    for (const auto& [path, text, lines] : {std::tuple{&beforeSource, &beforeText, &beforeLines},
                                            std::tuple{&afterSource, &afterText, &afterLines}}) {
        if (path->empty()) {
            d.error = "give both exports to compare them";
            return false;
        }
        if (!readLines(*path, *text, *lines, error)) {
            d.error = withReason("Cannot read the export " + *path, error);
            return false;
        }
        // Random bytes, a terrain file, an ini file or a class list would compare as lines of
        // something: an export begins with its title ("1...") and the header that names its
        // columns.
        const auto namesColumn = [](std::string_view header, std::string_view name) {
            for (int k = 0; k < 64; ++k) {
                if (equalsIgnoreCase(trimBlanks(fieldText(k, header)), name)) {
                    return true;
                }
            }
            return false;
        };
        const std::optional<std::string> shape =
            lines->empty() || !lines->front().starts_with('1')
                ? exportShapeProblem(lines->size(), lines->empty() ? "" : lines->front())
            : text->find('\0') != std::string::npos
                ? std::optional<std::string>("it holds NUL bytes, which no objective export has")
            : lines->size() < 2 || !namesColumn((*lines)[1], "Name") ||
                    !namesColumn((*lines)[1], "ID")
                ? std::optional<std::string>(
                      "it is no objective export: its second line is no header naming the Name "
                      "and ID columns")
                : std::nullopt;
        if (shape) {
            d.error = withReason("Cannot compare the export " + *path, *shape);
            return false;
        }
    }
    d.objectives = diffExports(beforeLines, afterLines);
    return true;
}

} // namespace

void nameRevisions(TheaterDiff& diff, const std::string& terrain, const std::string& source,
                   const std::string& beforeRevision, const std::string& afterRevision) {
    const auto named = [](const std::string& path, const std::string& revision) {
        return path.empty() || revision.empty() ? path : path + " at " + revision;
    };
    diff.beforeTerrain = named(terrain, beforeRevision);
    diff.beforeSource = named(source, beforeRevision);
    diff.afterTerrain = named(terrain, afterRevision);
    diff.afterSource = named(source, afterRevision);
}

RevisionCopy copyRevision(const std::string& terrain, const std::string& source,
                          const std::string& revision, const std::filesystem::path& folder) {
    RevisionCopy copy;
    std::vector<std::pair<std::filesystem::path, std::string*>> files;
    if (!terrain.empty()) {
        files.emplace_back(toFsPath(terrain), &copy.terrain);
        if (equalsIgnoreCase(fromFsPath(toFsPath(terrain).extension()), ".L2")) {
            files.emplace_back(findBeside(o2PathFor(terrain)), nullptr);
        }
    }
    if (!source.empty()) {
        files.emplace_back(toFsPath(source), &copy.source);
    }
    for (const auto& [file, path] : files) {
        std::error_code ec;
        const std::filesystem::path folderOfFile =
            std::filesystem::absolute(file, ec).parent_path();
        std::string error;
        std::filesystem::path top;
        const std::filesystem::path to = folder / file.filename();
        if (!gitWorkTreeOf(folderOfFile, top, error) ||
            !gitFileAt(top, revision, file, to, error)) {
            copy.error = withReason("Cannot read " + fromFsPath(file) + " as revision " + revision +
                                        " holds it",
                                    error);
            return copy;
        }
        if (path != nullptr) {
            *path = fromFsPath(to);
        }
    }
    return copy;
}

TheaterDiff diffTheater(ApplicationState& state, const Platform& platform,
                        const std::string& afterTerrain, const std::string& beforeSource,
                        const std::string& afterSource) {
    TheaterDiff d;
    d.beforeTerrain = openTerrainFile(state.terrain);
    d.afterTerrain = afterTerrain;
    d.beforeSource = beforeSource;
    d.afterSource = afterSource;
    std::string error;
    if (!afterTerrain.empty()) {
        if (!state.terrain.terrainOpen) {
            d.error = "no earlier terrain is open to compare " + afterTerrain + " with";
            return d;
        }
        std::string note;
        const bool read = readTerrainInto(afterTerrain, state.theater, d.after, error, &note);
        if (!note.empty()) {
            showMessage(platform, note, "Interrupted Write", MessageIcon::Information);
        }
        if (!read) {
            d.error = withReason("Cannot read the terrain " + afterTerrain, error);
            return d;
        }
        d.terrain = diffTerrain(state.terrain.matrix, d.after);
    }
    if (!beforeSource.empty() || !afterSource.empty()) {
        compareExports(d, beforeSource, afterSource);
    }
    return d;
}

namespace {

// The comparison kept and shown, or its failure said.
bool showComparison(ApplicationState& state, const Platform& platform, TheaterDiff d) {
    if (!d.error.empty()) {
        showMessage(platform, d.error, texts::error, MessageIcon::Error);
        return false;
    }
    state.diff.last = std::move(d);
    state.diff.done = true;
    if (platform.showDiff) {
        platform.showDiff();
    } else {
        showMessage(platform, diffSummary(state.diff.last), "Compare Versions",
                    MessageIcon::Information);
    }
    return true;
}

// The open terrain and the list's export (the later versions) against what a git revision holds.
TheaterDiff diffWithRevision(const ApplicationState& state, const std::string& revision) {
    TheaterDiff d;
    const std::string terrain = openTerrainFile(state.terrain);
    const ListState& list = state.list.model;
    const std::string source = list.window.has_value() && list.window->listMode == ListMode::Objects
                                   ? list.sourcePath
                                   : std::string();
    TemporaryFolder folder;
    if (!folder.make(d.error)) {
        return d;
    }
    const RevisionCopy copy = copyRevision(terrain, source, revision, folder.path());
    if (!copy.error.empty()) {
        d.error = copy.error;
        return d;
    }
    std::string error;
    TerrainMatrix before;
    if (!readTerrainInto(copy.terrain, state.theater, before, error)) {
        d.error = withReason("Cannot read the terrain " + terrain + " at " + revision, error);
        return d;
    }
    d.after = state.terrain.matrix;
    d.terrain = diffTerrain(before, d.after);
    d.beforeRead = std::move(before);
    if (!source.empty() && !compareExports(d, copy.source, source)) {
        return d;
    }
    nameRevisions(d, terrain, source, revision, {});
    return d;
}

} // namespace

bool compareVersionsCommand(ApplicationState& state, const Platform& platform) {
    // In a git work tree the open versions can be compared with a revision instead of files.
    std::string notInGit;
    std::filesystem::path top;
    if (state.terrain.terrainOpen && !isMatrixFile(state.terrain.terrainPath) &&
        gitWorkTreeOf(toFsPath(folderPart(state.terrain.terrainPath)), top, notInGit)) {
        const std::optional<std::string> revision = requestText(
            platform, {"Against a Git Revision",
                       "Compare the open terrain and the listed export with what a git revision "
                       "holds (a commit, tag or branch; HEAD is the last commit).\nCancel picks "
                       "the files of another version instead.",
                       "HEAD"});
        if (revision && !trimBlanks(*revision).empty()) {
            return showComparison(state, platform, diffWithRevision(state, trimBlanks(*revision)));
        }
    }
    std::string afterTerrain;
    if (state.terrain.terrainOpen &&
        !pickVersion(platform, "Later Version of the Terrain (Cancel: the exports alone)",
                     "Terrain file|*.L2;*.L2M||", "*.L2", folderPart(state.terrain.terrainPath),
                     afterTerrain)) {
        return false;
    }
    // The list's objective export is the earlier one; else the user picks it.
    const ListState& list = state.list.model;
    std::string beforeSource;
    const char* alone = afterTerrain.empty() ? "" : " (Cancel: the terrain alone)";
    if (list.window.has_value() && list.window->listMode == ListMode::Objects) {
        beforeSource = list.sourcePath;
    } else if (!pickVersion(platform, std::string("Earlier Version of the Export") + alone,
                            "Object Export file|*.csv||", "*.csv", state.folders.csvDirectory,
                            beforeSource)) {
        return false;
    }
    std::string afterSource;
    if (!beforeSource.empty() &&
        !pickVersion(platform, std::string("Later Version of the Export") + alone,
                     "Object Export file|*.csv||", "*.csv", folderPart(beforeSource),
                     afterSource)) {
        return false;
    }
    if (afterSource.empty()) {
        beforeSource.clear();
    } else {
        state.folders.csvDirectory = folderPart(afterSource);
    }
    if (afterTerrain.empty() && afterSource.empty()) {
        return false;
    }
    return showComparison(state, platform,
                          diffTheater(state, platform, afterTerrain, beforeSource, afterSource));
}

bool writeDiffFile(const TheaterDiff& diff, const std::string& path, std::string_view bytes,
                   std::string& error) {
    std::vector<std::filesystem::path> madeFrom;
    for (const std::string* input :
         {&diff.beforeTerrain, &diff.afterTerrain, &diff.beforeSource, &diff.afterSource}) {
        if (input->empty()) {
            continue;
        }
        madeFrom.push_back(toFsPath(*input));
        if (equalsIgnoreCase(fromFsPath(madeFrom.back().extension()), ".L2")) {
            madeFrom.push_back(findBeside(o2PathFor(*input)));
        }
    }
    return writeReportFile(path, bytes, madeFrom, error);
}

} // namespace vantor
