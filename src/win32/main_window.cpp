#include "win32/main_window.h"

#include "analysis/radar_dialog.h"
#include "app/command_table.h"
#include "app/commands.h"
#include "app/menu_model.h"
#include "app/platform_calls.h"
#include "app/progress.h"
#include "app/recent_files.h"
#include "app/shell_texts.h"
#include "app/startup.h"
#include "app/toolbar.h"
#include "app/toolbar_sprites.h"
#include "base/file_guard.h"
#include "base/file_lookup.h"
#include "base/safe_writer.h"
#include "flows/command_runner.h"
#include "flows/list_flow.h"
#include "flows/mend_flow.h"
#include "flows/set_tile_flow.h"
#include "map/png_encoder.h"
#include "objectives/find.h"
#include "objectives/unused_ids.h"
#include "report/panel_saves.h"
#include "scans/scan_parameters.h"
#include "terrain/l2_info.h"
#include "tools/id_mover.h"
#include "win32/form.h"
#include "win32/map_pane.h"
#include "win32/panels.h"

#include <algorithm>
#include <commctrl.h>
#include <commdlg.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>

namespace vantor::win32 {

namespace {

constexpr wchar_t mainClass[] = L"VantorMainWindow";
constexpr UINT runPostedMessage = WM_APP + 1;
constexpr UINT scriptMessage = WM_APP + 2;
constexpr UINT endRunMessage = WM_APP + 3;
constexpr int listId = 501;
constexpr int modeId = 502;
constexpr int wholeId = 503;
constexpr int legendId = 504;
constexpr int tabsId = 505;
constexpr int saveMapId = 506;
constexpr int listTabsId = 507;
constexpr int closeListId = 508;
constexpr int closeSideId = 509;
// The panel menu's items.
constexpr int listPanelItem = 1;
constexpr int auditPanelItem = 2;
constexpr int comparisonPanelItem = 3;
constexpr int mapBarHeight = 30;
constexpr int edgeWidth = 5;    // the draggable edge between a panel and the map
constexpr int leastPanel = 140; // a panel's least width

// A sprite as a bitmap an image list takes: 32 bits, alpha premultiplied.
HBITMAP bitmapOf(const MapImage& image) {
    BITMAPINFO info = topDownBitmap(image.width, image.height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) {
        return nullptr;
    }
    auto* out = static_cast<std::uint32_t*>(bits);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        const Argb p = image.pixels[i];
        const std::uint32_t a = p >> 24;
        const auto pre = [a](std::uint32_t c) { return (c * a + 127) / 255; };
        out[i] =
            (a << 24) | (pre((p >> 16) & 0xff) << 16) | (pre((p >> 8) & 0xff) << 8) | pre(p & 0xff);
    }
    return bitmap;
}

int selectedListRow(HWND list) {
    return static_cast<int>(
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

} // namespace

MainWindow::MainWindow(MainWindowOptions options) : options_(std::move(options)) {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &MainWindow::procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = mainClass;
        wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    RECT work{0, 0, 1280, 900};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = std::max(800, static_cast<int>((work.right - work.left) * 0.8));
    const int height = std::max(600, static_cast<int>((work.bottom - work.top) * 0.9));
    window_ = CreateWindowExW(WS_EX_CONTROLPARENT, mainClass, widen(texts::programName).c_str(),
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, work.left + 40, work.top + 20,
                              width, height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    buildPlatform();
    runner_ = std::make_unique<CommandRunner>(
        state_, platform_,
        CommandRunner::Hooks{[this] { PostMessageW(window_, runPostedMessage, 0, 0); },
                             [this](bool frozen) { map_->setFrozen(frozen); },
                             [this](int command) { afterCommand(command); },
                             [this] { PostMessageW(window_, endRunMessage, 0, 0); }});
    buildToolBar();
    statusBar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP,
                                 0, 0, 0, 0, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    list_ =
        CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                        WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0,
                        0, 10, 10, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(listId)),
                        GetModuleHandleW(nullptr), nullptr);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_GRIDLINES);
    const int stateSide = scaled(16, dpiOf(window_));
    stateImages_ = ImageList_Create(stateSide, stateSide, ILC_COLOR32, 3, 0);
    for (int which = 0; which < 3; ++which) {
        HBITMAP b = bitmapOf(listStateSprite(which, stateSide));
        ImageList_Add(stateImages_, b, nullptr);
        DeleteObject(b);
    }
    SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(stateImages_));
    const auto control = [this](const wchar_t* kind, const wchar_t* text, DWORD style, int id) {
        HWND c = CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0,
                                 10, 10, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(messageFontFor(window_)), TRUE);
        return c;
    };
    modeBox_ = control(WC_COMBOBOXW, L"", CBS_DROPDOWNLIST, modeId);
    SendMessageW(modeBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Relief"));
    SendMessageW(modeBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Tile classes"));
    SendMessageW(modeBox_, CB_SETCURSEL, 0, 0);
    wholeButton_ = control(L"BUTTON", L"Whole Map", BS_PUSHBUTTON, wholeId);
    legendBox_ = control(L"BUTTON", L"Legend", BS_AUTOCHECKBOX, legendId);
    saveMapButton_ = control(L"BUTTON", L"Save Map Image...", BS_PUSHBUTTON, saveMapId);
    SendMessageW(legendBox_, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(messageFontFor(window_)), TRUE);
    map_ = std::make_unique<MapPane>(window_, state_);
    map_->hovered = [this](const std::string& text) { showStatus(text); };
    map_->markerClicked = [this](std::size_t row) { selectRowFromMap(row); };
    map_->setTileAt = [this](std::int32_t x, std::int32_t y) { setTileAt(x, y); };
    tabs_ = control(WC_TABCONTROLW, L"", WS_CLIPSIBLINGS, tabsId);
    // The list's panel has its tab too; each panel closes by the button beside its tabs.
    listTabs_ = control(WC_TABCONTROLW, L"", WS_CLIPSIBLINGS, listTabsId);
    TCITEMW listTab{};
    listTab.mask = TCIF_TEXT;
    std::wstring listLabel = L"List";
    listTab.pszText = listLabel.data();
    SendMessageW(listTabs_, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&listTab));
    closeList_ = control(L"BUTTON", L"\u00d7", BS_PUSHBUTTON, closeListId);
    closeSide_ = control(L"BUTTON", L"\u00d7", BS_PUSHBUTTON, closeSideId);
    audit_ = std::make_unique<AuditPane>(window_);
    audit_->findingSelected = [this](std::int32_t x, std::int32_t y, int finding) {
        map_->setSelectedFinding(finding);
        map_->setView(std::max(map_->pixelsPerPost(), 4.0), x + 0.5, y + 0.5);
    };
    audit_->applyRequested = [this](int finding, bool whole) { applyRepairs(finding, whole); };
    audit_->baselineRequested = [this] {
        if (report::compareAuditWithBaseline(state_, platform_)) {
            platform_.showAudit();
        }
    };
    audit_->saveRequested = [this](bool page) {
        showStatus(report::saveAuditReport(state_, platform_, page));
    };
    comparison_ = std::make_unique<ComparisonPane>(window_);
    comparison_->changeSelected = [this](std::int32_t x, std::int32_t y) {
        map_->setSelectedChange(std::pair{x, y});
        map_->setView(std::max(map_->pixelsPerPost(), 4.0), x + 0.5, y + 0.5);
    };
    comparison_->saveRequested = [this](bool page) {
        showStatus(report::saveComparisonReport(state_, platform_, page));
    };
    comparison_->closed = [this] { closeComparison(); };
    layOut();
}

