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
    if (!state.toolSourceFile.isOpen() &&
        !openTextReader(state.toolSourceFile, toFsPath(state.sourcePath))) {
        return false;
    }
    const OcdUpdate update =
        updateOcdList(state.ocdList, state.toolSourceFile, state.startDirectory);
    // Read to its end, the file would give the next update nothing: it is opened afresh then.
    state.toolSourceFile.close();
    showMessages(platform, update.messages);
    return update.ok;
}

bool howToCommand(ApplicationState& state, const Platform& platform) {
    showMessage(platform, texts::howToText, texts::howToTitle, MessageIcon::Information);
    const OcdGeneration generation = generateOcdList(state.startDirectory);
    showMessages(platform, generation.messages);
    return generation.ok;
}

} // namespace vantor
