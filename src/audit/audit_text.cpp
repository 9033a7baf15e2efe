#include "audit/audit_text.h"

#include "base/text_util.h"

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

} // namespace vantor
