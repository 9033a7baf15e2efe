#include "flows/tool_flow.h"

#include "analysis/radar_dialog.h"
#include "analysis/radar_rewrite.h"
#include "app/application_state.h"
#include "app/commands.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "base/file_lookup.h"
#include "base/text_util.h"
#include "flows/dispatcher.h"
#include "flows/flow_files.h"
#include "flows/list_flow.h"
#include "terrain/terrain_io.h"
#include "tools/id_mover.h"
#include "tools/link_removal.h"
#include "tools/parent_check.h"

#include <algorithm>
#include <ctime>

namespace vantor {

namespace {

void endRadarBatch(const ApplicationState& state, const Platform& platform) {
    if (state.runMode == RunMode::RadarBatch) {
        postCloseRequest(platform);
    }
}

bool askRadarSettings(ApplicationState& state, const Platform& platform) {
    RadarDialogModel model = openRadarDialog();
    if (!platform.editRadarSettings || !platform.editRadarSettings(model)) {
        return false;
    }
    if (const std::optional<std::string> problem = confirmRadarDialog(model)) {
        showMessage(platform, *problem, radarDialogTitle, MessageIcon::Warning);
        return false;
    }
    state.tools.radarSettings = model.settings;
    return true;
}

bool writeRadarFile(ApplicationState& state, const Platform& platform) {
    SafeWriter out;
    if (!beginToolOutput(state, platform, out)) {
        return false;
    }
    TextReader& source = state.files.toolSourceFile;
    // Lines counted ahead for the progress bar's range.
    const auto lastPosition = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(countLinesAndRewind(source) - 1, 1, INT32_MAX));
    state.progress.progressState = ProgressState::Radar;
    state.progress.abortRequested = false;
    state.progress.counters.objectsCounted = 0;
    state.progress.counters.position = 0;
    openProgress(state, platform);
    const RadarWalk walk =
        makeRadarWalk(state.tools.radarSettings, state.theater.lastMapX, state.terrain.matrix);
    const RadarRewrite result = writeRadarProfiles(
        source, out, walk, titleTimeFor(state, state.files.sourcePath), [&](std::int32_t objects) {
            state.progress.counters.objectsCounted = objects;
            state.progress.counters.position = static_cast<std::int32_t>(std::min<std::int64_t>(
                progressBarRange, std::int64_t{objects} * progressBarRange / lastPosition));
            reportProgress(state, platform);
            return state.progress.abortRequested; // Esc or the close box, between objects
        });
    closeProgress(state, platform);
    if (result.stopped) {
        abandonSafeWrite(out);
        state.progress.abortRequested = false;
        showMessage(platform,
                    "The radar profiles were stopped after " + std::to_string(result.objects) +
                        " objects.  Nothing was written; " + state.files.outputPath +
                        " is as it was.",
                    texts::information, MessageIcon::Information);
        return false;
    }
    if (!finishToolOutput(state, platform, out, result.writeFailed)) {
        return false;
    }
    showMessage(platform, formatWithInt("Total of %d Objects processed.", result.objects),
                "Radar LOS Calcuations Completed.", MessageIcon::Information);
    return true;
}

bool removeLinks(ApplicationState& state, const Platform& platform) {
    SafeWriter out;
    if (!beginToolOutput(state, platform, out)) {
        return false;
    }
    const RadarWalk walk =
        makeRadarWalk(state.tools.radarSettings, state.theater.lastMapX, state.terrain.matrix);
    const LinkRemoval result = removeObjectLinks(state.files.toolSourceFile, out, walk,
                                                 titleTimeFor(state, state.files.sourcePath));
    if (!finishToolOutput(state, platform, out, result.writeFailed)) {
        return false;
    }
    if (result.headerRead) {
        showMessage(platform, formatWithInt("%d Objects processed and written.", result.written),
                    "Objects Link Removal Completed.", MessageIcon::Information);
    }
    return true;
}

bool moveIds(ApplicationState& state, const Platform& platform, IdToolChoice choice) {
    SafeWriter out;
    if (!beginToolOutput(state, platform, out)) {
        return false;
    }
    TextReader& source = state.files.toolSourceFile;
    if (choice == IdToolChoice::FixBridgeOffsets) {
        const BridgeFix result = fixBridgeOffsets(source, out, state.scan.script,
                                                  titleTimeFor(state, state.files.sourcePath));
        state.scan.scriptLoaded = false;
        if (!finishToolOutput(state, platform, out, result.writeFailed)) {
            return false;
        }
        if (result.headerRead) {
            showMessage(platform, " " + std::to_string(result.moved) + " Bridges were moved.",
                        "Bridge Fix Finished", MessageIcon::Information);
        }
        return true;
    }
    const IdMove result = moveObjectIds(source, out, state.tools.idLimits,
                                        titleTimeFor(state, state.files.sourcePath));
    if (!finishToolOutput(state, platform, out, result.writeFailed)) {
        return false;
    }
    if (result.headerRead) {
        showMessage(platform,
                    " " + std::to_string(result.changed) + " Objects IDs and/or Links changed. " +
                        std::to_string(result.unchanged) + " Objects Unchanged.",
                    "ID/Link Check Completed.", MessageIcon::Information);
    }
    return true;
}

} // namespace

