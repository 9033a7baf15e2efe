#include "win32/panels.h"

#include "app/command_table.h"

#include <algorithm>
#include <commctrl.h>

namespace vantor::win32 {

namespace {

constexpr wchar_t panelClass[] = L"VantorPanel";

void addColumns(HWND list, const char* const* titles, std::size_t count, int width) {
    width = scaled(width, dpiOf(list));
    for (std::size_t i = 0; i < count; ++i) {
        std::wstring title = widen(titles[i]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = title.data();
        column.cx = width;
        column.iSubItem = static_cast<int>(i);
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

// The header's arrow on the column the rows are sorted by, up or down; none on the others.
void showSortArrow(HWND list, int column, bool ascending) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int c = 0; c < count; ++c) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (c == column) {
            item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
        }
        SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
    }
}

int selectedRow(HWND list) {
    return static_cast<int>(
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void selectRow(HWND list, int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    if (row >= 0) {
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    }
}

} // namespace

Panel::Panel(HWND parent) {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &Panel::procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = panelClass;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    window_ = CreateWindowExW(WS_EX_CONTROLPARENT, panelClass, L"",
                              WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 10, 10, parent,
                              nullptr, GetModuleHandleW(nullptr), this);
}

Panel::~Panel() {
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

HWND Panel::child(const wchar_t* kind, const std::string& text, DWORD style, DWORD exStyle) {
    HWND c = CreateWindowExW(exStyle, kind, widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0,
                             0, 10, 10, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(messageFontFor(window_)), TRUE);
    return c;
}

void Panel::tip(HWND control, const char* text) {
    if (tips_ == nullptr) {
        tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, scaled(360, dpiOf(window_)));
    }
    std::wstring wide = widen(text);
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = window_;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = wide.data();
    SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

std::string Panel::tipOf(HWND control) const {
    if (tips_ == nullptr) {
        return {};
    }
    wchar_t text[1024] = {};
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.hwnd = window_;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = text;
    SendMessageW(tips_, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&info));
    return narrow(text);
}

LRESULT CALLBACK Panel::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        reinterpret_cast<Panel*>(create->lpCreateParams)->window_ = window;
    }
    auto* panel = reinterpret_cast<Panel*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return panel == nullptr ? DefWindowProcW(window, message, w, l) : panel->handle(message, w, l);
}

LRESULT Panel::handle(UINT message, WPARAM w, LPARAM l) {
    return DefWindowProcW(window_, message, w, l);
}

// ---- The audit pane ----

AuditPane::AuditPane(HWND parent) : Panel(parent) {
    summary_ = child(L"STATIC", "", SS_LEFT | SS_NOPREFIX);
    workDone_ = child(L"STATIC", "", SS_LEFT | SS_NOPREFIX);
    search_ = child(L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
    SendMessageW(search_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Search the findings"));
    filter_ = child(WC_COMBOBOXW, "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST);
    list_ = child(WC_LISTVIEWW, "",
                  WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                  WS_EX_CLIENTEDGE);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP);
    addColumns(list_, auditColumnTitles.data(), auditColumnTitles.size(), 60);
    explanation_ = child(L"EDIT", "", WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                         WS_EX_CLIENTEDGE);
    apply_ = child(L"BUTTON", "Apply", WS_TABSTOP | WS_DISABLED);
    applyAll_ = child(L"BUTTON", "Apply All of Check", WS_TABSTOP | WS_DISABLED);
    baseline_ = child(L"BUTTON", "Compare with Baseline...", WS_TABSTOP);
    savePage_ = child(L"BUTTON", "Save Page...", WS_TABSTOP);
    saveJson_ = child(L"BUTTON", "Save JSON...", WS_TABSTOP);
    LOGFONTW font{};
    GetObjectW(messageFontFor(window_), sizeof(font), &font);
    font.lfWeight = FW_BOLD;
    bold_ = CreateFontIndirectW(&font);
    tip(filter_, audittips::checkFilter);
    tip(apply_, audittips::apply);
    tip(applyAll_, audittips::applyAll);
    tip(baseline_, audittips::baseline);
    tip(savePage_, audittips::savePage);
    tip(saveJson_, audittips::saveJson);
}

AuditPane::~AuditPane() {
    DeleteObject(bold_);
}

namespace {

// The height a wrapped text needs at a width, in the control's font.
int textHeight(HWND control, int width) {
    const std::wstring text = widen(windowText(control));
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return r.bottom - r.top;
}

} // namespace

void AuditPane::layOut(int width, int height) {
    const int dpi = dpiOf(window_);
    const auto px = [dpi](int pixels) { return scaled(pixels, dpi); };
    const int m = px(4);
    const int inner = std::max(10, width - 2 * m);
    int y = m;
    // The summary and what the last Apply did, whole, however narrow the panel.
    const int summary = std::min(textHeight(summary_, inner) + 2, height / 4);
    MoveWindow(summary_, m, y, inner, summary, TRUE);
    y += summary + m;
    if (IsWindowVisible(workDone_)) {
        const int done = std::min(textHeight(workDone_, inner) + 2, height / 5);
        MoveWindow(workDone_, m, y, inner, done, TRUE);
        y += done + m;
    }
    const int filterWidth = std::min(px(180), inner / 2);
    const int line = px(23);
    const int button = px(25);
    const int row = px(27);
    MoveWindow(search_, m, y, inner - filterWidth - m, line, TRUE);
    MoveWindow(filter_, m + inner - filterWidth, y, filterWidth, px(240), TRUE);
    y += row;
    const int buttons = 3 * row + m;
    const int explanation = px(110);
    const int listHeight = std::max(40, height - y - explanation - buttons - 2 * m);
    MoveWindow(list_, m, y, inner, listHeight, TRUE);
    y += listHeight + m;
    MoveWindow(explanation_, m, y, inner, explanation, TRUE);
    y += explanation + m;
    // Two to a row, so that the panel may stay narrow beside the map.
    const int half = (inner - m) / 2;
    MoveWindow(apply_, m, y, half, button, TRUE);
    MoveWindow(applyAll_, m + half + m, y, half, button, TRUE);
    y += row;
    MoveWindow(baseline_, m, y, inner, button, TRUE);
    y += row;
    MoveWindow(savePage_, m, y, half, button, TRUE);
    MoveWindow(saveJson_, m + half + m, y, half, button, TRUE);
}

void AuditPane::showAudit(const TheaterAudit& audit, const TheaterDefinition& theater) {
    ++syncing_;
    audit_ = &audit;
    const AuditSummaryText t = auditSummaryText(audit.report);
    std::string summary = t.count + ": " + t.byCheck;
    if (!t.fresh.empty()) {
        summary += "\r\n" + t.fresh + " " + t.sinceBaseline;
    }
    if (!t.skipped.empty()) {
        summary += "\r\nSkipped: " + t.skipped;
    }
    setWindowText(summary_, summary);
    showWorkDone(""); // lays the panel out for the summary's height
    rows_.clear();
    rows_.reserve(audit.report.findings.size());
    for (const AuditFinding& f : audit.report.findings) {
        rows_.push_back(auditRow(audit.report, f, theater));
    }
    // The filter offers the checks that found something; the one chosen stays if it still does.
    const int chosen = static_cast<int>(SendMessageW(filter_, CB_GETCURSEL, 0, 0));
    const std::size_t was = chosen > 0 && static_cast<std::size_t>(chosen) <= filterChecks_.size()
                                ? filterChecks_[static_cast<std::size_t>(chosen) - 1]
                                : SIZE_MAX;
    SendMessageW(filter_, CB_RESETCONTENT, 0, 0);
    SendMessageW(filter_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(allChecksEntry).c_str()));
    filterChecks_.clear();
    int select = 0;
    for (const AuditFilterEntry& entry : auditFilterEntries(audit.report)) {
        SendMessageW(filter_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(entry.text).c_str()));
        filterChecks_.push_back(entry.check);
        if (was == entry.check) {
            select = static_cast<int>(filterChecks_.size());
        }
    }
    SendMessageW(filter_, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
    --syncing_;
    refresh();
    fitColumns();
    explain(-1);
}

// The columns up to Detail as wide as their title and their texts (the first rows' texts, in a
// large audit), Detail no wider than a screenful of it; the whole text is the row's tip.
void AuditPane::fitColumns() {
    const int dpi = dpiOf(list_);
    HDC dc = GetDC(list_);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0)));
    const auto widthOf = [dc](const std::string& text) {
        const std::wstring wide = widen(text);
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        return static_cast<int>(size.cx);
    };
    constexpr std::size_t measured = 2000;
    for (std::size_t c = 0; c <= static_cast<std::size_t>(AuditColumn::Detail); ++c) {
        int width = widthOf(auditColumnTitles[c]) + scaled(12, dpi); // and the sort arrow
        for (std::size_t r = 0; r < rows_.size() && r < measured; ++r) {
            width = std::max(width, widthOf(rows_[r].text[c]));
        }
        width = std::min(width + scaled(12, dpi), scaled(480, dpi));
        SendMessageW(list_, LVM_SETCOLUMNWIDTH, c, MAKELPARAM(width, 0));
    }
    SelectObject(dc, old);
    ReleaseDC(list_, dc);
}

