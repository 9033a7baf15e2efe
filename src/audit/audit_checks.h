#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// The checks of a theater audit, in the order they run and are reported. Their names are
// stable: pipelines select and count them by name.
enum class AuditCheck : int {
    Roads,
    Rivers,
    Transitions,
    Bridges,
    Multi,
    Offmap,
    Urban,
    Parents,
    Ids,
    Airbases,
    Radar,
};

// How a check's findings are drawn on every map (the desktop's and the page's): a colour of the
// Okabe-Ito and Tol palettes, and a shape that tells checks apart where colours do not.
struct AuditCheckStyle {
    const char* colour; // "#RRGGBB"
    const char* shape;  // "circle", "square", "diamond", "triangle" or "none" (not drawn)
};

// What puts a check's findings right: the mend's repairs (a tile, a Parent), a whole command of
// its own, or the builder's hand.
enum class AuditMender { Mend, CheckCities, LevelAirbases, RadarProfiles, ByHand };

// Everything Vantor knows of one check. A new check is a row here, its function, its place in
// the JSON schema and a test.
struct AuditCheckFacts {
    AuditCheck check;
    const char* name;    // as command lines, reports and pipelines name it
    const char* summary; // what it finds, in a sentence (for code-scanning tools' rule lists)
    const char* repair;  // what mends its findings, in a sentence or two
    AuditCheckStyle style;
    const char* level;  // how strongly a code-scanning tool flags it: error, warning or note
    bool needsSource;   // reads the source export (every check reads the terrain)
    bool tileRepairs;   // its repairs are tiles, so it needs every tile script to rank them
    AuditMender mender; // what mends it
};

inline constexpr const char* repairByTileText =
    "vantor-cli mend (or Apply in the desktop's audit panel) puts the best fitting tile in place; "
    "the audit page and the panel list every tile that fits.";

// The checks, in their order.
inline constexpr std::array auditCheckTable{
    AuditCheckFacts{.check = AuditCheck::Roads,
                    .name = "roads",
                    .summary = "A road tile whose edge does not meet the road of its neighbour.",
                    .repair = repairByTileText,
                    .style = {"#D55E00", "circle"},
                    .level = "error",
                    .needsSource = false,
                    .tileRepairs = true,
                    .mender = AuditMender::Mend},
    AuditCheckFacts{.check = AuditCheck::Rivers,
                    .name = "rivers",
                    .summary = "A river tile whose edge does not meet the river of its neighbour.",
                    .repair = repairByTileText,
                    .style = {"#0072B2", "square"},
                    .level = "error",
                    .needsSource = false,
                    .tileRepairs = true,
                    .mender = AuditMender::Mend},
    AuditCheckFacts{.check = AuditCheck::Transitions,
                    .name = "transitions",
                    .summary =
                        "A transition tile whose edge does not meet the terrain of its neighbour.",
                    .repair = repairByTileText,
                    .style = {"#CC79A7", "diamond"},
                    .level = "error",
                    .needsSource = false,
                    .tileRepairs = true,
                    .mender = AuditMender::Mend},
    AuditCheckFacts{
        .check = AuditCheck::Bridges,
        .name = "bridges",
        .summary = "A bridge tile without a bridge objective, a two-tile bridge without its far "
                   "tile, or a bridge objective on no bridge tile.",
        .repair = "vantor-cli bridges places the missing bridge objectives; vantor-cli mend puts a "
                  "missing far tile in place.",
        .style = {"#F0E442", "triangle"},
        .level = "error",
        .needsSource = true,
        .tileRepairs = true,
        .mender = AuditMender::Mend},
    AuditCheckFacts{.check = AuditCheck::Multi,
                    .name = "multi",
                    .summary = "An objective on a post another objective holds.",
                    .repair = "Move one of the objectives to a post of its own.",
                    .style = {"#E69F00", "square"},
                    .level = "error",
                    .needsSource = true,
                    .tileRepairs = false,
                    .mender = AuditMender::ByHand},
    // Outside the map: listed, never drawn.
    AuditCheckFacts{.check = AuditCheck::Offmap,
                    .name = "offmap",
                    .summary = "An objective outside the map.",
                    .repair = "Move the objective onto the map, or delete it.",
                    .style = {"#777777", "none"},
                    .level = "error",
                    .needsSource = true,
                    .tileRepairs = false,
                    .mender = AuditMender::ByHand},
    AuditCheckFacts{
        .check = AuditCheck::Urban,
        .name = "urban",
        .summary = "What the city and junction check would create, re-class or delete.",
        .repair = "vantor-cli check-cities (Actions > Check City and Junction Objects) makes these "
                  "changes, in a new export.",
        .style = {"#56B4E9", "diamond"},
        .level = "note",
        .needsSource = true,
        .tileRepairs = false,
        .mender = AuditMender::CheckCities},
    AuditCheckFacts{
        .check = AuditCheck::Parents,
        .name = "parents",
        .summary = "An objective whose Parent is 0, or no city or town of the export.",
        .repair = "vantor-cli mend (or Apply) writes the nearest city or town as Parent, in a new "
                  "export.",
        .style = {"#009E73", "triangle"},
        .level = "warning",
        .needsSource = true,
        .tileRepairs = false,
        .mender = AuditMender::Mend},
    AuditCheckFacts{
        .check = AuditCheck::Ids,
        .name = "ids",
        .summary = "An identifier used twice, or a link to an identifier no objective has.",
        .repair = "Give each objective an identifier of its own (vantor-cli move-ids moves a range "
                  "of them), and point the links to identifiers no objective has at objectives "
                  "that are there.",
        .style = {"#882255", "circle"},
        .level = "error",
        .needsSource = true,
        .tileRepairs = false,
        .mender = AuditMender::ByHand},
    AuditCheckFacts{.check = AuditCheck::Airbases,
                    .name = "airbases",
                    .summary = "An airbase whose levelling would change posts.",
                    .repair = "vantor-cli level-airbases levels the ground under the airbases.",
                    .style = {"#332288", "square"},
                    .level = "warning",
                    .needsSource = true,
                    .tileRepairs = false,
                    .mender = AuditMender::LevelAirbases},
    AuditCheckFacts{.check = AuditCheck::Radar,
                    .name = "radar",
                    .summary =
                        "An objective whose radar values differ from a profile computed now.",
                    .repair = "vantor-cli radar computes the profiles anew.",
                    .style = {"#999933", "diamond"},
                    .level = "warning",
                    .needsSource = true,
                    .tileRepairs = false,
                    .mender = AuditMender::RadarProfiles},
};

