// The script files: the first byte chooses the reader (the tile scripts of kinds 1 to 7, the
// city and junction tables, the airbase levelling script).

#include "analysis/airbase_levelling.h"
#include "checks/city_check.h"
#include "fuzz_input.h"
#include "scans/tile_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantor;
    if (size < 1) {
        return 0;
    }
    const std::string_view text = fuzz::text({data + 1, size - 1});
    const int reader = data[0] % 9;
    if (reader < 7) {
        TileScript script;
        parseTileScript(script, static_cast<ScriptKind>(reader + 1), text);
        for (const TileRecord& r : script.tiles) {
            findTile(script, r.tileId);
        }
    } else if (reader == 7) {
        CityTileTables tables;
        parseCityTileTables(tables, text);
    } else {
        const AirbaseScript script = parseAirbaseScript(text);
        if (script.entries.size() > maxAirbaseEntries ||
            script.counted > script.entries.size() + maxAirbaseEntries) {
            __builtin_trap();
        }
        for (const AirbaseEntry& e : script.entries) {
            if (e.lines.size() > maxOffsetLines) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
