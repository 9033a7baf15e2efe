#include "ui/main_window.h"

#include "app/command_table.h"
#include "app/commands.h"
#include "app/menu_model.h"
#include "app/platform_calls.h"
#include "app/progress.h"
#include "app/shell_texts.h"
#include "app/startup.h"
#include "app/toolbar.h"
#include "base/file_guard.h"
#include "base/file_lookup.h"
#include "base/input_file.h"
#include "flows/audit_flow.h"
#include "flows/command_runner.h"
#include "flows/diff_flow.h"
#include "flows/dispatcher.h"
#include "flows/list_flow.h"
#include "flows/mend_flow.h"
#include "report/panel_saves.h"
#include "ui/audit_panel.h"
#include "ui/diff_dialog.h"
#include "ui/find_dialog.h"
#include "ui/find_l2_info_dialog.h"
#include "ui/list_view.h"
#include "ui/map_view.h"
#include "ui/progress_dialog.h"
#include "ui/scan_parameters_dialog.h"
#include "ui/set_tile_dialog.h"
#include "ui/tool_dialogs.h"
#include "ui/toolbar_icons.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace vantor::ui {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// "Object Export file|*.csv||" as a Qt name filter: "Object Export file (*.csv)".
QString toQtFilter(const std::string& filter) {
    const QStringList parts = qs(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (!parts[i].isEmpty()) {
            // "*.L2;*.L2M": Qt separates the patterns of one filter with blanks.
            filters << parts[i].trimmed() + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
        }
    }
    return filters.join(";;");
}

// The settings store's key path below the suite's key, as a QSettings group prefix.
QString settingsName(const std::string& key, const std::string& name) {
    QString group = qs(key);
    const QString root = qs(settingsKey);
    if (group.startsWith(root, Qt::CaseInsensitive)) {
        group = group.mid(root.size());
    }
    group.replace('\\', '/');
    while (group.startsWith('/')) {
        group.remove(0, 1);
    }
    return group.isEmpty() ? qs(name) : group + '/' + qs(name);
}

// The files QSettings("Moravik", "Quillon") reads on this system (none on Windows, where the
// settings are the registry's): the user's and the system's, of the program and of its suite.
QStringList suiteSettingsFiles(const QString& explicitFile) {
    if (!explicitFile.isEmpty()) {
        return {explicitFile};
    }
#ifdef Q_OS_WIN
    return {};
#else
    QStringList files;
    for (const QString& folder :
         QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation) +
             QStringList{"/etc/xdg"}) {
        files << folder + "/Moravik/Quillon.conf" << folder + "/Moravik.conf";
    }
    return files;
#endif
}

} // namespace