std::string AuditPane::rowTip(std::size_t row) const {
    if (row >= shown_.size()) {
        return {};
    }
    const AuditRow& r = rows_[shown_[row]];
    return r.text[static_cast<std::size_t>(AuditColumn::Detail)] + "\r\n" + r.repairs;
}

void AuditPane::refresh() {
    ++syncing_;
    shown_.clear();
    if (audit_ != nullptr) {
        const std::string wanted = windowText(search_);
        const int chosen = static_cast<int>(SendMessageW(filter_, CB_GETCURSEL, 0, 0));
        const std::optional<std::size_t> only =
            chosen > 0 && static_cast<std::size_t>(chosen) <= filterChecks_.size()
                ? std::optional<std::size_t>(filterChecks_[static_cast<std::size_t>(chosen) - 1])
                : std::nullopt;
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (auditRowShown(rows_[i], audit_->report.findings[i], wanted, only)) {
                shown_.push_back(i);
            }
        }
        if (sortColumn_ >= 0) {
            const auto column = static_cast<std::size_t>(sortColumn_);
            std::stable_sort(shown_.begin(), shown_.end(), [&](std::size_t a, std::size_t b) {
                const int order = compareAuditRows(rows_[a], rows_[b], column);
                return ascending_ ? order < 0 : order > 0;
            });
        }
    }
    selectRow(list_, -1);
    SendMessageW(list_, LVM_SETITEMCOUNT, shown_.size(), 0);
    InvalidateRect(list_, nullptr, TRUE);
    --syncing_;
}

