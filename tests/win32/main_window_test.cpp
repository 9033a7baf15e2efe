// The native Windows program driven as a user drives it: through its menus' commands, its
// toolbar, its list, its map and its audit panel, with the file dialogs answered by the test.
#include "app/command_table.h"
#include "app/commands.h"
#include "app/panel_room.h"
#include "app/recent_files.h"
#include "app/toolbar.h"
#include "audit/audit_text.h"
#include "flows/set_tile_flow.h"
#include "sample/sample_theater.h"
#include "terrain/l2_info.h"
#include "win32/form.h"
#include "win32/main_window.h"
#include "win32/map_pane.h"
#include "win32/panels.h"

#include <algorithm>
#include <commctrl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <string>

namespace vantor::win32 {
namespace {

// A sample theater of 8 x 8 sections in a folder of its own (a name beyond ASCII, as Windows
// users' folders have), and the program started on it with every file dialog answered from
// `answers` by what it asks for.
class Desk : public ::testing::Test {
  protected:
    void SetUp() override {
        std::wstring temp(MAX_PATH + 1, L'\0');
        temp.resize(GetTempPathW(static_cast<DWORD>(temp.size()), temp.data()));
        folder_ = narrow(temp) + "vantor-t\xc3\xa9st-" + std::to_string(GetCurrentProcessId()) +
                  "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        SampleOptions sample;
        sample.sections = 8;
        std::string error;
        ASSERT_TRUE(writeSampleTheater(folder_, sample, error)) << error;
        forgetPanelWidths();
        options_.startFolderArgument = folder_;
        options_.startDirectory = folder_;
        start();
        answers[FileRequestRole::Terrain] = path("Theater.L2");
        answers[FileRequestRole::Source] = path("Theater.csv");
    }
    void start() {
        window_ = std::make_unique<MainWindow>(options_);
        Platform& p = window_->platform();
        p.requestFile = [this](const FileRequest& r) {
            const auto it = answers.find(r.role);
            if (it == answers.end()) {
                return FileRequestResult{};
            }
            return FileRequestResult{FileRequestStatus::Chosen, it->second, 0};
        };
        p.messageBox = [this](const MessageBoxRequest& r) {
            messages.push_back(r.text);
            return r.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
        };
        window_->startUp();
        ShowWindow(window_->window(), SW_SHOW);
        SetCursorPos(0, 0); // off the window: the map's hover would take the status bar
    }
    void TearDown() override {
        Form::scriptAnswer = nullptr;
        window_.reset();
        forgetPanelWidths();
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(widen(folder_)), ignored);
    }
    std::string path(const std::string& name) const { return folder_ + "\\" + name; }
    // Lets the window handle what waits (posted commands, painting).
    void pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        UpdateWindow(window_->window());
    }
    void run(int command) {
        window_->runCommand(command);
        pump();
    }
    UINT menuState(int command) const {
        return GetMenuState(GetMenu(window_->window()), static_cast<UINT>(command), MF_BYCOMMAND);
    }
    std::wstring listCell(int row, int column) const {
        wchar_t text[512] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 512;
        SendMessageW(window_->listView(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        return text;
    }

    // A form's controls of a kind (EDIT, BUTTON, LISTBOX), in the order laid out.
    static std::vector<HWND> controls(HWND form, const wchar_t* kind) {
        std::vector<HWND> found;
        for (HWND c = FindWindowExW(form, nullptr, kind, nullptr); c != nullptr;
             c = FindWindowExW(form, c, kind, nullptr)) {
            found.push_back(c);
        }
        return found;
    }
    // Compare Versions with a later terrain, and no later export.
    void compareWith(const std::string& laterTerrain) {
        const auto ask = window_->platform().requestFile;
        int versions = 0;
        window_->platform().requestFile = [&](const FileRequest& r) {
            if (r.role != FileRequestRole::Version) {
                return ask(r);
            }
            return versions++ == 0 ? FileRequestResult{FileRequestStatus::Chosen, laterTerrain, 0}
                                   : FileRequestResult{};
        };
        run(cmd::CompareVersions);
        window_->platform().requestFile = ask;
    }
    // The form's title and its fields' texts, noted in turn; its fields.
    static std::vector<HWND> readForm(Form& form, std::vector<std::string>& seen) {
        const std::vector<HWND> fields = controls(form.window(), L"EDIT");
        seen.push_back(windowText(form.window()));
        for (HWND f : fields) {
            seen.push_back(windowText(f));
        }
        return fields;
    }
    static void type(HWND field, const std::string& text) {
        SetWindowTextW(field, widen(text).c_str());
    }
    static void click(HWND form, const wchar_t* button) {
        SendMessageW(FindWindowExW(form, nullptr, L"BUTTON", button), BM_CLICK, 0, 0);
    }

    static void forgetPanelWidths() {
        RegDeleteTreeW(HKEY_CURRENT_USER, widen(std::string(settingsKey) + "\\Window").c_str());
    }

    std::string folder_;
    MainWindowOptions options_;
    std::unique_ptr<MainWindow> window_;
    std::map<FileRequestRole, std::string> answers;
    std::vector<std::string> messages;
};

TEST_F(Desk, MenusFollowTheMenuModelAndItsGreyRules) {
    HMENU bar = GetMenu(window_->window());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(GetMenuItemCount(bar), static_cast<int>(window_->state().menu.menus.size()));
    wchar_t title[64] = {};
    GetMenuStringW(bar, 0, title, 64, MF_BYPOSITION);
    EXPECT_EQ(narrow(title), window_->state().menu.menus.front().title);
    // Terrain closed: Close Terrain and the scans are grey, Open L2 is not; then the other way.
    const struct {
        int command;
        bool greyBefore;
        bool greyAfter;
    } rules[] = {{cmd::CloseTerrain, true, false},
                 {cmd::CheckRoads, true, false},
                 {cmd::OpenL2Terrain, false, true},
                 {cmd::AuditTheater, true, false}};
    for (const auto& r : rules) {
        EXPECT_EQ((menuState(r.command) & MF_GRAYED) != 0, r.greyBefore) << r.command;
    }
    run(cmd::OpenL2Terrain);
    ASSERT_TRUE(window_->state().terrain.terrainOpen);
    for (const auto& r : rules) {
        EXPECT_EQ((menuState(r.command) & MF_GRAYED) != 0, r.greyAfter) << r.command;
    }
    // The theater's name in the Theater menu, checked.
    EXPECT_NE(menuState(cmd::TheaterFirst) & MF_CHECKED, 0u);
}

TEST_F(Desk, ToolbarButtonsRunTheirCommandsAndSayTheirTooltips) {
    HWND bar = window_->toolBar();
    ASSERT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0),
              static_cast<LRESULT>(toolbarButtons().size()));
    for (const ToolbarButton& button : toolbarButtons()) {
        NMTTDISPINFOW tip{};
        tip.hdr.hwndFrom = bar;
        tip.hdr.idFrom = static_cast<UINT_PTR>(button.command);
        tip.hdr.code = TTN_GETDISPINFOW;
        SendMessageW(window_->window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
        ASSERT_NE(tip.lpszText, nullptr);
        EXPECT_EQ(narrow(tip.lpszText), button.tooltip);
        EXPECT_EQ(window_->statusText(), commandStatusText(button.command));
    }
    // The open-terrain button, as a click sends it.
    SendMessageW(window_->window(), WM_COMMAND, cmd::OpenL2Terrain, reinterpret_cast<LPARAM>(bar));
    pump();
    EXPECT_TRUE(window_->state().terrain.terrainOpen);
}

TEST_F(Desk, TheListShowsTheCoresRowsAndSortsByAHeader) {
    run(cmd::OpenSourceCsv);
    ASSERT_TRUE(window_->state().list.model.window.has_value());
    const ListWindow& w = *window_->state().list.model.window;
    HWND list = window_->listView();
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(w.display.size()));
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0),
              static_cast<LRESULT>(listColumns(w.listMode).size()));
    // The run's first list: the panel as wide as its columns, as far as the map's half allows.
    int columns = 0;
    for (const ListColumn& column : listColumns(w.listMode)) {
        columns += column.width;
    }
    RECT client;
    GetClientRect(window_->window(), &client);
    EXPECT_GE(window_->panelRoom().list, std::min<int>(columns, client.right / 2));
    for (int row : {0, 5}) {
        for (int column : {0, 1, 2}) {
            EXPECT_EQ(narrow(listCell(row, column)),
                      cellText(w, static_cast<std::size_t>(row), column,
                               window_->state().list.listKind, window_->state().scan.scanAll));
        }
    }
    // A right-click toggles a row's mark, and so does a double-click.
    const auto clickRow = [&](UINT code, int row) {
        NMITEMACTIVATE click{};
        click.hdr.hwndFrom = list;
        click.hdr.code = code;
        click.iItem = row;
        SendMessageW(window_->window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    };
    const std::size_t third = w.display[3];
    const std::int32_t before = markOf(w, third);
    clickRow(NM_RCLICK, 3);
    EXPECT_NE(markOf(w, third), before);
    clickRow(NM_DBLCLK, 3);
    EXPECT_EQ(markOf(w, third), before);
    clickRow(NM_RCLICK, -1); // below the rows: nothing
    EXPECT_EQ(markOf(w, third), before);
    // A click on the ID# header sorts by it: the rows follow the core's order.
    NMLISTVIEW click{};
    click.hdr.hwndFrom = list;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = 2;
    SendMessageW(window_->window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    const std::wstring first = listCell(0, 2);
    sortByHeader(window_->state().list.model, 2);
    sortByHeader(window_->state().list.model, 2); // twice: back to the order the click gave
    EXPECT_EQ(narrow(first),
              cellText(*window_->state().list.model.window, 0, 2, window_->state().list.listKind,
                       window_->state().scan.scanAll));
}

// The edges between the panels and the map are dragged with the mouse; the map keeps half the
// window, and the widths are there again when the program next starts.
TEST_F(Desk, PanelEdgesAreDraggedAndRemembered) {
    run(cmd::OpenL2Terrain);
    run(cmd::OpenSourceCsv);
    run(cmd::AuditTheater);
    const PanelWidths before = window_->panelRoom();
    ASSERT_GT(before.list, 0);
    ASSERT_GT(before.side, 0);
    RECT client;
    GetClientRect(window_->window(), &client);
    const int y = client.bottom / 2;
    const auto drag = [&](int from, int to) {
        HWND w = window_->window();
        SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from, y));
        SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to, y));
        SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(to, y));
        pump();
    };
    // A click on an edge moves nothing and leaves the panels to their shares.
    drag(before.list + 2, before.list + 2);
    EXPECT_EQ(window_->panelRoom().list, before.list);
    const std::string windowKey = std::string(settingsKey) + "\\Window";
    EXPECT_FALSE(window_->platform().readSetting(windowKey, "ListWidth").value.has_value());
    drag(before.list + 2, before.list + 2 - 60);
    EXPECT_EQ(window_->panelRoom().list, before.list - 60);
    EXPECT_EQ(window_->panelRoom().side, before.side);
    RECT listRect;
    GetWindowRect(window_->listView(), &listRect);
    EXPECT_EQ(listRect.right - listRect.left, before.list - 60);
    const int sideEdge = client.right - before.side - 2;
    drag(sideEdge, sideEdge - 40);
    EXPECT_EQ(window_->panelRoom().side, before.side + 40);
    // Dragged across the map, the list stops where the map would have less than half.
    drag(window_->panelRoom().list + 2, client.right - 10);
    const PanelWidths wide = window_->panelRoom();
    EXPECT_EQ(wide.list + wide.side, client.right / 2);
    EXPECT_EQ(wide.side, before.side + 40);
    // A press beside the edge, on the map, is no drag.
    drag(wide.list + 40, wide.list + 140);
    EXPECT_EQ(window_->panelRoom().list, wide.list);
    const SettingRead stored = window_->platform().readSetting(windowKey, "ListWidth");
    ASSERT_TRUE(stored.value.has_value());
    EXPECT_EQ(*stored.value, std::to_string(wide.list)); // 96 DPI under the test's display
    // The next start lays the panels out as they were left.
    window_.reset();
    start();
    run(cmd::OpenSourceCsv);
    EXPECT_EQ(window_->panelRoom().list, wide.list);
}

