#pragma once

#include "audit/audit.h"
#include "terrain/theater.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantor::report {

// The audit as the JSON document of docs/audit.schema.json: the tool, the theater, the files
// read with their sizes, the summary (counts of the checks that ran, the skipped ones with
// their reasons) and every finding with its place as users see it. Text that is no valid UTF-8
// (names in an export's own code page) is written with replacement characters.
std::string auditJson(const TheaterAudit& audit, const TheaterDefinition& theater,
                      const std::string& toolName);

// The findings (keys and objective names) of an audit's JSON, for an audit compared with it;
// false with the reason when the text is no audit document or its findings carry no keys.
bool baselineFindings(std::string_view json, std::vector<BaselineFinding>& findings,
                      std::string& error);

// The same, read from the file at this path.
bool readBaseline(const std::string& path, std::vector<BaselineFinding>& findings,
                  std::string& error);

} // namespace vantor::report
