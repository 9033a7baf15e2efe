#include "tools/export_diff.h"

#include "analysis/radar_rewrite.h"
#include "base/text_util.h"
#include "objectives/export_format.h"

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>
#include <unordered_map>

namespace vantor {

namespace {

// The columns that are compared apart from the others: the identifiers, the post, the class,
// the Parent and the links.
bool comparedApart(std::size_t field) {
    return field == static_cast<std::size_t>(IdField) ||
           field == static_cast<std::size_t>(XidField) ||
           field == static_cast<std::size_t>(XField) || field == static_cast<std::size_t>(YField) ||
           field == static_cast<std::size_t>(ObjectiveField) ||
           field == static_cast<std::size_t>(ParentField) ||
           field == static_cast<std::size_t>(LCountField);
}

// The fields of a line up to its links (Features is the last of them), blanks trimmed.
constexpr std::size_t fieldsBeforeLinks = static_cast<std::size_t>(LCountField) + 2;

std::vector<std::string> columnNamesOf(const std::vector<std::string_view>& lines) {
    std::vector<std::string> names;
    if (lines.size() > 1) {
        std::string_view columns = lines[1];
        std::size_t at = 0;
        while (at <= columns.size()) {
            const std::size_t comma = std::min(columns.find(',', at), columns.size());
            names.push_back(trimBlanks(columns.substr(at, comma - at)));
            at = comma + 1;
        }
    }
    return names;
}

using PostKey = std::tuple<std::int32_t, std::int32_t, std::int32_t>;

struct Matcher {
    const std::vector<DiffObject>& before;
    const std::vector<DiffObject>& after;
    std::vector<std::optional<std::size_t>> toAfter;  // by before position
    std::vector<std::optional<std::size_t>> toBefore; // by after position

    Matcher(const std::vector<DiffObject>& a, const std::vector<DiffObject>& b)
        : before(a), after(b), toAfter(a.size()), toBefore(b.size()) {}

    void pair(std::size_t i, std::size_t j) {
        toAfter[i] = j;
        toBefore[j] = i;
    }

    template <typename Key, typename KeyOf, typename Agree> void byKey(KeyOf keyOf, Agree agree) {
        std::map<Key, std::vector<std::size_t>> open;
        for (std::size_t j = 0; j < after.size(); ++j) {
            if (!toBefore[j]) {
                if (const std::optional<Key> key = keyOf(after[j])) {
                    open[*key].push_back(j);
                }
            }
        }
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (toAfter[i]) {
                continue;
            }
            const std::optional<Key> key = keyOf(before[i]);
            if (!key) {
                continue;
            }
            const auto it = open.find(*key);
            if (it == open.end()) {
                continue;
            }
            for (std::size_t& j : it->second) {
                if (j != SIZE_MAX && agree(before[i], after[j])) {
                    pair(i, j);
                    j = SIZE_MAX;
                    break;
                }
            }
        }
    }
};

// Names that a file gives to one objective only (never "0", which the checks give all theirs).
std::unordered_map<std::string, std::size_t> nameCounts(const std::vector<DiffObject>& objects) {
    std::unordered_map<std::string, std::size_t> counts;
    for (const DiffObject& o : objects) {
        ++counts[o.name];
    }
    return counts;
}

// An objective named by a Parent or a link, as the change says it.
std::string named(const std::vector<DiffObject>& objects,
                  const std::unordered_map<std::int32_t, std::size_t>& byId, std::int32_t id) {
    if (id == 0) {
        return "0";
    }
    const auto it = byId.find(id);
    if (it == byId.end()) {
        return std::to_string(id) + " (no objective)";
    }
    return std::to_string(id) + " " + objects[it->second].name;
}

std::unordered_map<std::int32_t, std::size_t> idIndex(const std::vector<DiffObject>& objects) {
    std::unordered_map<std::int32_t, std::size_t> byId;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        byId.try_emplace(objects[i].id, i);
    }
    return byId;
}

} // namespace

std::vector<DiffObject> diffObjectsOf(const std::vector<std::string_view>& lines) {
    std::vector<DiffObject> objects;
    for (std::size_t n = 2; n < lines.size(); ++n) {
        const std::string_view line = lines[n];
        if (!fieldAfterCommas(IdField + 1, line)) {
            continue;
        }
        DiffObject o;
        o.line = n;
        o.id = readIntField(IdField, line);
        o.name = trimBlanks(fieldText(NameField, line));
        o.objectiveClass = readIntField(ObjectiveField, line);
        o.x = readIntField(XField, line);
        o.y = readIntField(YField, line);
        o.parent = readIntField(ParentField, line);
        forEachLinkTarget(line,
                          [&](std::int32_t, std::int32_t target) { o.links.push_back(target); });
        std::size_t at = 0;
        for (std::size_t k = 0; k < fieldsBeforeLinks && at <= line.size(); ++k) {
            const std::size_t comma = std::min(line.find(',', at), line.size());
            o.fields.push_back(trimBlanks(line.substr(at, comma - at)));
            at = comma + 1;
        }
        for (const std::string& value : storedRadarValues(line)) {
            o.radar += (o.radar.empty() ? "" : ", ") + value;
        }
        objects.push_back(std::move(o));
    }
    return objects;
}

