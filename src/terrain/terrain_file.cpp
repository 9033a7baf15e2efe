#include "terrain/terrain_file.h"

#include "base/file_lookup.h"
#include "base/text_util.h"
#include "terrain/l2_reader.h"
#include "terrain/l2m_file.h"
#include "terrain/terrain_pair.h"

namespace vantor {

namespace {

std::string reasonOf(const TerrainResult& result) {
    std::string text;
    for (const MessageBoxRequest& m : result.messages) {
        text += (text.empty() ? "" : "; ") + trimBlanks(m.text);
    }
    return text.empty() ? "it could not be read" : text;
}

} // namespace

bool isMatrixFile(const std::string& path) {
    return equalsIgnoreCase(fromFsPath(toFsPath(path).extension()), ".L2M");
}

bool readTerrainInto(const std::string& path, const TheaterDefinition& theater,
                     TerrainMatrix& matrix, std::string& error, std::string* note) {
    if (isMatrixFile(path)) {
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
    TerrainPairFiles pair;
    const bool opened = openTerrainPair(path, false, pair);
    if (note != nullptr) {
        *note = pair.recoveryText;
    }
    if (!opened) {
        error = pair.failedPath == pair.o2Path ? pair.o2Path + ": " + pair.error : pair.error;
        return false;
    }
    BinaryReader& l2 = pair.l2;
    BinaryReader& o2 = pair.o2;
    const TerrainResult result = readTerrain(l2, o2, matrix, {});
    if (!result.ok()) {
        error = reasonOf(result);
        return false;
    }
    return true;
}

} // namespace vantor