// Each panel closes by the button beside its tabs and the map takes the room; the list comes
// back with the next list, the audit with the next audit (or either from the panel menu), a
// comparison is gone.
TEST_F(Desk, PanelsCloseAndComeBack) {
    run(cmd::OpenL2Terrain);
    run(cmd::OpenSourceCsv);
    run(cmd::AuditTheater);
    HWND w = window_->window();
    const auto closeButtons = [&] {
        std::vector<HWND> found;
        for (HWND c : controls(w, L"BUTTON")) {
            if (windowText(c) == "\xc3\x97" && IsWindowVisible(c)) {
                found.push_back(c);
            }
        }
        return found;
    };
    RECT map;
    GetWindowRect(window_->map().window(), &map);
    const long mapBefore = map.right - map.left;
    ASSERT_EQ(closeButtons().size(), 2u);
    SendMessageW(closeButtons().front(), BM_CLICK, 0, 0); // the list's, at the left
    EXPECT_FALSE(IsWindowVisible(window_->listView()));
    EXPECT_EQ(window_->panelRoom().list, 0);
    // The menu of the toolbar and the tabs shows a closed panel again, and closes it.
    window_->choosePanel(1);
    EXPECT_TRUE(IsWindowVisible(window_->listView()));
    window_->choosePanel(1);
    EXPECT_FALSE(IsWindowVisible(window_->listView()));
    SendMessageW(closeButtons().front(), BM_CLICK, 0, 0); // the audit's
    EXPECT_EQ(window_->sidePanel(), -1);
    window_->choosePanel(2);
    EXPECT_EQ(window_->sidePanel(), 0);
    window_->choosePanel(2);
    EXPECT_EQ(window_->sidePanel(), -1);
    EXPECT_TRUE(closeButtons().empty());
    GetWindowRect(window_->map().window(), &map);
    EXPECT_GT(map.right - map.left, mapBefore);
    RECT client;
    GetClientRect(w, &client);
    EXPECT_GE(map.right - map.left, client.right - 10);
    run(cmd::OpenSourceCsv);
    EXPECT_TRUE(IsWindowVisible(window_->listView()));
    // A comparison opened while the audit is closed: closing it leaves the audit closed.
    const std::filesystem::path later = std::filesystem::path(widen(folder_)) / L"later";
    std::filesystem::create_directory(later);
    for (const wchar_t* file : {L"Theater.L2", L"Theater.O2"}) {
        std::filesystem::copy_file(std::filesystem::path(widen(folder_)) / file, later / file);
    }
    compareWith(narrow((later / L"Theater.L2").wstring()));
    ASSERT_TRUE(window_->state().diff.done) << (messages.empty() ? "" : messages.back());
    EXPECT_EQ(window_->sidePanel(), 1);
    SendMessageW(closeButtons().back(), BM_CLICK, 0, 0);
    EXPECT_FALSE(window_->state().diff.done);
    EXPECT_EQ(window_->sidePanel(), -1);
    run(cmd::AuditTheater);
    EXPECT_EQ(window_->sidePanel(), 0);
    EXPECT_EQ(closeButtons().size(), 2u);
}