MainWindow::MainWindow(MainWindowOptions options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)) {
    setWindowTitle(texts::programName);
    // A settings file that is a FIFO or a device would be read for ever: refused before QSettings
    // opens it, and the settings of this run kept in a file of its own that goes with it.
    for (const QString& file : suiteSettingsFiles(options_.settingsFile)) {
        if (std::optional<std::string> refusal = storeFileRefusal(toFsPath(file.toStdString()))) {
            settingsProblem_ = std::move(*refusal);
            break;
        }
    }
    if (!settingsProblem_.empty()) {
        settings_ = std::make_unique<QSettings>(runSettings_.filePath("settings.ini"),
                                                QSettings::IniFormat);
    } else {
        settings_ = options_.settingsFile.isEmpty()
                        ? std::make_unique<QSettings>("Moravik", "Quillon")
                        : std::make_unique<QSettings>(options_.settingsFile, QSettings::IniFormat);
    }
    buildPlatform();
    runner_ = std::make_unique<CommandRunner>(
        state_, platform_,
        CommandRunner::Hooks{
            [this] { QTimer::singleShot(0, this, [this] { runner_->runPosted(); }); },
            [this](bool frozen) { mapView_->setFrozen(frozen); },
            [this](int command) { afterCommand(command); },
            [this] {
                savePanels();
                close();
                QCoreApplication::quit();
            }});
    buildToolBar();

    listView_ = new ListView(
        state_, [this] { mapView_->update(); }, this);
    listView_->showChange(true);
    // The map in the middle; the list, the audit and the comparison are panels beside it that
    // the user may close, move, float or put into tabs, and finds where they were left.
    setCentralWidget(buildMapPanel());
    setDockOptions(AnimatedDocks | AllowTabbedDocks | AllowNestedDocks);
    listDock_ = addPanel("List", "listPanel", listView_, Qt::LeftDockWidgetArea);
    auditPanel_ = new AuditPanel(this);
    auditDock_ = addPanel("Audit", "auditPanel", auditPanel_, Qt::RightDockWidgetArea);
    diffDock_ =
        addPanel("Comparison", "comparisonPanel", new QWidget(this), Qt::RightDockWidgetArea);
    tabifyDockWidget(auditDock_, diffDock_);
    restoreState(settings_->value("Window/Panels").toByteArray());
    auditDock_->hide(); // until an audit ran
    diffDock_->hide();  // until two versions are compared
    // Closed, not merely behind another tab: the comparison and what it holds go.
    connect(diffDock_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (!visible && diffDock_->isHidden()) {
            closeComparison();
        }
    });
    connectAuditPanel();
    // The folder the program reads its theaters, scripts and lists from, always in sight.
    startFolderLabel_ = new QLabel(this);
    statusBar()->addPermanentWidget(startFolderLabel_);
    listView_->highlightEdited = [this] { mapView_->showHighlighted(); };

    setGeometry(200, 200, 400, 400);
    if (options_.mode == RunMode::Interactive) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect full = screen->availableGeometry();
            setGeometry(full.x() + 100, full.y(), static_cast<int>(full.width() * 0.7),
                        full.height());
        }
    }
}

MainWindow::~MainWindow() {
    // The panels hide as the window's children go, after the state they would touch: they tell
    // this window nothing more.
    for (QDockWidget* dock : {listDock_, auditDock_, diffDock_}) {
        if (dock != nullptr) {
            dock->disconnect(this);
        }
    }
}

QDockWidget* MainWindow::addPanel(const QString& title, const QString& name, QWidget* content,
                                  Qt::DockWidgetArea area) {
    auto* dock = new QDockWidget(title, this);
    dock->setObjectName(name); // the name its place is remembered by
    dock->setWidget(content);
    dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                      QDockWidget::DockWidgetFloatable);
    addDockWidget(area, dock);
    connect(dock, &QDockWidget::visibilityChanged, this, &MainWindow::scheduleMapRoom);
    connect(dock, &QDockWidget::dockLocationChanged, this, &MainWindow::scheduleMapRoom);
    connect(dock, &QDockWidget::topLevelChanged, this, &MainWindow::scheduleMapRoom);
    return dock;
}

void MainWindow::scheduleMapRoom() {
    if (!mapRoomPending_) {
        mapRoomPending_ = true;
        QTimer::singleShot(0, this, [this] {
            mapRoomPending_ = false;
            keepMapRoom();
        });
    }
}