MainWindow::~MainWindow() {
    progress_.reset();
    find_.reset();
    findL2Info_.reset();
    audit_.reset();
    comparison_.reset();
    map_.reset();
    if (window_ != nullptr && IsWindow(window_)) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    ImageList_Destroy(toolImages_);
    ImageList_Destroy(stateImages_);
}

void MainWindow::buildToolBar() {
    toolBar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0,
                               0, 0, 0, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(toolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // The pictures at a whole multiple of their size nearest the window's DPI.
    const int scale = std::max(1, (dpiOf(window_) + 48) / 96);
    toolImages_ = ImageList_Create(toolbarSpriteWidth * scale, toolbarSpriteHeight * scale,
                                   ILC_COLOR32, static_cast<int>(toolbarButtons().size()), 0);
    std::vector<TBBUTTON> buttons;
    for (const ToolbarButton& button : toolbarButtons()) {
        HBITMAP b = bitmapOf(toolbarSprite(button.icon, scale));
        const int image = ImageList_Add(toolImages_, b, nullptr);
        DeleteObject(b);
        TBBUTTON tb{};
        tb.iBitmap = image;
        tb.idCommand = button.command;
        tb.fsState = TBSTATE_ENABLED;
        tb.fsStyle = BTNS_BUTTON;
        buttons.push_back(tb);
    }
    SendMessageW(toolBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolImages_));
    SendMessageW(toolBar_, TB_ADDBUTTONSW, buttons.size(),
                 reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageW(toolBar_, TB_AUTOSIZE, 0, 0);
}

// ---- The window ----

void MainWindow::startUp() {
    const std::string folder =
        chooseStartFolder(platform_, options_.startFolderArgument, options_.startDirectory);
    vantor::startUp(state_, platform_, options_.mode, folder);
    panelWidths_ = loadPanelWidths(platform_);
    layOut();
    renderMenus();
    showStartFolder();
    if (options_.mode == RunMode::Interactive) {
        ShowWindow(window_, SW_SHOW);
        UpdateWindow(window_);
    }
    if (scripted()) {
        Form::scriptAnswer = [this](Form& form) {
            takeShot(form.window(), "form");
            // The default button, as Enter presses it; a form that stays open is closed.
            form.pressDefault();
            if (!form.ended()) {
                SendMessageW(form.window(), WM_CLOSE, 0, 0);
            }
        };
        if (!options_.script.empty()) {
            PostMessageW(window_, scriptMessage, 0, 0);
        }
    }
}

int MainWindow::run() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!Form::dialogMessage(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

void MainWindow::runCommand(int command) {
    runner_->run(command);
}

void MainWindow::renderMenus() {
    HMENU bar = CreateMenu();
    statusTexts_.clear();
    std::function<void(HMENU, const std::vector<MenuItem>&)> fill =
        [&](HMENU menu, const std::vector<MenuItem>& items) {
            for (const MenuItem& item : items) {
                if (item.separator) {
                    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
                    continue;
                }
                if (item.popup) {
                    HMENU sub = CreatePopupMenu();
                    fill(sub, item.items);
                    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub),
                                widen(item.text).c_str());
                    continue;
                }
                UINT flags = MF_STRING;
                if (item.state != ItemState::Enabled) {
                    flags |= MF_GRAYED;
                }
                if (item.checked) {
                    flags |= MF_CHECKED;
                }
                AppendMenuW(menu, flags, static_cast<UINT_PTR>(item.id), widen(item.text).c_str());
                statusTexts_.try_emplace(item.id, vantor::statusText(item));
            }
        };
    for (const Menu& menu : state_.menu.menus) {
        HMENU popup = CreatePopupMenu();
        fill(popup, menu.items);
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), widen(menu.title).c_str());
    }
    HMENU old = GetMenu(window_);
    SetMenu(window_, bar);
    if (old != nullptr) {
        DestroyMenu(old);
    }
    DrawMenuBar(window_);
}

