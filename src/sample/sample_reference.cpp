// The sample's reference files and urban tiles: a class file of our own in the simulation's
// layout, the TileInfo list of the urban tiles, the checker and airbase scripts, and the town
// blocks laid under the objective export's towns.

#include "base/byte_order.h"
#include "sample/sample_theater.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vantor {

namespace {

bool urban(std::uint32_t tile) {
    return tile >= sample_tiles::cityBlock && tile <= sample_tiles::villageBlock;
}

// Plain land or a town block, with nothing else around it: laying a town block there never
// changes what the road, river and transition scans see.
bool quiet(const TerrainMatrix& m, std::int32_t x, std::int32_t y) {
    for (std::int32_t dy = -1; dy <= 1; ++dy) {
        for (std::int32_t dx = -1; dx <= 1; ++dx) {
            if (!sampleLand(m, x + dx, y + dy)) {
                return false;
            }
        }
    }
    return true;
}

void lay(TerrainMatrix& m, std::int32_t x, std::int32_t y, std::uint32_t tile) {
    if (quiet(m, x, y)) {
        m.at(x, y).tileId = tile;
    }
}

} // namespace

bool sampleLand(const TerrainMatrix& m, std::int32_t x, std::int32_t y) {
    if (!m.contains(x, y)) {
        return false;
    }
    const std::uint32_t tile = m.at(x, y).tileId;
    return (tile >= sample_tiles::lowland && tile < sample_tiles::snow) || urban(tile);
}

std::vector<SampleSite> sampleSites(const TerrainMatrix& m) {
    using enum SampleSiteKind;
    constexpr std::array cycle{City,    Village, Junction, Town,    Village, Radar,
                               Village, Town,    Junction, Airbase, Village, Town};
    std::vector<SampleSite> sites;
    const std::int32_t step = std::max(8, m.width / 16);
    std::size_t turn = 0;
    for (std::int32_t y = step / 2; y < m.height; y += step) {
        for (std::int32_t x = step / 2; x < m.width; x += step) {
            if (sampleLand(m, x, y)) {
                sites.push_back({cycle[turn++ % cycle.size()], x, y});
            }
        }
    }
    return sites;
}

void laySampleTowns(TerrainMatrix& m, SampleFaults faults) {
    const bool planted = faults == SampleFaults::Planted;
    for (const SampleSite& s : sampleSites(m)) {
        switch (s.kind) {
        case SampleSiteKind::City:
            lay(m, s.x, s.y, sample_tiles::cityBlock);
            if (planted) {
                lay(m, s.x + 1, s.y, sample_tiles::townBlock); // a town block with no town yet
            }
            break;
        case SampleSiteKind::Town:
            lay(m, s.x, s.y, sample_tiles::townBlock);
            break;
        case SampleSiteKind::Village:
            lay(m, s.x, s.y, sample_tiles::villageBlock);
            break;
        case SampleSiteKind::Junction:
            lay(m, s.x, s.y, sample_tiles::crossroads);
            break;
        case SampleSiteKind::Radar:
            if (planted) {
                lay(m, s.x + 1, s.y, sample_tiles::harbour); // an empty harbour
            }
            break;
        case SampleSiteKind::Airbase:
            break;
        }
    }
}

void levelSampleAirbases(TerrainMatrix& m) {
    // Every entry of the sample's airbase script stays within two posts across and one along.
    for (const SampleSite& s : sampleSites(m)) {
        if (s.kind != SampleSiteKind::Airbase) {
            continue;
        }
        const std::uint16_t level = m.at(s.x, s.y).elevation;
        for (std::int32_t dy = -1; dy <= 1; ++dy) {
            for (std::int32_t dx = -2; dx <= 2; ++dx) {
                if (m.contains(s.x + dx, s.y + dy) &&
                    m.at(s.x + dx, s.y + dy).tileId != sample_tiles::sea) {
                    m.at(s.x + dx, s.y + dy).elevation = level;
                }
            }
        }
    }
}

