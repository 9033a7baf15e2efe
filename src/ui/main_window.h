#pragma once

#include "app/application_state.h"
#include "app/platform.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QAction;
class QDockWidget;
class QLabel;
class QSettings;
class QStackedWidget;
class QToolBar;

namespace vantor {
class CommandRunner;
}

namespace vantor::ui {

class FindDialog;
class FindL2InfoDialog;
class ListView;
class ScanParametersDialog;
class RadarSettingsDialog;
class IdLimitsDialog;
class UnusedIdsDialog;
class ProgressDialog;
class MapView;
class AuditPanel;
class DiffDialog;
class SetTilePicker;

struct MainWindowOptions {
    RunMode mode = RunMode::Interactive;
    QString startDirectory;      // the current folder
    QString startFolderArgument; // --dir on the command line; it outranks the remembered one
    QString settingsFile;        // empty: the suite's own settings, QSettings("Moravik", "Quillon")
    QString manualPath;          // the user's manual, opened by "User's Manual"
};

// The desktop front end: renders the core's menu model, forwards every menu item, toolbar
// button and posted command to the dispatcher, and supplies the core's platform seam.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(MainWindowOptions options, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The core's start-up; the window must exist. Posts the batch command in a batch mode.
    void startUp();

    // Runs a command as a menu choice does. A command chosen while another runs is queued.
    void runCommand(int command);
    // Runs work in a command's place: the window busy, the map frozen, then redrawn for command.
    void runWork(int command, const std::function<void()>& work);

    ApplicationState& state() { return state_; }
    Platform& platform() { return platform_; }
    QAction* menuAction(int command) const;
    QToolBar* toolBar() const { return toolBar_; }
    ProgressDialog* progressDialog() const { return progress_; }
    FindL2InfoDialog* findL2InfoDialog() const { return findL2Info_; }
    FindDialog* findDialog() const { return find_; }
    ListView* listView() const { return listView_; }
    MapView* mapView() const { return mapView_; }
    QWidget* mapPanel() const { return mapPanel_; }
    // The panels beside the map: the list, the audit and the comparison of two versions.
    QDockWidget* listPanel() const { return listDock_; }
    QDockWidget* auditDock() const { return auditDock_; }
    QDockWidget* comparisonPanel() const { return diffDock_; }
    DiffDialog* comparison() const { return diff_; }
    QLabel* startFolderLabel() const { return startFolderLabel_; }
    AuditPanel* auditPanel() const { return auditPanel_; }
    // Shows the unused-identifier dialog modally; tests may take it over before it runs.
    std::function<void(UnusedIdsDialog&)> unusedIdsShown;
    // Likewise for the scan parameters dialog: returns true for Begin.
    std::function<bool(ScanParametersDialog&)> scanParametersShown;
    // And for the radar scanner settings (true for Scan) and the ID limits dialog.
    std::function<bool(RadarSettingsDialog&)> radarSettingsShown;
    std::function<IdToolChoice(IdLimitsDialog&)> idLimitsShown;
    // And for the comparison of two versions.
    std::function<void(DiffDialog&)> diffShown;
    bool closeRequested() const;

    // Set Tile at a post (a right-click on the map): the picker, then the pair commit.
    void setTileAt(std::int32_t mapX, std::int32_t mapY);
    // Shows the Set Tile picker modally (true for Set Tile); tests may take it over.
    std::function<bool(SetTilePicker&)> setTilePickerShown;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void buildPlatform();
    void connectMessagesAndFiles();
    void connectDialogs();
    void connectListWindows();
    void connectProgress();
    void connectSettings();
    void buildToolBar();
    void renderMenus();
    void afterCommand(int command);
    QWidget* buildMapPanel();
    void syncMap(int command);
    void showStartFolder();
    void connectAuditPanel();
    // Save Page... (true) or Save JSON... (false) of the audit panel.
    void saveAudit(bool page);
    void applyRepairs(int finding, bool wholeCheck);
    void compareWithBaseline();
    // Save Page... (true) or Save JSON... (false) of the comparison window.
    void saveDiff(bool page);
    QDockWidget* addPanel(const QString& title, const QString& name, QWidget* content,
                          Qt::DockWidgetArea area);
    // The map keeps at least half the window's width: the docked panels give way.
    void keepMapRoom();
    void scheduleMapRoom();
    void savePanels();
    void closeComparison();
    void selectRowFromMap(std::size_t row);

    MainWindowOptions options_;
    ApplicationState state_;
    Platform platform_;
    std::unique_ptr<QSettings> settings_;
    // Why the settings files could not be used, and the folder of this run's own settings then.
    std::string settingsProblem_;
    QTemporaryDir runSettings_;
    QToolBar* toolBar_ = nullptr;
    ListView* listView_ = nullptr;
    MapView* mapView_ = nullptr;
    QWidget* mapPanel_ = nullptr;
    QStackedWidget* centre_ = nullptr; // the map panel, or a hint until terrain is open
    QDockWidget* listDock_ = nullptr;
    QDockWidget* auditDock_ = nullptr;
    QDockWidget* diffDock_ = nullptr;
    DiffDialog* diff_ = nullptr;
    bool mapRoomPending_ = false;
    bool listSized_ = false; // the first list of the run was given its columns' width
    QLabel* startFolderLabel_ = nullptr;
    AuditPanel* auditPanel_ = nullptr;
    const void* mappedTerrain_ = nullptr; // the matrix block the map shows
    FindDialog* find_ = nullptr;
    ProgressDialog* progress_ = nullptr;
    // Since the progress window was last brought up to date.
    QElapsedTimer progressShown_;
    FindL2InfoDialog* findL2Info_ = nullptr;
    std::map<int, QAction*> actions_;
    std::unique_ptr<CommandRunner> runner_;
};

} // namespace vantor::ui
