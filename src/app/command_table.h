#pragma once

#include "app/commands.h"
#include "app/menu_model.h"
#include "app/menu_rules.h"
#include "app/shell_texts.h"
#include "audit/audit_checks.h"

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>

namespace vantor {

struct AuditFinding;

// What must hold before a command runs.
enum class PreconditionKind {
    None,
    TerrainOpen,         // refused with a message until terrain is open
    TerrainClosed,       // refused with a message once terrain is open
    TerrainOpenSilently, // nothing happens until terrain is open
    MatrixBuilt,         // nothing happens until the matrix is complete
    ObjectList,          // nothing happens unless the list window shows objects
};

// The toolbar's pictures, one per button.
enum class ToolbarIcon {
    None,
    OpenFile,
    SaveFile,
    SelectRows,
    DeleteRows,
    Find,
    ClearSelections,
    OpenTerrain,
    Rivers,
    Roads,
    Bridges,
    Transitions,
    UrbanObjects,
};

// One item of the menu bar: the menu ("File", or "Help/How to ..." for a submenu), its label
// as shown (with the & of its access key), its state as the program starts.
struct MenuPlace {
    const char* menu = nullptr; // null: the command has no menu item
    const char* label = nullptr;
    ItemState state = ItemState::Enabled;
    bool separatorBefore = false;
    bool separatorAfter = false;
};

// The menu events that change an item, as a set.
constexpr unsigned onEvents(std::initializer_list<MenuEvent> events) {
    unsigned set = 0;
    for (MenuEvent e : events) {
        set |= 1u << static_cast<unsigned>(e);
    }
    return set;
}

// Everything the program knows of one command but its flow (which the dispatcher keeps).
struct CommandFacts {
    int id = 0;
    MenuPlace menu{};
    MenuPlace alsoIn{};      // a second menu item of the same command
    const char* status = ""; // what the status bar says of it; empty for internal commands
    PreconditionKind precondition = PreconditionKind::None;
    const char* refusal = nullptr; // shown when the precondition refuses; null: silently
    bool refusalIsError = false;   // an error rather than a warning
    unsigned enabledOn = 0;        // the menu events that enable its item
    unsigned greyedOn = 0;         // and those that grey it
    int toolbarSlot = -1;          // its place on the toolbar; -1: none
    const char* tooltip = nullptr;
    ToolbarIcon icon = ToolbarIcon::None;
    const char* cli = nullptr;               // the vantor-cli subcommand that does the same work
    AuditMender mends = AuditMender::ByHand; // the audit findings it mends; ByHand: none
    bool withRequest = false;    // run by runFlow with its caller's request, never dispatched alone
    bool changesTerrain = false; // may change the open terrain's posts: the map is drawn anew
};

namespace commandtable {

using enum ItemState;
using enum MenuEvent;
using enum PreconditionKind;

// Menu order: the items of each menu in the order they are shown; then the commands that
// only flows issue.
inline constexpr std::array table{
    // File
    CommandFacts{.id = cmd::OpenSourceCsv,
                 .menu = {.menu = "File", .label = "&Open  Source csv File..."},
                 .status = "Open an objective export or a scan report and list it.",
                 .toolbarSlot = 0,
                 .tooltip = "Open source csv object file",
                 .icon = ToolbarIcon::OpenFile,
                 .cli = "list"},
    CommandFacts{.id = cmd::OpenL2Terrain,
                 .menu = {.menu = "File", .label = "Open &L2 Terrain file ..."},
                 .status = "Open a theater's L2 terrain file, with its O2 beside it, and build the "
                           "terrain matrix.",
                 .precondition = TerrainClosed,
                 .refusal = texts::matrixAlreadyCreated,
                 .enabledOn = onEvents({TerrainShut}),
                 .greyedOn = onEvents({TerrainOpened}),
                 .toolbarSlot = 6,
                 .tooltip = "Open terrain L2 & Build Matrix",
                 .icon = ToolbarIcon::OpenTerrain,
                 .cli = "info"},
    CommandFacts{.id = cmd::CloseTerrain,
                 .menu = {.menu = "File", .label = "Close &Terrain", .state = Greyed},
                 .status = "Close the terrain and what was made from it (the map, the audit), "
                           "so that another theater's terrain can be opened.",
                 .precondition = TerrainOpenSilently,
                 .enabledOn = onEvents({TerrainOpened}),
                 .greyedOn = onEvents({TerrainShut})},
    CommandFacts{.id = cmd::CloseOutputFiles,
                 .menu = {.menu = "File", .label = "&Close Output Files", .state = Greyed},
                 .status = "Close the report file that scans append to.",
                 .enabledOn = onEvents({OutputRequestSucceeded}),
                 .greyedOn = onEvents({AllScansFinished, OutputFileClosed})},
    CommandFacts{.id = cmd::ExportObjects,
                 .menu = {.menu = "File", .label = "&Export Objects ..."},
                 .status = "Write the selected objects of the list (or all but those marked for "
                           "deletion) to a new csv file.",
                 .toolbarSlot = 1,
                 .tooltip = "Save added/selected objects to a csv file",
                 .icon = ToolbarIcon::SaveFile,
                 .cli = "export"},
    CommandFacts{.id = cmd::LoadL2mMatrix,
                 .menu = {.menu = "File",
                          .label = "Load L2M &Matrix File...",
                          .state = Greyed,
                          .separatorBefore = true},
                 .status = "Load the terrain matrix from an L2M file saved earlier.",
                 .precondition = TerrainClosed,
                 .refusal = texts::matrixAlreadyCreated,
                 .enabledOn = onEvents({InteractiveStartup, TerrainShut}),
                 .greyedOn = onEvents({TerrainOpened})},
    CommandFacts{.id = cmd::SaveL2mMatrix,
                 .menu = {.menu = "File", .label = "&Save L2M Matrix...", .state = Greyed},
                 .status = "Save the terrain matrix as an L2M file, which loads faster than the L2 "
                           "and O2 files.",
                 .precondition = MatrixBuilt,
                 .enabledOn = onEvents({TerrainOpened}),
                 .greyedOn = onEvents({MatrixSaved, TerrainShut}),
                 .cli = "l2m"},
    CommandFacts{.id = cmd::ChooseStartFolder,
                 .menu = {.menu = "File", .label = "Start Folder...", .separatorBefore = true},
                 .status = "Choose the start folder, where Quillon.ini, the scripts and the "
                           "reference lists are read and fixed-name reports are written."},
    CommandFacts{.id = cmd::Exit,
                 .menu = {.menu = "File", .label = "E&xit", .separatorBefore = true},
                 .status = "Quit Vantor."},
    // Edit
    CommandFacts{.id = cmd::Find,
                 .menu = {.menu = "Edit", .label = "&Find ..."},
                 .status = "Find an object or report line in the list.",
                 .toolbarSlot = 4,
                 .tooltip = "Find an object...",
                 .icon = ToolbarIcon::Find},
    CommandFacts{.id = cmd::ClearAllSelections,
                 .menu = {.menu = "Edit", .label = "&Clear All Selections"},
                 .status = "Clear every selection and deletion mark of the list.",
                 .toolbarSlot = 5,
                 .tooltip = "Unselect all selected objects",
                 .icon = ToolbarIcon::ClearSelections},
    CommandFacts{.id = cmd::SelectObjects,
                 .menu = {.menu = "Edit", .label = "&Select Objects"},
                 .status = "Mark the highlighted rows of the list selected.",
                 .toolbarSlot = 2,
                 .tooltip = "Select highlighted objects",
                 .icon = ToolbarIcon::SelectRows},
    CommandFacts{.id = cmd::DeleteSelected,
                 .menu = {.menu = "Edit", .label = "&Delete Selected"},
                 .status = "Mark the highlighted rows of the list for deletion.",
                 .toolbarSlot = 3,
                 .tooltip = "Mark for deletion selected items.",
                 .icon = ToolbarIcon::DeleteRows},
    CommandFacts{
        .id = cmd::UndoTerrain,
        .menu = {.menu = "Edit", .label = "&Undo", .state = Greyed, .separatorBefore = true},
        .status = "Put back the terrain pair that the last write-back (a mend, a "
                  "levelling, an Apply) replaced, from the terrain's history.",
        .cli = "undo",
        .changesTerrain = true},
    CommandFacts{.id = cmd::RedoTerrain,
                 .menu = {.menu = "Edit", .label = "&Redo", .state = Greyed},
                 .status = "Put back the terrain pair that the last Undo replaced.",
                 .cli = "redo",
                 .changesTerrain = true},
    CommandFacts{.id = cmd::KeepSourceDates,
                 .menu = {.menu = "Edit", .label = "&Keep Source Dates"},
                 .status = "Date what is written with its source's title date instead of now, so "
                           "that a run again on the same input writes the same file."},
    // Actions
    CommandFacts{.id = cmd::CheckRoads,
                 .menu = {.menu = "Actions", .label = "Check Roa&ds ...", .state = Greyed},
                 .status = "Report roads that leave a tile without the next tile continuing them.",
                 .precondition = TerrainOpen,
                 .refusal = "Cannot scan Roads until the terrain file (L2) is opened.",
                 .enabledOn = onEvents({TerrainOpened}),
                 .greyedOn = onEvents({TerrainShut}),
                 .toolbarSlot = 8,
                 .tooltip = "Check map for misaligned roads",
                 .icon = ToolbarIcon::Roads,
                 .cli = "roads"},
    CommandFacts{.id = cmd::CheckRivers,
                 .menu = {.menu = "Actions", .label = "Check &Rivers ...", .state = Greyed},
                 .status = "Report rivers that leave a tile without the next tile continuing "
                           "them.",
                 .precondition = TerrainOpen,
                 .refusal = "Cannot scan Rivers until the terrain file (L2) is opened.",
                 .enabledOn = onEvents({TerrainOpened}),
                 .greyedOn = onEvents({TerrainShut}),
                 .toolbarSlot = 7,
                 .tooltip = "Check map for misaligned rivers",
                 .icon = ToolbarIcon::Rivers,
                 .cli = "rivers"},
    CommandFacts{.id = cmd::CheckTransitions,
                 .menu = {.menu = "Actions", .label = "Check &Transition Tiles", .state = Greyed},
                 .status = "Report missing transition tiles.",
                 .precondition = TerrainOpen,
                 .refusal = "Cannot scan Transitions until the terrain file (L2) is opened.",
                 .enabledOn = onEvents({TerrainOpened}),
                 .greyedOn = onEvents({TerrainShut}),
                 .toolbarSlot = 10,
                 .tooltip = "Scan for missing Transistion tiles.",
                 .icon = ToolbarIcon::Transitions,
                 .cli = "transitions"},
    CommandFacts{
        .id = cmd::GenerateSectionReport,
        .menu = {.menu = "Actions", .label = "&Generate Section Report...", .state = Greyed},
        .status = "Check roads, rivers and transitions into one report.",
        .precondition = TerrainOpenSilently,
        .enabledOn = onEvents({TerrainOpened}),
        .greyedOn = onEvents({TerrainShut}),
        .cli = "report"},
    CommandFacts{.id = cmd::OutputTextVersion,
                 .menu = {.menu = "Actions", .label = "Output Te&xt Version...", .state = Greyed},
                 .status = "Write the listed report as a tab-separated text file.",
                 // After an output request it is enabled, or disabled while that output is a text
                 // report: a rule of its own (applyMenuEvent).
                 .enabledOn = onEvents({ObjectFileLoaded, ReportLoaded}),
                 .cli = "text-version"},
    CommandFacts{.id = cmd::PlaceBridges,
                 .menu = {.menu = "Actions",
                          .label = "Place Bridges ...",
                          .state = Greyed,
                          .separatorBefore = true},
                 .status = "Place a bridge objective on every bridge tile of the search area.",
                 .precondition = TerrainOpen,
                 .refusal = "Cannot place Bridges until the terrain file (L2) is opened.",
                 .enabledOn = onEvents({TerrainOpened}),
                 .greyedOn = onEvents({TerrainShut}),
                 .toolbarSlot = 9,
                 .tooltip = "Scan map and place bridges",
                 .icon = ToolbarIcon::Bridges,
                 .cli = "bridges"},
    CommandFacts{
        .id = cmd::CheckCityJunction,
        .menu = {.menu = "Actions", .label = "Check &City and Junction Objects", .state = Greyed},
        .status = "Check/place commercial and industrial Objects on urban tiles.",
        .precondition = TerrainOpen,
        .refusal = "Cannot scan Objects until the terrain file (L2) is opened.",
        .enabledOn = onEvents({TerrainOpened}),
        .greyedOn = onEvents({TerrainShut}),
        .toolbarSlot = 11,
        .tooltip = "Check/place commercial and industrial Objects on urban tiles.",
        .icon = ToolbarIcon::UrbanObjects,
        .cli = "check-cities",
        .mends = AuditMender::CheckCities},
    CommandFacts{.id = cmd::FindL2Info,
                 .menu = {.menu = "Actions",
                          .label = "&Find L2 Info...",
                          .state = Greyed,
                          .separatorBefore = true},
                 .status = "Find L2 Tile ID# and Elevation for X,Y",
                 .precondition = TerrainOpen,
                 .refusal = "Cannot find L2 Info until the terrain file (L2) is opened.",
                 .refusalIsError = true,
                 .enabledOn = onEvents({TerrainOpened}),
                 .greyedOn = onEvents({TerrainShut}),
                 .cli = "info"},
    CommandFacts{.id = cmd::SetTile,
                 .menu = {.menu = "Actions", .label = "Set T&ile...", .state = Greyed},
                 .status = "Put a tile of your choice on one post: the tiles that fit its "
                           "neighbours, ranked, or any tile ID; written back as one change that "
                           "Undo takes back.",
                 .precondition = TerrainOpen,
                 .refusal = "Cannot set a tile until the terrain file (L2) is opened.",
                 .enabledOn = onEvents({TerrainOpened}),
                 .greyedOn = onEvents({TerrainShut}),
                 .cli = "set-tile",
                 .changesTerrain = true},
    CommandFacts{
        .id = cmd::ListUnusedIds,
        .menu = {.menu = "Actions", .label = "&List Unused Objective ID's ", .state = Greyed},
        .status = "List the objective identifiers that no object of the list uses.",
        .precondition = ObjectList,
        .enabledOn = onEvents({ObjectFileLoaded}),
        .greyedOn = onEvents({ReportLoaded}),
        .cli = "unused-ids"},
    CommandFacts{
        .id = cmd::RemoveObjectLinks,
        .menu = {.menu = "Actions", .label = "Remove Object &Links", .separatorBefore = true},
        .status = "Remove static Object links from a csv file and set the Parent to zero.",
        .cli = "remove-links"},
    CommandFacts{.id = cmd::CheckParentLinks,
                 .menu = {.menu = "Actions", .label = "Check Parent Links..."},
                 .status = "Write the objects with no Parent or a wrong one to NoParent.csv and "
                           "WrongParent.csv.",
                 .cli = "check-parents"},
    CommandFacts{.id = cmd::MoveObjectIds,
                 .menu = {.menu = "Actions", .label = "Move object ID's"},
                 .status = "Move a block of objective identifiers with their links, or fix bridge "
                           "offsets.",
                 .cli = "move-ids"},
    CommandFacts{.id = cmd::RadarProfiles,
                 .menu = {.menu = "Actions",
                          .label = "Create Radar LOS Profiles...",
                          .separatorBefore = true},
                 .status = "Compute the radar line-of-sight profile of every object of an export.",
                 .cli = "radar",
                 .mends = AuditMender::RadarProfiles},
    CommandFacts{.id = cmd::LevelAirbases,
                 .menu = {.menu = "Actions", .label = "Level Airbases"},
                 .status = "Level the Airbases (modifies Theater.L2 elevations)",
                 .cli = "level-airbases",
                 .mends = AuditMender::LevelAirbases,
                 .changesTerrain = true},
    CommandFacts{.id = cmd::CheckPlaceMoveObjects,
                 .menu = {.menu = "Actions", .label = "Check/Place/Move Objects"},
                 .status = "Check map for misplaced junction objects and move or place Objects.",
                 .precondition = TerrainOpen,
                 .refusal = "Cannot scan Objects until the terrain file (L2) is opened.",
                 .enabledOn = onEvents({TerrainOpened}),
                 .greyedOn = onEvents({TerrainShut}),
                 .cli = "check-objects"},
    CommandFacts{.id = cmd::AuditTheater,
                 .menu = {.menu = "Actions",
                          .label = "Audit Theater...",
                          .state = Greyed,
                          .separatorBefore = true},
                 .status = "Run every check on the terrain and the listed export at once, changing "
                           "nothing, and show what is wrong beside the map.",
                 .precondition = TerrainOpen,
                 .refusal = "Cannot audit the theater until the terrain file (L2) is opened.",
                 .enabledOn = onEvents({TerrainOpened}),
                 .greyedOn = onEvents({TerrainShut}),
                 .cli = "audit"},
    CommandFacts{.id = cmd::CompareVersions,
                 .menu = {.menu = "Actions", .label = "Compare Versions..."},
                 .status = "Compare the open terrain and an export with later versions of them: "
                           "the posts and the objectives that changed.",
                 .cli = "diff"},
    // Help; the Theater menu's label borrows the manual's identifier but, disabled, starts
    // nothing (the theaters of Quillon.ini follow its separator).
    CommandFacts{.id = cmd::HowTo,
                 .menu = {.menu = "Help/How to ...", .label = "Export Objects ..."},
                 .alsoIn = {.menu = "Help/How to ...", .label = "Place Objects ..."},
                 .status = "How to select, delete, export and place objects; closing it builds "
                           "OCDList.dat from Falcon4.ocd.",
                 .cli = "ocd-generate"},
    CommandFacts{.id = cmd::UsersManual,
                 .menu = {.menu = "Help/How to ...", .label = "User's Manual"},
                 .alsoIn = {.menu = "Theater",
                            .label = "Select Theater",
                            .state = Disabled,
                            .separatorAfter = true},
                 .status = "Open the user's manual."},
    CommandFacts{.id = cmd::About,
                 .menu = {.menu = "Help", .label = "&About ..."},
                 .status = "About Vantor; closing it refines OCDList.dat from the last source "
                           "export.",
                 .cli = "ocd-update"},
    // Issued by flows and windows, never chosen.
    CommandFacts{.id = cmd::MendTheater,
                 .precondition = TerrainOpen,
                 .refusal = "Cannot mend the theater until the terrain file (L2) is opened.",
                 .cli = "mend",
                 .mends = AuditMender::Mend,
                 .withRequest = true,
                 .changesTerrain = true},

    CommandFacts{.id = cmd::LoadSourceIntoList},
    CommandFacts{.id = cmd::CloseFindDialog},
    CommandFacts{.id = cmd::ExportChosenFile},
    CommandFacts{.id = cmd::DestroyListWindow},
    CommandFacts{.id = cmd::ProgressReport},
    CommandFacts{.id = cmd::OpenTerrainAtPath},
    CommandFacts{.id = cmd::CloseFindL2Info},
};

inline constexpr std::size_t toolbarSize = 12;

} // namespace commandtable

// The facts of a command; null for one that is not in the table (the Theater entries and the
// recent files are ranges of identifiers, not rows).
const CommandFacts* commandFacts(int id);

// The command that mends findings of this kind; null for those mended by hand.
const CommandFacts* mendingCommand(AuditMender mender);

// The command that the desktop runs for a finding whose repair is a whole command (the city
// and junction check, the levelling, the radar profiles) rather than a tile or a Parent; 0 for
// the others.
int findingCommand(const AuditFinding& finding);

// "Actions > Check City and Junction Objects": where the command sits in the menus, without
// access keys. Empty for a command with no menu item.
std::string menuPathText(const CommandFacts& facts);

} // namespace vantor
