#include "objectives/find.h"

#include "base/text_util.h"

#include <array>

namespace vantor {

namespace {

constexpr std::array<FindFieldText, 6> objectFields{{
    {"Name", "Enter Object Name", true},
    {"Type", "Enter Object Type", true},
    {"ID#", "Enter Object ID#", true},
    {"OCD ID", "Enter Object OCD ID#", true},
    {"X", "Enter Object X", true},
    {"Y", "Enter Object Y", true},
}};

constexpr std::array<FindFieldText, 6> reportFields{{
    {"Error", "", false},
    {"Tile ID", "Enter Object Tile ID#", true},
    {"X", "Enter Object Map X", true},
    {"Y", "Enter Object Map Y", true},
    {"Sect X", "Enter Object Sect X", true},
    {"Sect Y", "Enter Object Sect Y", true},
}};

bool matches(const ListWindow& w, std::size_t row, int field, std::string_view text,
             std::int64_t value) {
    if (w.listMode == ListMode::Objects) {
        const ListObjectRow& r = w.objectRows[row];
        switch (field) {
        case 1:
            return equalsIgnoreCase(r.name, text);
        case 2:
            return equalsIgnoreCase(r.type, text);
        case 3:
            return r.identifier == value;
        case 4:
            return r.ocdId == value;
        case 5:
            return r.x == value;
        case 6:
            return r.y == value;
        default:
            return false;
        }
    }
    const ListReportRow& r = w.reportRows[row];
    switch (field) {
    case 2:
        return r.tileId == value;
    case 3:
        return r.mapX == value;
    case 4:
        return r.mapY == value;
    case 5:
        return r.sectX == value;
    case 6:
        return r.sectY == value;
    default:
        return false;
    }
}

} // namespace

FindFieldText findFieldText(ListMode listMode, int field) {
    const auto& table = listMode == ListMode::Reports ? reportFields : objectFields;
    if (field < 1 || field > 6) {
        return {"", "", false};
    }
    return table[static_cast<std::size_t>(field - 1)];
}

void createFindDialog(FindState& find, ListMode listMode) {
    find.present = true;
    find.createdForListMode = listMode;
    find.field = 3;
    find.start = 0;
    find.alwaysFromTop = true;
}

void chooseFindField(FindState& find, int field) {
    if (field >= 1 && field <= 6) {
        find.field = field;
    }
}

void toggleAlwaysFromTop(FindState& find) {
    find.alwaysFromTop = !find.alwaysFromTop;
    if (find.alwaysFromTop) {
        find.start = 0;
    }
}

void toggleSelectWhenFound(FindState& find) {
    find.selectWhenFound = !find.selectWhenFound;
}

FindOutcome findNext(ListState& list, FindState& find, std::string_view text) {
    if (find.alwaysFromTop) {
        find.start = 0;
    }
    FindOutcome outcome;
    const std::string searched(text.substr(0, 255));
    const std::int64_t value = parseLeadingInt(searched).value_or(0);
    if (list.window) {
        ListWindow& w = *list.window;
        const std::size_t rows = w.display.size();
        for (std::size_t p = find.start; p < rows; ++p) {
            const std::size_t row = w.display[p];
            if (!matches(w, row, find.field, searched, value)) {
                continue;
            }
            w.highlighted[row] = 1;
            if (find.selectWhenFound) {
                setMark(w, row, MarkSelected);
            }
            find.start = p + 1 == rows ? 0 : p + 1;
            outcome.found = true;
            outcome.position = p;
            return outcome;
        }
    }
    find.start = 0;
    outcome.message = "Object with a value of " + searched + " was not found.";
    return outcome;
}

} // namespace vantor
