#pragma once

#include "analysis/radar_profile.h"
#include "audit/audit_checks.h"
#include "objectives/list_kind.h"
#include "scans/edge_repair.h"
#include "scans/edge_scan.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

// The words of terrain findings and their repairs, as the audit, the mend and the desktop say
// them.

// "tile 10005: No Road to East"
std::string edgeBreakDetail(const EdgeBreak& broken, ListKind listKind);
// "two-tile bridge tile 13002 without its far tile (placing bridges rejects it)"
std::string farTileMissingDetail(std::uint32_t tileId);

// "tile 10005 on the neighbour to the East (Map X 2, Map Y 3, now tile 1): mends 2 faults,
// changes 2 edges"; a far tile says where it goes instead of the edges it changes.
std::string tileRepairText(const TileRepair& repair, bool farTile);

// Why a break has no repair, or that only its neighbour has one; empty when the post has one.
std::string edgeRepairNote(const EdgeRepairs& found, int direction);
// Where a missing far tile belongs when no far tile can go there; empty when one can.
std::string farTileNote(const FarTileRepairs& found);

} // namespace vantor
