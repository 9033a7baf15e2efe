#include "audit/audit_text.h"

#include "base/text_util.h"

#include <algorithm>
#include <cctype>

namespace vantor {

AuditSummaryText auditSummaryText(const AuditReport& report) {
    AuditSummaryText t;
    t.count = countText(report.total(), "finding", "findings");
    for (AuditCheck check : auditChecks) {
        const AuditOutcome& o = report.outcomes[auditIndex(check)];
        if (!o.selected) {
            continue;
        }
        std::string& into = o.skipped ? t.skipped : t.byCheck;
        const char* separator = o.skipped ? "; " : ", ";
        into += (into.empty() ? "" : separator) + std::string(auditCheckName(check)) +
                (o.skipped ? " (" + o.reason + ")" : " " + std::to_string(o.count));
    }
    if (report.baseline) {
        const AuditBaseline& b = *report.baseline;
        t.fresh = std::to_string(b.fresh) + " new";
        t.sinceBaseline =
            "since the baseline " + b.path + " (" + std::to_string(b.known) + " known" +
            (b.renumbered > 0
                 ? ", " + std::to_string(b.renumbered) + " of them under another objective ID"
                 : std::string()) +
            "; new ones in bold)";
    }
    return t;
}

std::string findingRepairsText(const AuditFinding& f) {
    std::string text;
    for (const AuditSuggestion& s : f.suggestions) {
        text += (text.empty() ? "" : "; or ") + s.text;
    }
    if (!f.repairNote.empty()) {
        text = text.empty() ? f.repairNote : text + " (" + f.repairNote + ")";
    }
    return text;
}

AuditRow auditRow(const AuditReport& report, const AuditFinding& f,
                  const TheaterDefinition& theater) {
    AuditRow row;
    const auto put = [&row](AuditColumn c, std::int64_t value) {
        row.text[static_cast<std::size_t>(c)] = std::to_string(value);
        row.number[static_cast<std::size_t>(c)] = value;
    };
    row.text[0] = auditCheckName(f.check);
    row.number[0] = static_cast<std::int64_t>(auditIndex(f.check));
    put(AuditColumn::MapX, f.mapX);
    put(AuditColumn::MapY, f.mapY);
    put(AuditColumn::SectX, userSectX(theater, f.mapX));
    put(AuditColumn::SectY, userSectY(theater, f.mapY));
    put(AuditColumn::TileX, userTileX(theater, f.mapX));
    put(AuditColumn::TileY, userTileY(theater, f.mapY));
    if (f.objectId) {
        const auto object = static_cast<std::size_t>(AuditColumn::Object);
        row.text[object] = std::to_string(*f.objectId) + " " + f.objectName;
        row.number[object] = *f.objectId;
    }
    row.text[static_cast<std::size_t>(AuditColumn::Detail)] = f.detail;
    row.repairs = findingRepairsText(f);
    row.text[static_cast<std::size_t>(AuditColumn::Repair)] =
        f.suggestions.empty() ? row.repairs : f.suggestions.front().text;
    row.fresh = report.baseline.has_value() && !f.known;
    return row;
}

namespace {

bool containsFolded(std::string_view text, std::string_view wanted) {
    const auto fold = [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    return std::search(text.begin(), text.end(), wanted.begin(), wanted.end(),
                       [&](char a, char b) { return fold(a) == fold(b); }) != text.end();
}

} // namespace

int compareAuditRows(const AuditRow& a, const AuditRow& b, std::size_t column) {
    if (column >= auditColumnCount) {
        return 0;
    }
    if (a.number[column] && b.number[column]) {
        return *a.number[column] < *b.number[column] ? -1 : (*a.number[column] > *b.number[column]);
    }
    return a.text[column].compare(b.text[column]) < 0 ? -1 : (a.text[column] != b.text[column]);
}

bool auditRowShown(const AuditRow& row, const AuditFinding& finding, std::string_view search,
                   std::optional<std::size_t> check) {
    if (check && auditIndex(finding.check) != *check) {
        return false;
    }
    while (!search.empty() && std::isspace(static_cast<unsigned char>(search.front()))) {
        search.remove_prefix(1);
    }
    while (!search.empty() && std::isspace(static_cast<unsigned char>(search.back()))) {
        search.remove_suffix(1);
    }
    return search.empty() ||
           std::any_of(row.text.begin(), row.text.end(),
                       [search](const std::string& cell) { return containsFolded(cell, search); });
}

std::vector<AuditFilterEntry> auditFilterEntries(const AuditReport& report) {
    std::vector<AuditFilterEntry> entries;
    for (AuditCheck check : auditChecks) {
        const AuditOutcome& o = report.outcomes[auditIndex(check)];
        if (o.selected && !o.skipped && o.count > 0) {
            entries.push_back(
                {std::string(auditCheckName(check)) + " (" + std::to_string(o.count) + ")",
                 auditIndex(check)});
        }
    }
    return entries;
}

FindingExplanation explainFinding(const AuditFinding& f, int mendingCommand) {
    FindingExplanation e;
    e.detail = f.detail;
    for (const AuditSuggestion& s : f.suggestions) {
        e.suggestions.push_back(s.text);
    }
    if (!f.repairNote.empty()) {
        e.note = f.repairNote;
    } else if (f.suggestions.empty()) {
        e.note = "Nothing here is mended by a tile or a Parent.";
    }
    // A command mends the whole file at once: Apply runs it, and there is nothing more to apply.
    const bool runs = mendingCommand != 0;
    e.applyText = runs ? "Run Command..." : "Apply";
    e.applyEnabled = canApply(f) || runs;
    e.applyAllEnabled = canApply(f);
    return e;
}

} // namespace vantor