std::string sampleClassFile() {
    // Record n holds class index n; the simulation's file has its N records from offset 2.
    const char* names[] = {"Vantor Sample",
                           "1a0 City",
                           "1a1 Town",
                           "1a4 Village",
                           "1a2 Junction",
                           "1a3 Port",
                           "Quillon Airbase",
                           "Kimpo Airport",
                           "Highway Strip",
                           "Radar Station",
                           "Bridge",
                           "Old Ford Bridge",
                           "Checkpoint 3",
                           "Seoul Tower",
                           "Hydro Power Plant",
                           "1a4 Factory",
                           "Sticky Chem Works",
                           "Army Depot, North",
                           "1a3 Highway",
                           "Junction",
                           "Intersection",
                           "1a0 Town",
                           "Nuke Plant"};
    const std::uint8_t features[] = {0, 20, 12, 4,  2, 8,  40, 40, 8, 6,  5, 5,
                                     1, 12, 16, 16, 9, 12, 3,  4,  4, 12, 20};
    constexpr std::size_t count = std::size(names);
    std::string bytes(2 + 54 * count, '\0');
    auto* b = reinterpret_cast<unsigned char*>(bytes.data());
    storeU16(b, static_cast<std::uint16_t>(count));
    for (std::size_t n = 0; n < count; ++n) {
        unsigned char* r = b + 2 + 54 * n;
        storeU16(r, static_cast<std::uint16_t>(n));
        std::memcpy(r + 2, names[n], std::min<std::size_t>(20, std::strlen(names[n])));
        r[50] = features[n];
        r[51] = static_cast<unsigned char>(n * 3);
    }
    return bytes;
}

std::string sampleTileInfoFile() {
    const std::pair<std::uint32_t, std::uint32_t> records[] = {
        {0, 0},
        {sample_tiles::cityBlock, 0x1a0},
        {sample_tiles::townBlock, 0x1a1},
        {sample_tiles::crossroads, 0x1a2},
        {sample_tiles::harbour, 0x1a3},
        {sample_tiles::villageBlock, 0x1a4},
    };
    std::string bytes(4 + 44 * std::size(records), '\0');
    auto* b = reinterpret_cast<unsigned char*>(bytes.data());
    storeU32(b, static_cast<std::uint32_t>(std::size(records)));
    for (std::size_t k = 0; k < std::size(records); ++k) {
        storeU32(b + 4 + 44 * k, records[k].first);
        storeU32(b + 8 + 44 * k, records[k].second);
    }
    return bytes;
}

std::string sampleCheckerScript() {
    return "; Vantor sample: the urban tiles of the object checks\r\n"
           "3, 1, 14000, 14004, 14000, 14004\r\n"
           "; City and junction check: kind, tile, class code (or -1), OCD ID\r\n"
           "1, 14003, 0, 0\r\n"
           "2, 14000, 1, 0\r\n"
           "2, 14001, 2, 0\r\n"
           "2, 14004, 3, 0\r\n"
           "5, 14002, 0, 0\r\n"
           "; Object check: tile, city, town, village, junction, new junction\r\n"
           "8, 14000, 101, 121, 0, 0, 0\r\n"
           "8, 14001, 0, 102, 0, 0, 0\r\n"
           "8, 14004, 0, 0, 103, 0, 0\r\n"
           "8, 14002, 0, 0, 0, 104, 119\r\n"
           "***END\r\n";
}

std::string sampleAirbaseScript() {
    return "; Vantor sample: posts levelled around each airbase class\r\n"
           "; OCD ID, pairs a line, offset lines, unused; then the offset lines\r\n"
           "@\r\n"
           "106, 5,3, 0\r\n"
           "-2,-1, -1,-1, 0,-1, 1,-1, 2,-1\r\n"
           "-2,0, -1,0, 0,0, 1,0, 2,0\r\n"
           "-2,1, -1,1, 0,1, 1,1, 2,1\r\n"
           "@\r\n"
           "107, 3,1, 0\r\n"
           "-1,0, 0,0, 1,0, 0,0, 0,0\r\n"
           "@\r\n"
           "108, 2,1, 0\r\n"
           "0,1, 0,-1, 0,0, 0,0, 0,0\r\n"
           "@\r\n"
           "***END\r\n";
}

} // namespace vantor
