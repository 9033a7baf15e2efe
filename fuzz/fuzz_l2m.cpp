// The L2M matrix file, against a small theater so that a matching file fits the fuzzer's sizes.

#include "fuzz_input.h"
#include "terrain/l2m_file.h"
#include "terrain/theater.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantor;
    BinaryReader file = fuzz::memoryFile({data, size});
    if (!file.isOpen()) {
        return 0;
    }
    TheaterDefinition theater = builtInTheater();
    applyTerrainGeometry(theater, 1); // 16 x 16 posts
    TerrainMatrix matrix;
    loadL2m(file, theater, matrix, {});
    return 0;
}