void MainWindow::keepMapRoom() {
    if (!mapPanel_->isVisible() || width() <= 0) {
        return;
    }
    const int want = width() / 2;
    if (mapPanel_->width() >= want) {
        return;
    }
    const int missing = want - mapPanel_->width() + 8; // and the splitters' few pixels
    // Panels docked at the left and right give way in proportion to what each can give above
    // its smallest width; panels stacked in one area share its width.
    struct Area {
        int width = 0;
        int least = 0;
    };
    std::map<Qt::DockWidgetArea, Area> areas;
    QList<QDockWidget*> docks;
    for (QDockWidget* dock : {listDock_, auditDock_, diffDock_}) {
        const Qt::DockWidgetArea area = dockWidgetArea(dock);
        if (dock->isVisible() && !dock->isFloating() &&
            (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea)) {
            Area& a = areas[area];
            a.width = std::max(a.width, dock->width());
            a.least = std::max(a.least, dock->minimumSizeHint().width());
            docks << dock;
        }
    }
    int give = 0;
    for (const auto& [where, a] : areas) {
        give += std::max(0, a.width - a.least);
    }
    if (give <= 0) {
        return;
    }
    QList<int> sizes;
    for (QDockWidget* dock : docks) {
        const Area& a = areas[dockWidgetArea(dock)];
        const int share = std::max(0, a.width - a.least);
        sizes << a.width - std::min(share, (missing * share + give - 1) / give);
    }
    resizeDocks(docks, sizes, Qt::Horizontal);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    scheduleMapRoom();
}

void MainWindow::savePanels() {
    settings_->setValue("Window/Panels", saveState());
}

void MainWindow::buildPlatform() {
    connectMessagesAndFiles();
    connectDialogs();
    connectListWindows();
    connectProgress();
    connectSettings();
}

// Message boxes, file dialogs, the window title and the commands posted to the window.
void MainWindow::connectMessagesAndFiles() {
    Platform& p = platform_;
    p.messageBox = [this](const MessageBoxRequest& r) {
        QMessageBox box(toQtIcon(r.icon), r.title.empty() ? QString("Error") : qs(r.title),
                        qs(r.text).replace("\r\n", "\n"),
                        r.buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                           : QMessageBox::Ok,
                        r.ownedByMainWindow ? this : nullptr);
        const int answer = box.exec();
        if (r.buttons != MessageButtons::YesNo) {
            return MessageAnswer::Ok;
        }
        return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    };
    p.requestText = [this](const TextRequest& r) -> std::optional<std::string> {
        bool ok = false;
        const QString text = QInputDialog::getText(this, qs(r.title), qs(r.label),
                                                   QLineEdit::Normal, qs(r.initial), &ok);
        return ok ? std::optional<std::string>(text.toStdString()) : std::nullopt;
    };
    p.requestFile = [this](const FileRequest& r) {
        QString folder = qs(r.initialFolder);
        if (r.kind == FileDialogKind::Folder) {
            const QString chosen = QFileDialog::getExistingDirectory(this, qs(r.title), folder);
            return chosen.isEmpty()
                       ? FileRequestResult{}
                       : FileRequestResult{FileRequestStatus::Chosen,
                                           QDir::toNativeSeparators(chosen).toStdString(), 0};
        }
        if (!r.initialName.empty() && r.initialName.find('*') == std::string::npos) {
            folder = QDir(folder).filePath(qs(r.initialName));
        }
        const QString chosen =
            r.kind == FileDialogKind::Open
                ? QFileDialog::getOpenFileName(this, qs(r.title), folder, toQtFilter(r.filter))
                : QFileDialog::getSaveFileName(this, qs(r.title), folder, toQtFilter(r.filter),
                                               nullptr, QFileDialog::DontConfirmOverwrite);
        if (chosen.isEmpty()) {
            return FileRequestResult{};
        }
        return FileRequestResult{FileRequestStatus::Chosen,
                                 QDir::toNativeSeparators(chosen).toStdString(), 0};
    };
    p.setWindowTitle = [this](const std::string& title) { setWindowTitle(qs(title)); };
    p.beep = [] { QApplication::beep(); };
    p.postCommand = [this](int command) { runner_->post(command); };
    p.postCloseRequest = [this] { runner_->postClose(); };
    p.startHelp = [this] {
        return !options_.manualPath.isEmpty() &&
               QDesktopServices::openUrl(QUrl::fromLocalFile(options_.manualPath));
    };
    p.menuChanged = [this](const MenuModel&) {
        if (runner_ == nullptr || !runner_->busy()) {
            renderMenus(); // while a command runs, its end renders them
        }
    };
}

