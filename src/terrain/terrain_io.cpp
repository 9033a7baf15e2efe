#include "terrain/terrain_io.h"

#include "base/memory.h"
#include "terrain/terrain_matrix.h"

#include <string>

namespace vantor {

void addError(TerrainResult& result, std::string text, std::string title) {
    result.status = TerrainStatus::Failed;
    result.messages.push_back(makeMessage(std::move(text), std::move(title), MessageIcon::Error));
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

std::string noMemoryText(std::int64_t width, std::int64_t height) {
    std::string text = terrain_texts::noMemory;
    text.replace(text.find("%d"), 2, std::to_string(width));
    text.replace(text.find("%d"), 2, std::to_string(height));
    return text;
}

std::string mapTooLargeText(const std::string& o2Name, std::int64_t sections) {
    const std::int64_t posts = sections * postsPerSectionSide;
    const std::uint64_t bytes =
        static_cast<std::uint64_t>(posts) * static_cast<std::uint64_t>(posts) * sizeof(TerrainPost);
    const std::string side = std::to_string(sections);
    std::string text = noMemoryText(posts, posts) + "\r\n" + o2Name + " describes a map of " +
                       side + " x " + side + " sections, which needs " + byteSizeText(bytes) +
                       " of memory";
    if (sections > maxSectionsPerSide) {
        const std::string most = std::to_string(maxSectionsPerSide);
        return text + "; Vantor reads maps of at most " + most + " x " + most + " sections.";
    }
    return text + "; this machine has " + byteSizeText(physicalMemory()) + ".";
}

} // namespace vantor