void MainWindow::showStatus(const std::string& text) {
    SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(widen(text).c_str()));
}

std::string MainWindow::statusText() const {
    const auto length = static_cast<int>(LOWORD(SendMessageW(statusBar_, SB_GETTEXTLENGTHW, 0, 0)));
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(statusBar_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return narrow(text);
}

void MainWindow::showStartFolder() {
    const std::string& folder = state_.folders.startDirectory;
    SendMessageW(statusBar_, SB_SETTEXTW, 1,
                 reinterpret_cast<LPARAM>(
                     widen(folder.empty() ? std::string() : "Start folder: " + folder).c_str()));
}

void MainWindow::layOut() {
    if (statusBar_ == nullptr || map_ == nullptr || comparison_ == nullptr) {
        return;
    }
    const int dpi = dpiOf(window_);
    const auto px = [dpi](int pixels) { return scaled(pixels, dpi); };
    RECT client;
    GetClientRect(window_, &client);
    SendMessageW(toolBar_, TB_AUTOSIZE, 0, 0);
    SendMessageW(statusBar_, WM_SIZE, 0, 0);
    RECT r;
    GetWindowRect(toolBar_, &r);
    const int top = r.bottom - r.top;
    GetWindowRect(statusBar_, &r);
    const int bottom = client.bottom - (r.bottom - r.top);
    const int width = client.right;
    const int parts[2] = {std::max(px(100), width - px(420)), -1};
    SendMessageW(statusBar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    // The map keeps at least half the width; the list and the side panel share the rest, each
    // as wide as the user dragged it. Between them and the map, the edges the user drags.
    const PanelWidths room = sharePanelRoom(width, panelsWanted(), panelsShown(), px(leastPanel));
    laidOut_ = room;
    const int listWidth = room.list;
    const int sideWidth = room.side;
    const int height = std::max(0, bottom - top);
    const bool listOpen = panelsShown().list;
    const int tabs = px(26);
    const int closer = px(22); // the close button beside a panel's tabs
    for (HWND c : {list_, listTabs_, closeList_}) {
        ShowWindow(c, listOpen ? SW_SHOW : SW_HIDE);
    }
    if (listOpen) {
        MoveWindow(listTabs_, 0, top, std::max(10, listWidth - closer - px(2)), tabs, TRUE);
        MoveWindow(closeList_, listWidth - closer, top + px(2), closer, closer, TRUE);
        MoveWindow(list_, 0, top + tabs, listWidth, std::max(10, height - tabs), TRUE);
    }
    const int edge = px(edgeWidth);
    const int mapLeft = listWidth + (listOpen ? edge : 0);
    const int mapWidth = std::max(10, width - mapLeft - sideWidth - (side_ >= 0 ? edge : 0));
    listEdge_ = listOpen ? RECT{listWidth, top, listWidth + edge, top + height} : RECT{};
    sideEdge_ =
        side_ >= 0 ? RECT{width - sideWidth - edge, top, width - sideWidth, top + height} : RECT{};
    MoveWindow(modeBox_, mapLeft + px(4), top + px(3), px(120), px(200), TRUE);
    MoveWindow(wholeButton_, mapLeft + px(130), top + px(2), px(90), px(25), TRUE);
    MoveWindow(legendBox_, mapLeft + px(228), top + px(4), px(80), px(21), TRUE);
    // At the bar's right end, where the map is wide enough to leave it room.
    const int saveLeft = std::max(px(312), mapWidth - px(134));
    ShowWindow(saveMapButton_, saveLeft + px(130) <= mapWidth ? SW_SHOW : SW_HIDE);
    MoveWindow(saveMapButton_, mapLeft + saveLeft, top + px(2), px(130), px(25), TRUE);
    const int bar = px(mapBarHeight);
    MoveWindow(map_->window(), mapLeft, top + bar, mapWidth, std::max(10, height - bar), TRUE);
    const int sideLeft = width - sideWidth;
    ShowWindow(tabs_, side_ >= 0 ? SW_SHOW : SW_HIDE);
    ShowWindow(closeSide_, side_ >= 0 ? SW_SHOW : SW_HIDE);
    ShowWindow(audit_->window(), side_ == 0 ? SW_SHOW : SW_HIDE);
    ShowWindow(comparison_->window(), side_ == 1 ? SW_SHOW : SW_HIDE);
    if (side_ >= 0) {
        MoveWindow(tabs_, sideLeft, top, std::max(10, sideWidth - closer - px(2)), tabs, TRUE);
        MoveWindow(closeSide_, width - closer, top + px(2), closer, closer, TRUE);
        HWND pane = side_ == 0 ? audit_->window() : comparison_->window();
        MoveWindow(pane, sideLeft, top + tabs, sideWidth, std::max(10, height - tabs), TRUE);
    }
}

PanelWidths MainWindow::panelsWanted() const {
    if (dragging_ >= 0) {
        return dragPixels_;
    }
    const int dpi = dpiOf(window_);
    return {panelWidths_.list > 0 ? scaled(panelWidths_.list, dpi) : 0,
            panelWidths_.side > 0 ? scaled(panelWidths_.side, dpi) : 0};
}

PanelsShown MainWindow::panelsShown() const {
    return {listShown_ && !listClosed_, side_ >= 0};
}

// A panel closed by its button, as its item of the panel menu closes it: the list comes back
// with the next list shown, the audit with the next audit; a comparison closed is gone.
void MainWindow::closePanel(HWND button) {
    choosePanel(button == closeList_ ? listPanelItem
                : side_ == 1         ? comparisonPanelItem
                                     : auditPanelItem);
}

int MainWindow::edgeAt(POINT at) const {
    if (PtInRect(&listEdge_, at) != 0) {
        return static_cast<int>(PanelEdge::List);
    }
    if (PtInRect(&sideEdge_, at) != 0) {
        return static_cast<int>(PanelEdge::Side);
    }
    return -1;
}

// The dragged edge follows the pointer where it was grabbed, within the room the map and the
// other panel leave.
void MainWindow::dragEdge(int x) {
    RECT client;
    GetClientRect(window_, &client);
    dragMoved_ = true;
    dragPixels_ =
        dragPanelEdge(client.right, dragPixels_, panelsShown(), scaled(leastPanel, dpiOf(window_)),
                      static_cast<PanelEdge>(dragging_), x - grabbedAt_);
    layOut();
}

// A drag that moved an edge leaves the widths, kept at 96 DPI, in the settings; a mere click
// leaves the panels to their shares.
void MainWindow::endDrag() {
    if (dragging_ < 0) {
        return;
    }
    dragging_ = -1;
    if (dragMoved_) {
        const int dpi = dpiOf(window_);
        const auto logical = [dpi](int pixels) { return pixels > 0 ? MulDiv(pixels, 96, dpi) : 0; };
        panelWidths_ = {logical(dragPixels_.list), logical(dragPixels_.side)};
        storePanelWidths(platform_, panelWidths_);
    }
}

// The panels, ticked where shown; one that has nothing to show is greyed.
HMENU MainWindow::panelMenu() const {
    HMENU menu = CreatePopupMenu();
    const auto item = [menu](int id, const wchar_t* text, bool shown, bool there) {
        const UINT state = (shown ? UINT{MF_CHECKED} : UINT{MF_UNCHECKED}) |
                           (there ? UINT{MF_ENABLED} : UINT{MF_GRAYED});
        AppendMenuW(menu, MF_STRING | state, static_cast<UINT_PTR>(id), text);
    };
    item(listPanelItem, L"List", panelsShown().list, listShown_);
    item(auditPanelItem, L"Audit", state_.audit.done && !auditClosed_, state_.audit.done);
    item(comparisonPanelItem, L"Comparison", state_.diff.done, state_.diff.done);
    return menu;
}

// A panel of the menu shown, or closed: a comparison closed is gone.
void MainWindow::choosePanel(int item) {
    if (item == listPanelItem && listShown_) {
        listClosed_ = !listClosed_;
        layOut();
    } else if (item == auditPanelItem && state_.audit.done) {
        auditClosed_ = !auditClosed_;
        showSide(!auditClosed_ ? 0 : state_.diff.done ? 1 : -1);
    } else if (item == comparisonPanelItem && state_.diff.done) {
        closeComparison();
    }
}

// The tabs above the side panel: the audit and the comparison, those there are.
void MainWindow::showSide(int which) {
    side_ = which;
    SendMessageW(tabs_, TCM_DELETEALLITEMS, 0, 0);
    int index = 0;
    const auto tab = [&](const std::string& text, int panel) {
        std::wstring label = widen(text);
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = label.data();
        item.lParam = panel;
        SendMessageW(tabs_, TCM_INSERTITEMW, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item));
        if (panel == which) {
            SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
        }
        ++index;
    };
    if (state_.audit.done && !auditClosed_) {
        tab("Audit", 0);
    }
    if (state_.diff.done) {
        tab(comparison_->title(), 1);
    }
    layOut();
}

void MainWindow::closeComparison() {
    state_.diff = {}; // the later terrain it holds is not kept past its panel
    map_->setChanges({});
    map_->setSelectedChange(std::nullopt);
    showSide(state_.audit.done && !auditClosed_ ? 0 : -1);
}

void MainWindow::showList(bool reset) {
    ++syncingList_;
    const bool open = state_.list.model.window.has_value();
    if (reset) {
        while (SendMessageW(list_, LVM_DELETECOLUMN, 0, 0) != FALSE) {
        }
        const ListMode mode = open ? state_.list.model.window->listMode : state_.list.listMode;
        int index = 0;
        for (const ListColumn& column : listColumns(mode)) {
            std::wstring title = widen(column.title);
            LVCOLUMNW c{};
            c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            c.fmt = LVCFMT_CENTER;
            c.pszText = title.data();
            c.cx = scaled(column.width, dpiOf(window_)); // laid out at 96 DPI
            SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index++),
                         reinterpret_cast<LPARAM>(&c));
        }
    }
    const std::size_t rows = open ? state_.list.model.window->display.size() : 0;
    SendMessageW(list_, LVM_SETITEMCOUNT, rows, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    // The highlights the core holds are the rows selected in the view.
    if (open) {
        const ListWindow& w = *state_.list.model.window;
        LVITEMW none{};
        none.stateMask = LVIS_SELECTED;
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&none));
        for (std::size_t p = 0; p < w.display.size(); ++p) {
            if (w.highlighted[w.display[p]] != 0) {
                LVITEMW item{};
                item.stateMask = LVIS_SELECTED;
                item.state = LVIS_SELECTED;
                SendMessageW(list_, LVM_SETITEMSTATE, p, reinterpret_cast<LPARAM>(&item));
            }
        }
    }
    InvalidateRect(list_, nullptr, TRUE);
    if (open && !listSized_ && panelWidths_.list == 0) {
        // The first list of the run gets the width of its columns (as far as the map's half of
        // the window allows) unless the user has given the panel a width.
        listSized_ = true;
        // The columns, the scroll bar and a little air, at 96 DPI.
        panelWidths_.list = listColumnsWidth(state_.list.model.window->listMode) +
                            GetSystemMetrics(SM_CXVSCROLL) * 96 / dpiOf(window_) + 28;
        layOut();
    }
    if (listShown_ != open || (reset && open && listClosed_)) {
        listShown_ = open;
        listClosed_ = false; // a list to see: its panel comes back if it was closed
        layOut();
    }
    map_->update();
    --syncingList_;
}

