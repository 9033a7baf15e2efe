#pragma once

#include "app/application_state.h"
#include "app/command_line.h"
#include "app/panel_room.h"
#include "app/platform.h"
#include "win32/wide.h"

#include <commctrl.h>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vantor {
class CommandRunner;
}

namespace vantor::win32 {

class AuditPane;
class ComparisonPane;
class Form;
class MapPane;

struct MainWindowOptions {
    RunMode mode = RunMode::Interactive;
    std::string startDirectory;      // the current folder
    std::string startFolderArgument; // --dir; it outranks the remembered one
    std::string manualPath;          // the user's manual, opened by "User's Manual"
    // A scripted run (--script): the commands in turn, a picture of the window after each into
    // the folder of `shots`, the answers its file dialogs take (by what the file is for) and a
    // log of the messages it would have shown.
    std::vector<std::string> script;
    std::string shots;     // the folder of the step pictures
    std::string finalShot; // the last picture, where the script names it
    std::map<FileRequestRole, std::deque<std::string>> answers;
    std::string log;
};

// The native Windows front end: renders the core's menu model, toolbar and list, puts the core's
// map picture on the screen and supplies the core's platform seam with the system's own dialogs.
class MainWindow {
  public:
    explicit MainWindow(MainWindowOptions options);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    void startUp();
    // The program's message loop; returns when the window closed.
    int run();
    HWND window() const { return window_; }
    ApplicationState& state() { return state_; }
    Platform& platform() { return platform_; }
    void runCommand(int command);
    // The menu of the toolbar and the panels' tabs: the panels, shown or closed by their item
    // (1 the list, 2 the audit, 3 the comparison).
    void choosePanel(int item);
    // What the window shows, for the tests.
    MapPane& map() { return *map_; }
    AuditPane& auditPane() { return *audit_; }
    ComparisonPane& comparisonPane() { return *comparison_; }
    HWND listView() const { return list_; }
    HWND toolBar() const { return toolBar_; }
    HWND statusBar() const { return statusBar_; }
    std::string statusText() const;
    // The list's and the side panel's widths, as laid out.
    PanelWidths panelRoom() const { return laidOut_; }
    // The panel beside the map: 0 the audit, 1 the comparison, -1 none.
    int sidePanel() const { return side_; }

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void buildPlatform();
    void connectDialogs();
    void connectLists();
    void connectProgress();
    void connectSettings();
    void buildToolBar();
    void renderMenus();
    void layOut();
    PanelWidths panelsWanted() const; // at the window's DPI
    PanelsShown panelsShown() const;
    int edgeAt(POINT at) const; // the PanelEdge under the point, or -1
    void dragEdge(int x);
    void endDrag();
    void closePanel(HWND button);
    HMENU panelMenu() const;
    void afterCommand(int command);
    void syncMap(int command);
    void showStatus(const std::string& text);
    void showStartFolder();
    void showList(bool reset);
    void listNotify(NMHDR* header, LRESULT& result);
    void readListSelection();
    void selectRowFromMap(std::size_t row);
    void showSide(int which); // 0 the audit, 1 the comparison, -1 neither
    void closeComparison();
    void applyRepairs(int finding, bool wholeCheck);
    void setTileAt(std::int32_t x, std::int32_t y);
    void notify(NMHDR* header, LRESULT& result);
    // The scripted run: the next step, and a picture of a window into the shots folder.
    void scriptStep();
    // Numbered in the order taken, or by its name alone.
    void takeShot(HWND window, const std::string& name, bool numbered = true);
    void saveMapImage();
    void logLine(const std::string& line);
    // A run whose questions are answered from its command line (a script, or a batch mode
    // given its files), never by a dialog on the screen.
    bool scripted() const { return !options_.script.empty() || !options_.answers.empty(); }
    MessageAnswer messageBox(const MessageBoxRequest& request);
    FileRequestResult fileDialog(const FileRequest& request);

    MainWindowOptions options_;
    ApplicationState state_;
    Platform platform_;
    HWND window_ = nullptr;
    HWND toolBar_ = nullptr;
    HWND statusBar_ = nullptr;
    HWND list_ = nullptr;
    HWND tabs_ = nullptr;
    HWND listTabs_ = nullptr;
    HWND closeList_ = nullptr; // the panels' close buttons
    HWND closeSide_ = nullptr;
    HWND modeBox_ = nullptr;
    HWND wholeButton_ = nullptr;
    HWND legendBox_ = nullptr;
    HWND saveMapButton_ = nullptr;
    HIMAGELIST toolImages_ = nullptr;
    HIMAGELIST stateImages_ = nullptr;
    std::unique_ptr<MapPane> map_;
    std::unique_ptr<AuditPane> audit_;
    std::unique_ptr<ComparisonPane> comparison_;
    std::unique_ptr<Form> progress_;
    HWND progressLabel_ = nullptr;
    HWND progressCounter_ = nullptr;
    HWND progressBar_ = nullptr;
    DWORD progressPumped_ = 0;
    std::unique_ptr<Form> find_;
    HWND findText_ = nullptr;
    std::unique_ptr<Form> findL2Info_;
    std::unique_ptr<CommandRunner> runner_;
    std::map<int, std::string> statusTexts_; // of the menu items, for the status bar
    std::wstring tip_;                       // a toolbar tooltip's text
    std::wstring cell_;                      // a list cell's text
    const void* mappedTerrain_ = nullptr;
    bool listShown_ = false;
    bool listClosed_ = false; // by the user, until the next list
    bool listSized_ = false;  // the first list of the run was given its columns' width
    PanelWidths panelWidths_; // as the user left them, at 96 DPI
    PanelWidths laidOut_;     // as they are shown
    RECT listEdge_{};         // the edges the user drags
    RECT sideEdge_{};
    int dragging_ = -1; // the PanelEdge being dragged
    int grabbedAt_ = 0; // where on it, from the panel's side
    int pressedAt_ = 0;
    bool dragMoved_ = false;
    PanelWidths dragPixels_;   // the widths while dragging, in the screen's pixels
    bool auditClosed_ = false; // by the user, until the next audit
    int side_ = -1;            // the panel beside the map: 0 the audit, 1 the comparison
    int syncingList_ = 0;
    std::size_t scriptAt_ = 0;
    int shotCount_ = 0;
    bool progressShot_ = false; // the progress window's picture is taken once, at work
    std::string logText_;       // the scripted run's log so far
};

} // namespace vantor::win32
