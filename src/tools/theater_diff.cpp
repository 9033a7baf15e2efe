#include "tools/theater_diff.h"

namespace vantor {

namespace {

std::string n(std::size_t value) {
    return std::to_string(value);
}

std::string n(std::int32_t value) {
    return std::to_string(value);
}

std::string signedText(std::int32_t value) {
    return (value > 0 ? "+" : "") + std::to_string(value);
}

void terrainLines(const TerrainDiff& t, std::string& text) {
    if (!t.sameSize) {
        text += "terrain      the size changed: " + n(t.widthBefore) + " x " + n(t.heightBefore) +
                " posts, now " + n(t.widthAfter) + " x " + n(t.heightAfter) +
                "; posts not compared\n";
        return;
    }
    text += "terrain      " + n(t.postsChanged) + " posts changed in " + n(t.sections.size()) +
            " sections (tile " + n(t.tilesChanged) + ", elevation " + n(t.elevationsChanged) +
            ", attributes " + n(t.attributesChanged) + ")";
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
        text += "  section " + n(s.sectionX) + "," + n(s.sectionY) + ": " + n(s.posts) +
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
    if (!c.fields.empty()) {
        std::string names;
        for (const std::string& f : c.fields) {
            names += (names.empty() ? "" : ", ") + f;
        }
        add(names + " changed");
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

} // namespace vantor