void MainWindow::readListSelection() {
    if (syncingList_ > 0 || !state_.list.model.window) {
        return;
    }
    ListWindow& w = *state_.list.model.window;
    std::fill(w.highlighted.begin(), w.highlighted.end(), 0);
    for (int p = selectedListRow(list_); p >= 0;
         p = static_cast<int>(
             SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(p), LVNI_SELECTED))) {
        if (static_cast<std::size_t>(p) < w.display.size()) {
            w.highlighted[w.display[static_cast<std::size_t>(p)]] = 1;
        }
    }
    map_->showHighlighted(); // by the mouse or the keys: the map follows
}

void MainWindow::listNotify(NMHDR* header, LRESULT& result) {
    if (!state_.list.model.window) {
        return;
    }
    ListWindow& w = *state_.list.model.window;
    switch (header->code) {
    case LVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        const auto position = static_cast<std::size_t>(info->item.iItem);
        if (position >= w.display.size()) {
            return;
        }
        if ((info->item.mask & LVIF_TEXT) != 0) {
            cell_ = widen(cellText(w, position, info->item.iSubItem, state_.list.listKind,
                                   state_.scan.scanAll));
            lstrcpynW(info->item.pszText, cell_.c_str(), info->item.cchTextMax);
        }
        if ((info->item.mask & LVIF_IMAGE) != 0 && info->item.iSubItem == 0) {
            const std::int32_t mark = markOf(w, w.display[position]);
            info->item.iImage = mark == MarkSelected ? 1 : mark == MarkDeleted ? 2 : 0;
        }
        return;
    }
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
        readListSelection();
        return;
    case NM_CLICK:
        map_->showHighlighted();
        return;
    case NM_RCLICK: // a row's mark is toggled by a right-click or a double-click
    case NM_DBLCLK: {
        const int row = reinterpret_cast<NMITEMACTIVATE*>(header)->iItem;
        if (row >= 0 && static_cast<std::size_t>(row) < w.display.size()) {
            toggleMark(w, w.display[static_cast<std::size_t>(row)]);
            InvalidateRect(list_, nullptr, FALSE);
            map_->update();
        }
        return;
    }
    case LVN_ITEMACTIVATE: // several rows highlighted: they are all selected
        activateHighlighted(w);
        InvalidateRect(list_, nullptr, FALSE);
        map_->update();
        return;
    case LVN_COLUMNCLICK:
        sortByHeader(state_.list.model, reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
        showList(false);
        return;
    default:
        break;
    }
    (void)result;
}

