// Objective exports and reports: read into the list window as the program opens them, loaded
// into the object table, and every object line put through the field operations and the
// checked export's rewrites.

#include "app/application_state.h"
#include "app/platform.h"
#include "base/text_file.h"
#include "base/text_reader.h"
#include "checks/checked_export.h"
#include "flows/list_flow.h"
#include "fuzz_input.h"
#include "objectives/export_format.h"
#include "objectives/object_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantor;
    {
        ApplicationState state;
        state.files.sourcePath = fuzz::scratchFile("source.csv", {data, size});
        loadSourceIntoList(state, Platform{});
        if (state.list.model.window) {
            const ListWindow& w = *state.list.model.window;
            for (std::size_t p = 0; p < w.display.size() && p < 64; ++p) {
                for (int c = 0; c < 8; ++c) {
                    cellText(w, p, c, state.list.listKind, state.scan.scanAll);
                }
            }
        }
    }
    TextReader stream = fuzz::memoryText({data, size});
    if (!stream.isOpen()) {
        return 0;
    }
    ObjectTable table;
    loadObjectTable(stream, table);
    std::string line;
    std::size_t lines = 0;
    while (readLine(stream, line) && ++lines < 256) {
        const std::string_view body = withoutLineEnd(line);
        for (int k = 0; k < 28; ++k) {
            readIntField(k, body);
            fieldText(k, body);
        }
        std::string copy(line);
        replaceIntField(5, copy, 99);
        renumberedLine(line, 10);
        ObjectRecord r;
        r.type = " City";
        changedObjectLine(line, r, 11);
    }
    return 0;
}
