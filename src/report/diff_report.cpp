#include "report/diff_report.h"

#include "app/version.h"
#include "page/diff.css.h"
#include "page/diff_head.html.h"
#include "page/diff_map.js.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace vantor::report {

using Json = nlohmann::ordered_json;

namespace {

int layoutBytes(RecordFormat format) {
    return format == NineByteRecords ? 9 : 7;
}

Json postJson(const TerrainPost& p) {
    return {{"tile", p.tileId},
            {"elevation", p.elevation},
            {"attributes", {p.attribute1, p.attribute2, p.attribute3}}};
}

Json objectJson(const DiffObject& o) {
    return {{"line", o.line + 1},        {"id", o.id},  {"name", o.name},
            {"class", o.objectiveClass}, {"mapX", o.x}, {"mapY", o.y}};
}

Json terrainJson(const TerrainDiff& t) {
    Json sections = Json::array();
    for (const SectionChange& s : t.sections) {
        sections.push_back({{"sectX", s.sectX},
                            {"sectY", s.sectY},
                            {"sectionX", s.sectionX},
                            {"sectionY", s.sectionY},
                            {"posts", s.posts},
                            {"area",
                             {{"startX", s.area.startX},
                              {"startY", s.area.startY},
                              {"endX", s.area.endX},
                              {"endY", s.area.endY}}}});
    }
    Json posts = Json::array();
    for (const PostChange& p : t.posts) {
        posts.push_back({{"mapX", p.x},
                         {"mapY", p.y},
                         {"before", postJson(p.before)},
                         {"after", postJson(p.after)}});
    }
    Json out = {{"same", t.same()},
                {"before",
                 {{"width", t.widthBefore},
                  {"height", t.heightBefore},
                  {"recordBytes", layoutBytes(t.layoutBefore)}}},
                {"after",
                 {{"width", t.widthAfter},
                  {"height", t.heightAfter},
                  {"recordBytes", layoutBytes(t.layoutAfter)}}},
                {"sizeChanged", !t.sameSize},
                {"layoutChanged", t.layoutChanged},
                {"postsChanged", t.postsChanged},
                {"tilesChanged", t.tilesChanged},
                {"elevationsChanged", t.elevationsChanged},
                {"attributesChanged", t.attributesChanged}};
    if (t.postsChanged > 0) {
        out["largestElevationChange"] = {
            {"by", t.largestElevationChange}, {"mapX", t.largestAtX}, {"mapY", t.largestAtY}};
    }
    out["sections"] = std::move(sections);
    out["posts"] = std::move(posts);
    out["postsCut"] = t.postsCut;
    return out;
}

Json objectivesJson(const ExportDiff& d) {
    Json added = Json::array();
    for (const std::size_t j : d.added) {
        added.push_back(objectJson(d.after[j]));
    }
    Json deleted = Json::array();
    for (const std::size_t i : d.deleted) {
        deleted.push_back(objectJson(d.before[i]));
    }
    Json changed = Json::array();
    for (const ObjectChange& c : d.changed) {
        Json one = {{"before", objectJson(d.before[c.before])},
                    {"after", objectJson(d.after[c.after])},
                    {"renumbered", c.renumbered},
                    {"moved", c.moved},
                    {"reclassed", c.reclassed},
                    {"fields", c.fields}};
        Json values = Json::array();
        for (std::size_t k = 0; k < c.fields.size() && k < c.fieldValues.size(); ++k) {
            values.push_back({{"field", c.fields[k]},
                              {"before", c.fieldValues[k].first},
                              {"after", c.fieldValues[k].second}});
        }
        one["fieldValues"] = std::move(values);
        if (c.parentChanged) {
            one["parent"] = {{"before", c.parentBefore}, {"after", c.parentAfter}};
        }
        if (!c.linksAdded.empty() || !c.linksRemoved.empty()) {
            one["links"] = {{"added", c.linksAdded}, {"removed", c.linksRemoved}};
        }
        changed.push_back(std::move(one));
    }
    return {{"same", d.same()},
            {"counts",
             {{"before", d.before.size()},
              {"after", d.after.size()},
              {"added", d.added.size()},
              {"deleted", d.deleted.size()},
              {"changed", d.changed.size()},
              {"unchanged", d.unchanged},
              {"renumbered", d.renumbered},
              {"moved", d.moved},
              {"reclassed", d.reclassed},
              {"fieldsChanged", d.fieldsChanged},
              {"parentsChanged", d.parentsChanged},
              {"linksChanged", d.linksChanged}}},
            {"added", std::move(added)},
            {"deleted", std::move(deleted)},
            {"changed", std::move(changed)}};
}

// A map of one version with the changes marked on it.
struct Marks {
    std::vector<std::pair<std::int32_t, std::int32_t>> posts;
    std::vector<std::pair<std::int32_t, std::int32_t>> added, deleted, changed;
};

Argb opaque(std::uint32_t rgb) {
    return 0xff000000u | rgb;
}

// "#rrggbb"
std::string cssColour(std::uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(rgb & 0xffffffu));
    return text;
}