void MainWindow::selectRowFromMap(std::size_t row) {
    if (!state_.list.model.window) {
        return;
    }
    const std::optional<std::size_t> shown = highlightOnly(*state_.list.model.window, row);
    showList(false);
    if (shown) {
        SendMessageW(list_, LVM_ENSUREVISIBLE, *shown, FALSE);
    }
}

void MainWindow::applyRepairs(int finding, bool wholeCheck) {
    if (finding < 0 || runner_->busy()) {
        return;
    }
    const AppliedRepairs applied =
        vantor::applyRepairs(state_, platform_, static_cast<std::size_t>(finding), wholeCheck,
                             [this](int command, const std::function<void()>& work) {
                                 runner_->runWork(command, work);
                             });
    if (applied.command != 0) {
        runCommand(applied.command); // as from its menu item: its own dialogs and message
        return;
    }
    if (!applied.done) {
        return;
    }
    showStatus(applied.line);
    audit_->showWorkDone(applied.line);
    if (state_.audit.done) {
        audit_->selectFinding(applied.next ? static_cast<int>(*applied.next) : -1);
    }
}

void MainWindow::setTileAt(std::int32_t x, std::int32_t y) {
    state_.tools.tileX = x;
    state_.tools.tileY = y;
    runCommand(cmd::SetTile);
}