TEST_F(Desk, TheMapShowsTheTerrainAndCentresOnAFinding) {
    run(cmd::OpenL2Terrain);
    RECT client;
    GetClientRect(window_->map().window(), &client);
    InvalidateRect(window_->map().window(), nullptr, FALSE);
    UpdateWindow(window_->map().window());
    const MapImage& picture = window_->map().picture();
    ASSERT_EQ(picture.width, client.right);
    ASSERT_EQ(picture.height, client.bottom);
    // The middle of the fitted map is land, not the background around it.
    EXPECT_NE(picture.at(picture.width / 2, picture.height / 2), mapBackground);
    run(cmd::AuditTheater);
    ASSERT_TRUE(window_->state().audit.done);
    EXPECT_EQ(window_->sidePanel(), 0);
    window_->auditPane().selectFinding(0);
    pump();
    UpdateWindow(window_->map().window());
    const AuditFinding& f = window_->state().audit.last.report.findings.front();
    const MapTransform t = [&] {
        MapViewport v;
        v.width = client.right;
        v.height = client.bottom;
        v.setView(window_->map().pixelsPerPost(), f.mapX + 0.5, f.mapY + 0.5);
        return v.transform();
    }();
    EXPECT_NEAR(t.screenX(f.mapX + 0.5), client.right / 2.0, 1.0);
    EXPECT_GE(window_->map().pixelsPerPost(), 4.0);
}