bool radarProfilesCommand(ApplicationState& state, const Platform& platform) {
    bool done = false;
    if (askRadarSettings(state, platform) && ensureTerrain(state, platform)) {
        state.list.listKind = ListKind::RadarProfiles;
        done = openToolSource(state, platform) && writeRadarFile(state, platform);
        closeToolFiles(state);
    }
    endRadarBatch(state, platform);
    return done;
}

bool removeLinksCommand(ApplicationState& state, const Platform& platform) {
    // Every written object carries the radar profile of its post, so the terrain comes first.
    if (!ensureTerrain(state, platform)) {
        showMessage(platform, "Cannot remove Object Links until the terrain file (L2) is opened.",
                    texts::information, MessageIcon::Warning);
        return false;
    }
    const bool done = openToolSource(state, platform) && removeLinks(state, platform);
    closeToolFiles(state);
    return done;
}

bool checkParentsCommand(ApplicationState& state, const Platform& platform) {
    if (!openToolSource(state, platform)) {
        state.files.toolSourceFile.close();
        return false;
    }
    SafeWriter noParent;
    SafeWriter wrongParent;
    const std::string names[] = {noParentFileName, wrongParentFileName};
    SafeWriter* writers[] = {&noParent, &wrongParent};
    for (std::size_t i = 0; i < 2; ++i) {
        if (!beginSafeWrite(*writers[i], findInFolder(state.folders.startDirectory, names[i]))) {
            reportWriteFailure(platform, *writers[i], names[i]);
            abandonSafeWrite(noParent);
            state.files.toolSourceFile.close();
            return false;
        }
    }
    const ParentCheck result = checkParentLinks(state.files.toolSourceFile, noParent, wrongParent,
                                                titleTimeFor(state, state.files.sourcePath));
    const bool unread = state.files.toolSourceFile.failed;
    const std::string why = state.files.toolSourceFile.error;
    state.files.toolSourceFile.close();
    // Lists of a source read only in part would leave out the objects after the fault.
    if (unread && !result.writeFailed) {
        abandonSafeWrite(noParent);
        abandonSafeWrite(wrongParent);
        showMessage(platform,
                    "Cannot read " + state.files.sourcePath + " to its end: " + why +
                        ".\r\n Nothing was written; " + fromFsPath(noParent.target) + " and " +
                        fromFsPath(wrongParent.target) + " are as they were.",
                    texts::error, MessageIcon::Error);
        return false;
    }
    if (result.writeFailed || !commitSafeWritePair(noParent, wrongParent)) {
        const bool firstFailed = !noParent.error.empty();
        abandonSafeWrite(noParent);
        abandonSafeWrite(wrongParent);
        reportWriteFailure(platform, firstFailed ? noParent : wrongParent,
                           firstFailed ? names[0] : names[1]);
        return false;
    }
    if (result.headerRead) {
        showMessage(platform,
                    " " + std::to_string(result.zeroParent) + " Objects with zero Parent.\r\n " +
                        std::to_string(result.wrongParent) + " Objects with wrong Parent\r\n " +
                        "Written to " + fromFsPath(noParent.target) + " and " +
                        fromFsPath(wrongParent.target) + ".",
                    "Object Parent Link Check Completed.", MessageIcon::Information);
    }
    return true;
}

bool moveIdsCommand(ApplicationState& state, const Platform& platform) {
    IdLimitsDialogModel model = idLimitsDialogModel(state.tools.idLimits);
    const IdToolChoice choice =
        platform.editIdLimits ? platform.editIdLimits(model) : IdToolChoice::Cancel;
    if (choice == IdToolChoice::Cancel) {
        return false;
    }
    if (choice == IdToolChoice::MoveIds) {
        readIdLimitsDialog(model, state.tools.idLimits);
        if (const std::optional<std::string> problem = idMoveProblem(state.tools.idLimits)) {
            showMessage(platform, *problem, "ID/Link Check", MessageIcon::Error);
            return false;
        }
    } else {
        clearTileScript(state.scan.script, ScriptKind::Bridge);
        const ScriptLoad load =
            loadTileScript(state.scan.script, ScriptKind::Bridge, state.folders.startDirectory);
        showMessages(platform, load.messages);
        if (!load.ok) {
            return false; // without the bridge script no bridge would move
        }
    }
    const bool done = openToolSource(state, platform) && moveIds(state, platform, choice);
    closeToolFiles(state);
    return done;
}

} // namespace vantor