// The dialogs that edit the core's records, and the modeless Find L2 Info window.
void MainWindow::connectDialogs() {
    Platform& p = platform_;
    p.showFindL2Info = [this] {
        if (findL2Info_ == nullptr) {
            findL2Info_ = new FindL2InfoDialog(this, state_.terrain.matrix,
                                               [this] { runCommand(cmd::CloseFindL2Info); });
        }
        findL2Info_->show();
        findL2Info_->raise();
        findL2Info_->activateWindow();
    };
    p.closeFindL2Info = [this] {
        if (findL2Info_ != nullptr) {
            findL2Info_->hide();
            findL2Info_->deleteLater();
            findL2Info_ = nullptr;
        }
    };
    p.editScanParameters = [this](ScanDialogModel& model) {
        ScanParametersDialog dialog(this, model, platform_);
        if (scanParametersShown) {
            return scanParametersShown(dialog);
        }
        return dialog.exec() == QDialog::Accepted;
    };
    p.editRadarSettings = [this](RadarDialogModel& model) {
        RadarSettingsDialog dialog(this, model, platform_);
        if (radarSettingsShown) {
            return radarSettingsShown(dialog);
        }
        return dialog.exec() == QDialog::Accepted;
    };
    p.editIdLimits = [this](IdLimitsDialogModel& model) {
        IdLimitsDialog dialog(this, model);
        if (idLimitsShown) {
            return idLimitsShown(dialog);
        }
        return static_cast<IdToolChoice>(dialog.exec());
    };
}

// The list view, the Find Object dialog and the unused-identifier dialog.
void MainWindow::connectListWindows() {
    Platform& p = platform_;
    p.listChanged = [this](ListChange change) {
        if (change != ListChange::DataChanged && state_.list.model.window) {
            listDock_->show(); // a list to see: its panel comes back if it was closed
        }
        listView_->showChange(change != ListChange::DataChanged);
        if (!listSized_ && state_.list.model.window) {
            // The first list of the run gets the width of its columns, as far as the map's
            // half of the window allows; after that the panel keeps the width the user gives it.
            listSized_ = true;
            // The columns, the frame, the scroll bar and a little air.
            const int wanted = listColumnsWidth(state_.list.model.window->listMode) +
                               listView_->frameWidth() * 2 + 24;
            if (listDock_->width() < wanted && !listDock_->isFloating()) {
                resizeDocks({listDock_}, {wanted}, Qt::Horizontal);
                scheduleMapRoom();
            }
        }
        mapView_->update();
    };
    p.showListRow = [this](std::size_t position) {
        listDock_->show();
        listView_->scrollToDisplayRow(position);
        mapView_->showHighlighted(); // the row found, in the middle of the map
    };
    p.showFind = [this] {
        if (find_ == nullptr) {
            find_ = new FindDialog(this, state_, platform_,
                                   [this] { runCommand(cmd::CloseFindDialog); });
        }
        find_->show();
        find_->raise();
        find_->activateWindow();
    };
    p.closeFind = [this] {
        if (find_ != nullptr) {
            find_->hide();
            find_->deleteLater();
            find_ = nullptr;
        }
    };
    p.pickTile = [this](TilePick& pick) {
        SetTilePicker picker(this, state_, platform_, pick);
        const bool chosen =
            setTilePickerShown ? setTilePickerShown(picker) : picker.exec() == QDialog::Accepted;
        return chosen && picker.take(pick);
    };
    p.showStatus = [this](const std::string& text) { statusBar()->showMessage(qs(text)); };
    p.showUnusedIds = [this] {
        UnusedIdsDialog dialog(
            this, [this](bool ranges) { return unusedIdListing(state_, platform_, ranges); });
        if (unusedIdsShown) {
            unusedIdsShown(dialog);
        } else {
            dialog.exec();
        }
    };
    p.showDiff = [this] {
        if (diff_ != nullptr) { // the comparison before gives way to this one
            diff_->deleteLater();
            diff_ = nullptr;
        }
        diff_ = new DiffDialog(diffDock_, state_.diff.last);
        diff_->setWindowFlags(Qt::Widget); // a panel's content, not a window of its own
        diffDock_->setWidget(diff_);
        diffDock_->setWindowTitle(diff_->windowTitle());
        connect(diff_, &DiffDialog::saveRequested, this, [this](bool page) { saveDiff(page); });
        // Close in the panel closes the panel, and the comparison with it.
        connect(diff_, &QDialog::finished, this, [this] { diffDock_->close(); });
        // The changes are marked on the map while the panel is open; a change selected there
        // is brought into view.
        mapView_->setChanges(state_.diff.last.objectives
                                 ? objectChangeRows(*state_.diff.last.objectives)
                                 : std::vector<ObjectChangeRow>{});
        connect(diff_, &DiffDialog::changeSelected, this, [this](int x, int y) {
            mapView_->setSelectedChange(QPoint(x, y));
            if (mapPanel_->isVisible() && state_.terrain.terrainOpen) {
                mapView_->setView(std::max(mapView_->pixelsPerPost(), 4.0), x + 0.5, y + 0.5);
            }
        });
        diffDock_->show();
        diffDock_->raise();
        if (diffShown) {
            diffShown(*diff_);
        }
    };
}

