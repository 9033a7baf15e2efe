#pragma once

#include "audit/audit_text.h"
#include "tools/theater_diff.h"
#include "win32/wide.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantor::win32 {

// A child window that hands its children's commands and notifications to its owner's code.
class Panel {
  public:
    explicit Panel(HWND parent);
    virtual ~Panel();
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;
    HWND window() const { return window_; }
    // The tooltip text of one of the panel's controls; empty where it has none.
    std::string tipOf(HWND control) const;

  protected:
    virtual LRESULT handle(UINT message, WPARAM w, LPARAM l);
    HWND child(const wchar_t* kind, const std::string& text, DWORD style, DWORD exStyle = 0);
    // A tooltip for a control of the panel.
    void tip(HWND control, const char* text);
    HWND window_ = nullptr;
    HWND tips_ = nullptr;

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
};

// The audit's findings beside the map: the summary, what the last Apply did, the search and the
// check filter, the table (sorted by a click on a header), the selected finding explained, and
// the buttons. Every text and decision is the core's (audit_text).
class AuditPane : public Panel {
  public:
    explicit AuditPane(HWND parent);
    ~AuditPane() override;

    void showAudit(const TheaterAudit& audit, const TheaterDefinition& theater);
    void selectFinding(int finding);
    int currentFinding() const;
    void showWorkDone(const std::string& text);
    HWND findings() const { return list_; }
    std::size_t shownRows() const { return shown_.size(); }
    // A row's tip: its detail and every repair, whole.
    std::string rowTip(std::size_t row) const;
    void setSearch(const std::string& text);

    std::function<void(std::int32_t, std::int32_t, int)> findingSelected;
    std::function<void(int finding, bool wholeCheck)> applyRequested;
    std::function<void()> baselineRequested;
    std::function<void(bool page)> saveRequested;

  protected:
    LRESULT handle(UINT message, WPARAM w, LPARAM l) override;

  private:
    void layOut(int width, int height);
    void fitColumns();
    void refresh();
    void explain(int finding);

    const TheaterAudit* audit_ = nullptr;
    std::vector<AuditRow> rows_;
    std::vector<std::size_t> shown_; // the findings shown, in the table's order
    std::vector<std::size_t> filterChecks_;
    int sortColumn_ = -1;
    bool ascending_ = true;
    std::wstring cell_; // the text a row's cell was last asked for
    HWND summary_, workDone_, search_, filter_, list_, explanation_;
    HWND apply_, applyAll_, baseline_, savePage_, saveJson_;
    HFONT bold_ = nullptr;
    int syncing_ = 0;
};

// A comparison of two versions beside the map: the versions, the summary vantor-cli prints, the
// tree of changes (indented), the saves.
class ComparisonPane : public Panel {
  public:
    explicit ComparisonPane(HWND parent);
    void showDiff(const TheaterDiff& diff);
    std::string title() const { return title_; }
    HWND changes() const { return list_; }
    std::size_t shownRows() const { return shown_.size(); }
    // A shown row that folds, opened or closed as a double-click does; whether it is open.
    void toggle(std::size_t shownRow);
    bool isOpen(std::size_t shownRow) const;

    std::function<void(std::int32_t, std::int32_t)> changeSelected;
    std::function<void(bool page)> saveRequested;
    std::function<void()> closed;

  protected:
    LRESULT handle(UINT message, WPARAM w, LPARAM l) override;

  private:
    void layOut(int width, int height);
    void showRows();
    bool folds(std::size_t row) const; // rows deeper than it follow

    std::vector<ComparisonRow> rows_;
    std::vector<bool> open_;         // of each row that folds
    std::vector<std::size_t> shown_; // the rows shown: those under a folded row are not
    std::string title_;
    HWND versions_, summary_, list_, savePage_, saveJson_, close_;
};

} // namespace vantor::win32
