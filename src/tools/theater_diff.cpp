#include "tools/theater_diff.h"

#include "base/text_util.h"

#include <map>
#include <utility>

namespace vantor {

namespace {

std::string n(std::size_t value) {
    return std::to_string(value);
}

std::string n(std::int32_t value) {
    return std::to_string(value);
}

std::string n(std::uint32_t value) {
    return std::to_string(value);
}

std::string signedText(std::int32_t value) {
    return (value > 0 ? "+" : "") + std::to_string(value);
}

} // namespace

std::string postsChangedText(const TerrainDiff& t) {
    return countText(static_cast<std::size_t>(t.postsChanged), "post", "posts") + " changed in " +
           countText(t.sections.size(), "section", "sections");
}

namespace {

void terrainLines(const TerrainDiff& t, std::string& text) {
    if (!t.sameSize) {
        text += "terrain      the size changed: " + n(t.widthBefore) + " x " + n(t.heightBefore) +
                " posts, now " + n(t.widthAfter) + " x " + n(t.heightAfter) +
                "; posts not compared\n";
        return;
    }
    text += "terrain      " + postsChangedText(t) + " (tile " + n(t.tilesChanged) + ", elevation " +
            n(t.elevationsChanged) + ", attributes " + n(t.attributesChanged) + ")";
    if (t.elevationsChanged > 0) {
        text += "; the largest elevation change " + signedText(t.largestElevationChange) +
                " ft at Map X " + n(t.largestAtX) + ", Map Y " + n(t.largestAtY);
    }
    if (t.layoutChanged) {
        text += std::string("; the record layout changed from ") +
                (t.layoutBefore == NineByteRecords ? "9" : "7") + " to " +
                (t.layoutAfter == NineByteRecords ? "9" : "7") + " bytes";
    }
    text += '\n';
    for (std::size_t i = 0; i < t.sections.size() && i < 8; ++i) {
        const SectionChange& s = t.sections[i];
        text += "  " + sectionText(s) + ": " + n(s.posts) +
                (s.posts == 1 ? " post, " : " posts, ") + sectionAreaText(s) + "\n";
    }
    if (t.sections.size() > 8) {
        text += "  and " + n(t.sections.size() - 8) + " sections more\n";
    }
}

std::string objectText(const DiffObject& o) {
    return std::to_string(o.id) + " " + o.name + " (class " + std::to_string(o.objectiveClass) +
           ", Map X " + std::to_string(o.x) + ", Map Y " + std::to_string(o.y) + ")";
}

std::string whatChanged(const ObjectChange& c) {
    std::string what;
    const auto add = [&](const std::string& s) { what += (what.empty() ? "" : "; ") + s; };
    if (c.moved) {
        add("moved");
    }
    if (c.reclassed) {
        add("re-classed");
    }
    for (std::size_t k = 0; k < c.fields.size(); ++k) {
        if (k < c.fieldValues.size()) {
            add(c.fields[k] + " \"" + c.fieldValues[k].first + "\" to \"" +
                c.fieldValues[k].second + "\"");
        } else {
            add(c.fields[k] + " changed");
        }
    }
    if (c.parentChanged) {
        add("Parent " + c.parentBefore + " to " + c.parentAfter);
    }
    if (!c.linksAdded.empty() || !c.linksRemoved.empty()) {
        add("links: " + std::to_string(c.linksAdded.size()) + " added, " +
            std::to_string(c.linksRemoved.size()) + " removed");
    }
    return what;
}

} // namespace

std::string sectionAreaText(const SectionChange& s) {
    const auto span = [](std::int32_t from, std::int32_t to) {
        return from == to ? std::to_string(from)
                          : std::to_string(from) + " to " + std::to_string(to);
    };
    return "Map X " + span(s.area.startX, s.area.endX) + ", Map Y " +
           span(s.area.startY, s.area.endY);
}

std::uint32_t objectChangeColour(std::string_view change) {
    return change == "added" ? 0x1eaa3c : change == "deleted" ? 0xd52828 : 0xf09600;
}

std::vector<ObjectChangeRow> objectChangeRows(const ExportDiff& d) {
    std::vector<ObjectChangeRow> rows;
    rows.reserve(d.deleted.size() + d.added.size() + d.changed.size());
    for (const std::size_t i : d.deleted) {
        rows.push_back({"deleted", objectText(d.before[i]), "", "", d.before[i].x, d.before[i].y});
    }
    for (const std::size_t j : d.added) {
        rows.push_back({"added", "", objectText(d.after[j]), "", d.after[j].x, d.after[j].y});
    }
    for (const ObjectChange& c : d.changed) {
        const DiffObject& after = d.after[c.after];
        rows.push_back({"changed", objectText(d.before[c.before]), objectText(after),
                        whatChanged(c), after.x, after.y});
    }
    return rows;
}

std::string postText(const TerrainPost& p) {
    std::string text = "tile " + n(p.tileId) + ", elevation " + n(p.elevation);
    if (p.attribute1 != 0 || p.attribute2 != 0 || p.attribute3 != 0) {
        text += ", attributes " + n(p.attribute1) + "." + n(p.attribute2) + "." + n(p.attribute3);
    }
    return text;
}

std::vector<PostChangeRow> postChangeRows(const TerrainDiff& t, std::size_t limit) {
    std::map<std::pair<std::int32_t, std::int32_t>, std::size_t> sectionAt; // (column, row)
    for (std::size_t i = 0; i < t.sections.size(); ++i) {
        sectionAt[{t.sections[i].sectionX, t.sections[i].sectionY}] = i;
    }
    std::vector<PostChangeRow> rows;
    for (std::size_t i = 0; i < t.posts.size() && i < limit; ++i) {
        const PostChange& p = t.posts[i];
        PostChangeRow row;
        row.x = p.x;
        row.y = p.y;
        const auto s = sectionAt.find({p.x / postsPerSectionSide, p.y / postsPerSectionSide});
        row.section = s == sectionAt.end() ? 0 : s->second;
        row.where = "Map X " + n(p.x) + ", Map Y " + n(p.y);
        row.before = postText(p.before);
        row.after = postText(p.after);
        const auto add = [&row](const char* what) {
            row.what += (row.what.empty() ? "" : ", ") + std::string(what);
        };
        if (p.before.tileId != p.after.tileId) {
            add("tile");
        }
        if (p.before.elevation != p.after.elevation) {
            add("elevation");
        }
        if (p.before.attribute1 != p.after.attribute1 ||
            p.before.attribute2 != p.after.attribute2 ||
            p.before.attribute3 != p.after.attribute3) {
            add("attributes");
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string diffDetails(const TheaterDiff& diff, std::size_t limit) {
    std::string text;
    if (diff.terrain && !diff.terrain->posts.empty()) {
        const TerrainDiff& t = *diff.terrain;
        text += "posts changed (before; after)\n";
        for (const PostChangeRow& r : postChangeRows(t, limit)) {
            text += "  " + r.where + " (" + sectionText(t.sections[r.section]) + "): " + r.before +
                    "; " + r.after + "\n";
        }
        if (t.postsChanged > limit) {
            text += "  and " + n(t.postsChanged - limit) + " more\n";
        }
    }
    if (diff.objectives) {
        const std::vector<ObjectChangeRow> rows = objectChangeRows(*diff.objectives);
        if (!rows.empty()) {
            text += "objectives changed\n";
        }
        for (std::size_t i = 0; i < rows.size() && i < limit; ++i) {
            const ObjectChangeRow& r = rows[i];
            text += "  " + r.change + " " + (r.change == "added" ? r.after : r.before);
            if (r.change == "changed" && r.after != r.before) {
                text += ", now " + r.after;
            }
            text += (r.what.empty() ? "" : ": " + r.what) + "\n";
        }
        if (rows.size() > limit) {
            text += "  and " + n(rows.size() - limit) + " more\n";
        }
    }
    return text;
}

std::string diffSummary(const TheaterDiff& diff) {
    std::string text;
    if (diff.terrain) {
        terrainLines(*diff.terrain, text);
    }
    if (diff.objectives) {
        const ExportDiff& d = *diff.objectives;
        text += "objectives   " + n(d.added.size()) + " added, " + n(d.deleted.size()) +
                " deleted, " + n(d.moved) + " moved, " + n(d.reclassed) + " re-classed, " +
                n(d.fieldsChanged) + " with other fields changed, " + n(d.parentsChanged) +
                " Parents and " + n(d.linksChanged) + " links changed; " + n(d.renumbered) +
                " renumbered, " + n(d.unchanged) + " unchanged\n";
    }
    text += diff.same() ? "the two are the same\n" : "the two differ\n";
    return text;
}

std::string comparisonTitle(const TheaterDiff& diff) {
    return diff.same() ? "Compare Versions: the Same" : "Compare Versions: Changes";
}

std::string comparisonVersionText(const std::string& terrain, const std::string& source) {
    std::string text = terrain;
    if (!source.empty()) {
        text += (text.empty() ? "" : ", ") + source;
    }
    return text.empty() ? "-" : text;
}

namespace {

void terrainRows(const TerrainDiff& t, std::size_t limit, std::vector<ComparisonRow>& rows) {
    ComparisonRow& group = rows.emplace_back();
    if (!t.sameSize) {
        group.text[0] = "Terrain: the size changed (" + n(t.widthBefore) + " x " +
                        n(t.heightBefore) + " posts, now " + n(t.widthAfter) + " x " +
                        n(t.heightAfter) + ")";
        return;
    }
    group.text[0] = "Terrain: " + postsChangedText(t);
    // Each changed post under its section; sections open where that stays readable. The posts
    // come row by row across the whole map, so a section's are gathered from all of them.
    const std::vector<PostChangeRow> posts = postChangeRows(t, limit);
    std::vector<std::vector<const PostChangeRow*>> postsOf(t.sections.size());
    for (const PostChangeRow& p : posts) {
        if (p.section < postsOf.size()) {
            postsOf[p.section].push_back(&p);
        }
    }
    for (std::size_t i = 0; i < t.sections.size(); ++i) {
        const SectionChange& s = t.sections[i];
        ComparisonRow& row = rows.emplace_back();
        row.depth = 1;
        row.text[0] = sectionText(s);
        row.text[3] = countText(static_cast<std::size_t>(s.posts), "post", "posts") + ", " +
                      sectionAreaText(s);
        row.colour = changedPostColour;
        row.post = std::pair{(s.area.startX + s.area.endX) / 2, (s.area.startY + s.area.endY) / 2};
        row.expanded = t.sections.size() <= 8;
        for (const PostChangeRow* p : postsOf[i]) {
            ComparisonRow& post = rows.emplace_back();
            post.depth = 2;
            post.text[0] = p->where;
            post.text[1] = p->before;
            post.text[2] = p->after;
            post.text[3] = p->what;
            post.post = std::pair{p->x, p->y};
        }
    }
    if (t.postsChanged > limit) {
        ComparisonRow& more = rows.emplace_back();
        more.depth = 1;
        more.text[0] =
            "and " + countText(static_cast<std::size_t>(t.postsChanged - limit), "post", "posts") +
            " more (Save JSON... has them all)";
    }
}

} // namespace

std::vector<ComparisonRow> comparisonRows(const TheaterDiff& diff, std::size_t limit) {
    std::vector<ComparisonRow> rows;
    if (diff.terrain) {
        terrainRows(*diff.terrain, limit, rows);
    }
    if (diff.objectives) {
        const ExportDiff& d = *diff.objectives;
        const std::vector<ObjectChangeRow> changes = objectChangeRows(d);
        rows.emplace_back().text[0] = "Objectives: " + n(changes.size()) + " changed, " +
                                      n(d.renumbered) + " renumbered, " + n(d.unchanged) +
                                      " unchanged";
        for (const ObjectChangeRow& r : changes) {
            ComparisonRow& row = rows.emplace_back();
            row.depth = 1;
            row.text[0] = r.change;
            row.text[1] = r.before;
            row.text[2] = r.after;
            row.text[3] = r.what;
            row.colour = objectChangeColour(r.change);
            row.post = std::pair{r.x, r.y};
        }
    }
    return rows;
}

} // namespace vantor