void MainWindow::closeComparison() {
    if (diff_ == nullptr) {
        state_.diff = {};
        return;
    }
    DiffDialog* shown = diff_;
    diff_ = nullptr;
    state_.diff = {}; // the later terrain it holds is not kept past its panel
    mapView_->setChanges({});
    mapView_->setSelectedChange(std::nullopt);
    diffDock_->setWidget(new QWidget(diffDock_));
    shown->deleteLater();
    diffDock_->hide();
}

void MainWindow::connectProgress() {
    Platform& p = platform_;
    p.progressOpen = [this](const ProgressView& view) {
        if (progress_ == nullptr) {
            progress_ = new ProgressDialog(this, [this] { requestAbort(state_); });
        }
        progress_->showView(view);
        progress_->show();
        QCoreApplication::processEvents();
        progressShown_.start();
    };
    p.progressReport = [this](const ProgressView& view) {
        if (progress_ == nullptr) {
            return;
        }
        progress_->showView(view);
        // Lets the progress window draw itself and take its close box and Esc between rows of
        // work; the window is modal, so nothing else of the program can be reached meanwhile.
        // Work reports far more often than a screen can show (a scan reports every post it
        // looks at), so events are taken at most every 20 ms: Esc stays prompt and the run is
        // not spent on redrawing.
        if (!progressShown_.isValid() || progressShown_.elapsed() >= 20) {
            progressShown_.start();
            QCoreApplication::processEvents();
        }
    };
    p.progressClose = [this] {
        if (progress_ != nullptr) {
            progress_->hide();
            progress_->deleteLater();
            progress_ = nullptr;
        }
    };
}

// The settings store (a settings file of its own in the tests).
void MainWindow::connectSettings() {
    Platform& p = platform_;
    p.readSetting = [this](const std::string& key, const std::string& name) {
        SettingRead read;
        read.keyOpened = settings_->status() == QSettings::NoError;
        const QString qname = settingsName(key, name);
        if (read.keyOpened && settings_->contains(qname)) {
            read.value = settings_->value(qname).toString().toStdString();
        }
        return read;
    };
    p.writeSetting = [this](const std::string& key, const std::string& name,
                            const std::string& text) {
        if (!settings_->isWritable()) {
            return false;
        }
        settings_->setValue(settingsName(key, name), qs(text));
        settings_->sync();
        return settings_->status() == QSettings::NoError;
    };
}

