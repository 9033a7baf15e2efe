#include "report/audit_sarif.h"

#include "app/version.h"
#include "base/file_lookup.h"
#include "report/audit_page.h"

#include <cctype>
#include <nlohmann/json.hpp>

namespace vantor::report {

using Json = nlohmann::ordered_json;

namespace {

// A path as a URI reference: relative paths stay relative (to the folder the tool ran in, the
// repository's top in a pipeline), absolute ones become file URIs.
std::string uriOf(const std::string& path) {
    const std::filesystem::path p = toFsPath(path);
    std::string text = fromFsPathGeneric(p);
    std::string uri;
    if (p.is_absolute()) {
        uri = text.starts_with('/') ? "file://" : "file:///";
    }
    constexpr std::string_view plain = "-._~/:";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) != 0 && u < 0x80) {
            uri += c;
        } else if (plain.find(c) != std::string_view::npos) {
            uri += c;
        } else {
            static constexpr char hex[] = "0123456789ABCDEF";
            uri += '%';
            uri += hex[u >> 4];
            uri += hex[u & 15];
        }
    }
    return uri;
}

std::string inputPath(const TheaterAudit& audit, std::string_view role) {
    for (const AuditInput& input : audit.inputs) {
        if (input.role == role) {
            return input.path;
        }
    }
    return {};
}

// The tile ID's bytes at the start of a post's record, little-endian.
std::string tileBytes(std::uint32_t tile, std::size_t count) {
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i) {
        bytes += static_cast<char>((tile >> (8 * i)) & 0xff);
    }
    return bytes;
}

Json postLocation(const std::string& terrain, std::size_t terrainIndex, const PostRecords* records,
                  const TheaterDefinition& theater, std::int32_t x, std::int32_t y) {
    Json physical = {{"artifactLocation", {{"uri", uriOf(terrain)}, {"index", terrainIndex}}}};
    if (records != nullptr) {
        if (const std::optional<std::uint64_t> at = records->recordAt(x, y)) {
            physical["region"] = {{"byteOffset", *at}, {"byteLength", records->recordSize()}};
        }
    }
    const std::string where = "Map X " + std::to_string(x) + ", Map Y " + std::to_string(y);
    return {{"physicalLocation", std::move(physical)},
            {"logicalLocations",
             Json::array({{{"name", where},
                           {"fullyQualifiedName",
                            where + " (Sect X " + std::to_string(userSectX(theater, x)) +
                                ", Sect Y " + std::to_string(userSectY(theater, y)) + ", Tile X " +
                                std::to_string(userTileX(theater, x)) + ", Tile Y " +
                                std::to_string(userTileY(theater, y)) + ")"},
                           {"kind", "element"}}})}};
}

} // namespace