int AuditPane::currentFinding() const {
    const int row = selectedRow(list_);
    return row >= 0 && static_cast<std::size_t>(row) < shown_.size()
               ? static_cast<int>(shown_[static_cast<std::size_t>(row)])
               : -1;
}

void AuditPane::selectFinding(int finding) {
    if (finding < 0) {
        selectRow(list_, -1);
        return;
    }
    auto at = std::find(shown_.begin(), shown_.end(), static_cast<std::size_t>(finding));
    if (at == shown_.end()) { // hidden by the search or the filter: they give way
        ++syncing_;
        setWindowText(search_, "");
        SendMessageW(filter_, CB_SETCURSEL, 0, 0);
        --syncing_;
        refresh();
        at = std::find(shown_.begin(), shown_.end(), static_cast<std::size_t>(finding));
    }
    if (at != shown_.end()) {
        selectRow(list_, static_cast<int>(at - shown_.begin()));
    }
}

void AuditPane::setSearch(const std::string& text) {
    setWindowText(search_, text); // EN_CHANGE refreshes
}

void AuditPane::showWorkDone(const std::string& text) {
    setWindowText(workDone_, text);
    ShowWindow(workDone_, text.empty() ? SW_HIDE : SW_SHOW);
    RECT r;
    GetClientRect(window_, &r);
    layOut(r.right, r.bottom);
}