void MainWindow::syncMap(int command) {
    if (!state_.terrain.terrainOpen || state_.terrain.matrix.empty()) {
        if (mappedTerrain_ != nullptr) {
            mappedTerrain_ = nullptr;
            map_->terrainChanged(true);
        }
        return;
    }
    const void* block = state_.terrain.matrix.posts.data();
    const bool newTerrain = block != mappedTerrain_;
    if (redrawTerrainAfter(command, newTerrain)) {
        mappedTerrain_ = block;
        map_->terrainChanged(newTerrain);
    }
    map_->update();
}

void MainWindow::afterCommand(int command) {
    if (!state_.audit.done && side_ == 0) {
        showSide(state_.diff.done ? 1 : -1); // no audit came back
    }
    if (!state_.diff.done && side_ == 1) {
        closeComparison(); // the comparison went with the terrain it compared
    }
    syncMap(command);
    showStartFolder();
    renderMenus();
}

void MainWindow::notify(NMHDR* header, LRESULT& result) {
    if (header->code == TTN_GETDISPINFOW) { // a toolbar button's tooltip
        auto* tip = reinterpret_cast<NMTTDISPINFOW*>(header);
        for (const ToolbarButton& button : toolbarButtons()) {
            if (static_cast<UINT_PTR>(button.command) == tip->hdr.idFrom) {
                tip_ = widen(button.tooltip);
                tip->lpszText = tip_.data();
                showStatus(commandStatusText(button.command));
            }
        }
        return;
    }
    if (header->hwndFrom == list_) {
        listNotify(header, result);
    } else if (header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) {
        const int index = static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0));
        TCITEMW item{};
        item.mask = TCIF_PARAM;
        SendMessageW(tabs_, TCM_GETITEMW, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item));
        side_ = static_cast<int>(item.lParam);
        layOut();
    }
}

