#pragma once

#include "audit/audit.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

struct ApplicationState;

// A file the audit read, as its reports name it.
struct AuditInput {
    std::string role; // "terrain", "offsets", "source", "script" or "list"
    std::string path;
    std::uint64_t size = 0;
};

struct TheaterAudit {
    AuditReport report;
    std::vector<AuditInput> inputs;
    std::string error; // the source could not be read: nothing was audited
};

// The audit of the open terrain and (when sourcePath is not empty) an objective export: reads
// the scripts and lists of the start folder that the selected checks need, each once, and runs
// the checks read-only. A script or list that cannot be read skips its checks with the reason.
TheaterAudit auditTheater(const ApplicationState& state, const std::string& sourcePath,
                          const std::array<bool, auditCheckCount>& selected,
                          const AuditProgress& progress = {});

} // namespace vantor