void AuditPane::explain(int finding) {
    if (audit_ == nullptr || finding < 0 ||
        static_cast<std::size_t>(finding) >= audit_->report.findings.size()) {
        setWindowText(explanation_, "");
        setWindowText(apply_, "Apply");
        EnableWindow(apply_, FALSE);
        EnableWindow(applyAll_, FALSE);
        return;
    }
    const AuditFinding& f = audit_->report.findings[static_cast<std::size_t>(finding)];
    const FindingExplanation e = explainFinding(f, findingCommand(f));
    std::string text = e.detail;
    for (std::size_t i = 0; i < e.suggestions.size(); ++i) {
        text += "\r\n" + std::to_string(i + 1) + ". " + e.suggestions[i];
    }
    if (!e.note.empty()) {
        text += "\r\n" + e.note;
    }
    setWindowText(explanation_, text);
    setWindowText(apply_, e.applyText);
    EnableWindow(apply_, e.applyEnabled);
    EnableWindow(applyAll_, e.applyAllEnabled);
}

LRESULT AuditPane::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_SIZE:
        layOut(LOWORD(l), HIWORD(l));
        return 0;
    case WM_COMMAND: {
        const auto from = reinterpret_cast<HWND>(l);
        const int code = HIWORD(w);
        if (syncing_ > 0) {
            return 0;
        }
        if ((from == search_ && code == EN_CHANGE) || (from == filter_ && code == CBN_SELCHANGE)) {
            refresh();
            explain(-1);
        } else if (code == BN_CLICKED) {
            const int finding = currentFinding();
            if ((from == apply_ || from == applyAll_) && finding >= 0 && applyRequested) {
                applyRequested(finding, from == applyAll_);
            } else if (from == baseline_ && baselineRequested) {
                baselineRequested();
            } else if ((from == savePage_ || from == saveJson_) && saveRequested) {
                saveRequested(from == savePage_);
            }
        }
        return 0;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(l);
        if (header->hwndFrom != list_) {
            break;
        }
        if (header->code == LVN_GETDISPINFOW) {
            auto* info = reinterpret_cast<NMLVDISPINFOW*>(l);
            const auto row = static_cast<std::size_t>(info->item.iItem);
            const auto column = static_cast<std::size_t>(info->item.iSubItem);
            if ((info->item.mask & LVIF_TEXT) != 0 && row < shown_.size() &&
                column < auditColumnCount) {
                cell_ = widen(rows_[shown_[row]].text[column]);
                lstrcpynW(info->item.pszText, cell_.c_str(), info->item.cchTextMax);
            }
            return 0;
        }
        if (header->code == LVN_GETINFOTIPW) { // the row's detail and repairs, whole
            auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(l);
            cell_ = widen(rowTip(static_cast<std::size_t>(tip->iItem)));
            lstrcpynW(tip->pszText, cell_.c_str(), tip->cchTextMax);
            return 0;
        }
        if (header->code == LVN_ITEMCHANGED && syncing_ == 0) {
            auto* change = reinterpret_cast<NMLISTVIEW*>(l);
            if ((change->uChanged & LVIF_STATE) != 0 &&
                ((change->uNewState ^ change->uOldState) & LVIS_SELECTED) != 0) {
                const int finding = currentFinding();
                explain(finding);
                if (finding >= 0 && findingSelected) {
                    const AuditFinding& f =
                        audit_->report.findings[static_cast<std::size_t>(finding)];
                    findingSelected(f.mapX, f.mapY, finding);
                }
            }
            return 0;
        }
        if (header->code == LVN_COLUMNCLICK) {
            const int column = reinterpret_cast<NMLISTVIEW*>(l)->iSubItem;
            ascending_ = column == sortColumn_ ? !ascending_ : true;
            sortColumn_ = column;
            showSortArrow(list_, sortColumn_, ascending_);
            const int finding = currentFinding();
            refresh();
            selectFinding(finding);
            return 0;
        }
        if (header->code == NM_CUSTOMDRAW) {
            auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(l);
            if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
                return CDRF_NOTIFYITEMDRAW;
            }
            if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                const auto row = static_cast<std::size_t>(draw->nmcd.dwItemSpec);
                if (row < shown_.size() && rows_[shown_[row]].fresh) { // new against the baseline
                    SelectObject(draw->nmcd.hdc, bold_);
                    return CDRF_NEWFONT;
                }
            }
            return CDRF_DODEFAULT;
        }
        break;
    }
    default:
        break;
    }
    return Panel::handle(message, w, l);
}