TEST_F(Desk, SaveMapImageWritesTheMapAsItStands) {
    run(cmd::OpenL2Terrain);
    answers[FileRequestRole::Output] = path("Map.png");
    HWND button = FindWindowExW(window_->window(), nullptr, L"BUTTON", L"Save Map Image...");
    ASSERT_NE(button, nullptr);
    SendMessageW(window_->window(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    pump();
    std::ifstream in(std::filesystem::path(widen(path("Map.png"))), std::ios::binary);
    std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(png.size(), 33u) << window_->statusText();
    EXPECT_EQ(png.substr(1, 3), "PNG");
    // The picture is the map's client area: its size in the header, big-endian.
    const auto number = [&png](std::size_t at) {
        return (static_cast<unsigned char>(png[at]) << 24) |
               (static_cast<unsigned char>(png[at + 1]) << 16) |
               (static_cast<unsigned char>(png[at + 2]) << 8) |
               static_cast<unsigned char>(png[at + 3]);
    };
    RECT client;
    GetClientRect(window_->map().window(), &client);
    EXPECT_EQ(number(16), static_cast<unsigned>(client.right));
    EXPECT_EQ(number(20), static_cast<unsigned>(client.bottom));
    EXPECT_EQ(window_->statusText(), "Wrote " + path("Map.png"));
    // Drawn off the screen: a window over the map is not in the picture, and the picture is
    // the map as composed.
    HWND cover = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"over the map", WS_POPUP | WS_VISIBLE,
                                 0, 0, 4000, 4000, nullptr, nullptr, nullptr, nullptr);
    pump();
    const MapImage shot = window_->map().snapshot();
    DestroyWindow(cover);
    ASSERT_EQ(shot.width, client.right);
    const MapImage& composed = window_->map().picture();
    ASSERT_EQ(composed.width, shot.width);
    // Away from the legend's corner, every pixel is the composed map's.
    for (int y = client.bottom / 2; y < client.bottom; y += 7) {
        for (int x = 0; x < client.right / 2; x += 5) {
            ASSERT_EQ(shot.at(x, y), composed.at(x, y) | 0xff000000u) << x << "," << y;
        }
    }
}

TEST_F(Desk, TheAuditPanelSearchesAppliesAndUndoes) {
    run(cmd::OpenL2Terrain);
    run(cmd::OpenSourceCsv);
    run(cmd::AuditTheater);
    ASSERT_TRUE(window_->state().audit.done);
    AuditPane& pane = window_->auditPane();
    // The buttons say what they do, in the Qt program's words.
    const std::pair<const wchar_t*, const char*> tips[] = {
        {L"Apply", audittips::apply},
        {L"Apply All of Check", audittips::applyAll},
        {L"Compare with Baseline...", audittips::baseline},
        {L"Save Page...", audittips::savePage},
        {L"Save JSON...", audittips::saveJson}};
    for (const auto& [label, text] : tips) {
        HWND button = FindWindowExW(pane.window(), nullptr, L"BUTTON", label);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(pane.tipOf(button), text);
    }
    const std::size_t all = window_->state().audit.last.report.findings.size();
    EXPECT_EQ(pane.shownRows(), all);
    EXPECT_EQ(SendMessageW(pane.findings(), LVM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(all));
    pane.setSearch("RIVERS");
    pump();
    std::size_t rivers = 0;
    for (const AuditFinding& f : window_->state().audit.last.report.findings) {
        rivers += f.check == AuditCheck::Rivers ? 1 : 0;
    }
    ASSERT_GT(rivers, 0u);
    EXPECT_EQ(pane.shownRows(), rivers);
    pane.setSearch("");
    pump();
    // Apply the first river finding's repair: the pair is written back, the panel says so.
    int finding = -1;
    for (std::size_t i = 0; i < all; ++i) {
        if (window_->state().audit.last.report.findings[i].check == AuditCheck::Rivers) {
            finding = static_cast<int>(i);
            break;
        }
    }
    pane.selectFinding(finding);
    pump();
    ASSERT_EQ(pane.currentFinding(), finding);
    pane.applyRequested(finding, false);
    pump();
    EXPECT_NE(window_->statusText().find("The repair was put in place."), std::string::npos)
        << window_->statusText();
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(widen(path("Theater.L2.bak")))));
    run(cmd::UndoTerrain);
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.back().find("is in place again"), std::string::npos) << messages.back();
}