LRESULT CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        reinterpret_cast<MainWindow*>(create->lpCreateParams)->window_ = window;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self == nullptr ? DefWindowProcW(window, message, w, l) : self->handle(message, w, l);
}

LRESULT MainWindow::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_SIZE:
        layOut();
        return 0;
    case WM_DPICHANGED: { // moved to a monitor of another DPI: its size and fonts follow
        const auto* suggested = reinterpret_cast<const RECT*>(l);
        HFONT font = messageFontFor(window_);
        EnumChildWindows(
            window_,
            [](HWND child, LPARAM f) {
                SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(f), TRUE);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(font));
        SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        layOut();
        return 0;
    }
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(w) == window_ && LOWORD(l) == HTCLIENT) {
            POINT at;
            GetCursorPos(&at);
            ScreenToClient(window_, &at);
            if (edgeAt(at) >= 0) {
                SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
                return TRUE;
            }
        }
        break;
    case WM_LBUTTONDOWN: {
        const POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        const int edge = edgeAt(at);
        if (edge >= 0) {
            dragPixels_ = panelsWanted();
            dragging_ = edge;
            dragMoved_ = false;
            pressedAt_ = at.x;
            grabbedAt_ = at.x - (edge == static_cast<int>(PanelEdge::List) ? listEdge_.left
                                                                           : sideEdge_.right);
            SetCapture(window_);
        }
        return 0;
    }
    case WM_MOUSEMOVE:
        if (dragging_ >= 0 && (dragMoved_ || GET_X_LPARAM(l) != pressedAt_)) {
            dragEdge(GET_X_LPARAM(l));
        }
        return 0;
    case WM_LBUTTONUP:
        if (dragging_ >= 0) {
            if (dragMoved_ || GET_X_LPARAM(l) != pressedAt_) {
                dragEdge(GET_X_LPARAM(l));
            }
            endDrag();
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED: // also when the capture is taken away mid-drag
        endDrag();
        return 0;
    case WM_CONTEXTMENU: { // on the toolbar or a panel's tabs: the panels, to show or close
        const auto from = reinterpret_cast<HWND>(w);
        if (from != toolBar_ && from != tabs_ && from != listTabs_) {
            break;
        }
        POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        if (at.x == -1 && at.y == -1) { // from the keyboard
            RECT r;
            GetWindowRect(from, &r);
            at = {r.left, r.bottom};
        }
        HMENU menu = panelMenu();
        const int chosen = static_cast<int>(
            TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr));
        DestroyMenu(menu);
        choosePanel(chosen);
        return 0;
    }
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(l)->ptMinTrackSize = {640, 420};
        return 0;
    case WM_COMMAND: {
        const int id = LOWORD(w);
        const auto from = reinterpret_cast<HWND>(l);
        if (from == modeBox_ && HIWORD(w) == CBN_SELCHANGE) {
            map_->setMode(SendMessageW(modeBox_, CB_GETCURSEL, 0, 0) == 0 ? MapMode::Relief
                                                                          : MapMode::Tiles);
        } else if (from == wholeButton_) {
            map_->fitWhole();
        } else if (from == saveMapButton_) {
            saveMapImage();
        } else if (from == closeList_ || from == closeSide_) {
            closePanel(from);
        } else if (from == legendBox_) {
            map_->setLegendShown(SendMessageW(legendBox_, BM_GETCHECK, 0, 0) == BST_CHECKED);
        } else if (from == nullptr || from == toolBar_) {
            runCommand(id); // a menu item, a toolbar button, a command a window posted
        }
        return 0;
    }
    case WM_NOTIFY: {
        LRESULT result = 0;
        notify(reinterpret_cast<NMHDR*>(l), result);
        return result;
    }
    case WM_MENUSELECT: {
        const UINT item = LOWORD(w);
        const auto it = statusTexts_.find(static_cast<int>(item));
        if ((HIWORD(w) & MF_POPUP) == 0 && it != statusTexts_.end()) {
            showStatus(it->second);
        }
        return 0;
    }
    case runPostedMessage:
        runner_->runPosted();
        return 0;
    case scriptMessage:
        scriptStep();
        return 0;
    case endRunMessage:
        DestroyWindow(window_);
        return 0;
    case WM_CLOSE:
        if (runner_->windowClosing()) {
            DestroyWindow(window_);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(1);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, w, l);
}

