#pragma once

#include "audit/audit.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

struct ApplicationState;
struct Platform;

// The audit of the open terrain and (when sourcePath is not empty) an objective export: reads
// the scripts and lists of the start folder that the selected checks need, each once, and runs
// the checks read-only. A script or list that cannot be read skips its checks with the reason.
TheaterAudit auditTheater(const ApplicationState& state, const std::string& sourcePath,
                          const AuditSelection& selected, const AuditProgress& progress = {},
                          bool suggestRepairs = true);

// auditTheater with the progress window, a step per check; its close box stops the audit before
// the next check (report.stopped: the checks after it never ran).
TheaterAudit auditWithProgress(ApplicationState& state, const Platform& platform,
                               const std::string& sourcePath, const AuditSelection& selected,
                               bool suggestRepairs = true);

// Actions > "Audit Theater..." (10241): every check on the open terrain and the list's source
// (when the list shows an objective export; else the export the user picks, or none), with a
// progress window that can stop it; the result is kept in the state and shown beside the map.
bool auditTheaterCommand(ApplicationState& state, const Platform& platform);

// The audit run again, every check, on the terrain as it is now and the same source (or none),
// shown as the menu command shows it; false when it could not run.
bool auditAgain(ApplicationState& state, const Platform& platform, const std::string& sourcePath);

// The export the last audit read, or empty.
std::string lastAuditSource(const ApplicationState& state);

// A terrain opened anew or levelled leaves the last audit behind: its findings are dropped, and
// the panel that shows them is told (showAudit with no audit done).
void forgetAudit(ApplicationState& state, const Platform& platform);

// Writes one of an audit's reports (its page or its JSON) aside and renames it over path; never
// over a file the audit read, whenever it is written. False with the reason in error.
bool writeAuditFile(const TheaterAudit& audit, const std::string& path, std::string_view bytes,
                    std::string& error);

} // namespace vantor
