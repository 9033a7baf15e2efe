// The native Windows program driven as a user drives it: through its menus' commands, its
// toolbar, its list, its map and its audit panel, with the file dialogs answered by the test.
#include "app/command_table.h"
#include "app/commands.h"
#include "app/panel_room.h"
#include "app/recent_files.h"
#include "app/toolbar.h"
#include "sample/sample_theater.h"
#include "win32/form.h"
#include "win32/main_window.h"
#include "win32/map_pane.h"
#include "win32/panels.h"

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
    for (int row : {0, 5}) {
        for (int column : {0, 1, 2}) {
            EXPECT_EQ(narrow(listCell(row, column)),
                      cellText(w, static_cast<std::size_t>(row), column,
                               window_->state().list.listKind, window_->state().scan.scanAll));
        }
    }
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
    // A press on the map's bar is no drag.
    drag(wide.list + 40, wide.list + 140);
    EXPECT_EQ(window_->panelRoom().list, wide.list);
    const SettingRead stored =
        window_->platform().readSetting(std::string(settingsKey) + "\\Window", "ListWidth");
    ASSERT_TRUE(stored.value.has_value());
    EXPECT_EQ(*stored.value, std::to_string(wide.list)); // 96 DPI under the test's display
    // The next start lays the panels out as they were left.
    window_.reset();
    start();
    run(cmd::OpenSourceCsv);
    EXPECT_EQ(window_->panelRoom().list, wide.list);
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
