#pragma once

#include "report/audit_page.h"
#include "tools/theater_diff.h"

#include <string>

namespace vantor::report {

// The comparison as the JSON document of docs/diff.schema.json.
std::string diffJson(const TheaterDiff& diff, const std::string& toolName);

// One self-contained page: the maps of both versions side by side with the changed posts (in
// magenta) and the objectives added (green), deleted (red) and changed (orange) marked, then
// the tables of the changes. Each map as relief and as tile classes (by `classes`, from the
// scripts at hand), in which a tile change shows. encode makes the PNG pictures.
bool diffPage(const TheaterDiff& diff, const TerrainMatrix& before, const TileClassifier& classes,
              const PngEncoder& encode, std::string& page, std::string& error);

} // namespace vantor::report
