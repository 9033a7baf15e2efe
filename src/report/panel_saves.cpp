#include "report/panel_saves.h"

#include "app/application_state.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "flows/audit_flow.h"
#include "flows/diff_flow.h"
#include "map/map_render.h"
#include "map/png_encoder.h"
#include "report/audit_json.h"
#include "report/diff_report.h"

#include <optional>
#include <utility>

namespace vantor::report {

SaveProgress::SaveProgress(const Platform& platform, std::string caption)
    : platform_(platform), caption_(std::move(caption)) {
    if (platform_.progressOpen) {
        platform_.progressOpen({caption_, "Drawing the map", "", 0});
    }
}

SaveProgress::~SaveProgress() {
    if (platform_.progressClose) {
        platform_.progressClose();
    }
}

void SaveProgress::stage(const char* label, int position) const {
    if (platform_.progressReport) {
        platform_.progressReport({caption_, label, "", position});
    }
}

PngEncoder SaveProgress::encoder() const {
    return [this](const MapImage& image, std::string& png, std::string& error) {
        stage("Encoding the picture", 2048);
        return encodeMapPng(image, png, error);
    };
}

namespace {

// Where a report's page ("Save Audit Page", Audit.html) or JSON goes.
FileRequestResult askReportPath(const Platform& platform, const std::string& folder, bool page,
                                const std::string& what, const std::string& name) {
    FileRequest request;
    request.kind = FileDialogKind::Save;
    request.title = "Save " + what + (page ? " Page" : " JSON");
    request.filter = page ? "Web page|*.html||" : "JSON file|*.json||";
    request.initialName = name + (page ? ".html" : ".json");
    request.initialFolder = folder;
    return requestFile(platform, request);
}

std::string written(const Platform& platform, const std::string& path, bool ok,
                    const std::string& error) {
    if (!ok) {
        showMessage(platform, "Cannot write " + path + ": " + error, texts::error,
                    MessageIcon::Error);
        return {};
    }
    return "Wrote " + path;
}

} // namespace

std::string saveAuditReport(ApplicationState& state, const Platform& platform, bool page) {
    if (!state.audit.done) {
        return {};
    }
    const FileRequestResult chosen =
        askReportPath(platform, state.folders.startDirectory, page, "Audit", "Audit");
    if (chosen.status != FileRequestStatus::Chosen) {
        return {};
    }
    const TheaterAudit& audit = state.audit.last;
    const std::string json = auditJson(audit, state.theater, "vantor");
    std::string bytes = json;
    std::string error;
    std::optional<SaveProgress> progress;
    if (page) {
        progress.emplace(platform, "Save Audit Page");
    }
    const bool made = !page || auditPageOf(audit, state.theater, state.terrain.matrix, json,
                                           progress->encoder(), bytes, error);
    if (progress) {
        progress->stage("Writing the page", 3584);
    }
    const bool ok = made && writeAuditFile(audit, chosen.path, bytes, error);
    progress.reset();
    if (ok) {
        state.audit.saved = true; // Close Terrain need not ask for it
    }
    return written(platform, chosen.path, ok, error);
}

std::string saveComparisonReport(ApplicationState& state, const Platform& platform, bool page) {
    if (!state.diff.done) {
        return {};
    }
    const FileRequestResult chosen =
        askReportPath(platform, state.folders.startDirectory, page, "Comparison", "Changes");
    if (chosen.status != FileRequestStatus::Chosen) {
        return {};
    }
    const TheaterDiff& diff = state.diff.last;
    std::string bytes;
    std::string error;
    std::optional<SaveProgress> progress;
    if (page) {
        progress.emplace(platform, "Save Comparison Page");
    }
    const bool made =
        page ? diffPage(diff, diff.beforeRead ? *diff.beforeRead : state.terrain.matrix,
                        loadTileClassifier(state.folders.startDirectory), progress->encoder(),
                        bytes, error)
             : (bytes = diffJson(diff, "vantor"), true);
    if (progress) {
        progress->stage("Writing the page", 3584);
    }
    const bool ok = made && writeDiffFile(diff, chosen.path, bytes, error);
    progress.reset();
    return written(platform, chosen.path, ok, error);
}

bool compareAuditWithBaseline(ApplicationState& state, const Platform& platform) {
    if (!state.audit.done) {
        return false;
    }
    FileRequest request;
    request.role = FileRequestRole::Baseline;
    request.kind = FileDialogKind::Open;
    request.title = "Baseline: an Earlier Audit's JSON";
    request.filter = "Audit JSON|*.json||";
    request.initialName = "*.json";
    request.initialFolder = state.folders.csvDirectory;
    const FileRequestResult chosen = requestFile(platform, request);
    if (chosen.status != FileRequestStatus::Chosen) {
        return false;
    }
    std::string error;
    std::vector<BaselineFinding> keys;
    if (!readBaseline(chosen.path, keys, error)) {
        showMessage(platform, "Cannot use " + chosen.path + " as the baseline: " + error,
                    texts::error, MessageIcon::Error);
        return false;
    }
    vantor::compareWithBaseline(state.audit.last.report, keys, chosen.path);
    return true;
}

} // namespace vantor::report
