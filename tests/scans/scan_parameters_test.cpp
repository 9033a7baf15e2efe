#include "scans/scan_parameters.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace vantor {
namespace {

ScanDialogModel wholeMap() {
    ScanDialogModel m;
    m.theater = builtInTheater();
    m.endMapX = 1023;
    m.endMapY = 1023;
    return m;
}

TEST(ScanDialog, SectionFieldsFollowTheMapFieldsAndBack) {
    ScanDialogModel m = wholeMap();
    EXPECT_EQ(scanFieldValue(m, ScanField::StartSectX), 0);
    EXPECT_EQ(scanFieldValue(m, ScanField::StartSectY), 63);
    EXPECT_EQ(scanFieldValue(m, ScanField::EndSectX), 63);
    EXPECT_EQ(scanFieldValue(m, ScanField::EndSectY), 0);

    FieldTyped t = typeScanField(m, ScanField::EndSectY, "0");
    EXPECT_EQ(m.endMapY, 1023);
    EXPECT_EQ(t.moved, ScanField::EndMapY);
    typeScanField(m, ScanField::StartSectY, "62");
    EXPECT_EQ(m.parameters.startMapY, 16);
    typeScanField(m, ScanField::EndSectX, "2");
    EXPECT_EQ(m.endMapX, 47);
    t = typeScanField(m, ScanField::StartMapX, "37");
    EXPECT_EQ(t.moved, ScanField::StartSectX);
    EXPECT_EQ(scanFieldValue(m, ScanField::StartSectX), 2);
}

TEST(ScanDialog, ValuesOutsideTheirRangeBeepAndAreReplaced) {
    struct Case {
        ScanField field;
        const char* text;
        bool beep;
        std::int32_t value;
    };
    const Case cases[] = {
        {ScanField::StartMapX, "1024", true, 0},
        {ScanField::EndMapX, "1024", true, 1023},
        {ScanField::EndMapY, "-1", true, 1023},
        {ScanField::StartMapY, "1023", false, 1023},
        {ScanField::StartSectX, "64", true, 0},
        {ScanField::EndSectY, "64", true, 63},
        {ScanField::StartingObjectId, "65537", true, 65536},
        {ScanField::StartingObjectId, "-5", false, -5},
        {ScanField::Priority, "100", false, 100},
        {ScanField::Priority, "101", true, 100},
        {ScanField::Priority, "-1", true, 100},
        {ScanField::Supply, "300", true, 255},
        {ScanField::Supply, "12abc", false, 12},
        {ScanField::Supply, "abc", false, 235}, // no number: the value stays
    };
    for (const Case& c : cases) {
        ScanDialogModel m = wholeMap();
        const FieldTyped t = typeScanField(m, c.field, c.text);
        EXPECT_EQ(t.beep, c.beep) << c.text;
        EXPECT_EQ(scanFieldValue(m, c.field), c.value) << c.text;
    }
}

// A number given (a command line's option) is refused outside the field's range instead of being
// replaced, says why, and leaves the field as it was; one taken moves its coupled field.
TEST(ScanDialog, ANumberGivenIsRefusedOutsideItsRange) {
    struct Case {
        ScanField field;
        std::int64_t value;
        std::optional<std::string> refused;
        std::int32_t shown; // the field's value afterwards
    };
    const Case cases[] = {
        {ScanField::StartMapX, 1023, std::nullopt, 1023},
        {ScanField::StartMapX, 1024, "must be 0 to 1023, not 1024", 0},
        {ScanField::EndSectY, 64, "must be 0 to 63, not 64", 0},
        {ScanField::StartSectY, 62, std::nullopt, 62},
        {ScanField::StartingObjectId, 0, "must be 1 to 65536, not 0", 1},
        {ScanField::StartingObjectId, 500, std::nullopt, 500},
        {ScanField::Priority, -1, "must be 0 to 100, not -1", 20},
        {ScanField::Supply, 255, std::nullopt, 255},
        {ScanField::Supply, 5000000000, "must be 0 to 255, not 5000000000", 235},
    };
    for (const Case& c : cases) {
        ScanDialogModel m = wholeMap();
        m.parameters.startingObjectId = 1;
        EXPECT_EQ(setScanField(m, c.field, c.value), c.refused) << c.value;
        EXPECT_EQ(scanFieldValue(m, c.field), c.shown) << c.value;
    }
    ScanDialogModel m = wholeMap();
    ASSERT_EQ(setScanField(m, ScanField::StartSectY, 62), std::nullopt);
    EXPECT_EQ(m.parameters.startMapY, 16) << "the map field follows its section";
}

TEST(ScanDialog, BeginChecksTheAreaAndTitlesFollowTheScan) {
    ScanDialogModel m = wholeMap();
    EXPECT_FALSE(beginCheck(m));
    m.parameters.startMapX = 500;
    m.endMapX = 400;
    EXPECT_EQ(beginCheck(m), "Ending X is less then the Starting X.");
    m.endMapX = 600;
    m.parameters.startMapY = 9;
    m.endMapY = 8;
    EXPECT_EQ(beginCheck(m), "Ending Y is less then the Starting Y.");

    EXPECT_EQ(scanDialogTitle(ListKind::MisalignedRoads, true), "Scan All For Bad Tiles");
    EXPECT_EQ(scanDialogTitle(ListKind::Objects, false), "Bridge Object Placement");
    EXPECT_EQ(scanDialogTitle(ListKind::MisalignedRoads, false), "Bad Roads Scan");
    EXPECT_EQ(scanDialogTitle(ListKind::MisalignedRivers, false), "Bad Rivers Scan");
    EXPECT_EQ(scanDialogTitle(ListKind::ObjectPlacementScan, false), "Bad Object Placemant Scan");
    EXPECT_EQ(scanDialogTitle(ListKind::BadTransitions, false), "Bad Transition Tile Scan");
    EXPECT_EQ(scanDialogTitle(ListKind::CheckedMasterExport, false),
              "Object Placement/Adjustment Parameters");

    toggleWriteToFile(m);
    EXPECT_FALSE(m.writeToFile);
    EXPECT_FALSE(m.appendEnabled);
    toggleWriteToFile(m);
    EXPECT_TRUE(m.appendEnabled);
}

} // namespace
} // namespace vantor
