#include "flows/reference_flow.h"

#include "app/application_state.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "app/version.h"
#include "base/file_lookup.h"
#include "reference/ocd_list.h"

namespace vantor {

bool aboutCommand(ApplicationState& state, const Platform& platform) {
    showMessage(platform,
                std::string(texts::programName) + " " + vantorVersion() + "\r\n\r\n" +
                    texts::purpose,
                texts::aboutTitle, MessageIcon::Information);
    if (!state.files.toolSourceFile.isOpen() &&
        !openTextReader(state.files.toolSourceFile, toFsPath(state.files.sourcePath))) {
        return false;
    }
    const OcdUpdate update = updateOcdList(state.reference.ocdList, state.files.toolSourceFile,
                                           state.folders.startDirectory);
    // Read to its end, the file would give the next update nothing: it is opened afresh then.
    state.files.toolSourceFile.close();
    showMessages(platform, update.messages);
    return update.ok;
}

bool howToCommand(ApplicationState& state, const Platform& platform) {
    showMessage(platform, texts::howToText, texts::howToTitle, MessageIcon::Information);
    const OcdGeneration generation = generateOcdList(state.folders.startDirectory);
    state.reference.markerClasses = {}; // the map's markers read the new list when next needed
    showMessages(platform, generation.messages);
    return generation.ok;
}

} // namespace vantor
