#pragma once

namespace vantor {

// What the current work produces; it selects dialog titles and report headings. The numbers are
// the suite's own: a combined report's error code carries the kind of its scan as its last digit.
enum class ListKind : int {
    RadarProfiles = 0,
    Objects = 1, // objects or bridge objects
    MisalignedRoads = 4,
    MisalignedRivers = 5,
    ObjectPlacementScan = 6, // has a dialog title of its own; no command sets it
    BadTransitions = 7,
    CheckedMasterExport = 8,
    AllScansReport = 10,
    CityJunction = 11,
    AirbaseLevelling = 12,
};

// What the list window shows.
enum class ListMode : int { Objects = 1, Reports = 2 };

// A report row's scan and direction. In a combined report (the all-scans report, or any scan
// run as part of it) the error code is direction x 10 + the kind of its scan; in a single
// scan's report it is the direction alone (1 West, 2 North, 3 East, 4 South).
struct ReportCode {
    ListKind scan = ListKind::MisalignedRoads;
    int direction = 0;
};

inline bool isCombinedReport(ListKind listKind, bool scanAll) {
    return listKind == ListKind::AllScansReport || scanAll;
}

inline ReportCode decodeReportCode(int errorCode, ListKind listKind, bool scanAll) {
    if (isCombinedReport(listKind, scanAll)) {
        return {static_cast<ListKind>(errorCode % 10), errorCode / 10};
    }
    return {listKind, errorCode};
}

inline int encodeReportCode(int direction, ListKind scan, bool scanAll) {
    return scanAll ? direction * 10 + static_cast<int>(scan) : direction;
}

} // namespace vantor