void mark(MapImage& image, const MapTransform& t, std::int32_t x, std::int32_t y, Argb colour,
          int radius, bool outlined = true) {
    const auto cx = static_cast<std::int32_t>(std::floor(t.screenX(x + 0.5)));
    const auto cy = static_cast<std::int32_t>(std::floor(t.screenY(y + 0.5)));
    for (std::int32_t dy = -radius; dy <= radius; ++dy) {
        for (std::int32_t dx = -radius; dx <= radius; ++dx) {
            const std::int32_t px = cx + dx;
            const std::int32_t py = cy + dy;
            if (px < 0 || py < 0 || px >= image.width || py >= image.height) {
                continue;
            }
            const bool edge = std::abs(dx) == radius || std::abs(dy) == radius;
            image.at(px, py) = outlined && edge && radius > 0 ? argb(0, 0, 0) : colour;
        }
    }
}

// One picture of a version: its relief or its tile classes (where a tile change shows), with
// the changes marked.
bool pictureOf(const TerrainMatrix& m, const Marks& marks, MapMode mode,
               const TileClassifier& classes, const PngEncoder& encode, std::string& out,
               std::string& error) {
    const MapWindow window = wholeMapWindow(m, 1024);
    MapImage image;
    renderTerrain(m, classes, mode, window, image);
    if (window.scale >= 4) {
        drawSectionGrid(window, image);
    }
    const MapTransform t = transformOf(window);
    // A changed post filled with magenta, whole; where posts are drawn smaller than the mark,
    // an outlined mark of five pixels, so that a single post stands out on a whole theater.
    const bool small = window.scale < 5;
    const int postRadius = small ? 2 : window.scale / 2;
    for (const auto& [x, y] : marks.posts) {
        mark(image, t, x, y, opaque(changedPostColour), postRadius, small);
    }
    for (const auto& [list, change] :
         {std::pair{&marks.deleted, "deleted"}, std::pair{&marks.changed, "changed"},
          std::pair{&marks.added, "added"}}) {
        for (const auto& [x, y] : *list) {
            if (m.contains(x, y)) {
                mark(image, t, x, y, opaque(objectChangeColour(change)), 3);
            }
        }
    }
    std::string png;
    if (!encode(image, png, error)) {
        return false;
    }
    out += std::string("<img class=\"") + (mode == MapMode::Relief ? "relief" : "tiles") +
           "\" alt=\"map\" width=\"" + std::to_string(image.width) + "\" height=\"" +
           std::to_string(image.height) + "\" src=\"data:image/png;base64," + base64(png) + "\">";
    return true;
}

// A version's map in its figure: both pictures in one view that zooms and pans.
bool mapOf(const TerrainMatrix& m, const Marks& marks, const TileClassifier& classes,
           const PngEncoder& encode, std::string& out, std::string& error) {
    out += "<figure><div class=\"map\"><div class=\"view\">";
    for (MapMode mode : {MapMode::Relief, MapMode::Tiles}) {
        if (!pictureOf(m, marks, mode, classes, encode, out, error)) {
            return false;
        }
    }
    out += "</div></div><figcaption>";
    return true;
}

void row(std::string& out, std::initializer_list<std::string> cells) {
    out += "<tr>";
    for (const std::string& c : cells) {
        out += "<td>";
        appendEscapedHtml(out, c);
        out += "</td>";
    }
    out += "</tr>\n";
}

} // namespace

