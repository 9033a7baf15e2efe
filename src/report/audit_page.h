#pragma once

#include "audit/audit.h"
#include "map/map_render.h"
#include "terrain/theater.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vantor::report {

// The map picture the page shows under its markers, and where the posts lie on it.
struct AuditPageMap {
    std::string png;        // the PNG file's bytes; empty: the page shows no map
    std::int32_t width = 0; // pixels
    std::int32_t height = 0;
    double originX = 0;       // map coordinates at the picture's top-left corner
    double originY = 0;       // (Map Y grows upwards: rows go from top down to lower Map Y)
    double pixelsPerPost = 1; // may be below 1 for a large theater
};

// Encodes a picture as a PNG file's bytes; false with error when it cannot.
using PngEncoder = std::function<bool(const MapImage& image, std::string& png, std::string& error)>;

// The relief map of the whole theater for the page, drawn as the render command draws it: at
// most about 2048 pixels a side, with the section lines when a post takes 4 pixels or more.
bool drawAuditMap(const TerrainMatrix& matrix, const PngEncoder& encode, AuditPageMap& map,
                  std::string& error);

// One self-contained HTML page: no external file, script, style, font or network request.
// The page builds its header, summary, map markers and table from auditJson (the audit's
// --json output) in the browser. The post (x, y) covers the map square from (x, y) to
// (x+1, y+1); its marker sits at the square's centre.
std::string auditPage(const std::string& title, const std::string& auditJson,
                      const AuditPageMap& map);

// Base64 (RFC 4648, with padding) of bytes; used for the embedded picture.
std::string base64(std::string_view bytes);

// text appended to out with & < > " and ' written as HTML character references.
void appendEscapedHtml(std::string& out, std::string_view text);

// "Audit of THEATER and SOURCE", the page's title.
std::string auditTitle(const TheaterAudit& audit, const TheaterDefinition& theater);

// The audit's page from its JSON, titled by auditTitle, over the relief map of the whole
// terrain; false with error when the map cannot be encoded.
bool auditPageOf(const TheaterAudit& audit, const TheaterDefinition& theater,
                 const TerrainMatrix& matrix, const std::string& json, const PngEncoder& encode,
                 std::string& page, std::string& error);

} // namespace vantor::report
