#pragma once

#include "audit/audit.h"
#include "terrain/post_records.h"
#include "terrain/theater.h"

#include <string>

namespace vantor::report {

// The audit as a SARIF 2.1.0 log, for code-scanning tools: a rule per check, and a result per
// finding with its level, its message, where it is (an objective's finding at its line of the
// export; a post's finding at the post's record in the terrain file, its map coordinates and
// section with it), the finding's key as its fingerprint (so that tools follow it from commit to
// commit), whether a baseline holds it, and its tile repairs as fixes of the terrain file's
// bytes. `records` tells where the posts' records are; without it posts have no byte range.
std::string auditSarif(const TheaterAudit& audit, const TheaterDefinition& theater,
                       const PostRecords* records, const std::string& toolName);

} // namespace vantor::report