ExportDiff diffExports(const std::vector<std::string_view>& beforeLines,
                       const std::vector<std::string_view>& afterLines) {
    ExportDiff d;
    d.before = diffObjectsOf(beforeLines);
    d.after = diffObjectsOf(afterLines);
    std::vector<std::string> names = columnNamesOf(afterLines);
    if (names.size() < fieldsBeforeLinks) {
        names = columnNamesOf({exportTitle, exportColumnLine});
    }
    Matcher m(d.before, d.after);
    // The same objective under its own ID: it agrees on the name, or on post and class.
    m.byKey<std::int32_t>([](const DiffObject& o) { return std::optional<std::int32_t>(o.id); },
                          [](const DiffObject& a, const DiffObject& b) {
                              return a.name == b.name || (a.x == b.x && a.y == b.y &&
                                                          a.objectiveClass == b.objectiveClass);
                          });
    // Renumbered: by post and class, then by a name given once in each file.
    m.byKey<PostKey>(
        [](const DiffObject& o) {
            return std::optional<PostKey>(PostKey{o.x, o.y, o.objectiveClass});
        },
        [](const DiffObject&, const DiffObject&) { return true; });
    const auto namesBefore = nameCounts(d.before);
    const auto namesAfter = nameCounts(d.after);
    m.byKey<std::string>(
        [&](const DiffObject& o) -> std::optional<std::string> {
            const auto a = namesBefore.find(o.name);
            const auto b = namesAfter.find(o.name);
            if (o.name.empty() || o.name == "0" || a == namesBefore.end() || a->second != 1 ||
                b == namesAfter.end() || b->second != 1) {
                return std::nullopt;
            }
            return o.name;
        },
        [](const DiffObject&, const DiffObject&) { return true; });

    const auto byIdBefore = idIndex(d.before);
    const auto byIdAfter = idIndex(d.after);
    // The objective of the later version that a Parent or link of the earlier one names.
    const auto followed = [&](std::int32_t id) -> std::optional<std::size_t> {
        const auto it = byIdBefore.find(id);
        if (id == 0 || it == byIdBefore.end()) {
            return std::nullopt;
        }
        return m.toAfter[it->second];
    };
    const auto sameTarget = [&](std::int32_t old, std::int32_t now) {
        const auto it = byIdAfter.find(now);
        const std::optional<std::size_t> target =
            now == 0 || it == byIdAfter.end() ? std::nullopt : std::optional(it->second);
        if (!target && (old == 0 || !byIdBefore.contains(old))) {
            return old == now; // neither names an objective: the numbers tell
        }
        return target.has_value() && followed(old) == target;
    };

    for (std::size_t i = 0; i < d.before.size(); ++i) {
        if (!m.toAfter[i]) {
            d.deleted.push_back(i);
        }
    }
    for (std::size_t j = 0; j < d.after.size(); ++j) {
        if (!m.toBefore[j]) {
            d.added.push_back(j);
            continue;
        }
        const std::size_t i = *m.toBefore[j];
        const DiffObject& a = d.before[i];
        const DiffObject& b = d.after[j];
        ObjectChange c;
        c.before = i;
        c.after = j;
        c.renumbered = a.id != b.id;
        c.moved = a.x != b.x || a.y != b.y;
        c.reclassed = a.objectiveClass != b.objectiveClass;
        for (std::size_t k = 0; k < std::max(a.fields.size(), b.fields.size()); ++k) {
            const std::string none;
            const std::string& fa = k < a.fields.size() ? a.fields[k] : none;
            const std::string& fb = k < b.fields.size() ? b.fields[k] : none;
            if (!comparedApart(k) && fa != fb) {
                c.fields.push_back(k < names.size() ? names[k] : "field " + std::to_string(k + 1));
                c.fieldValues.emplace_back(fa, fb);
            }
        }
        if (a.radar != b.radar) {
            c.fields.emplace_back("Radar");
            c.fieldValues.emplace_back(a.radar, b.radar);
        }
        if (!sameTarget(a.parent, b.parent)) {
            c.parentChanged = true;
            c.parentBefore = named(d.before, byIdBefore, a.parent);
            c.parentAfter = named(d.after, byIdAfter, b.parent);
        }
        // Links as the objectives they name, each as often as it is named.
        std::vector<std::int32_t> kept(b.links);
        for (const std::int32_t old : a.links) {
            const auto it = std::find_if(kept.begin(), kept.end(),
                                         [&](std::int32_t now) { return sameTarget(old, now); });
            if (it == kept.end()) {
                c.linksRemoved.push_back(named(d.before, byIdBefore, old));
            } else {
                kept.erase(it);
            }
        }
        for (const std::int32_t now : kept) {
            c.linksAdded.push_back(named(d.after, byIdAfter, now));
        }
        d.renumbered += c.renumbered ? 1 : 0;
        const bool differs = c.moved || c.reclassed || !c.fields.empty() || c.parentChanged ||
                             !c.linksAdded.empty() || !c.linksRemoved.empty();
        if (!differs) {
            ++d.unchanged; // renumbered alone is no change of the objective
            continue;
        }
        d.moved += c.moved ? 1 : 0;
        d.reclassed += c.reclassed ? 1 : 0;
        d.fieldsChanged += c.fields.empty() ? 0U : 1U;
        d.parentsChanged += c.parentChanged ? 1 : 0;
        d.linksChanged += c.linksAdded.empty() && c.linksRemoved.empty() ? 0U : 1U;
        d.changed.push_back(std::move(c));
    }
    return d;
}

} // namespace vantor