inline constexpr std::size_t auditCheckCount = auditCheckTable.size();
static_assert(auditCheckCount == static_cast<std::size_t>(AuditCheck::Radar) + 1,
              "every check has its row");
inline constexpr bool auditCheckTableInOrder() {
    for (std::size_t i = 0; i < auditCheckTable.size(); ++i) {
        if (static_cast<std::size_t>(auditCheckTable[i].check) != i) {
            return false;
        }
    }
    return true;
}
static_assert(auditCheckTableInOrder(), "the rows are in the order of the checks");

// Every check, in order.
inline constexpr std::array<AuditCheck, auditCheckCount> auditChecks = [] {
    std::array<AuditCheck, auditCheckCount> all{};
    for (std::size_t i = 0; i < all.size(); ++i) {
        all[i] = auditCheckTable[i].check;
    }
    return all;
}();

inline std::size_t auditIndex(AuditCheck check) {
    return static_cast<std::size_t>(check);
}
inline const AuditCheckFacts& auditCheckFacts(AuditCheck check) {
    return auditCheckTable[auditIndex(check)];
}
inline const char* auditCheckName(AuditCheck check) {
    return auditCheckFacts(check).name;
}
inline const char* auditCheckSummary(AuditCheck check) {
    return auditCheckFacts(check).summary;
}
inline const char* auditCheckRepair(AuditCheck check) {
    return auditCheckFacts(check).repair;
}
inline AuditCheckStyle auditCheckStyle(AuditCheck check) {
    return auditCheckFacts(check).style;
}
std::optional<AuditCheck> auditCheckNamed(std::string_view name);
// The names of the checks `pick` takes (every check without one), in order, joined by ", " and
// the last by `last`.
std::string auditCheckNames(bool (*pick)(const AuditCheckFacts&) = nullptr,
                            const char* last = ", ");

} // namespace vantor
