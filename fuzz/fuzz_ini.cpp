// Quillon.ini: the theater list and every listed theater's geometry.

#include "fuzz_input.h"
#include "terrain/ini_file.h"
#include "terrain/theater.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantor;
    const IniFile ini = parseIniText(fuzz::text({data, size}));
    const TheaterList list = readTheaterList(ini);
    for (std::size_t i = 0; i < list.names.size(); ++i) {
        const TheaterDefinition t = listedTheaterGeometry(ini, list, i);
        describeGeometry(t);
        if (t.xSections > 0 && t.ySections > 0) {
            sectionColumn(t, 0);
            userSectY(t, 0);
        }
    }
    return 0;
}