void MainWindow::buildToolBar() {
    toolBar_ = addToolBar("Toolbar");
    toolBar_->setObjectName("toolbar");
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(16, 15));
    for (const ToolbarButton& button : toolbarButtons()) {
        QAction* action = toolBar_->addAction(toolbarIcon(button.icon), QString());
        action->setToolTip(button.tooltip);
        action->setStatusTip(qs(commandStatusText(button.command)));
        action->setData(button.command);
        const int command = button.command;
        connect(
            action, &QAction::triggered, this, [this, command] { runCommand(command); },
            Qt::QueuedConnection);
    }
}

void MainWindow::startUp() {
    const std::string folder =
        chooseStartFolder(platform_, options_.startFolderArgument.toStdString(),
                          options_.startDirectory.toStdString());
    vantor::startUp(state_, platform_, options_.mode, folder);
    renderMenus();
    showStartFolder();
    if (!settingsProblem_.empty()) {
        showMessage(platform_,
                    "The settings cannot be read: " + settingsProblem_ +
                        ".\r\n Recent files and folders are kept for this run only.",
                    texts::warning, MessageIcon::Warning);
    }
}

void MainWindow::showStartFolder() {
    const QString folder = qs(state_.folders.startDirectory);
    startFolderLabel_->setText(folder.isEmpty() ? QString() : "Start folder: " + folder);
    startFolderLabel_->setToolTip(commandStatusText(cmd::ChooseStartFolder));
}

QAction* MainWindow::menuAction(int command) const {
    auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::renderMenus() {
    QMenuBar* bar = menuBar();
    for (QAction* old : bar->actions()) {
        if (QMenu* menu = old->menu()) {
            menu->deleteLater();
        }
    }
    bar->clear();
    actions_.clear();

    std::function<void(QMenu*, const std::vector<MenuItem>&)> fill =
        [&](QMenu* menu, const std::vector<MenuItem>& items) {
            for (const MenuItem& item : items) {
                if (item.separator) {
                    menu->addSeparator();
                    continue;
                }
                if (item.popup) {
                    QMenu* sub = menu->addMenu(qs(item.text));
                    fill(sub, item.items);
                    continue;
                }
                QAction* action = menu->addAction(qs(item.text));
                action->setStatusTip(qs(statusText(item)));
                action->setEnabled(item.state == ItemState::Enabled);
                action->setData(item.id);
                const bool theaterEntry = item.id >= 2000 && item.id <= 2009;
                action->setCheckable(theaterEntry || item.checked);
                action->setChecked(item.checked);
                actions_.try_emplace(item.id, action);
                const int command = item.id;
                connect(
                    action, &QAction::triggered, this, [this, command] { runCommand(command); },
                    Qt::QueuedConnection);
            }
        };
    for (const Menu& menu : state_.menu.menus) {
        QMenu* qmenu = new QMenu(qs(menu.title), bar);
        fill(qmenu, menu.items);
        bar->addMenu(qmenu);
    }
}

QWidget* MainWindow::buildMapPanel() {
    mapPanel_ = new QWidget(this);
    mapView_ = new MapView(state_, mapPanel_);
    auto* mode = new QComboBox(mapPanel_);
    mode->addItems({"Relief", "Tile classes"});
    mode->setObjectName("mapMode");
    auto* whole = new QPushButton("Whole Map", mapPanel_);
    auto* legend = new QCheckBox("Legend", mapPanel_);
    legend->setChecked(true);
    auto* save = new QPushButton("Save Map Image...", mapPanel_);
    save->setObjectName("saveMapImage");
    auto* bar = new QHBoxLayout;
    bar->addWidget(mode);
    bar->addWidget(whole);
    bar->addWidget(legend);
    bar->addStretch();
    bar->addWidget(save);
    auto* column = new QVBoxLayout(mapPanel_);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(bar);
    column->addWidget(mapView_, 1);
    connect(mode, &QComboBox::currentIndexChanged, this,
            [this](int i) { mapView_->setMode(i == 0 ? MapMode::Relief : MapMode::Tiles); });
    connect(whole, &QPushButton::clicked, mapView_, &MapView::fitWhole);
    connect(legend, &QCheckBox::toggled, mapView_, &MapView::setLegendShown);
    connect(save, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            this, "Save Map Image", QString::fromStdString(state_.terrain.terrainDirectory),
            "PNG image (*.png)");
        // The terrain the map shows, and whatever else is held open, is never written over.
        InputScope scope(state_.files.inputs);
        QString error;
        if (path.isEmpty()) {
            return;
        }
        std::optional<report::SaveProgress> progress(std::in_place, platform_, "Save Map Image");
        const bool saved = mapView_->saveImage(
            path, error, [&progress](const char* stage) { progress->stage(stage, 2048); });
        progress.reset();
        if (!saved) {
            QMessageBox::warning(this, "Save Map Image", "Cannot write " + path + ": " + error);
        }
    });
    connect(mapView_, &MapView::hovered, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    connect(mapView_, &MapView::markerClicked, this, &MainWindow::selectRowFromMap);
    connect(mapView_, &MapView::postMenuRequested, this,
            [this](std::int32_t x, std::int32_t y, QPoint at) {
                auto* menu = new QMenu(this);
                menu->setAttribute(Qt::WA_DeleteOnClose);
                QAction* set = menu->addAction(QString("Set Tile at %1,%2...").arg(x).arg(y));
                set->setStatusTip(qs(commandStatusText(cmd::SetTile)));
                connect(
                    set, &QAction::triggered, this, [this, x, y] { setTileAt(x, y); },
                    Qt::QueuedConnection);
                menu->popup(at);
            });
    // Until terrain is open the middle says how to get a map.
    auto* hint = new QLabel("Open a theater's terrain (File > Open L2 Terrain file ...) to see "
                            "its map here.",
                            this);
    hint->setAlignment(Qt::AlignCenter);
    hint->setWordWrap(true);
    hint->setEnabled(false);
    centre_ = new QStackedWidget(this);
    centre_->addWidget(hint);
    centre_->addWidget(mapPanel_);
    centre_->setCurrentWidget(hint);
    return centre_;
}