std::string auditSarif(const TheaterAudit& audit, const TheaterDefinition& theater,
                       const PostRecords* records, const std::string& toolName) {
    const std::string terrain = inputPath(audit, "terrain");
    const std::string source = inputPath(audit, "source");
    Json artifacts = Json::array();
    std::size_t terrainIndex = 0;
    std::size_t sourceIndex = 0;
    for (const auto& [path, index] :
         {std::pair{&terrain, &terrainIndex}, std::pair{&source, &sourceIndex}}) {
        if (!path->empty()) {
            *index = artifacts.size();
            artifacts.push_back({{"location", {{"uri", uriOf(*path)}}}});
        }
    }

    Json rules = Json::array();
    for (AuditCheck check : auditChecks) {
        const std::string summary = auditCheckSummary(check);
        const std::string repair = auditCheckRepair(check);
        rules.push_back({{"id", auditCheckName(check)},
                         {"name", auditCheckName(check)},
                         {"shortDescription", {{"text", summary}}},
                         {"fullDescription", {{"text", summary + " " + repair}}},
                         {"help",
                          {{"text", repair + " Each finding's own repairs are in its message "
                                             "and fixes."},
                           {"markdown", "**" + summary + "**\n\n" + repair}}},
                         {"defaultConfiguration", {{"level", auditCheckFacts(check).level}}}});
    }
    Json notifications = Json::array();
    for (AuditCheck check : auditChecks) {
        const AuditOutcome& outcome = audit.report.outcomes[auditIndex(check)];
        if (outcome.selected && outcome.skipped) {
            notifications.push_back(
                {{"level", "error"},
                 {"message",
                  {{"text",
                    std::string(auditCheckName(check)) + " could not run: " + outcome.reason}}},
                 {"associatedRule",
                  {{"id", auditCheckName(check)}, {"index", auditIndex(check)}}}});
        }
    }

    Json results = Json::array();
    for (const AuditFinding& f : audit.report.findings) {
        std::string text = f.detail;
        if (f.objectId) {
            text = f.objectName + " (ID " + std::to_string(*f.objectId) + "): " + text;
        }
        const std::string more = !f.repairNote.empty()    ? f.repairNote
                                 : !f.suggestions.empty() ? "Repair: " + f.suggestions.front().text
                                                          : std::string();
        if (!more.empty()) {
            text += (text.ends_with('.') ? " " : ". ") + more;
        }
        Json result = {{"ruleId", auditCheckName(f.check)},
                       {"ruleIndex", auditIndex(f.check)},
                       {"level", auditCheckFacts(f.check).level},
                       {"message", {{"text", text}}}};
        Json locations = Json::array();
        Json related = Json::array();
        Json post = terrain.empty()
                        ? Json()
                        : postLocation(terrain, terrainIndex, records, theater, f.mapX, f.mapY);
        if (f.sourceLine && !source.empty()) {
            locations.push_back(
                {{"physicalLocation",
                  {{"artifactLocation", {{"uri", uriOf(source)}, {"index", sourceIndex}}},
                   {"region", {{"startLine", *f.sourceLine + 1}}}}}});
            if (!post.is_null() && records != nullptr && records->recordAt(f.mapX, f.mapY)) {
                post["id"] = 1;
                post["message"] = {{"text", "The objective's post"}};
                related.push_back(std::move(post));
            }
        } else if (!post.is_null()) {
            locations.push_back(std::move(post));
        }
        result["locations"] = std::move(locations);
        if (!related.empty()) {
            result["relatedLocations"] = std::move(related);
        }
        result["partialFingerprints"] = {{"vantorFindingKey/v1", auditFindingKey(f)}};
        if (audit.report.baseline) {
            result["baselineState"] = f.known ? "unchanged" : "new";
        }
        // The tile repairs, as the bytes of the tile ID they change.
        Json fixes = Json::array();
        for (const AuditSuggestion& s : f.suggestions) {
            if (!s.tile || records == nullptr || !records->ownRecord(s.tile->x, s.tile->y)) {
                continue;
            }
            const std::size_t width = records->l2m || records->format == NineByteRecords ? 4 : 2;
            if (width == 2 && s.tile->to > 0xffff) {
                continue; // no 7-byte record holds it
            }
            fixes.push_back(
                {{"description", {{"text", s.text}}},
                 {"artifactChanges",
                  Json::array(
                      {{{"artifactLocation", {{"uri", uriOf(terrain)}, {"index", terrainIndex}}},
                        {"replacements",
                         Json::array(
                             {{{"deletedRegion",
                                {{"byteOffset", *records->recordAt(s.tile->x, s.tile->y)},
                                 {"byteLength", width}}},
                               {"insertedContent",
                                {{"binary", base64(tileBytes(s.tile->to, width))}}}}})}}})}});
        }
        if (!fixes.empty()) {
            result["fixes"] = std::move(fixes);
        }
        result["properties"] = {{"mapX", f.mapX},
                                {"mapY", f.mapY},
                                {"sectX", userSectX(theater, f.mapX)},
                                {"sectY", userSectY(theater, f.mapY)},
                                {"tileX", userTileX(theater, f.mapX)},
                                {"tileY", userTileY(theater, f.mapY)}};
        results.push_back(std::move(result));
    }

    Json run = {
        {"tool",
         {{"driver",
           {{"name", toolName}, {"version", vantorVersion()}, {"rules", std::move(rules)}}}}},
        {"invocations", Json::array({{{"executionSuccessful", notifications.empty()},
                                      {"toolExecutionNotifications", std::move(notifications)}}})},
        {"artifacts", std::move(artifacts)},
        {"results", std::move(results)},
        {"columnKind", "unicodeCodePoints"}};
    const Json log = {{"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
                      {"version", "2.1.0"},
                      {"runs", Json::array({std::move(run)})}};
    return log.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace vantor::report
