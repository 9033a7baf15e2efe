#pragma once

#include "app/platform.h"
#include "report/audit_page.h"

#include <string>

namespace vantor {
struct ApplicationState;
}

namespace vantor::report {

// A save that takes seconds on a whole theater (the page's map drawn and encoded) shows the
// progress window, a stage at a time, until it is done.
class SaveProgress {
  public:
    SaveProgress(const Platform& platform, std::string caption);
    ~SaveProgress();
    SaveProgress(const SaveProgress&) = delete;
    SaveProgress& operator=(const SaveProgress&) = delete;
    void stage(const char* label, int position) const;
    // The core's encoder, as vantor-cli's (a page saved here is the file it writes), telling its
    // stage first.
    PngEncoder encoder() const;

  private:
    const Platform& platform_;
    std::string caption_;
};

// Save Page... (page) or Save JSON... of the audit beside the map: asks where, draws the page's
// relief map as vantor-cli draws it, writes. "Wrote PATH" for the status line; empty when
// cancelled, or when it failed (said in a message).
std::string saveAuditReport(ApplicationState& state, const Platform& platform, bool page);
// The same for the comparison of two versions: the page holds both versions' maps.
std::string saveComparisonReport(ApplicationState& state, const Platform& platform, bool page);

// Compare with Baseline...: asks for an earlier audit's JSON; the findings it holds are known,
// the others new. True when the findings were compared (the panel shows them again).
bool compareAuditWithBaseline(ApplicationState& state, const Platform& platform);

} // namespace vantor::report
