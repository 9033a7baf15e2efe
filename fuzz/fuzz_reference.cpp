// The reference lists: the simulation's class file (Falcon4.ocd), OCDList.dat and
// TileInfo.dat; the first byte chooses the reader.

#include "fuzz_input.h"
#include "reference/ocd_list.h"
#include "reference/tile_info.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantor;
    if (size < 1) {
        return 0;
    }
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);
    switch (data[0] % 3) {
    case 0: {
        const OcdDerivation d = deriveOcdList(bytes);
        if (d.complete && d.records.size() != d.classes + 1u) {
            __builtin_trap();
        }
        break;
    }
    case 1: {
        OcdList list;
        if (decodeOcdList(bytes, list)) {
            findOcdById(list, 101);
            for (std::size_t start = 0; start < 4; ++start) {
                findOcdByTileCode(list, 0, start);
            }
        }
        break;
    }
    default: {
        TileInfoList list;
        if (decodeTileInfo(bytes, list) && !list.records.empty()) {
            findTileInfo(list, 7);
        }
        break;
    }
    }
    return 0;
}
