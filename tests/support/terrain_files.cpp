#include "support/terrain_files.h"

#include "base/byte_order.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <random>

namespace vantor::testing {

Bytes readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

TerrainMatrix randomMatrix(std::int32_t sections, RecordFormat format, std::uint32_t seed) {
    TerrainMatrix m;
    allocateMatrix(m, sections * 16, sections * 16, format);
    std::mt19937 rng(seed);
    for (TerrainPost& p : m.posts) {
        p.tileId = static_cast<std::uint32_t>(format == SevenByteRecords ? rng() & 0xFFFFu : rng());
        p.elevation = static_cast<std::uint16_t>(rng());
        p.attribute1 = static_cast<std::uint8_t>(rng());
        p.attribute2 = static_cast<std::uint8_t>(rng());
        p.attribute3 = static_cast<std::uint8_t>(rng());
    }
    return m;
}

Bytes o2Bytes(const std::vector<std::uint32_t>& offsets) {
    Bytes bytes(offsets.size() * 4);
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        storeU32(bytes.data() + 4 * i, offsets[i]);
    }
    return bytes;
}

TerrainMatrix decodeRecordByRecord(const Bytes& l2, const Bytes& o2, RecordFormat format) {
    const auto sections = static_cast<std::int32_t>(std::sqrt(static_cast<double>(o2.size() / 4)));
    TerrainMatrix m;
    allocateMatrix(m, sections * 16, sections * 16, format);
    const std::size_t rs = recordSize(format);
    std::size_t cell = 0;
    for (std::int32_t sr = 0; sr < sections; ++sr) {
        for (int row = 0; row < 16; ++row) {
            for (std::int32_t sc = 0; sc < sections; ++sc) {
                const std::uint32_t offset =
                    loadU32(o2.data() + 4 * static_cast<std::size_t>(sr * sections + sc));
                for (int column = 0; column < 16; ++column) {
                    const std::size_t at =
                        offset + static_cast<std::size_t>(row * 16 + column) * rs;
                    m.posts[cell++] = decodeRecord(l2.data() + at, format);
                }
            }
        }
    }
    return m;
}

} // namespace vantor::testing