// The radar settings refuse a step out of range with the dialog's own warning and keep it open;
// the ID tool takes the ranges typed, or nothing when cancelled.
TEST_F(Desk, RadarAndIdToolsRunThroughTheirDialogs) {
    answers[FileRequestRole::Output] = path("radar.csv");
    std::vector<std::string> seen;
    Form::scriptAnswer = [&](Form& form) {
        const std::vector<HWND> fields = readForm(form, seen);
        ASSERT_EQ(fields.size(), 3u);
        type(fields[1], "0");
        form.press(1);
        ASSERT_FALSE(form.ended());
        type(fields[1], "2.5");
        form.press(1);
    };
    run(cmd::RadarProfiles);
    EXPECT_EQ(seen, (std::vector<std::string>{"Configure Radar Scanner", "  40", "1.0", "1.0"}));
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages.front(), "The range scan increment must be from 0.01 to 10000 km.");
    EXPECT_EQ(messages.back().rfind("Total of 131 Objects processed.", 0), 0u) << messages.back();
    EXPECT_EQ(window_->state().tools.radarSettings.rangeIncrement, 2.5f);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(widen(path("radar.csv")))));

    seen.clear();
    bool move = true;
    Form::scriptAnswer = [&](Form& form) {
        const std::vector<HWND> fields = readForm(form, seen);
        ASSERT_EQ(fields.size(), 3u);
        if (move) {
            type(fields[0], "10");
            type(fields[1], "30");
            type(fields[2], "5010");
            click(form.window(), L"Move ID's");
        } else {
            click(form.window(), L"Cancel");
        }
    };
    answers[FileRequestRole::Output] = path("moved.csv");
    messages.clear();
    run(cmd::MoveObjectIds);
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.back().find("Objects IDs and/or Links changed."), std::string::npos)
        << messages.back();
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(widen(path("moved.csv")))));
    move = false;
    std::filesystem::remove(std::filesystem::path(widen(path("moved.csv"))));
    run(cmd::MoveObjectIds);
    EXPECT_EQ(seen, (std::vector<std::string>{"Move ID's and Links ", "0", "0", "10",
                                              "Move ID's and Links ", "10", "30", "5010"}));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(widen(path("moved.csv")))));
}

// The progress window says how far the work is; its Abort stops the radar profiles, which then
// write nothing, and the next run goes through.
TEST_F(Desk, AbortInTheProgressWindowStopsTheRadarAndWritesNothing) {
    run(cmd::OpenL2Terrain);
    answers[FileRequestRole::Output] = path("radar.csv");
    Form::scriptAnswer = [](Form& form) { form.press(1); }; // the settings as they stand
    const auto report = window_->platform().progressReport;
    int reports = 0;
    std::string caption;
    std::string shown;
    window_->platform().progressReport = [&](const ProgressView& view) {
        report(view);
        if (++reports == 2) {
            HWND progress = FindWindowW(L"VantorForm", nullptr);
            ASSERT_NE(progress, nullptr);
            caption = view.caption;
            shown = windowText(progress);
            click(progress, L"Abort");
        }
    };
    run(cmd::RadarProfiles);
    EXPECT_GE(reports, 2);
    EXPECT_FALSE(caption.empty());
    EXPECT_EQ(shown, caption);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().rfind("The radar profiles were stopped after ", 0), 0u)
        << messages.back();
    EXPECT_NE(messages.back().find("radar.csv is as it was."), std::string::npos)
        << messages.back();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(widen(path("radar.csv")))));
    EXPECT_EQ(FindWindowW(L"VantorForm", nullptr), nullptr) << "the progress window closed";
    EXPECT_TRUE(IsWindowEnabled(window_->window()));

    window_->platform().progressReport = report;
    run(cmd::RadarProfiles);
    EXPECT_EQ(messages.back().rfind("Total of 131 Objects processed.", 0), 0u) << messages.back();
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(widen(path("radar.csv")))));
}