void MainWindow::connectAuditPanel() {
    platform_.showAudit = [this] {
        auditPanel_->showAudit(state_.audit.last, state_.theater);
        mapView_->setSelectedFinding(-1);
        mapView_->update(); // the findings are markers of the map
        if (!state_.audit.done) {
            // The terrain it audited changed. While a command runs (an Apply) the audit comes
            // again at its end, and the panel stays where it is meanwhile.
            if (!runner_->busy()) {
                auditDock_->hide();
            }
            return;
        }
        auditDock_->show();
        auditDock_->raise();
        scheduleMapRoom();
    };
    connect(auditPanel_, &AuditPanel::findingSelected, this,
            [this](std::int32_t x, std::int32_t y, int finding) {
                mapView_->setSelectedFinding(finding);
                if (mapPanel_->isVisible()) {
                    mapView_->setView(std::max(mapView_->pixelsPerPost(), 4.0), x + 0.5, y + 0.5);
                }
            });
    connect(auditPanel_, &AuditPanel::applyRequested, this, &MainWindow::applyRepairs);
    connect(auditPanel_, &AuditPanel::baselineRequested, this, &MainWindow::compareWithBaseline);
    connect(auditPanel_, &AuditPanel::savePageRequested, this, [this] { saveAudit(true); });
    connect(auditPanel_, &AuditPanel::saveJsonRequested, this, [this] { saveAudit(false); });
}

// The page holds the relief map of the whole theater, drawn as vantor-cli draws it.
void MainWindow::saveAudit(bool page) {
    const std::string wrote = report::saveAuditReport(state_, platform_, page);
    if (!wrote.empty()) {
        statusBar()->showMessage(qs(wrote));
    }
}

