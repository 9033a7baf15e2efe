#include "report/audit_json.h"

#include "app/version.h"
#include "base/file_lookup.h"
#include "base/text_file.h"

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>

namespace vantor::report {

using Json = nlohmann::ordered_json;

namespace {

// A setting as it was typed (0.01, not the 0.009999999776 its float holds).
double decimalOf(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", static_cast<double>(value));
    return std::strtod(text, nullptr);
}

} // namespace

std::string auditJson(const TheaterAudit& audit, const TheaterDefinition& theater,
                      const std::string& toolName) {
    Json doc;
    doc["format"] = "vantor-audit";
    doc["formatVersion"] = 1;
    doc["tool"] = {{"name", toolName}, {"version", vantorVersion()}};
    doc["theater"] = {{"name", theater.sectionName},
                      {"mapWidth", theater.xMapExtent},
                      {"mapHeight", theater.yMapExtent},
                      {"sectionsX", theater.xSections},
                      {"sectionsY", theater.ySections}};
    Json inputs = Json::array();
    for (const AuditInput& input : audit.inputs) {
        inputs.push_back({{"role", input.role}, {"path", input.path}, {"size", input.size}});
    }
    doc["inputs"] = std::move(inputs);

    Json counts = Json::object();
    Json skipped = Json::array();
    for (AuditCheck check : auditChecks) {
        const AuditOutcome& outcome = audit.report.outcomes[auditIndex(check)];
        if (!outcome.selected) {
            continue;
        }
        if (outcome.skipped) {
            skipped.push_back({{"check", auditCheckName(check)}, {"reason", outcome.reason}});
        } else {
            counts[auditCheckName(check)] = outcome.count;
        }
    }
    doc["summary"] = {{"total", audit.report.total()},
                      {"counts", std::move(counts)},
                      {"skipped", std::move(skipped)}};
    if (const std::optional<AuditBaseline>& b = audit.report.baseline) {
        Json fresh = Json::object();
        for (AuditCheck check : auditChecks) {
            const AuditOutcome& outcome = audit.report.outcomes[auditIndex(check)];
            if (outcome.selected && !outcome.skipped) {
                std::size_t n = 0;
                for (const AuditFinding& f : audit.report.findings) {
                    n += f.check == check && !f.known ? 1 : 0;
                }
                fresh[auditCheckName(check)] = n;
            }
        }
        doc["summary"]["baseline"] = {{"path", b->path},
                                      {"known", b->known},
                                      {"renumbered", b->renumbered},
                                      {"new", b->fresh},
                                      {"newCounts", std::move(fresh)}};
    }
    // The settings the radar check computed its profiles with, where it ran.
    if (doc["summary"]["counts"].contains("radar")) {
        const RadarSettings& r = audit.report.radarSettings;
        doc["summary"]["radarSettings"] = {{"maxRange", decimalOf(r.maximumRange)},
                                           {"rangeIncrement", decimalOf(r.rangeIncrement)},
                                           {"azimuthIncrement", decimalOf(r.azimuthIncrement)}};
    }
    // How the parents check told cities and towns, where it ran.
    if (doc["summary"]["counts"].contains("parents")) {
        doc["summary"]["parentRule"] = parentRuleName(audit.report.parentRule);
    }

    Json findings = Json::array();
    for (const AuditFinding& f : audit.report.findings) {
        Json one = {{"key", auditFindingKey(f)},
                    {"check", auditCheckName(f.check)},
                    {"mapX", f.mapX},
                    {"mapY", f.mapY},
                    {"sectX", userSectX(theater, f.mapX)},
                    {"sectY", userSectY(theater, f.mapY)},
                    {"tileX", userTileX(theater, f.mapX)},
                    {"tileY", userTileY(theater, f.mapY)}};
        if (f.objectId) {
            one["objectId"] = *f.objectId;
            one["objectName"] = f.objectName;
        }
        one["detail"] = f.detail;
        if (audit.report.baseline) {
            one["new"] = !f.known;
        }
        Json suggestions = Json::array();
        for (const AuditSuggestion& suggestion : f.suggestions) {
            Json entry = {{"text", suggestion.text}};
            if (suggestion.tile) {
                const TileRepair& r = *suggestion.tile;
                entry["tile"] = {{"mapX", r.x},
                                 {"mapY", r.y},
                                 {"from", r.from},
                                 {"to", r.to},
                                 {"post", f.check == AuditCheck::Bridges ? "far"
                                          : r.direction == 0             ? "fault"
                                                                         : "neighbour"},
                                 {"changedEdges", r.changedEdges},
                                 {"mends", r.mended}};
                if (r.direction != 0) {
                    entry["tile"]["direction"] = directionName(r.direction);
                }
            }
            if (suggestion.parent) {
                entry["parent"] = {{"id", *suggestion.parent},
                                   {"name", suggestion.parentName},
                                   {"distance", suggestion.distance}};
            }
            suggestions.push_back(std::move(entry));
        }
        one["suggestions"] = std::move(suggestions);
        if (!f.repairNote.empty()) {
            one["repairNote"] = f.repairNote;
        }
        findings.push_back(std::move(one));
    }
    doc["findings"] = std::move(findings);
    return doc.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

bool baselineFindings(std::string_view json, std::vector<BaselineFinding>& findings,
                      std::string& error) {
    const Json doc = Json::parse(json, nullptr, false);
    if (doc.is_discarded() || !doc.is_object() || doc.value("format", "") != "vantor-audit" ||
        !doc.contains("findings") || !doc["findings"].is_array()) {
        error = "it is no audit written with --json";
        return false;
    }
    findings.clear();
    for (const Json& finding : doc["findings"]) {
        if (!finding.is_object() || !finding.contains("key") || !finding["key"].is_string()) {
            error = "its findings carry no keys (it was written before audits had them): audit "
                    "again to make the baseline";
            return false;
        }
        BaselineFinding known;
        known.key = finding["key"].get<std::string>();
        if (finding.contains("objectName") && finding["objectName"].is_string()) {
            known.objectName = finding["objectName"].get<std::string>();
        }
        findings.push_back(std::move(known));
    }
    return true;
}

bool readBaseline(const std::string& path, std::vector<BaselineFinding>& findings,
                  std::string& error) {
    std::string text;
    return readTextFile(toFsPath(path), text, error) && baselineFindings(text, findings, error);
}

} // namespace vantor::report