// Find (by ID#) selects the row and brings the map to it; Find L2 Info says a post's tile and
// elevation. Both are windows beside the main one, closed by their own buttons.
TEST_F(Desk, FindAndFindL2InfoAnswerInTheirWindows) {
    run(cmd::OpenL2Terrain);
    run(cmd::OpenSourceCsv);
    const ListObjectRow row = window_->state().list.model.window->objectRows[20];
    window_->map().setView(4, 10, 10);
    run(cmd::Find);
    HWND find = FindWindowW(nullptr, L"Find Object");
    ASSERT_NE(find, nullptr);
    const std::vector<HWND> buttons = controls(find, L"BUTTON");
    ASSERT_GE(buttons.size(), 3u);
    SendMessageW(buttons[2], BM_CLICK, 0, 0); // the third field: ID#
    const std::vector<HWND> fields = controls(find, L"EDIT");
    ASSERT_EQ(fields.size(), 1u);
    type(fields[0], std::to_string(row.identifier));
    click(find, L"Find Next");
    pump();
    EXPECT_EQ(window_->map().centre(), std::pair(row.x + 0.5, row.y + 0.5));
    const int selected = static_cast<int>(
        SendMessageW(window_->listView(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    ASSERT_GE(selected, 0);
    EXPECT_EQ(narrow(listCell(selected, 2)), std::to_string(row.identifier));
    click(find, L"Close");
    pump();
    EXPECT_EQ(FindWindowW(nullptr, L"Find Object"), nullptr);
    // A row highlighted from the keyboard brings the map to it as a click does.
    const ListObjectRow other = window_->state().list.model.window->objectRows[5];
    std::size_t at = 0;
    const ListWindow& w = *window_->state().list.model.window;
    while (at < w.display.size() && w.display[at] != 5) {
        ++at;
    }
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(window_->listView(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(window_->listView(), LVM_SETITEMSTATE, at, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(window_->map().centre(), std::pair(other.x + 0.5, other.y + 0.5));

    run(cmd::FindL2Info);
    HWND info = FindWindowW(nullptr, L"Find L2 Info");
    ASSERT_NE(info, nullptr);
    const std::vector<HWND> l2 = controls(info, L"EDIT");
    ASSERT_EQ(l2.size(), 4u);
    const L2Info expected = lookupL2Info(window_->state().terrain.matrix, "40", "41");
    ASSERT_FALSE(expected.tileIdText.empty());
    type(l2[0], "40");
    type(l2[1], "41");
    click(info, L"&Find");
    EXPECT_EQ(windowText(l2[2]), expected.tileIdText);
    EXPECT_EQ(windowText(l2[3]), expected.elevationText);
    click(info, L"&Exit");
    pump();
    EXPECT_EQ(FindWindowW(nullptr, L"Find L2 Info"), nullptr);
}

// A right-click's Set Tile: the picker opens on the post with the tile that mends most chosen;
// the post's own tile cannot be set; the tile set is said in the status bar and undone.
TEST_F(Desk, SetTileFromThePickerAndUndoIt) {
    run(cmd::OpenL2Terrain);
    run(cmd::AuditTheater);
    ASSERT_TRUE(window_->state().audit.done);
    const auto& findings = window_->state().audit.last.report.findings;
    const auto road = std::find_if(findings.begin(), findings.end(), [](const AuditFinding& f) {
        return f.check == AuditCheck::Roads && !f.suggestions.empty() &&
               f.suggestions.front().tile.has_value();
    });
    ASSERT_NE(road, findings.end());
    const TileRepair repair = *road->suggestions.front().tile;
    const std::uint32_t was = window_->state().terrain.matrix.at(repair.x, repair.y).tileId;
    const std::string bytes = [&] {
        std::ifstream in(std::filesystem::path(widen(path("Theater.L2"))), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    int shown = 0;
    Form::scriptAnswer = [&](Form& form) {
        ++shown;
        const std::vector<HWND> fields = controls(form.window(), L"EDIT");
        ASSERT_EQ(fields.size(), 3u); // Map X, Map Y, Tile ID
        EXPECT_EQ(windowText(fields[0]), std::to_string(repair.x));
        EXPECT_EQ(windowText(fields[1]), std::to_string(repair.y));
        // Map X and Y step by their arrows, within the map.
        const std::vector<HWND> arrows = controls(form.window(), UPDOWN_CLASSW);
        ASSERT_EQ(arrows.size(), 2u);
        int least = -1;
        int most = -1;
        SendMessageW(arrows[0], UDM_GETRANGE32, reinterpret_cast<WPARAM>(&least),
                     reinterpret_cast<LPARAM>(&most));
        EXPECT_EQ(least, 0);
        EXPECT_EQ(most, window_->state().terrain.matrix.width - 1);
        SendMessageW(arrows[0], UDM_SETPOS32, 0, repair.x + 1);
        EXPECT_EQ(windowText(fields[0]), std::to_string(repair.x + 1));
        bool postSaid = false;
        for (HWND label : controls(form.window(), L"STATIC")) {
            postSaid = postSaid ||
                       windowText(label).rfind("Map X " + std::to_string(repair.x + 1), 0) == 0;
        }
        EXPECT_TRUE(postSaid) << "the post under the arrows is said";
        SendMessageW(arrows[0], UDM_SETPOS32, 0, repair.x);
        const std::vector<HWND> lists = controls(form.window(), L"LISTBOX");
        ASSERT_EQ(lists.size(), 1u);
        EXPECT_GE(SendMessageW(lists[0], LB_GETCOUNT, 0, 0), 1);
        EXPECT_EQ(windowText(fields[2]), std::to_string(repair.to));
        type(fields[2], std::to_string(was));
        EXPECT_FALSE(IsWindowEnabled(form.button(1))) << "the post's own tile";
        type(fields[2], "x12");
        EXPECT_FALSE(IsWindowEnabled(form.button(1)));
        // On the road's own post a tile without a road breaks the road on its far side: the
        // faults it makes are said in a line of their own, in bold, and it may still be set.
        type(fields[0], std::to_string(road->mapX));
        type(fields[1], std::to_string(road->mapY));
        type(fields[2], "1");
        HWND made = nullptr;
        for (HWND label : controls(form.window(), L"STATIC")) {
            if (windowText(label).rfind("Makes: road break", 0) == 0) {
                made = label;
            }
        }
        ASSERT_NE(made, nullptr);
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(made, WM_GETFONT, 0, 0)), sizeof(font),
                   &font);
        EXPECT_EQ(font.lfWeight, FW_BOLD);
        EXPECT_TRUE(IsWindowEnabled(form.button(1)));
        // Back on the repair's post, the fitting tile is set by a double-click.
        type(fields[0], std::to_string(repair.x));
        type(fields[1], std::to_string(repair.y));
        EXPECT_EQ(windowText(fields[2]), std::to_string(repair.to));
        SendMessageW(form.window(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(lists[0]), LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(lists[0]));
        EXPECT_TRUE(form.ended());
    };
    window_->map().setTileAt(repair.x, repair.y);
    pump();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(window_->state().terrain.matrix.at(repair.x, repair.y).tileId, repair.to);
    EXPECT_EQ(window_->statusText().rfind(setTileWhat(repair.x, repair.y, was, repair.to), 0), 0u)
        << window_->statusText();
    run(cmd::UndoTerrain);
    EXPECT_EQ(window_->state().terrain.matrix.at(repair.x, repair.y).tileId, was);
    // Cancelled, the pair stays as it is.
    Form::scriptAnswer = [](Form& form) { form.press(0); };
    messages.clear();
    run(cmd::SetTile);
    std::ifstream in(std::filesystem::path(widen(path("Theater.L2"))), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);
}

// The findings' columns are as wide as their texts, the header shows the order the rows are
// sorted in, and a row's tip holds its detail and every repair, however narrow the columns.
TEST_F(Desk, AuditColumnsFitAndSayTheirOrder) {
    run(cmd::OpenL2Terrain);
    run(cmd::OpenSourceCsv);
    run(cmd::AuditTheater);
    ASSERT_TRUE(window_->state().audit.done);
    AuditPane& pane = window_->auditPane();
    HWND list = pane.findings();
    const auto columnWidth = [list](int c) {
        return static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0));
    };
    const auto textWidth = [list](const std::string& text) {
        return static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0,
                                             reinterpret_cast<LPARAM>(widen(text).c_str())));
    };
    const AuditFinding& first = window_->state().audit.last.report.findings.front();
    EXPECT_GE(columnWidth(0), textWidth("transitions"));
    EXPECT_GE(columnWidth(static_cast<int>(AuditColumn::Detail)),
              std::min(textWidth(first.detail), 400));
    // The tip of the first row (the audit's order until a header is clicked).
    wchar_t text[2048] = {};
    NMLVGETINFOTIPW tip{};
    tip.hdr.hwndFrom = list;
    tip.hdr.code = LVN_GETINFOTIPW;
    tip.pszText = text;
    tip.cchTextMax = 2048;
    tip.iItem = 0;
    SendMessageW(pane.window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    EXPECT_NE(narrow(text).find(first.detail), std::string::npos) << narrow(text);
    EXPECT_NE(narrow(text).find(findingRepairsText(first)), std::string::npos) << narrow(text);

    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const auto arrow = [header](int c) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
        return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
    };
    EXPECT_EQ(arrow(1), 0);
    const auto clickHeader = [&](int c) {
        NMLISTVIEW click{};
        click.hdr.hwndFrom = list;
        click.hdr.code = LVN_COLUMNCLICK;
        click.iSubItem = c;
        SendMessageW(pane.window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    };
    clickHeader(1);
    EXPECT_EQ(arrow(1), HDF_SORTUP);
    clickHeader(1);
    EXPECT_EQ(arrow(1), HDF_SORTDOWN);
    clickHeader(2);
    EXPECT_EQ(arrow(1), 0);
    EXPECT_EQ(arrow(2), HDF_SORTUP);
}

// A comparison of many changed sections shows them folded; a double-click opens a section and
// closes it again.
TEST_F(Desk, FoldedSectionsOfAComparisonOpen) {
    run(cmd::OpenL2Terrain);
    SampleOptions other;
    other.sections = 8;
    other.seed = 99; // another terrain: every section differs
    std::string error;
    ASSERT_TRUE(writeSampleTheater(path("later"), other, error)) << error;
    compareWith(path("later\\Theater.L2"));
    ASSERT_TRUE(window_->state().diff.done) << (messages.empty() ? "" : messages.back());
    ComparisonPane& pane = window_->comparisonPane();
    const std::size_t before = pane.shownRows();
    std::size_t folded = SIZE_MAX;
    for (std::size_t i = 0; i < before && folded == SIZE_MAX; ++i) {
        if (!pane.isOpen(i)) {
            folded = i;
        }
    }
    ASSERT_NE(folded, SIZE_MAX) << "no folded section among " << before << " rows";
    NMITEMACTIVATE open{};
    open.hdr.hwndFrom = pane.changes();
    open.hdr.code = LVN_ITEMACTIVATE;
    open.iItem = static_cast<int>(folded);
    SendMessageW(pane.window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&open));
    EXPECT_TRUE(pane.isOpen(folded));
    EXPECT_GT(pane.shownRows(), before);
    EXPECT_EQ(SendMessageW(pane.changes(), LVM_GETITEMCOUNT, 0, 0),
              static_cast<LRESULT>(pane.shownRows()));
    SendMessageW(pane.window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&open));
    EXPECT_FALSE(pane.isOpen(folded));
    EXPECT_EQ(pane.shownRows(), before);
}

TEST_F(Desk, ScanParametersDialogKeepsItsFieldsInRange) {
    run(cmd::OpenL2Terrain);
    std::string typed;
    Form::scriptAnswer = [&typed](Form& form) {
        // The first field (Start at Map X): a value beyond the map is replaced.
        HWND field = FindWindowExW(form.window(), nullptr, L"EDIT", nullptr);
        ASSERT_NE(field, nullptr);
        SetWindowTextW(field, L"5000");
        typed = windowText(field);
        form.press(0); // Cancel
    };
    ScanDialogModel model;
    model.theater = window_->state().theater;
    model.endMapX = model.theater.lastMapX;
    model.endMapY = model.theater.lastMapY;
    model.title = "Bad Roads Scan";
    EXPECT_FALSE(window_->platform().editScanParameters(model));
    EXPECT_NE(typed, "5000");
    EXPECT_EQ(typed, std::to_string(scanFieldValue(model, ScanField::StartMapX)));
}

TEST_F(Desk, SettingsGoToTheRegistryAsStrings) {
    const std::string key = std::string(settingsKey) + "\\Test";
    ASSERT_TRUE(window_->platform().writeSetting(key, "Folder", "C:\\Th\xc3\xa9\xc3\xa2tres"));
    const SettingRead read = window_->platform().readSetting(key, "Folder");
    ASSERT_TRUE(read.value.has_value());
    EXPECT_EQ(*read.value, "C:\\Th\xc3\xa9\xc3\xa2tres");
    wchar_t text[64] = {};
    DWORD size = sizeof(text);
    DWORD type = 0;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, widen(key).c_str(), L"Folder", RRF_RT_ANY, &type,
                           text, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_FALSE(window_->platform().readSetting(key, "Missing").value.has_value());
    RegDeleteTreeW(HKEY_CURRENT_USER, widen(key).c_str());
    // Opening the terrain puts it at the top of the recent files, in the registry.
    run(cmd::OpenL2Terrain);
    const SettingRead recent = window_->platform().readSetting(settingsKey, "File1");
    ASSERT_TRUE(recent.value.has_value());
    EXPECT_NE(recent.value->find("Theater.L2"), std::string::npos);
}

} // namespace
} // namespace vantor::win32