// ---- The scripted run ----

// What the screen shows of a window (a printed window comes out blank under Wine).
static MapImage screenPicture(HWND window) {
    MapImage image;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0) {
        return image;
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    image.resize(width, height);
    BITMAPINFO info = topDownBitmap(width, height);
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), image.pixels.data(), &info,
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (Argb& p : image.pixels) {
        p |= 0xff000000u;
    }
    return image;
}

// Save Map Image...: the map as it stands in the window, legend and marks and all.
void MainWindow::saveMapImage() {
    FileRequest request;
    request.kind = FileDialogKind::Save;
    request.title = "Save Map Image";
    request.filter = "PNG image|*.png||";
    request.initialName = "Map.png";
    request.initialFolder = state_.terrain.terrainDirectory;
    const FileRequestResult chosen = platform_.requestFile(request);
    if (chosen.status != FileRequestStatus::Chosen) {
        return;
    }
    // The terrain the map shows, and whatever else is held open, is never written over.
    InputScope scope(state_.files.inputs);
    const MapImage image = map_->snapshot();
    std::string png;
    std::string error;
    if (!encodeMapPng(image, png, error) || !writeFileAside(toFsPath(chosen.path), png, error)) {
        showMessage(platform_, "Cannot write " + chosen.path + ": " + error, "Save Map Image",
                    MessageIcon::Warning);
        return;
    }
    showStatus("Wrote " + chosen.path);
}

void MainWindow::takeShot(HWND window, const std::string& name, bool numbered) {
    if (options_.shots.empty() || window == nullptr) {
        return;
    }
    const MapImage image = screenPicture(window);
    if (image.width <= 0) {
        return;
    }
    std::string file = name;
    std::replace_if(
        file.begin(), file.end(), [](char c) { return std::strchr("\\/:*?\"<>|", c) != nullptr; },
        '-');
    if (numbered) {
        char number[8];
        std::snprintf(number, sizeof(number), "%02d-", ++shotCount_);
        file = number + file;
    }
    const std::string path = options_.shots + "\\" + file + ".png";
    std::string png;
    std::string error;
    if (encodeMapPng(image, png, error) && writeFileAside(toFsPath(path), png, error)) {
        logLine("shot: " + path);
    } else {
        logLine("shot: " + path + ": " + error);
    }
}

// A step of the script: a command's identifier, "apply" (the first finding the panel can
// apply), "finding:N" (the audit's finding N selected) or "fit" (the whole map). After each, a
// picture of the window; after the last, the window closes.
void MainWindow::scriptStep() {
    if (runner_->busy() || runner_->waiting() > 0) {
        PostMessageW(window_, scriptMessage, 0, 0); // what it posted runs first
        return;
    }
    if (scriptAt_ >= options_.script.size()) {
        if (!options_.finalShot.empty()) {
            const std::string steps = options_.shots;
            takeShot(window_, "last");
            std::error_code ignored;
            char number[8];
            std::snprintf(number, sizeof(number), "%02d", shotCount_);
            std::filesystem::copy_file(toFsPath(steps + "\\" + number + "-last.png"),
                                       toFsPath(options_.finalShot),
                                       std::filesystem::copy_options::overwrite_existing, ignored);
        }
        logLine("script: done");
        PostMessageW(window_, WM_CLOSE, 0, 0);
        return;
    }
    const std::string step = options_.script[scriptAt_++];
    logLine("step: " + step);
    std::string name = step;
    if (step == "apply") {
        for (std::size_t i = 0; state_.audit.done && i < state_.audit.last.report.findings.size();
             ++i) {
            const AuditFinding& f = state_.audit.last.report.findings[i];
            if (canApply(f) && findingCommand(f) == 0) {
                audit_->selectFinding(static_cast<int>(i));
                applyRepairs(static_cast<int>(i), false);
                break;
            }
        }
    } else if (step == "fit") {
        map_->fitWhole();
    } else if (step.rfind("finding:", 0) == 0) { // a finding of the audit selected, by number
        audit_->selectFinding(std::atoi(step.c_str() + 8));
    } else {
        const int command = std::atoi(step.c_str());
        const char* label = nullptr;
        for (const CommandFacts& facts : commandtable::table) {
            if (facts.id == command) {
                label = facts.cli != nullptr ? facts.cli : nullptr;
            }
        }
        name = step + (label != nullptr ? std::string("-") + label : std::string());
        runCommand(command);
    }
    UpdateWindow(window_);
    takeShot(window_, name);
    PostMessageW(window_, scriptMessage, 0, 0);
}

} // namespace vantor::win32
