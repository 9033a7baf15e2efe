#include "terrain/terrain_io.h"

#include <string>

namespace vantor {

void addError(TerrainResult& result, std::string text, std::string title) {
    result.status = TerrainStatus::Failed;
    MessageBoxRequest message;
    message.text = std::move(text);
    message.title = std::move(title);
    message.icon = MessageIcon::Error;
    result.messages.push_back(std::move(message));
}

TerrainResult failed(std::string text, std::string title) {
    TerrainResult result;
    addError(result, std::move(text), std::move(title));
    return result;
}

TerrainResult failed(std::string text, std::string title, std::string then, std::string thenTitle) {
    TerrainResult result;
    addError(result, std::move(text), std::move(title));
    addError(result, std::move(then), std::move(thenTitle));
    return result;
}

TerrainResult aborted() {
    TerrainResult result;
    result.status = TerrainStatus::Aborted;
    return result;
}

TerrainResult l2EndOfFileOnRead() {
    return failed(terrain_texts::l2EndOfFile, "Error", terrain_texts::l2Error,
                  terrain_texts::l2ReadError);
}

TerrainResult l2EndOfFileOnWrite() {
    return failed(terrain_texts::l2EndOfFile, "Error", terrain_texts::l2Error,
                  terrain_texts::l2WriteError);
}

std::string noMemoryText(std::int32_t width, std::int32_t height) {
    std::string text = terrain_texts::noMemory;
    text.replace(text.find("%d"), 2, std::to_string(width));
    text.replace(text.find("%d"), 2, std::to_string(height));
    return text;
}

} // namespace vantor