// ---- The comparison pane ----

ComparisonPane::ComparisonPane(HWND parent) : Panel(parent) {
    versions_ = child(L"STATIC", "", SS_LEFT | SS_NOPREFIX);
    summary_ =
        child(L"EDIT", "", WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL,
              WS_EX_CLIENTEDGE);
    SendMessageW(summary_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)),
                 TRUE);
    list_ = child(WC_LISTVIEWW, "", WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                  WS_EX_CLIENTEDGE);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP);
    addColumns(list_, comparisonColumnTitles, 4, 160);
    savePage_ = child(L"BUTTON", "Save Page...", WS_TABSTOP);
    saveJson_ = child(L"BUTTON", "Save JSON...", WS_TABSTOP);
    close_ = child(L"BUTTON", "Close", WS_TABSTOP);
    tip(savePage_, comparisonPageTip);
    tip(saveJson_, comparisonJsonTip);
}

void ComparisonPane::layOut(int width, int height) {
    const int dpi = dpiOf(window_);
    const auto px = [dpi](int pixels) { return scaled(pixels, dpi); };
    const int m = px(4);
    const int inner = std::max(10, width - 2 * m);
    int y = m;
    MoveWindow(versions_, m, y, inner, px(34), TRUE);
    y += px(36);
    MoveWindow(summary_, m, y, inner, px(110), TRUE);
    y += px(110) + m;
    const int button = px(25);
    const int listHeight = std::max(px(40), height - y - button - 2 * m);
    MoveWindow(list_, m, y, inner, listHeight, TRUE);
    y += listHeight + m;
    const int third = (inner - 2 * m) / 3;
    MoveWindow(savePage_, m, y, third, button, TRUE);
    MoveWindow(saveJson_, m + third + m, y, third, button, TRUE);
    MoveWindow(close_, m + 2 * (third + m), y, third, button, TRUE);
}

void ComparisonPane::showDiff(const TheaterDiff& diff) {
    title_ = comparisonTitle(diff);
    setWindowText(versions_,
                  "Before: " + comparisonVersionText(diff.beforeTerrain, diff.beforeSource) +
                      "\r\nAfter: " + comparisonVersionText(diff.afterTerrain, diff.afterSource));
    std::string summary = diffSummary(diff);
    std::string text;
    for (char c : summary) { // the edit box breaks lines at CR LF only
        if (c == '\n') {
            text += '\r';
        }
        text += c;
    }
    setWindowText(summary_, text);
    rows_ = comparisonRows(diff);
    open_.clear();
    for (const ComparisonRow& row : rows_) {
        open_.push_back(row.expanded);
    }
    showRows();
    for (int c = 0; c < 4; ++c) {
        SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c), LVSCW_AUTOSIZE_USEHEADER);
    }
}

bool ComparisonPane::folds(std::size_t row) const {
    return row + 1 < rows_.size() && rows_[row + 1].depth > rows_[row].depth;
}