// The page's maps are drawn as vantor-cli draws them: the open terrain and the later version.
void MainWindow::saveDiff(bool page) {
    const std::string wrote = report::saveComparisonReport(state_, platform_, page);
    if (!wrote.empty()) {
        statusBar()->showMessage(qs(wrote));
    }
}

// Apply and Apply All of Check: the first repair of the finding (or of every finding of its
// check, after a question) put in place through the mend, which writes the terrain pair back or
// the Parents to a new export and audits again. What was done goes to the status bar and the
// panel; the next finding of the check is selected. Only failures are messages.
void MainWindow::applyRepairs(int finding, bool wholeCheck) {
    if (finding < 0 || runner_->busy()) {
        return;
    }
    const AppliedRepairs applied = vantor::applyRepairs(
        state_, platform_, static_cast<std::size_t>(finding), wholeCheck,
        [this](int command, const std::function<void()>& work) { runWork(command, work); });
    if (applied.command != 0) {
        runCommand(applied.command); // as from its menu item: its own dialogs and message
        return;
    }
    if (!applied.done) {
        return; // it said why
    }
    statusBar()->showMessage(qs(applied.line));
    auditPanel_->showWorkDone(qs(applied.line));
    if (state_.audit.done) {
        auditPanel_->selectFinding(applied.next ? static_cast<int>(*applied.next) : -1);
    }
}

// Compare with Baseline...: the findings an earlier audit's JSON holds are known, the others
// new; the panel, and the page and JSON saved from it, say which.
void MainWindow::compareWithBaseline() {
    if (report::compareAuditWithBaseline(state_, platform_)) {
        platform_.showAudit();
    }
}

void MainWindow::syncMap(int command) {
    if (!state_.terrain.terrainOpen || state_.terrain.matrix.empty()) {
        if (mappedTerrain_ != nullptr) { // closed: the map goes with it
            mappedTerrain_ = nullptr;
            mapView_->terrainChanged(true);
            centre_->setCurrentIndex(0);
        }
        return;
    }
    const void* block = state_.terrain.matrix.posts.data();
    const bool newTerrain = block != mappedTerrain_;
    if (redrawTerrainAfter(command, newTerrain)) {
        if (centre_->currentWidget() != mapPanel_ && options_.mode == RunMode::Interactive) {
            centre_->setCurrentWidget(mapPanel_);
            scheduleMapRoom();
        }
        mappedTerrain_ = block;
        mapView_->terrainChanged(newTerrain);
    }
    mapView_->update();
}

void MainWindow::setTileAt(std::int32_t mapX, std::int32_t mapY) {
    state_.tools.tileX = mapX;
    state_.tools.tileY = mapY;
    runCommand(cmd::SetTile);
}

void MainWindow::selectRowFromMap(std::size_t row) {
    if (!state_.list.model.window) {
        return;
    }
    const std::optional<std::size_t> shown = highlightOnly(*state_.list.model.window, row);
    listView_->showChange(false);
    if (shown) {
        listView_->scrollToDisplayRow(*shown);
    }
    mapView_->update();
}

void MainWindow::runCommand(int command) {
    runner_->run(command);
}

void MainWindow::runWork(int command, const std::function<void()>& work) {
    runner_->runWork(command, work);
}

bool MainWindow::closeRequested() const {
    return runner_->closeRequested();
}

// After every command: the panels, the map, the start folder and the menus as the core left
// them.
void MainWindow::afterCommand(int command) {
    if (!state_.audit.done) {
        auditDock_->hide(); // no audit came back
    }
    if (!state_.diff.done && diff_ != nullptr) {
        closeComparison(); // the comparison went with the terrain it compared
    }
    syncMap(command);
    showStartFolder();
    // Always render: a checkable entry toggles itself when clicked, the model says what holds.
    renderMenus();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!runner_->windowClosing()) {
        event->ignore(); // a running command ends first
        return;
    }
    savePanels();
    QCoreApplication::quit();
    event->accept();
}

} // namespace vantor::ui