std::string diffJson(const TheaterDiff& diff, const std::string& toolName) {
    Json doc;
    doc["format"] = "vantor-diff";
    doc["formatVersion"] = 1;
    doc["tool"] = {{"name", toolName}, {"version", vantorVersion()}};
    doc["same"] = diff.same();
    doc["before"] = {{"terrain", diff.beforeTerrain}, {"source", diff.beforeSource}};
    doc["after"] = {{"terrain", diff.afterTerrain}, {"source", diff.afterSource}};
    if (diff.terrain) {
        doc["terrain"] = terrainJson(*diff.terrain);
    }
    if (diff.objectives) {
        doc["objectives"] = objectivesJson(*diff.objectives);
    }
    return doc.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

bool diffPage(const TheaterDiff& diff, const TerrainMatrix& before, const TileClassifier& classes,
              const PngEncoder& encode, std::string& page, std::string& error) {
    using namespace vantor::embedded;
    page = diffHeadHtml;
    page += "<style>";
    page += diffCss;
    page += "</style></head><body>\n<h1>Changes of the theater</h1>\n";
    page += "<p>Before: ";
    appendEscapedHtml(page, diff.beforeTerrain +
                                (diff.beforeSource.empty() ? "" : ", " + diff.beforeSource));
    page += "<br>After: ";
    appendEscapedHtml(page, diff.afterTerrain +
                                (diff.afterSource.empty() ? "" : ", " + diff.afterSource));
    page += "</p>\n<p class=\"key\">";
    for (const auto& [colour, label] : {std::pair{changedPostColour, "posts changed"},
                                        std::pair{objectChangeColour("added"), "objectives added"},
                                        std::pair{objectChangeColour("deleted"), "deleted"},
                                        std::pair{objectChangeColour("changed"), "changed"}}) {
        page += "<span style=\"background:" + cssColour(colour) + "\"></span>" + label;
    }
    page += "</p>\n";
    Marks beforeMarks;
    Marks afterMarks;
    if (diff.terrain) {
        for (const PostChange& p : diff.terrain->posts) {
            beforeMarks.posts.emplace_back(p.x, p.y);
        }
        afterMarks.posts = beforeMarks.posts;
    }
    if (diff.objectives) {
        const ExportDiff& d = *diff.objectives;
        for (const std::size_t i : d.deleted) {
            beforeMarks.deleted.emplace_back(d.before[i].x, d.before[i].y);
        }
        for (const std::size_t j : d.added) {
            afterMarks.added.emplace_back(d.after[j].x, d.after[j].y);
        }
        for (const ObjectChange& c : d.changed) {
            beforeMarks.changed.emplace_back(d.before[c.before].x, d.before[c.before].y);
            afterMarks.changed.emplace_back(d.after[c.after].x, d.after[c.after].y);
        }
    }
    if (!before.empty()) {
        page += "<div id=\"map-tools\"><button type=\"button\" id=\"zoom-in\" title=\"Zoom in\">+"
                "</button> <button type=\"button\" id=\"zoom-out\" title=\"Zoom out\">&minus;"
                "</button> <button type=\"button\" id=\"whole\">Whole map</button> "
                "<span id=\"zoom-note\"></span> &nbsp; <label><input type=\"radio\" "
                "name=\"picture\" value=\"relief\" checked> Relief</label> <label><input "
                "type=\"radio\" name=\"picture\" value=\"tiles\"> Tile classes (tile changes "
                "show)</label></div>\n";
        if (!mapOf(before, beforeMarks, classes, encode, page, error)) {
            return false;
        }
        page += "Before</figcaption></figure>";
        const TerrainMatrix& after = diff.terrain ? diff.after : before;
        if (!mapOf(after, afterMarks, classes, encode, page, error)) {
            return false;
        }
        page += "After</figcaption></figure>\n";
        // Both versions keep one view, zoomed about the cursor by the wheel and the buttons,
        // panned by dragging; the relief or the tile classes shown.
        page += "<script>\n";
        page += diffMapJs;
        page += "</script>\n";
    }
    if (diff.terrain) {
        const TerrainDiff& t = *diff.terrain;
        page += "<h2>Terrain</h2>\n<p>";
        appendEscapedHtml(page, !t.sameSize ? "The size changed: the posts are not compared."
                                            : postsChangedText(t) + ".");
        page += "</p>\n<table><tr><th>Sect X</th><th>Sect Y</th><th>Posts</th>"
                "<th>Area</th></tr>\n";
        for (const SectionChange& s : t.sections) {
            row(page, {std::to_string(s.sectX), std::to_string(s.sectY), std::to_string(s.posts),
                       sectionAreaText(s)});
        }
        page += "</table>\n";
        if (!t.posts.empty()) {
            constexpr std::size_t shown = 1000;
            page += "<table><tr><th>Post</th><th>Section</th><th>Before</th><th>After</th>"
                    "<th>What</th></tr>\n";
            for (const PostChangeRow& r : postChangeRows(t, shown)) {
                row(page, {r.where, sectionText(t.sections[r.section]), r.before, r.after, r.what});
            }
            page += "</table>\n";
            if (t.postsChanged > shown) {
                page += "<p>And " + std::to_string(t.postsChanged - shown) +
                        " posts more; the JSON has them all.</p>\n";
            }
        }
    }
    if (diff.objectives) {
        const ExportDiff& d = *diff.objectives;
        page += "<h2>Objectives</h2>\n<table><tr><th>Change</th><th>Before</th><th>After</th>"
                "<th>What</th></tr>\n";
        for (const ObjectChangeRow& r : objectChangeRows(d)) {
            row(page, {r.change, r.before, r.after, r.what});
        }
        page += "</table>\n";
    }
    page += "</body></html>\n";
    return true;
}

} // namespace vantor::report