// The rows, those under a folded one left out, each indented by its depth; a row that folds
// says whether it is open, and opens or closes on a double-click (or Enter).
void ComparisonPane::showRows() {
    shown_.clear();
    int foldedBelow = -1;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (foldedBelow >= 0 && rows_[i].depth > foldedBelow) {
            continue;
        }
        foldedBelow = folds(i) && !open_[i] ? rows_[i].depth : -1;
        shown_.push_back(i);
    }
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        const std::size_t at = shown_[i];
        const ComparisonRow& row = rows_[at];
        std::wstring first =
            widen((folds(at) ? std::string(open_[at] ? "\xe2\x96\xbe " : "\xe2\x96\xb8 ") : "") +
                  row.text[0]);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_INDENT;
        item.iItem = static_cast<int>(i);
        item.iIndent = row.depth;
        item.pszText = first.data();
        SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int c = 1; c < 4; ++c) {
            std::wstring cell = widen(row.text[c]);
            LVITEMW sub{};
            sub.iSubItem = c;
            sub.pszText = cell.data();
            SendMessageW(list_, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&sub));
        }
    }
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void ComparisonPane::toggle(std::size_t shownRow) {
    if (shownRow >= shown_.size() || !folds(shown_[shownRow])) {
        return;
    }
    open_[shown_[shownRow]] = !open_[shown_[shownRow]];
    showRows();
    selectRow(list_, static_cast<int>(shownRow));
    SendMessageW(list_, LVM_ENSUREVISIBLE, shownRow, FALSE);
}

bool ComparisonPane::isOpen(std::size_t shownRow) const {
    return shownRow < shown_.size() && open_[shown_[shownRow]];
}

LRESULT ComparisonPane::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_SIZE:
        layOut(LOWORD(l), HIWORD(l));
        return 0;
    case WM_COMMAND:
        if (HIWORD(w) == BN_CLICKED) {
            const auto from = reinterpret_cast<HWND>(l);
            if ((from == savePage_ || from == saveJson_) && saveRequested) {
                saveRequested(from == savePage_);
            } else if (from == close_ && closed) {
                closed();
            }
        }
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(l);
        if (header->hwndFrom == list_ && header->code == LVN_ITEMCHANGED) {
            auto* change = reinterpret_cast<NMLISTVIEW*>(l);
            if ((change->uNewState & LVIS_SELECTED) != 0 &&
                (change->uOldState & LVIS_SELECTED) == 0 && change->iItem >= 0 &&
                static_cast<std::size_t>(change->iItem) < shown_.size()) {
                const ComparisonRow& row = rows_[shown_[static_cast<std::size_t>(change->iItem)]];
                if (row.post && changeSelected) {
                    changeSelected(row.post->first, row.post->second);
                }
            }
            return 0;
        }
        if (header->hwndFrom == list_ && header->code == LVN_ITEMACTIVATE) {
            const int row = reinterpret_cast<NMITEMACTIVATE*>(l)->iItem;
            if (row >= 0) {
                toggle(static_cast<std::size_t>(row));
            }
            return 0;
        }
        if (header->hwndFrom == list_ && header->code == NM_CUSTOMDRAW) {
            // A change's first cell in the colour of its mark on the map.
            auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(l);
            if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
                return CDRF_NOTIFYITEMDRAW;
            }
            if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                return CDRF_NOTIFYSUBITEMDRAW;
            }
            if (draw->nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
                const auto row = static_cast<std::size_t>(draw->nmcd.dwItemSpec);
                draw->clrText = GetSysColor(COLOR_WINDOWTEXT);
                if (draw->iSubItem == 0 && row < shown_.size() && rows_[shown_[row]].colour) {
                    const std::uint32_t c = *rows_[shown_[row]].colour;
                    draw->clrText = RGB((c >> 16) & 0xff, (c >> 8) & 0xff, c & 0xff);
                }
                return CDRF_NEWFONT;
            }
            return CDRF_DODEFAULT;
        }
        break;
    }
    default:
        break;
    }
    return Panel::handle(message, w, l);
}

} // namespace vantor::win32
