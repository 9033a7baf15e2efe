#include "report/audit_page.h"

#include "audit/audit.h"
#include "page/audit.css.h"
#include "page/audit.js.h"
#include "page/audit_body_bottom.html.h"
#include "page/audit_body_top.html.h"
#include "page/audit_head.html.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace vantor::report {

namespace {

// How page/audit.js opens its scope; the styles of the checks go in right after it.
constexpr std::string_view scriptOpening = "'use strict';\n(() => {\n";
static_assert(vantor::embedded::auditJs.starts_with(scriptOpening));

// In valid JSON a '<' can only stand inside a string, where \u003c means the same. With no
// '<' left, nothing in the data can close the script element or open a comment in it.
void appendEmbeddedJson(std::string& out, std::string_view json) {
    for (const char c : json) {
        if (c == '<') {
            out += "\\u003c";
        } else {
            out += c;
        }
    }
}

void appendNumber(std::string& out, double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

void appendMap(std::string& out, const AuditPageMap& map) {
    if (map.png.empty()) {
        out += "<p>This audit has no map picture.</p>\n";
        return;
    }
    // Positions that are not numbers would put every marker nowhere; the defaults at least
    // keep the page working.
    const auto finite = [](double v, double fallback) { return std::isfinite(v) ? v : fallback; };
    const double perPost =
        map.pixelsPerPost > 0 && std::isfinite(map.pixelsPerPost) ? map.pixelsPerPost : 1.0;
    // Zoom and pan, down to single posts: the wheel or these buttons, and dragging.
    out +=
        "<div id=\"map-tools\"><button type=\"button\" id=\"zoom-in\" title=\"Zoom in\">+</button>"
        "<button type=\"button\" id=\"zoom-out\" title=\"Zoom out\">&minus;</button>"
        "<button type=\"button\" id=\"zoom-whole\">Whole map</button>"
        "<span id=\"zoom-note\"></span></div>\n";
    out += "<div id=\"map\" data-width=\"";
    out += std::to_string(map.width);
    out += "\" data-height=\"";
    out += std::to_string(map.height);
    out += "\" data-origin-x=\"";
    appendNumber(out, finite(map.originX, 0));
    out += "\" data-origin-y=\"";
    appendNumber(out, finite(map.originY, 0));
    out += "\" data-pixels-per-post=\"";
    appendNumber(out, perPost);
    out += "\">\n<div id=\"map-view\"><img id=\"map-picture\" alt=\"Map of the theater\"";
    // The size up front gives the picture its shape before it is decoded, so the markers'
    // layer starts at the right size.
    if (map.width > 0 && map.height > 0) {
        out += " width=\"" + std::to_string(map.width) + "\" height=\"" +
               std::to_string(map.height) + "\"";
    }
    out += " src=\"data:image/png;base64,";
    out += base64(map.png);
    out += "\"></div>\n<canvas id=\"markers\" aria-label=\"Findings on the map\"></canvas>\n"
           "<div id=\"selection-mark\" hidden></div>\n</div>\n";
}

} // namespace

void appendEscapedHtml(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
}

std::string base64(std::string_view bytes) {
    static constexpr char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t v = (static_cast<std::uint32_t>(byte(i)) << 16) |
                                (static_cast<std::uint32_t>(byte(i + 1)) << 8) | byte(i + 2);
        out += alphabet[(v >> 18) & 63];
        out += alphabet[(v >> 12) & 63];
        out += alphabet[(v >> 6) & 63];
        out += alphabet[v & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        std::uint32_t v = static_cast<std::uint32_t>(byte(i)) << 16;
        if (rest == 2) {
            v |= static_cast<std::uint32_t>(byte(i + 1)) << 8;
        }
        out += alphabet[(v >> 18) & 63];
        out += alphabet[(v >> 12) & 63];
        out += rest == 2 ? alphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string auditPage(const std::string& title, const std::string& auditJson,
                      const AuditPageMap& map) {
    using namespace vantor::embedded;
    std::string out;
    out.reserve(auditJson.size() + map.png.size() * 4 / 3 + 40000);
    // The head allows the page inline style and script and data: pictures, nothing else: a page
    // opened from a mail or a shared folder makes no request, whatever its data says.
    out += auditHeadHtml;
    out += "<title>";
    appendEscapedHtml(out, title);
    out += "</title>\n<style>\n";
    out += auditCss;
    out += "</style>\n</head>\n<body>\n<header>\n<h1 id=\"title\">";
    appendEscapedHtml(out, title);
    out += "</h1>\n";
    out += auditBodyTopHtml;
    appendMap(out, map);
    out += auditBodyBottomHtml;
    // Data, not code: the browser never runs it, the page's script reads it with JSON.parse.
    out += "<script type=\"application/json\" id=\"audit-data\">";
    appendEmbeddedJson(out, auditJson);
    out += "</script>\n";
    // The page's whole behaviour, with the styles of the checks ahead of it. Everything the
    // data says goes into the page as text nodes, never as markup, so a path or a name cannot
    // add elements.
    out += "<script>\n";
    out += scriptOpening;
    out += "const STYLES = [\n";
    for (const vantor::AuditCheck check : auditChecks) {
        const AuditCheckStyle style = auditCheckStyle(check);
        out += std::string("  ['") + auditCheckName(check) + "', '" + style.colour + "', '" +
               style.shape + "'],\n";
    }
    out += "];\n";
    out += auditJs.substr(scriptOpening.size());
    out += "</script>\n</body>\n</html>\n";
    return out;
}

bool drawAuditMap(const TerrainMatrix& matrix, const PngEncoder& encode, AuditPageMap& map,
                  std::string& error) {
    // A post to a pixel at least up to 4096 posts a side, so the page zooms to single posts.
    const MapWindow window =
        wholeMapWindow(matrix, std::clamp(std::max(matrix.width, matrix.height), 2048, 4096));
    MapImage image;
    renderTerrain(matrix, TileClassifier{}, MapMode::Relief, window, image); // no tile classes
    if (window.scale >= 4) {
        drawSectionGrid(window, image);
    }
    if (!encode(image, map.png, error)) {
        return false;
    }
    const MapTransform t = transformOf(window);
    map.width = image.width;
    map.height = image.height;
    map.originX = t.originX;
    map.originY = t.originY;
    map.pixelsPerPost = t.pixelsPerPost;
    return true;
}

std::string auditTitle(const TheaterAudit& audit, const TheaterDefinition& theater) {
    std::string title = "Audit of " + theater.sectionName;
    for (const AuditInput& input : audit.inputs) {
        if (input.role == "source") {
            const std::size_t slash = input.path.find_last_of("/\\");
            title += " and " + input.path.substr(slash == std::string::npos ? 0 : slash + 1);
        }
    }
    return title;
}

bool auditPageOf(const TheaterAudit& audit, const TheaterDefinition& theater,
                 const TerrainMatrix& matrix, const std::string& json, const PngEncoder& encode,
                 std::string& page, std::string& error) {
    AuditPageMap map;
    if (!drawAuditMap(matrix, encode, map, error)) {
        return false;
    }
    page = auditPage(auditTitle(audit, theater), json, map);
    return true;
}

} // namespace vantor::report
