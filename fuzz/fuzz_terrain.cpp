// The L2/O2 pair: the first four bytes say where the L2 file ends and the O2 file begins.

#include "fuzz_input.h"
#include "terrain/l2_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantor;
    if (size < 4) {
        return 0;
    }
    const std::size_t split = std::min<std::size_t>(loadU32(data), size - 4);
    const std::span<const std::uint8_t> rest(data + 4, size - 4);
    BinaryReader l2 = fuzz::memoryFile(rest.first(split));
    BinaryReader o2 = fuzz::memoryFile(rest.subspan(split));
    if (!l2.isOpen() || !o2.isOpen()) {
        return 0;
    }
    TerrainMatrix matrix;
    const TerrainResult result = readTerrain(l2, o2, matrix, {});
    if (result.ok() && matrix.posts.size() != static_cast<std::size_t>(matrix.width) *
                                                  static_cast<std::size_t>(matrix.height)) {
        __builtin_trap();
    }
    return 0;
}
