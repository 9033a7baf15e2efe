#include "app/command_table.h"

#include "audit/audit.h"

namespace vantor {

namespace {

// Labels as read: "Check &City" is "Check City", "&&" an ampersand.
std::string withoutAccessKeys(const char* label) {
    std::string text;
    for (const char* c = label; *c != '\0'; ++c) {
        if (*c == '&' && c[1] != '\0') {
            ++c;
        }
        text += *c;
    }
    return text;
}

} // namespace

const CommandFacts* commandFacts(int id) {
    for (const CommandFacts& facts : commandtable::table) {
        if (facts.id == id) {
            return &facts;
        }
    }
    return nullptr;
}

const CommandFacts* mendingCommand(AuditMender mender) {
    if (mender == AuditMender::ByHand) {
        return nullptr;
    }
    for (const CommandFacts& facts : commandtable::table) {
        if (facts.mends == mender) {
            return &facts;
        }
    }
    return nullptr;
}

int findingCommand(const AuditFinding& finding) {
    if (finding.suggestions.empty() || finding.suggestions.front().tile ||
        finding.suggestions.front().parent) {
        return 0;
    }
    const AuditMender mender = auditCheckFacts(finding.check).mender;
    const CommandFacts* command = mendingCommand(mender);
    return command != nullptr && mender != AuditMender::Mend ? command->id : 0;
}

std::string menuPathText(const CommandFacts& facts) {
    if (facts.menu.menu == nullptr) {
        return {};
    }
    std::string path;
    for (const char* c = facts.menu.menu; *c != '\0'; ++c) {
        path += *c == '/' ? std::string(" > ") : std::string(1, *c);
    }
    return path + " > " + withoutAccessKeys(facts.menu.label);
}

} // namespace vantor
