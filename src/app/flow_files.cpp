#include "app/flow_files.h"

#include "app/application_state.h"
#include "app/binary_file.h"
#include "app/commands.h"
#include "app/dispatcher.h"
#include "app/file_lookup.h"
#include "app/list_flow.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "terrain/terrain_io.h"

namespace vantor {

bool ensureTerrain(ApplicationState& state, const Platform& platform) {
    if (!state.terrainOpen) {
        dispatchCommand(state, platform, cmd::OpenL2Terrain);
    }
    return state.terrainOpen;
}

bool openToolSource(ApplicationState& state, const Platform& platform) {
    state.toolSourceFile.close();
    if (!requestSourceFile(state, platform, RequestForm::Internal)) {
        return false;
    }
    if (!openTextFile(state.toolSourceFile, state.sourcePath, "rb")) {
        showMessage(platform, terrain_texts::dataFileOpenFailed, state.sourcePath,
                    MessageIcon::Error);
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
    if (!beginSafeWrite(out, toFsPath(state.outputPath))) {
        reportWriteFailure(platform, out, state.outputPath);
        return false;
    }
    return true;
}

bool finishToolOutput(const ApplicationState& state, const Platform& platform, SafeWriter& out,
                      bool writeFailed) {
    if (writeFailed || !commitSafeWrite(out)) {
        abandonSafeWrite(out);
        reportWriteFailure(platform, out, state.outputPath);
        return false;
    }
    return true;
}

void closeToolFiles(ApplicationState& state) {
    state.outputFile.close();
    state.toolSourceFile.close();
}

} // namespace vantor
