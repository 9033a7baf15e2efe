#include "analysis/radar_dialog.h"
#include "app/commands.h"
#include "app/progress.h"
#include "app/recent_files.h"
#include "flows/audit_flow.h"
#include "flows/set_tile_flow.h"
#include "map/png_encoder.h"
#include "objectives/export_format.h"
#include "reference/ocd_list.h"
#include "report/audit_json.h"
#include "report/audit_page.h"
#include "sample/sample_theater.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support/terrain_files.h"
#include "terrain/l2m_file.h"
#include "ui/audit_panel.h"
#include "ui/diff_dialog.h"
#include "ui/find_dialog.h"
#include "ui/find_l2_info_dialog.h"
#include "ui/list_view.h"
#include "ui/main_window.h"
#include "ui/map_view.h"
#include "ui/progress_dialog.h"
#include "ui/scan_parameters_dialog.h"
#include "ui/set_tile_dialog.h"
#include "ui/tool_dialogs.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>
#include <QWheelEvent>
#include <deque>
#include <fstream>
#include <sstream>

namespace vantor::ui {

namespace {

struct Item {
    QString text;
    bool enabled;
};

QList<Item> itemsOf(QMenu* menu) {
    QList<Item> items;
    for (QAction* a : menu->actions()) {
        items.append({a->isSeparator() ? QString("---") : a->text(), a->isEnabled()});
    }
    return items;
}

std::string slurpFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

QMenu* topMenu(MainWindow& w, int index) {
    return w.menuBar()->actions().at(index)->menu();
}

// A window whose start folder is a sample theater, with its own settings file there.
MainWindowOptions optionsFor(const testing::TempDir& theater, RunMode mode = RunMode::Interactive) {
    MainWindowOptions options;
    options.mode = mode;
    options.startDirectory = QString::fromStdString(theater.str());
    options.settingsFile = QString::fromStdString((theater.path / "settings.ini").string());
    return options;
}

// A generated sample theater of sections x sections in the folder.
bool writeSample(const testing::TempDir& folder, std::int32_t sections,
                 SampleFeatures* features = nullptr) {
    SampleOptions sample;
    sample.sections = sections;
    std::string error;
    return writeSampleTheater(folder.str(), sample, error, features);
}

// A desktop program started over a generated sample theater of its own, with its own settings.
struct SampleDesk {
    testing::TempDir theater;
    bool written;
    MainWindow w;

    explicit SampleDesk(std::int32_t sections, SampleFeatures* features = nullptr)
        : written(writeSample(theater, sections, features)), w(optionsFor(theater)) {
        w.startUp();
    }
    // The window at 1600 x 1000 on the screen.
    void show() {
        w.resize(1600, 1000);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }
};

// The window as a screenshot once the map's tiles are drawn.
void saveShot(QWidget& window, MapView& map, const char* name) {
    map.grab(); // asks for the tiles of the view
    QTRY_VERIFY(!map.tilesPending());
    QVERIFY(window.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/" + name));
}

// The window's messages collected as "Title: text", each answered Ok.
void collectMessages(MainWindow& w, QStringList& messages) {
    w.platform().messageBox = [&messages](const MessageBoxRequest& m) {
        messages << QString::fromStdString(m.title + ": " + m.text);
        return MessageAnswer::Ok;
    };
}

// The window's file requests answered with these paths in turn.
void answerFilesInTurn(MainWindow& w, std::deque<std::string>& answers) {
    w.platform().requestFile = [&answers](const FileRequest&) {
        if (answers.empty()) {
            return FileRequestResult{};
        }
        const std::string next = answers.front();
        answers.pop_front();
        return FileRequestResult{FileRequestStatus::Chosen, next, 0};
    };
}

// The sample's terrain opened and (withList) its export listed, the file dialogs answered from
// `answers`, which go on answering later requests.
void openSample(MainWindow& w, const testing::TempDir& theater, std::deque<std::string>& answers,
                bool withList = true) {
    answers = {(theater.path / "Theater.L2").string(), (theater.path / "Theater.csv").string()};
    answerFilesInTurn(w, answers);
    w.runCommand(cmd::OpenL2Terrain);
    if (withList) {
        w.runCommand(cmd::OpenSourceCsv);
    }
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    testing::TempDir dir_;
    std::unique_ptr<MainWindow> makeWindow(const QString& settingsName = "settings.ini") {
        MainWindowOptions options;
        options.startDirectory = QString::fromStdString(dir_.str());
        options.settingsFile =
            QString::fromStdString((dir_.path / settingsName.toStdString()).string());
        auto w = std::make_unique<MainWindow>(options);
        w->startUp();
        return w;
    }

  private slots:
    void initTestCase() {
        dir_.write("Quillon.ini", "[Location]\nTheaters=3\n1=Korea\n2=Balkans\n3=Israel\n"
                                  "[Israel]\nX Map Extent=2048\nY Map Extent=2048\n"
                                  "X Sections=128\nY Sections=128\n");
    }

    void menusHaveThePartsTextsOrderAndGreyedItems() {
        auto w = makeWindow();
        QStringList titles;
        for (QAction* a : w->menuBar()->actions()) {
            titles << a->text();
        }
        QCOMPARE(titles, QStringList({"File", "Edit", "Actions", "Theater", "Help"}));

        const QList<Item> file = itemsOf(topMenu(*w, 0));
        const QList<std::pair<QString, bool>> expectedFile{{"&Open  Source csv File...", true},
                                                           {"Open &L2 Terrain file ...", true},
                                                           {"Close &Terrain", false},
                                                           {"&Close Output Files", false},
                                                           {"&Export Objects ...", true},
                                                           {"---", true},
                                                           {"Load L2M &Matrix File...", true},
                                                           {"&Save L2M Matrix...", false},
                                                           {"---", true},
                                                           {"Start Folder...", true},
                                                           {"---", true},
                                                           {"E&xit", true}};
        QCOMPARE(file.size(), expectedFile.size());
        for (int i = 0; i < file.size(); ++i) {
            QCOMPARE(file[i].text, expectedFile[i].first);
            QCOMPARE(file[i].enabled, expectedFile[i].second);
        }

        const QList<Item> actions = itemsOf(topMenu(*w, 2));
        QStringList actionTexts;
        QStringList greyed;
        for (const Item& item : actions) {
            actionTexts << item.text;
            if (!item.enabled) {
                greyed << item.text;
            }
        }
        QCOMPARE(actionTexts, QStringList({"Check Roa&ds ...",
                                           "Check &Rivers ...",
                                           "Check &Transition Tiles",
                                           "&Generate Section Report...",
                                           "Output Te&xt Version...",
                                           "---",
                                           "Place Bridges ...",
                                           "Check &City and Junction Objects",
                                           "---",
                                           "&Find L2 Info...",
                                           "Set T&ile...",
                                           "&List Unused Objective ID's ",
                                           "---",
                                           "Remove Object &Links",
                                           "Check Parent Links...",
                                           "Move object ID's",
                                           "---",
                                           "Create Radar LOS Profiles...",
                                           "Level Airbases",
                                           "Check/Place/Move Objects",
                                           "---",
                                           "Audit Theater...",
                                           "Compare Versions..."}));
        QCOMPARE(greyed,
                 QStringList({"Check Roa&ds ...", "Check &Rivers ...", "Check &Transition Tiles",
                              "&Generate Section Report...", "Output Te&xt Version...",
                              "Place Bridges ...", "Check &City and Junction Objects",
                              "&Find L2 Info...", "Set T&ile...", "&List Unused Objective ID's ",
                              "Audit Theater..."}));

        QMenu* help = topMenu(*w, 4);
        QCOMPARE(help->actions().size(), 2);
        QMenu* howTo = help->actions().at(0)->menu();
        QVERIFY(howTo != nullptr);
        QCOMPARE(help->actions().at(0)->text(), QString("How to ..."));
        QCOMPARE(itemsOf(howTo).size(), 3);
        QCOMPARE(howTo->actions().at(2)->text(), QString("User's Manual"));
        QCOMPARE(help->actions().at(1)->text(), QString("&About ..."));
    }

    void toolbarHasTwelveButtonsWithTheirTooltips() {
        auto w = makeWindow();
        const QList<QAction*> buttons = w->toolBar()->actions();
        const QStringList expected{"Open source csv object file",
                                   "Save added/selected objects to a csv file",
                                   "Select highlighted objects",
                                   "Mark for deletion selected items.",
                                   "Find an object...",
                                   "Unselect all selected objects",
                                   "Open terrain L2 & Build Matrix",
                                   "Check map for misaligned rivers",
                                   "Check map for misaligned roads",
                                   "Scan map and place bridges",
                                   "Scan for missing Transistion tiles.",
                                   "Check/place commercial and industrial Objects on urban tiles."};
        QCOMPARE(buttons.size(), expected.size());
        for (int i = 0; i < buttons.size(); ++i) {
            QCOMPARE(buttons[i]->toolTip(), expected[i]);
            QVERIFY(buttons[i]->isEnabled());
            QVERIFY(!buttons[i]->icon().isNull());
        }
        QCOMPARE(buttons[6]->data().toInt(), int(cmd::OpenL2Terrain));
    }

    void theaterSelectionLeavesExactlyOneCheckedEntry() {
        auto w = makeWindow();
        QMenu* theater = topMenu(*w, 3);
        QCOMPARE(theater->actions().at(0)->text(), QString("Select Theater"));
        QVERIFY(!theater->actions().at(0)->isEnabled());
        QCOMPARE(theater->actions().size(), 5);

        w->menuAction(2002)->trigger();
        QTRY_COMPARE(w->state().theaters.currentTheater, 2002);
        QCOMPARE(w->state().theater.xSections, 128);
        w->menuAction(2001)->trigger();
        QTRY_COMPARE(w->state().theaters.currentTheater, 2001);
        w->menuAction(2000)->trigger();
        QTRY_COMPARE(w->state().theaters.currentTheater, 2000);
        // Choosing the checked entry again keeps it checked.
        w->menuAction(2000)->trigger();
        QTest::qWait(20);

        QStringList checked;
        for (QAction* a : topMenu(*w, 3)->actions()) {
            if (a->isChecked()) {
                checked << a->text();
            }
        }
        QCOMPARE(checked, QStringList({"Korea"}));
    }

    void recentFilesFromTheSettingsAppearAboveExit() {
        const QString name = "recent.ini";
        {
            QSettings s(QString::fromStdString((dir_.path / name.toStdString()).string()),
                        QSettings::IniFormat);
            s.setValue("File1", "C:\\maps\\korea.csv");
            s.setValue("File2", "C:\\maps\\korea.L2");
        }
        auto w = makeWindow(name);
        QStringList tail;
        const QList<Item> file = itemsOf(topMenu(*w, 0));
        for (qsizetype i = file.size() - 4; i < file.size(); ++i) {
            tail << file[i].text;
        }
        QCOMPARE(tail,
                 QStringList({"&1 C:\\maps\\korea.csv", "&2 C:\\maps\\korea.L2", "---", "E&xit"}));
    }

    void progressWindowShowsItsTextsAndEscAsksToStop() {
        auto w = makeWindow();
        ApplicationState& state = w->state();
        state.progress.progressState = ProgressState::Terrain;
        openProgress(state, w->platform());
        ProgressDialog* dialog = w->progressDialog();
        QVERIFY(dialog != nullptr);
        QCOMPARE(dialog->windowTitle(), QString("Building Terrain Matrix"));
        QCOMPARE(dialog->labelText(), QString("Sections Completed:"));
        QCOMPARE(dialog->counterText(), QString("0"));
        state.progress.counters.sectionsCompleted = 63;
        state.progress.counters.position = 63;
        w->runCommand(cmd::ProgressReport);
        QCOMPARE(dialog->counterText(), QString("63"));
        QCOMPARE(dialog->barValue(), 63);
        state.progress.counters.position = 9000;
        w->runCommand(cmd::ProgressReport);
        QCOMPARE(dialog->barValue(), progressBarRange);

        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(state.progress.abortRequested);
        QVERIFY(dialog->isVisible()); // only the flow closes it
        dialog->grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/progress_window.png");
        closeProgress(state, w->platform());
        QVERIFY(w->progressDialog() == nullptr);
    }

    // A settings file that is a FIFO would be read for ever: it is refused before anything reads
    // it, said at start-up, and the settings of the run are kept for the run alone.
    void aSettingsFileThatIsNoRegularFileIsRefusedAndNeverWaitedOn() {
#ifndef Q_OS_WIN
        testing::TempDir folder;
        const std::string fifo = (folder.path / "settings.ini").string();
        QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
        MainWindow w(optionsFor(folder));
        QStringList messages;
        collectMessages(w, messages);
        w.startUp();
        QVERIFY2(messages.join("\n").contains("settings.ini is not a regular file"),
                 qPrintable(messages.join("\n")));
        QVERIFY(w.platform().writeSetting("Software\\Moravik\\Quillon", "File1", "T.L2"));
        QCOMPARE(w.platform().readSetting("Software\\Moravik\\Quillon", "File1").value,
                 std::optional<std::string>("T.L2"));
        QVERIFY(std::filesystem::is_fifo(fifo));
#endif
    }

    void exitEndsTheProgramThroughTheCloseRequest() {
        auto w = makeWindow();
        w->show();
        w->menuAction(cmd::Exit)->trigger();
        QTRY_VERIFY(w->closeRequested());
        QVERIFY(!w->isVisible());
    }

    // Terrain opened through the file dialog (answered by the test) with the real progress
    // window; closing the progress window with Esc stops a read.
    void openingTerrainEnablesItsCommandsAndEscStopsARead() {
        testing::TempDir terrainDir;
        QVERIFY(writeSample(terrainDir, 8));
        const std::string l2 = (terrainDir.path / "Theater.L2").string();

        auto w = makeWindow("terrain.ini");
        w->platform().requestFile = [&](const FileRequest& r) {
            return r.title == "Open L2 Terrain File"
                       ? FileRequestResult{FileRequestStatus::Chosen, l2, 0}
                       : FileRequestResult{};
        };
        const auto report = w->platform().progressReport;
        w->platform().progressReport = [&](const ProgressView& view) {
            report(view);
            QVERIFY(w->progressDialog() != nullptr && w->progressDialog()->isVisible());
            QTest::keyClick(w->progressDialog(), Qt::Key_Escape);
        };
        w->toolBar()->actions().at(6)->trigger();
        QTRY_VERIFY(w->progressDialog() == nullptr);
        QVERIFY(!w->state().terrain.terrainOpen);
        QVERIFY(w->state().terrain.matrix.empty());

        w->platform().progressReport = report;
        w->toolBar()->actions().at(6)->trigger();
        QTRY_VERIFY(w->state().terrain.terrainOpen);
        QCOMPARE(w->state().terrain.matrix.width, 128);
        QCOMPARE(w->windowTitle(), QString::fromStdString(l2));
        QVERIFY(w->menuAction(cmd::CheckRoads)->isEnabled());
        QVERIFY(w->menuAction(cmd::SaveL2mMatrix)->isEnabled());
        QVERIFY(!w->menuAction(cmd::OpenL2Terrain)->isEnabled());

        // Find L2 Info: one modeless window; Enter in a field runs Find.
        w->runCommand(cmd::FindL2Info);
        FindL2InfoDialog* find = w->findL2InfoDialog();
        QVERIFY(find != nullptr && find->isVisible());
        w->runCommand(cmd::FindL2Info);
        QCOMPARE(w->findL2InfoDialog(), find);
        find->mapXField()->setText("70abc");
        find->mapYField()->setText("64");
        QTest::keyClick(find->mapYField(), Qt::Key_Return);
        const TerrainPost& post = w->state().terrain.matrix.at(70, 64);
        QCOMPARE(find->tileIdText(), QString::number(post.tileId));
        QCOMPARE(find->elevationText(), QString::number(post.elevation));
        find->mapXField()->setText("128");
        QTest::keyClick(find->mapXField(), Qt::Key_Return);
        QCOMPARE(find->tileIdText(), QString("off map"));
        QDir().mkpath(VANTOR_SCREENSHOT_DIR);
        find->grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/find_l2_info.png");
        QTest::keyClick(find, Qt::Key_Escape);
        QTRY_VERIFY(w->findL2InfoDialog() == nullptr);
        QVERIFY(!w->state().terrain.findL2InfoPresent);
    }

    // A file loaded into the list view, sorted by a header click, a mark toggled with a
    // double-click, rows highlighted and selected, then exported.
    void listWindowLoadsSortsMarksAndExports() {
        testing::TempDir files;
        const std::string header =
            "1.0 Objective Export  Mon Dec 07 12:19:30 2026\r\nName, Type, Subtype,\r\n";
        std::string body;
        for (int id = 1; id <= 6; ++id) {
            body += "Town" + std::to_string(id) + ", Town, s, " + std::to_string(id * 10) +
                    ", 3, " + std::to_string(id) + ", 7, 0,\r\n";
        }
        const std::string source = files.write("objs.csv", header + body).string();
        const std::string out = (files.path / "out.csv").string();

        auto w = makeWindow("list.ini");
        w->resize(900, 500);
        w->show();
        w->platform().requestFile = [&](const FileRequest& r) {
            const std::string path = r.kind == FileDialogKind::Open ? source : out;
            return FileRequestResult{FileRequestStatus::Chosen, path, 0};
        };
        w->toolBar()->actions().at(0)->trigger();
        QTRY_VERIFY(w->state().list.model.window.has_value());
        ListView* view = w->listView();
        QCOMPARE(view->model()->rowCount(), 6);
        QCOMPARE(view->model()->headerData(2, Qt::Horizontal).toString(), QString("ID#"));
        QCOMPARE(view->columnWidth(0), 150);
        QCOMPARE(w->windowTitle(), QString("Placed Objects List"));
        QVERIFY(w->menuAction(cmd::ListUnusedIds)->isEnabled());

        // First click on "ID#" sorts descending.
        view->header()->sectionClicked(2);
        QCOMPARE(view->model()->index(0, 2).data().toString(), QString("60"));

        // A double-click on the displayed first row (ID 60) selects it; again clears it.
        const QRect first = view->visualRect(view->model()->index(0, 1));
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(w->state().list.model.window->objectRows[5].mark, int(MarkSelected));
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, first.center());
        QCOMPARE(w->state().list.model.window->objectRows[5].mark, int(MarkNone));
        // An edit of the first column never sticks.
        QVERIFY(!view->model()->setData(view->model()->index(0, 0), "Renamed", Qt::EditRole));

        // Highlight the rows of IDs 50 and 20, select them, export: file order.
        view->selectionModel()->select(view->model()->index(1, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view->selectionModel()->select(view->model()->index(4, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        w->runCommand(cmd::SelectObjects);
        QCOMPARE(w->state().list.model.window->objectRows[4].mark, int(MarkSelected));
        QCOMPARE(w->state().list.model.window->objectRows[1].mark, int(MarkSelected));
        QVERIFY(!view->model()->index(1, 0).data(Qt::DecorationRole).isNull());
        QDir().mkpath(VANTOR_SCREENSHOT_DIR);
        w->grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/list_window.png");
        w->runCommand(cmd::ExportObjects);
        const auto bytes = testing::readBytes(out);
        const std::string lines(bytes.begin(), bytes.end());
        QCOMPARE(QString::fromStdString(lines),
                 QString::fromStdString(header + "Town2, Town, s, 20, 3, 2, 7, 0,\r\n" +
                                        "Town5, Town, s, 50, 3, 5, 7, 0,\r\n"));

        // Find: ID# 30, selecting what it finds; the row is highlighted in the view.
        w->runCommand(cmd::Find);
        FindDialog* find = w->findDialog();
        QVERIFY(find != nullptr && find->isVisible());
        QVERIFY(find->fieldButton(3)->isChecked());
        find->selectWhenFoundBox()->click();
        find->searchField()->setText("30");
        QTest::keyClick(find->searchField(), Qt::Key_Return);
        QCOMPARE(w->state().list.model.window->objectRows[2].mark, int(MarkSelected));
        const QModelIndexList highlighted = view->selectionModel()->selectedRows();
        QVERIFY(std::any_of(highlighted.begin(), highlighted.end(),
                            [](const QModelIndex& i) { return i.data().toString() == "Town3"; }));
        find->grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/find_dialog.png");
        find->close();
        QTRY_VERIFY(w->findDialog() == nullptr);

        // Unused identifiers: the dialog lists the gaps between 10 and 60.
        QString listed;
        w->unusedIdsShown = [&](UnusedIdsDialog& dialog) {
            dialog.list(true);
            listed = dialog.listingText();
            dialog.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/unused_ids.png");
        };
        w->runCommand(cmd::ListUnusedIds);
        QCOMPARE(listed, QString(" 11 - 19\n 21 - 29\n 31 - 39\n 41 - 49\n 51 - 59\n"));
        // The list is sorted by identifier, ascending.
        QCOMPARE(view->model()->index(0, 2).data().toString(), QString("10"));
    }

    // The files the open terrain came from are never written over from the desktop, whatever
    // name the save dialog is given, and a scan whose script is missing says so as an error.
    void inputsAreNeverWrittenOverAndMissingScriptsAreErrors() {
        SampleDesk desk(4);
        auto& [theater, sampleWritten, w] = desk;
        QVERIFY(sampleWritten);
        const std::string l2 = (theater.path / "Theater.L2").string();
        const std::string before = slurpFile(l2);
        std::deque<std::string> answers = {l2, (theater.path / "." / "Theater.L2").string(),
                                           (theater.path / "roads.csv").string()};
        answerFilesInTurn(w, answers);
        QStringList messages;
        collectMessages(w, messages);
        w.runCommand(cmd::OpenL2Terrain);
        QVERIFY(w.state().terrain.terrainOpen);
        w.runCommand(cmd::SaveL2mMatrix);
        QVERIFY2(messages.last().contains("Data File Open Failed. (it is the same file as "),
                 qPrintable(messages.last()));
        QCOMPARE(slurpFile(l2), before);

        std::filesystem::remove(theater.path / "Object-RoadScript.dat");
        w.scanParametersShown = [](ScanParametersDialog& dialog) {
            dialog.begin();
            return dialog.result() == QDialog::Accepted;
        };
        w.runCommand(cmd::CheckRoads);
        QVERIFY2(messages.last().startsWith("Missing Script File:  Could not script file: "),
                 qPrintable(messages.last()));
        QVERIFY(!std::filesystem::exists(theater.path / "roads.csv"));
        QVERIFY(!w.state().files.outputFile.isOpen());
    }

    // A road scan from the toolbar: the scan parameters dialog validates as the user types,
    // and the list fills with the report's lines.
    void roadScanShowsItsDialogAndFillsTheList() {
        SampleFeatures features;
        SampleDesk desk(16, &features);
        auto& [theater, sampleWritten, w] = desk;
        QVERIFY(sampleWritten);
        w.show();
        const std::string l2 = (theater.path / "Theater.L2").string();
        const std::string out = (theater.path / "roads.csv").string();
        w.platform().requestFile = [&](const FileRequest& r) {
            return FileRequestResult{FileRequestStatus::Chosen,
                                     r.kind == FileDialogKind::Open ? l2 : out, 0};
        };
        QStringList messages;
        collectMessages(w, messages);
        w.runCommand(cmd::OpenL2Terrain);
        QVERIFY(w.state().terrain.terrainOpen);

        struct Seen {
            bool shown = false;
            QString title, endSectY, startSectY, startXAfterTyping;
            bool priorityEnabled = true, ownerEnabled = true, textEnabled = false,
                 appendEnabled = true;
        } seen;
        w.scanParametersShown = [&](ScanParametersDialog& dialog) {
            seen.shown = true;
            seen.title = dialog.windowTitle();
            seen.endSectY = dialog.field(ScanField::EndSectY)->text();
            seen.startSectY = dialog.field(ScanField::StartSectY)->text();
            seen.priorityEnabled = dialog.field(ScanField::Priority)->isEnabled();
            seen.ownerEnabled = dialog.ownerBox()->isEnabled();
            seen.textEnabled = dialog.textBox()->isEnabled();
            seen.appendEnabled = dialog.appendBox()->isEnabled();
            QLineEdit* startX = dialog.field(ScanField::StartMapX);
            startX->clear();
            QTest::keyClicks(startX, "999"); // beyond the 256-post map: replaced by 0
            seen.startXAfterTyping = startX->text();
            dialog.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/scan_parameters.png");
            dialog.begin();
            return dialog.result() == QDialog::Accepted;
        };
        w.runCommand(cmd::CheckRoads);
        QVERIFY(seen.shown);
        QCOMPARE(seen.title, QString("Bad Roads Scan"));
        QCOMPARE(seen.endSectY, QString("0"));
        QCOMPARE(seen.startSectY, QString("15"));
        QVERIFY(!seen.priorityEnabled);
        QVERIFY(!seen.ownerEnabled);
        QVERIFY(seen.textEnabled);
        QVERIFY(!seen.appendEnabled); // no output file is open
        QCOMPARE(seen.startXAfterTyping, QString("0"));
        QVERIFY2(messages.last().startsWith(QString("Road Scan Finished: %1 bad Road alignments "
                                                    "were found & written.\r\n Written to ")
                                                .arg(features.roadBreaks)),
                 qPrintable(messages.last()));
        QVERIFY(w.state().list.model.window.has_value());
        QCOMPARE(static_cast<int>(w.state().list.model.window->reportRows.size()),
                 features.roadBreaks);
        QCOMPARE(w.listView()->model()->rowCount(), features.roadBreaks);
        QCOMPARE(w.listView()->model()->headerData(7, Qt::Horizontal).toString(), QString("Error"));
        QVERIFY(w.listView()->model()->index(0, 7).data().toString().startsWith("No Road to"));
        w.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/road_scan.png");
    }

    // Radar profiles from the menu: the scanner dialog refuses an increment of 0 with a message
    // and stays open, then scans; the ID tool's dialog keeps the values entered last.
    void radarAndIdToolsRunThroughTheirDialogs() {
        SampleDesk desk(8);
        auto& [theater, sampleWritten, w] = desk;
        QVERIFY(sampleWritten);
        w.show();
        const std::string l2 = (theater.path / "Theater.L2").string();
        const std::string source = (theater.path / "Theater.csv").string();
        std::deque<std::string> answers = {l2, source, (theater.path / "radar.csv").string()};
        answerFilesInTurn(w, answers);
        QStringList messages;
        collectMessages(w, messages);
        bool shown = false;
        QStringList seen;
        w.radarSettingsShown = [&](RadarSettingsDialog& dialog) -> bool {
            shown = true;
            seen << dialog.windowTitle() << dialog.field(MaximumRangeField)->text()
                 << dialog.field(RangeIncrementField)->text();
            QLineEdit* increment = dialog.field(RangeIncrementField);
            increment->clear();
            QTest::keyClicks(increment, "0");
            dialog.scan();
            if (dialog.result() == QDialog::Accepted || messages.isEmpty()) {
                return false;
            }
            increment->clear();
            QTest::keyClicks(increment, "2.5");
            dialog.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/radar_settings.png");
            dialog.scan();
            return dialog.result() == QDialog::Accepted;
        };
        w.runCommand(cmd::RadarProfiles);
        QVERIFY(shown);
        QCOMPARE(seen, QStringList({"Configure Radar Scanner", "  40", "1.0"}));
        QCOMPARE(messages.first(), QString("Configure Radar Scanner: The range scan increment "
                                           "must be from 0.01 to 10000 km."));
        QVERIFY(messages.last().startsWith("Radar LOS Calcuations Completed.: Total of "));
        QCOMPARE(w.state().tools.radarSettings.rangeIncrement, 2.5f);
        QVERIFY(std::filesystem::exists(theater.path / "radar.csv"));

        seen.clear();
        w.idLimitsShown = [&](IdLimitsDialog& dialog) -> IdToolChoice {
            seen << dialog.windowTitle() << dialog.oldStartField()->text()
                 << dialog.oldEndField()->text() << dialog.newStartField()->text();
            if (seen.size() == 4) {
                dialog.oldStartField()->setText("10");
                dialog.oldEndField()->setText("30");
                dialog.newStartField()->setText("5010");
                dialog.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/id_limits.png");
                dialog.choose(IdToolChoice::MoveIds);
            } else {
                dialog.choose(IdToolChoice::Cancel);
            }
            return static_cast<IdToolChoice>(dialog.result());
        };
        answers = {source, (theater.path / "moved.csv").string()};
        w.runCommand(cmd::MoveObjectIds);
        QVERIFY(messages.last().startsWith("ID/Link Check Completed.: "));
        w.runCommand(cmd::MoveObjectIds);
        QCOMPARE(seen, QStringList({"Move ID's and Links ", "0", "0", "10", "Move ID's and Links ",
                                    "10", "30", "5010"}));
        QVERIFY(answers.empty());
    }

    // The reference lists and both object checks from the menus, with the progress window and
    // the checked exports; the airbase levelling rewrites the terrain pair.
    void objectChecksRunFromTheMenus() {
        SampleDesk desk(8);
        auto& [theater, sampleWritten, w] = desk;
        QVERIFY(sampleWritten);
        w.show();
        const std::string l2 = (theater.path / "Theater.L2").string();
        const std::string source = (theater.path / "Theater.csv").string();
        std::deque<std::string> answers = {l2};
        answerFilesInTurn(w, answers);
        QStringList messages;
        collectMessages(w, messages);
        // Menu actions run their command once the event loop comes round.
        const auto choose = [&](int command) {
            QAction* action = w.menuAction(command);
            QVERIFY(action != nullptr && action->isEnabled());
            action->trigger();
            QCoreApplication::processEvents();
        };
        choose(cmd::HowTo);
        QCOMPARE(messages.last(),
                 QString::fromStdString("OCD Data Processed: 22 OCD Objects found out of 23.\r\n "
                                        "Written to " +
                                        (theater.path / "OCDList.dat").string() + " and " +
                                        (theater.path / "OCDList.csv").string() + "."));
        choose(cmd::OpenL2Terrain);
        QVERIFY(w.state().terrain.terrainOpen);

        QStringList titles;
        w.scanParametersShown = [&](ScanParametersDialog& dialog) {
            titles << dialog.windowTitle();
            dialog.rangeBox()->setCurrentIndex(1);
            emit dialog.rangeBox()->activated(1); // as the user picks it
            dialog.begin();
            return dialog.result() == QDialog::Accepted;
        };
        // Esc in the progress window stops the check: no summary, nothing written.
        const auto report = w.platform().progressReport;
        int reports = 0;
        w.platform().progressReport = [&](const ProgressView& view) {
            report(view);
            if (++reports == 3) {
                w.progressDialog()->grab().save(QString(VANTOR_SCREENSHOT_DIR) +
                                                "/object_check_progress.png");
                QTest::keyClick(w.progressDialog(), Qt::Key_Escape);
            }
        };
        answers = {source, (theater.path / "stopped.csv").string()};
        choose(cmd::CheckCityJunction);
        QVERIFY(!std::filesystem::exists(theater.path / "stopped.csv"));
        QVERIFY(!messages.last().startsWith("Object Check Finished"));
        w.platform().progressReport = report;

        answers = {source, (theater.path / "city.csv").string()};
        choose(cmd::CheckCityJunction);
        QVERIFY(messages.contains("TAC Objects Check Completed.: Total of 124 Objects "
                                  "written.\r\n 37  new Objects added.\r\n 9 Parents set to 0 "
                                  "and 16 links dropped: their objects were deleted."));
        answers = {source, (theater.path / "checked.csv").string()};
        choose(cmd::CheckPlaceMoveObjects);
        QVERIFY2(messages.last().startsWith("TAC Objects Check Completed.: Total of 131 Objects"),
                 qPrintable(messages.mid(messages.size() - 3).join("|")));
        QCOMPARE(w.state().scan.parameters.searchRange, 1);
        QCOMPARE(titles.size(), 3);
        QVERIFY(std::filesystem::exists(theater.path / "city.csv"));
        QVERIFY(std::filesystem::exists(theater.path / "checked.csv"));
        QVERIFY(!w.state().progress.windowOpen);

        const auto l2Size = std::filesystem::file_size(l2);
        answers = {source};
        choose(cmd::LevelAirbases);
        QVERIFY(messages.contains("Airbase Leveling Finished:  8 Airbases were leveled."));
        QVERIFY(messages.last().startsWith("Terrain Written: The levelled terrain was written "
                                           "into " +
                                           QString::fromStdString(l2)));
        QVERIFY(std::filesystem::exists(l2 + ".bak"));
        QVERIFY(std::filesystem::file_size(l2) >= l2Size);
        QVERIFY(answers.empty());
    }

    // "@airbase": the script not in the start folder is asked for, its folder becomes the start
    // folder, the terrain is levelled and written back, and the program ends by itself.
    void airbaseBatchModeEndsByItself() {
        testing::TempDir theater;
        testing::TempDir elsewhere;
        QVERIFY(writeSample(theater, 4));
        QVERIFY(generateOcdList(theater.str()).ok);
        const std::string l2 = (theater.path / "Theater.L2").string();
        const std::string before = slurpFile(l2);
        MainWindowOptions options = optionsFor(elsewhere, RunMode::AirbaseBatch);
        MainWindow w(options);
        std::deque<std::string> answers = {l2, (theater.path / "Theater.csv").string(),
                                           (theater.path / "Airbase-Leveler-Script.dat").string()};
        QStringList titles;
        w.platform().requestFile = [&](const FileRequest& r) {
            titles << QString::fromStdString(r.title);
            const std::string next = answers.front();
            answers.pop_front();
            return FileRequestResult{FileRequestStatus::Chosen, next, 0};
        };
        QStringList messages;
        collectMessages(w, messages);
        w.startUp();
        QTRY_VERIFY(w.closeRequested());
        QVERIFY(!w.isVisible());
        QCOMPARE(titles.last(), QString("Airbase Level Script"));
        QVERIFY(messages.filter("Airbase Leveling Finished: ").size() == 1);
        QVERIFY(messages.last().startsWith("Terrain Written: "));
        QVERIFY(slurpFile(l2) != before);
        QCOMPARE(slurpFile(l2 + ".bak"), before);
    }

    // The map beside the list: shown once terrain is open, rows highlighted in the list are
    // centred on it, a click on a marker highlights its row, the status bar names the post
    // under the mouse, the wheel zooms about the mouse and the picture can be saved.
    void mapShowsTheTheaterAndFollowsTheList() {
        SampleDesk desk(8);
        auto& [theater, sampleWritten, w] = desk;
        QVERIFY(sampleWritten);
        w.resize(1100, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(!w.mapPanel()->isVisible());
        const std::string l2 = (theater.path / "Theater.L2").string();
        const std::string source = (theater.path / "Theater.csv").string();
        std::deque<std::string> answers = {l2, source};
        answerFilesInTurn(w, answers);
        w.platform().messageBox = [](const MessageBoxRequest&) { return MessageAnswer::Ok; };
        w.runCommand(cmd::OpenL2Terrain);
        QVERIFY(w.mapPanel()->isVisible());
        w.runCommand(cmd::OpenSourceCsv);
        QVERIFY(w.state().list.model.window.has_value());
        MapView* map = w.mapView();
        map->grab();
        QTRY_VERIFY(!map->tilesPending());
        QDir().mkpath(VANTOR_SCREENSHOT_DIR);
        w.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/map_relief.png");

        // List to map: the highlighted row's post comes to the centre.
        const ListWindow& rows = *w.state().list.model.window;
        const std::size_t display = 7;
        const ListObjectRow& picked = rows.objectRows[rows.display[display]];
        w.listView()->selectionModel()->select(
            w.listView()->model()->index(static_cast<int>(display), 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QCOMPARE(map->centre(), QPointF(picked.x + 0.5, picked.y + 0.5));

        // Map to list: a click on another marker highlights its row.
        map->setView(6, map->centre().x(), map->centre().y());
        const std::vector<MapMarker> markers =
            listMarkers(rows, w.state().list.listKind, w.state().scan.scanAll);
        const MapTransform t = map->transform();
        std::size_t other = markers.size();
        for (std::size_t i = 0; i < markers.size(); ++i) {
            const QPointF at(t.screenX(markers[i].x + 0.5), t.screenY(markers[i].y + 0.5));
            if (!markers[i].highlighted &&
                map->rect().adjusted(20, 20, -170, -20).contains(at.toPoint())) {
                other = i;
                break;
            }
        }
        QVERIFY(other < markers.size());
        const QPoint click(static_cast<int>(t.screenX(markers[other].x + 0.5)),
                           static_cast<int>(t.screenY(markers[other].y + 0.5)));
        QTest::mouseClick(map, Qt::LeftButton, {}, click);
        QCOMPARE(int(rows.highlighted[markers[other].row]), 1);
        QCOMPARE(std::count(rows.highlighted.begin(), rows.highlighted.end(), 1), 1);
        const QModelIndexList selected = w.listView()->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(rows.display[static_cast<std::size_t>(selected[0].row())], markers[other].row);

        // Hovering names the post as users see it.
        QTest::mouseMove(map, click);
        const QString status = w.statusBar()->currentMessage();
        QVERIFY2(status.startsWith(QString("Map X %1  Map Y %2   Sect X ")
                                       .arg(markers[other].x)
                                       .arg(markers[other].y)),
                 qPrintable(status));
        QVERIFY(status.contains("Elevation"));

        // The wheel zooms about the mouse: the post under it stays under it.
        const double before = map->pixelsPerPost();
        QWheelEvent wheel(QPointF(click), map->mapToGlobal(QPointF(click)), {}, QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(map, &wheel);
        QCOMPARE(map->pixelsPerPost(), before * 1.25);
        QCOMPARE(map->transform().postX(click.x()), std::int64_t{markers[other].x});
        QCOMPARE(map->transform().postY(click.y()), std::int64_t{markers[other].y});
        map->grab();
        QTRY_VERIFY(!map->tilesPending());
        w.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/map_zoomed.png");

        // Tile classes, and the picture as shown.
        auto* mode = w.mapPanel()->findChild<QComboBox*>("mapMode");
        QVERIFY(mode != nullptr);
        mode->setCurrentIndex(1);
        QCOMPARE(map->mode(), MapMode::Tiles);
        map->fitWhole();
        const QString png = QString::fromStdString((theater.path / "map.png").string());
        QString error;
        QVERIFY2(map->saveImage(png, error), qPrintable(error));
        QImage saved(png);
        QCOMPARE(saved.size(), map->size() * map->devicePixelRatio());
        // The open terrain is never written over, whatever the name chosen.
        {
            const std::string terrain = slurpFile(l2);
            InputScope held(w.state().files.inputs);
            QVERIFY(!map->saveImage(
                QString::fromStdString((theater.path / "." / "Theater.L2").string()), error));
            QVERIFY2(error.contains("an input of this command"), qPrintable(error));
            QCOMPARE(slurpFile(l2), terrain);
        }
        w.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/map_tiles.png");
    }

    // "@radar": the window stays hidden, the radar command runs at once, and the program ends by
    // itself, also when the settings dialog is cancelled.
    void radarBatchModeEndsByItself() {
        testing::TempDir theater;
        QVERIFY(writeSample(theater, 4));
        for (bool scan : {false, true}) {
            MainWindow w(optionsFor(theater, RunMode::RadarBatch));
            std::deque<std::string> answers = {(theater.path / "Theater.L2").string(),
                                               (theater.path / "Theater.csv").string(),
                                               (theater.path / "batch.csv").string()};
            answerFilesInTurn(w, answers);
            w.platform().messageBox = [](const MessageBoxRequest&) { return MessageAnswer::Ok; };
            int dialogs = 0;
            w.radarSettingsShown = [&](RadarSettingsDialog& dialog) {
                ++dialogs;
                if (scan) {
                    dialog.scan();
                } else {
                    dialog.reject();
                }
                return dialog.result() == QDialog::Accepted;
            };
            w.startUp();
            QTRY_VERIFY(w.closeRequested());
            QCOMPARE(dialogs, 1);
            QVERIFY(!w.isVisible());
            QCOMPARE(std::filesystem::exists(theater.path / "batch.csv"), scan);
            QCOMPARE(answers.size(), scan ? std::size_t{0} : std::size_t{3});
        }
    }

    // The start folder stands in the status bar; File > "Start Folder..." changes it, the
    // Theater menu follows, and later runs start there unless --dir names another.
    void startFolderIsShownChosenAndRemembered() {
        testing::TempDir first;
        testing::TempDir second;
        testing::TempDir current;
        first.write("Quillon.ini", "[Location]\nTheaters=1\n1=Korea\n");
        second.write("Quillon.ini", "[Location]\nTheaters=2\n1=Israel\n2=Balkans\n");
        MainWindowOptions options;
        options.startDirectory = QString::fromStdString(current.str());
        options.startFolderArgument = QString::fromStdString(first.str());
        options.settingsFile = QString::fromStdString((current.path / "settings.ini").string());
        const auto labelOf = [](const testing::TempDir& d) {
            return "Start folder: " + QString::fromStdString(d.str());
        };
        const auto theaterEntries = [](MainWindow& w) {
            QStringList names;
            for (const Item& item : itemsOf(topMenu(w, 3)).mid(2)) {
                names << item.text;
            }
            return names;
        };
        {
            MainWindow w(options);
            w.startUp();
            w.resize(1000, 500);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QCOMPARE(w.startFolderLabel()->text(), labelOf(first));
            QCOMPARE(theaterEntries(w), QStringList({"Korea"}));

            QList<FileDialogKind> kinds;
            w.platform().requestFile = [&](const FileRequest& r) {
                kinds << r.kind;
                return FileRequestResult{FileRequestStatus::Chosen, second.str(), 0};
            };
            QAction* choose = w.menuAction(cmd::ChooseStartFolder);
            QVERIFY(choose != nullptr && choose->isEnabled());
            choose->trigger();
            QTRY_COMPARE(w.startFolderLabel()->text(), labelOf(second));
            QCOMPARE(kinds, QList<FileDialogKind>({FileDialogKind::Folder}));
            QCOMPARE(theaterEntries(w), QStringList({"Israel", "Balkans"}));
            QVERIFY(w.menuAction(cmd::TheaterFirst)->isChecked());
            QDir().mkpath(VANTOR_SCREENSHOT_DIR);
            QVERIFY(w.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/start_folder.png"));
        }
        options.startFolderArgument.clear();
        {
            MainWindow later(options);
            later.startUp();
            QCOMPARE(later.startFolderLabel()->text(), labelOf(second));
            QCOMPARE(theaterEntries(later), QStringList({"Israel", "Balkans"}));
        }
        options.startFolderArgument = QString::fromStdString(first.str());
        MainWindow named(options);
        named.startUp();
        QCOMPARE(named.startFolderLabel()->text(), labelOf(first));
    }

    // Every menu item and toolbar button says in the status bar what it does; the suite's own
    // texts where it has them.
    void statusTextsShowInTheStatusBar() {
        auto w = makeWindow("status.ini");
        w->resize(1000, 500);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(w->menuAction(cmd::FindL2Info)->statusTip(),
                 QString("Find L2 Tile ID# and Elevation for X,Y"));
        std::function<void(QMenu*)> check = [&](QMenu* menu) {
            for (QAction* a : menu->actions()) {
                if (a->menu() != nullptr) {
                    check(a->menu());
                } else if (!a->isSeparator()) {
                    QVERIFY2(!a->statusTip().isEmpty(), qPrintable(a->text()));
                }
            }
        };
        for (QAction* top : w->menuBar()->actions()) {
            check(top->menu());
        }
        for (QAction* a : w->toolBar()->actions()) {
            QVERIFY2(!a->statusTip().isEmpty(), qPrintable(a->toolTip()));
        }
        // The mouse over an item of the open menu puts its text in the status bar.
        QMenu* actions = topMenu(*w, 2);
        QAction* links = w->menuAction(cmd::RemoveObjectLinks);
        w->menuBar()->setActiveAction(w->menuBar()->actions().at(2));
        QVERIFY(QTest::qWaitForWindowExposed(actions));
        actions->setActiveAction(links); // as the mouse comes over it
        QTRY_COMPARE(w->statusBar()->currentMessage(),
                     QString("Remove static Object links from a csv file and set the Parent to "
                             "zero."));
        QDir().mkpath(VANTOR_SCREENSHOT_DIR);
        QVERIFY(w->grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/status_text.png"));
        actions->hide();
    }

    // The list, the audit and the comparison are panels around the map: with all three open
    // in a 1600 x 1000 window the map keeps half the width, and where the user leaves a panel
    // is where the next run puts it.
    void thePanelsLeaveTheMapHalfTheWindowAndAreRemembered() {
        testing::TempDir theater;
        QVERIFY(writeSample(theater, 16));
        const std::string l2 = (theater.path / "Theater.L2").string();
        const std::string source = (theater.path / "Theater.csv").string();
        {
            MainWindow w(optionsFor(theater));
            w.startUp();
            w.resize(1600, 1000);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            std::deque<std::string> answers = {l2, source};
            answerFilesInTurn(w, answers);
            QStringList messages;
            collectMessages(w, messages);
            w.runCommand(cmd::OpenL2Terrain);
            QVERIFY(w.mapPanel()->isVisible());
            w.runCommand(cmd::OpenSourceCsv);
            QTRY_VERIFY(w.listView()->model() != nullptr && w.listView()->model()->rowCount() > 0);
            w.menuAction(cmd::AuditTheater)->trigger();
            QTRY_VERIFY(w.auditDock()->isVisible());
            // A comparison of the terrain with itself, beside the audit in a tab.
            const std::string later = (theater.path / "Later.L2M").string();
            QVERIFY(saveL2m(w.state().terrain.matrix, later, {}).ok());
            answers = {later, source};
            w.diffShown = [](DiffDialog&) {};
            w.menuAction(cmd::CompareVersions)->trigger();
            QTRY_VERIFY(w.comparisonPanel()->isVisible());
            QVERIFY(w.state().diff.done); // kept while its panel is open
            QVERIFY(w.tabifiedDockWidgets(w.auditDock()).contains(w.comparisonPanel()));
            QTRY_VERIFY2(w.mapPanel()->width() >= 800,
                         qPrintable(QString::number(w.mapPanel()->width())));
            QVERIFY(w.listPanel()->isVisible());
            QVERIFY(w.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/panels_1600.png"));
            // Closing the comparison's panel ends it.
            w.comparisonPanel()->close();
            QTRY_VERIFY(!w.state().diff.done);
            // The user puts the audit under the map and closes the list.
            w.addDockWidget(Qt::BottomDockWidgetArea, w.auditDock());
            w.listPanel()->close();
            QCoreApplication::processEvents();
            QVERIFY(w.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/panels_moved.png"));
            w.close();
        }
        MainWindow again(optionsFor(theater));
        again.startUp();
        again.resize(1600, 1000);
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QVERIFY(!again.auditDock()->isVisible()); // no audit yet
        QVERIFY(!again.listPanel()->isVisible());
        std::deque<std::string> answers = {l2, source, source};
        answerFilesInTurn(again, answers);
        again.runCommand(cmd::OpenL2Terrain);
        again.menuAction(cmd::AuditTheater)->trigger();
        QTRY_VERIFY(again.auditDock()->isVisible());
        QCOMPARE(again.dockWidgetArea(again.auditDock()), Qt::BottomDockWidgetArea);
        // A list opened brings its panel back.
        again.runCommand(cmd::OpenSourceCsv);
        QTRY_VERIFY(again.listPanel()->isVisible());
        QTRY_VERIFY(again.mapPanel()->width() >= 800);
    }

    // Esc in the progress window stops the radar run between objects: nothing is written and a
    // message says so. Text that is no number in the dialog is named and the dialog stays open.
    void radarRunStopsOnEscAndWritesNothing() {
        SampleDesk desk(8);
        auto& [theater, sampleWritten, w] = desk;
        QVERIFY(sampleWritten);
        w.show();
        const std::string l2 = (theater.path / "Theater.L2").string();
        const std::string source = (theater.path / "Theater.csv").string();
        const std::string out = (theater.path / "radar.csv").string();
        std::deque<std::string> answers = {l2};
        answerFilesInTurn(w, answers);
        QStringList messages;
        collectMessages(w, messages);
        w.runCommand(cmd::OpenL2Terrain);
        QVERIFY(w.state().terrain.terrainOpen);

        bool stayedOpen = false;
        w.radarSettingsShown = [&](RadarSettingsDialog& dialog) -> bool {
            QLineEdit* range = dialog.field(MaximumRangeField);
            range->clear();
            QTest::keyClicks(range, "abc");
            dialog.scan();
            stayedOpen = dialog.result() != QDialog::Accepted;
            range->clear();
            QTest::keyClicks(range, "40");
            dialog.scan();
            return dialog.result() == QDialog::Accepted;
        };
        const auto report = w.platform().progressReport;
        int reports = 0;
        w.platform().progressReport = [&](const ProgressView& view) {
            report(view);
            if (++reports == 2) {
                QDir().mkpath(VANTOR_SCREENSHOT_DIR);
                w.progressDialog()->grab().save(QString(VANTOR_SCREENSHOT_DIR) +
                                                "/radar_progress.png");
                QTest::keyClick(w.progressDialog(), Qt::Key_Escape);
            }
        };
        answers = {source, out};
        w.runCommand(cmd::RadarProfiles);
        QVERIFY(stayedOpen);
        QCOMPARE(messages.first(),
                 QString("Configure Radar Scanner: The Max Scan Range (km) field holds \"abc\", "
                         "which is not a number."));
        QVERIFY2(messages.last().startsWith("Information: The radar profiles were stopped after "),
                 qPrintable(messages.last()));
        QVERIFY(messages.last().endsWith(QString::fromStdString(out) + " is as it was."));
        QVERIFY(!std::filesystem::exists(out));
        QVERIFY(w.progressDialog() == nullptr);
        QVERIFY(answers.empty());

        // The next run goes through to the end.
        w.platform().progressReport = report;
        answers = {source, out};
        w.runCommand(cmd::RadarProfiles);
        QVERIFY(messages.last().startsWith("Radar LOS Calcuations Completed.: "));
        QVERIFY(std::filesystem::exists(out));
    }

    // A tool whose output is its own source says so and asks for the output again.
    void aToolAsksAgainWhenTheOutputIsTheSource() {
        SampleDesk desk(4);
        auto& [theater, sampleWritten, w] = desk;
        QVERIFY(sampleWritten);
        const std::string source = (theater.path / "Theater.csv").string();
        const std::string before = slurpFile(source);
        const std::string out = (theater.path / "unlinked.csv").string();
        std::deque<std::string> answers = {(theater.path / "Theater.L2").string()};
        answerFilesInTurn(w, answers);
        QStringList messages;
        collectMessages(w, messages);
        w.runCommand(cmd::OpenL2Terrain);
        QVERIFY(w.state().terrain.terrainOpen);
        answers = {source, source, out};
        w.runCommand(cmd::RemoveObjectLinks);
        QVERIFY2(answers.empty(), qPrintable(messages.join("|")));
        QVERIFY2(messages.first().endsWith("Select another file."), qPrintable(messages.first()));
        QVERIFY(messages.last().startsWith("Objects Link Removal Completed.: "));
        QCOMPARE(slurpFile(source), before);
        QVERIFY(std::filesystem::exists(out));
    }

    // "Output Text Version" of a loaded report longer than the list's 4096 rows writes every line.
    void theTextVersionOfALongReportHoldsEveryLine() {
        testing::TempDir files;
        std::string csv = "2 Tile Scanner - Misaligned Roads Report - Mon Dec 07 12:00:00 2026\r\n"
                          "Sect X, Sect Y, Tile X, Tile Y, Tile ID#, Map X, Map Y, Error Type, "
                          "Error Code\r\n";
        for (int i = 0; i < 4944; ++i) {
            csv += std::to_string(i % 13) + ", " + std::to_string(i % 7) + ", 1, 1, " +
                   std::to_string(i) + ", 0, 0, No Road to West, 1\r\n";
        }
        const std::string report = files.write("Long.csv", csv).string();
        const std::string text = (files.path / "Long.txt").string();
        auto w = makeWindow("text.ini");
        std::deque<std::string> answers = {report, text};
        answerFilesInTurn(*w, answers);
        QStringList messages;
        collectMessages(*w, messages);
        w->runCommand(cmd::OpenSourceCsv);
        QCOMPARE(w->listView()->model()->rowCount(), 4096);
        w->runCommand(cmd::OutputTextVersion);
        QVERIFY(answers.empty());
        const std::string written = slurpFile(text);
        QCOMPARE(std::count(written.begin(), written.end(), '\n'), std::ptrdiff_t{4944 + 2});
    }

    // Actions > Audit Theater...: the findings beside the map, a row centres the map on its
    // post, and the page and the JSON are saved through the file dialog.
    void auditShowsItsFindingsBesideTheMap() {
        testing::TempDir theater;
        QVERIFY(writeSample(theater, 16));
        QVERIFY(generateOcdList(theater.str()).ok);
        MainWindow w(optionsFor(theater));
        w.startUp();
        w.resize(1600, 1000);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const std::string l2 = (theater.path / "Theater.L2").string();
        const std::string source = (theater.path / "Theater.csv").string();
        std::deque<std::string> answers = {l2, source};
        answerFilesInTurn(w, answers);
        QStringList messages;
        collectMessages(w, messages);
        QVERIFY(!w.menuAction(cmd::AuditTheater)->isEnabled());
        w.runCommand(cmd::OpenL2Terrain);
        w.runCommand(cmd::OpenSourceCsv);
        QAction* audit = w.menuAction(cmd::AuditTheater);
        QVERIFY(audit != nullptr && audit->isEnabled());
        audit->trigger();
        QTRY_VERIFY(w.auditPanel()->isVisible());
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join("|")));
        const AuditReport& report = w.state().audit.last.report;
        QTreeWidget* findings = w.auditPanel()->findings();
        QCOMPARE(static_cast<std::size_t>(findings->topLevelItemCount()), report.total());
        QVERIFY(report.total() > 0);
        QVERIFY(
            w.auditPanel()->summary()->text().contains(QString("%1 findings").arg(report.total())));

        // A row centres the map on its finding.
        const int row = findings->topLevelItemCount() / 2;
        findings->setCurrentItem(findings->topLevelItem(row));
        const AuditFinding& f = report.findings[static_cast<std::size_t>(row)];
        QCOMPARE(w.mapView()->centre(), QPointF(f.mapX + 0.5, f.mapY + 0.5));
        QDir().mkpath(VANTOR_SCREENSHOT_DIR);
        QVERIFY(w.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/audit_panel.png"));

        const std::string page = (theater.path / "Audit.html").string();
        const std::string json = (theater.path / "Audit.json").string();
        answers = {page};
        w.auditPanel()->savePageButton()->click();
        answers = {json};
        w.auditPanel()->saveJsonButton()->click();
        QVERIFY(answers.empty());
        const std::string pageText = slurpFile(page);
        QVERIFY(pageText.rfind("<!DOCTYPE html>", 0) == 0);
        QVERIFY(pageText.find("data:image/png;base64,") != std::string::npos);
        // Its map is the core's picture, encoded as vantor-cli encodes it: the page saved here
        // is the file `vantor-cli audit --html` writes.
        const TheaterAudit& done = w.state().audit.last;
        std::string expected;
        std::string error;
        QVERIFY(report::auditPageOf(
            done, w.state().theater, w.state().terrain.matrix,
            report::auditJson(done, w.state().theater, "vantor"),
            [](const MapImage& image, std::string& png, std::string& why) {
                return encodeMapPng(image, png, why);
            },
            expected, error));
        const auto picture = [](const std::string& html) {
            const std::size_t at = html.find("data:image/png;base64,");
            return at == std::string::npos ? std::string()
                                           : html.substr(at, html.find('"', at) - at);
        };
        QVERIFY(!picture(expected).empty());
        QVERIFY(picture(pageText) == picture(expected));
        QVERIFY(w.state().audit.saved); // closing the terrain need not ask for it
        QVERIFY(slurpFile(json).find("\"format\": \"vantor-audit\"") != std::string::npos);
        // The audit against itself: nothing is new.
        answers = {json};
        w.auditPanel()->baselineButton()->click();
        QVERIFY(answers.empty());
        QVERIFY2(w.auditPanel()->summary()->text().contains("<b>0 new</b> since the baseline"),
                 qPrintable(w.auditPanel()->summary()->text()));
        QCOMPARE(w.state().audit.last.report.baseline->known, report.total());
        // Never over what the audit read.
        answers = {source};
        const std::string before = slurpFile(source);
        w.auditPanel()->saveJsonButton()->click();
        QCOMPARE(slurpFile(source), before);
        QVERIFY(
            messages.last().startsWith("Error: Cannot write " + QString::fromStdString(source)));
    }

    // A chain in the window: the city check's output, opened in the list and audited, keeps the
    // source's Parents, links and radar values in order (its new objects have Parent 0, as
    // the export writes them) and passes the check it came from.
    void theCityChecksOutputPassesTheAudit() {
        SampleDesk desk(16);
        auto& [theater, sampleWritten, w] = desk;
        QVERIFY(sampleWritten);
        desk.show();
        const std::string l2 = (theater.path / "Theater.L2").string();
        const std::string source = (theater.path / "Theater.csv").string();
        const std::string checked = (theater.path / "City.csv").string();
        std::deque<std::string> answers = {l2, source};
        answerFilesInTurn(w, answers);
        QStringList messages;
        collectMessages(w, messages);
        w.scanParametersShown = [](ScanParametersDialog& dialog) {
            dialog.begin();
            return dialog.result() == QDialog::Accepted;
        };
        const auto parentsAndRadar = [&] {
            const AuditReport& r = w.state().audit.last.report;
            return std::pair{r.outcomes[auditIndex(AuditCheck::Parents)].count,
                             r.outcomes[auditIndex(AuditCheck::Radar)].count};
        };
        w.runCommand(cmd::OpenL2Terrain);
        w.runCommand(cmd::OpenSourceCsv);
        w.menuAction(cmd::AuditTheater)->trigger();
        QTRY_VERIFY(w.auditPanel()->isVisible());
        QVERIFY(w.state().audit.done);
        const auto [parentsBefore, radarBefore] = parentsAndRadar();
        QCOMPARE(w.state().audit.last.report.parentRule, ParentRule::TypeOrClassCode);
        const std::string baseline = (theater.path / "Before.json").string();
        answers = {baseline};
        w.auditPanel()->saveJsonButton()->click();
        QVERIFY(answers.empty());

        answers = {source, checked};
        w.runCommand(cmd::CheckCityJunction);
        QVERIFY2(messages.last().startsWith("TAC Objects Check Completed.: Total of "),
                 qPrintable(messages.join("|")));
        const int added = messages.last().section("\r\n ", 1, 1).section(' ', 0, 0).toInt();
        QVERIFY(added > 0);
        answers = {checked};
        w.runCommand(cmd::OpenSourceCsv);
        w.menuAction(cmd::AuditTheater)->trigger();
        const auto audited = [&](const std::string& path) {
            for (const AuditInput& input : w.state().audit.last.inputs) {
                if (input.role == "source" && std::filesystem::equivalent(input.path, path)) {
                    return true;
                }
            }
            return false;
        };
        QTRY_VERIFY(w.state().audit.done && audited(checked));
        const AuditReport& after = w.state().audit.last.report;
        QCOMPARE(after.outcomes[auditIndex(AuditCheck::Urban)].count, std::size_t{0});
        QCOMPARE(after.outcomes[auditIndex(AuditCheck::Ids)].count, std::size_t{0});
        const auto [parentsAfter, radarAfter] = parentsAndRadar();
        QVERIFY2(parentsAfter <= parentsBefore + static_cast<std::size_t>(added),
                 qPrintable(QString("%1 Parent faults after, %2 before, %3 created")
                                .arg(parentsAfter)
                                .arg(parentsBefore)
                                .arg(added)));
        QVERIFY2(radarAfter <= radarBefore,
                 qPrintable(
                     QString("%1 stale radar after, %2 before").arg(radarAfter).arg(radarBefore)));
        QVERIFY(w.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/audit_of_city_check.png"));

        // Against the source's audit, the renumbered objectives' findings are known: what is
        // new is the Parents of created objectives and of those whose Parent was deleted.
        answers = {baseline};
        w.auditPanel()->baselineButton()->click();
        QVERIFY(answers.empty());
        const AuditReport& compared = w.state().audit.last.report;
        QVERIFY(compared.baseline.has_value());
        QVERIFY(compared.baseline->renumbered > 0);
        QVERIFY(compared.baseline->fresh > 0);
        for (const AuditFinding& f : compared.findings) {
            QVERIFY2(f.known || f.check == AuditCheck::Parents, f.detail.c_str());
        }
        QVERIFY2(w.auditPanel()->summary()->text().contains(
                     QString("%1 of them under another objective ID")
                         .arg(compared.baseline->renumbered)),
                 qPrintable(w.auditPanel()->summary()->text()));
        // The summary's lines are all shown, above the list.
        QLabel* summary = w.auditPanel()->summary();
        QTextDocument wrapped;
        wrapped.setDefaultFont(summary->font());
        wrapped.setDocumentMargin(0);
        wrapped.setHtml(summary->text());
        wrapped.setTextWidth(summary->contentsRect().width());
        QVERIFY2(summary->contentsRect().height() + 1 >= wrapped.size().height(),
                 qPrintable(QString("%1 px for %2 px of text")
                                .arg(summary->contentsRect().height())
                                .arg(wrapped.size().height())));
        QVERIFY(summary->geometry().bottom() < w.auditPanel()->findings()->geometry().top());
        QVERIFY(w.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/audit_against_baseline.png"));
    }

    // A finding a whole command mends (the city check, the levelling, the radar profiles):
    // Apply runs that command, as its menu item does, and Apply All has nothing to apply.
    void aFindingACommandMendsRunsThatCommand() {
        SampleDesk desk(16);
        auto& [theater, sampleWritten, w] = desk;
        QVERIFY(sampleWritten);
        const std::string l2 = (theater.path / "Theater.L2").string();
        const std::string source = (theater.path / "Theater.csv").string();
        const std::string out = (theater.path / "Radar.csv").string();
        std::deque<std::string> answers = {l2, source};
        answerFilesInTurn(w, answers);
        QStringList messages;
        collectMessages(w, messages);
        w.runCommand(cmd::OpenL2Terrain);
        w.runCommand(cmd::OpenSourceCsv);
        w.menuAction(cmd::AuditTheater)->trigger();
        QTRY_VERIFY(w.state().audit.done);
        const auto& found = w.state().audit.last.report.findings;
        QTreeWidget* rows = w.auditPanel()->findings();
        const auto select = [&](AuditCheck check) {
            for (std::size_t i = 0; i < found.size(); ++i) {
                if (found[i].check == check) {
                    rows->setCurrentItem(rows->topLevelItem(static_cast<int>(i)));
                    return true;
                }
            }
            return false;
        };
        QPushButton* apply = w.auditPanel()->applyButton();
        for (const AuditCheck check :
             {AuditCheck::Urban, AuditCheck::Airbases, AuditCheck::Radar, AuditCheck::Parents}) {
            QVERIFY2(select(check), auditCheckName(check));
            const bool runs = check != AuditCheck::Parents;
            QCOMPARE(apply->text(), runs ? QString("Run Command...") : QString("Apply"));
            QVERIFY(apply->isEnabled());
            QCOMPARE(w.auditPanel()->applyAllButton()->isEnabled(), !runs);
        }
        QVERIFY(select(AuditCheck::Radar));
        bool asked = false;
        w.radarSettingsShown = [&](RadarSettingsDialog& dialog) {
            asked = true;
            dialog.scan();
            return dialog.result() == QDialog::Accepted;
        };
        answers = {source, out};
        apply->click();
        QVERIFY(asked);
        QVERIFY(answers.empty());
        QVERIFY2(!messages.isEmpty() && messages.last().contains("Radar LOS Calcuations Completed"),
                 qPrintable(messages.join("|")));
        QVERIFY(std::filesystem::exists(out));
        // The profiles written are the ones the audit compares with.
        const TheaterAudit again = auditTheater(w.state(), out, [] {
            AuditSelection s{};
            s[auditIndex(AuditCheck::Radar)] = true;
            return s;
        }());
        QCOMPARE(again.report.outcomes[auditIndex(AuditCheck::Radar)].count, std::size_t{0});
    }

    // A finding's repairs in the panel and on the map; Apply writes them back (the pair as one,
    // the previous one kept), the map and the panel follow, and Edit > Undo Last Repair puts
    // the pair back from its backup.
    void auditRepairsAreAppliedAndUndone() {
        SampleDesk desk(16);
        auto& [theater, sampleWritten, w] = desk;
        QVERIFY(sampleWritten);
        desk.show();
        const std::string l2 = (theater.path / "Theater.L2").string();
        const std::string source = (theater.path / "Theater.csv").string();
        std::deque<std::string> answers = {l2, source};
        answerFilesInTurn(w, answers);
        QStringList messages;
        collectMessages(w, messages);
        w.runCommand(cmd::OpenL2Terrain);
        w.runCommand(cmd::OpenSourceCsv);
        w.menuAction(cmd::AuditTheater)->trigger();
        QTRY_VERIFY(w.auditPanel()->isVisible());
        const auto count = [&](AuditCheck check) {
            return w.state().audit.last.report.outcomes[auditIndex(check)].count;
        };
        const auto rowOf = [&](AuditCheck check) {
            const auto& findings = w.state().audit.last.report.findings;
            for (std::size_t i = 0; i < findings.size(); ++i) {
                if (findings[i].check == check) {
                    return static_cast<int>(i);
                }
            }
            return -1;
        };
        const std::size_t roads = count(AuditCheck::Roads);
        const std::size_t rivers = count(AuditCheck::Rivers);
        QVERIFY(roads >= 2 && rivers >= 2);
        QTreeWidget* findings = w.auditPanel()->findings();
        findings->setCurrentItem(findings->topLevelItem(rowOf(AuditCheck::Roads)));
        QVERIFY(w.auditPanel()->repairs()->text().contains("on the neighbour to the"));
        QVERIFY(w.auditPanel()->applyButton()->isEnabled());
        QCOMPARE(w.mapView()->selectedFinding(), rowOf(AuditCheck::Roads));
        QVERIFY(!w.menuAction(cmd::UndoTerrain)->isEnabled()); // no history before a write
        QVERIFY(w.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/audit_repair.png"));
        // The findings' markers stand out on the tile classes too.
        w.mapView()->setMode(MapMode::Tiles);
        w.mapView()->grab(); // asks for the tiles of the view
        QTRY_VERIFY(!w.mapView()->tilesPending());
        QVERIFY(
            w.mapView()->grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/audit_repair_tiles.png"));
        w.mapView()->setMode(MapMode::Relief);

        // One gap filled: both of its breaks go. No message box: the status bar and the panel
        // say what was done, the panel stays and the next road finding is selected.
        const qsizetype said = messages.size();
        const AuditFinding applied =
            w.state()
                .audit.last.report.findings[static_cast<std::size_t>(rowOf(AuditCheck::Roads))];
        w.auditPanel()->applyButton()->click();
        QTRY_COMPARE(count(AuditCheck::Roads), roads - 2);
        QCOMPARE(messages.size(), said);
        QVERIFY(w.auditDock()->isVisible());
        const QString status = w.statusBar()->currentMessage();
        QVERIFY2(status.startsWith("The repair was put in place.") &&
                     status.contains(QString::fromStdString(l2)),
                 qPrintable(status));
        QCOMPARE(w.auditPanel()->workDone()->text(), status);
        const int next = w.auditPanel()->currentFinding();
        QVERIFY(next >= 0);
        const AuditFinding& nextFinding =
            w.state().audit.last.report.findings[static_cast<std::size_t>(next)];
        QCOMPARE(nextFinding.check, AuditCheck::Roads);
        QVERIFY(nextFinding.mapX != applied.mapX || nextFinding.mapY != applied.mapY);
        QCOMPARE(w.mapView()->selectedFinding(), next);
        saveShot(w, *w.mapView(), "audit_applied.png");
        QVERIFY(std::filesystem::exists(l2 + ".bak"));
        QVERIFY(w.menuAction(cmd::UndoTerrain)->isEnabled());
        QCOMPARE(w.menuAction(cmd::UndoTerrain)->text(), QString("&Undo Mend of 1 tile"));
        const std::string afterRoad = slurpFile(l2);

        // Every river break at once, after a question that says how many and where; No changes
        // nothing.
        findings->setCurrentItem(findings->topLevelItem(rowOf(AuditCheck::Rivers)));
        QStringList asked;
        MessageAnswer answer = MessageAnswer::No;
        w.platform().messageBox = [&](const MessageBoxRequest& m) {
            if (m.buttons == MessageButtons::YesNo) {
                asked << QString::fromStdString(m.title + ": " + m.text);
                return answer;
            }
            messages << QString::fromStdString(m.title + ": " + m.text);
            return MessageAnswer::Ok;
        };
        w.auditPanel()->applyAllButton()->click();
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked[0].startsWith(QString("Apply All of Check: Apply the first repair of %1 "
                                             "findings of the check rivers?")
                                         .arg(rivers)) &&
                     asked[0].contains(QString::fromStdString(l2)),
                 qPrintable(asked[0]));
        QCOMPARE(slurpFile(l2), afterRoad);
        answer = MessageAnswer::Yes;
        w.auditPanel()->applyAllButton()->click();
        QTRY_COMPARE(count(AuditCheck::Rivers), std::size_t{0});
        QCOMPARE(messages.size(), said);
        QCOMPARE(w.auditPanel()->currentFinding(), -1); // no river finding left to select
        QCOMPARE(count(AuditCheck::Roads), roads - 2);
        QVERIFY(slurpFile(l2) != afterRoad);

        const std::string afterRivers = slurpFile(l2);
        const QString riversMend = w.menuAction(cmd::UndoTerrain)->text().mid(6);
        QVERIFY2(riversMend.startsWith("Mend of "), qPrintable(riversMend));

        // Undo: the pair as the road left it, and the rivers broken again; then the road's mend
        // is the one to undo, and the rivers' the one to redo.
        w.menuAction(cmd::UndoTerrain)->trigger();
        QTRY_COMPARE(count(AuditCheck::Rivers), rivers);
        QCOMPARE(slurpFile(l2), afterRoad);
        QVERIFY2(messages.last().startsWith("Undo: Generation 2 (Mend of 1 tile"),
                 qPrintable(messages.last()));
        QCOMPARE(w.menuAction(cmd::UndoTerrain)->text(), QString("&Undo Mend of 1 tile"));
        QCOMPARE(w.menuAction(cmd::RedoTerrain)->text(), "&Redo " + riversMend);
        QMenu* edit = topMenu(w, EditMenu);
        edit->popup(w.mapToGlobal(QPoint(60, 20)));
        QVERIFY(QTest::qWaitForWindowExposed(edit));
        QVERIFY(edit->grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/edit_menu_undo_redo.png"));
        edit->hide();
        // Redo: the rivers mended again, from the history, not by running the mend again.
        w.menuAction(cmd::RedoTerrain)->trigger();
        QTRY_COMPARE(count(AuditCheck::Rivers), std::size_t{0});
        QCOMPARE(slurpFile(l2), afterRivers);
        QVERIFY(!w.menuAction(cmd::RedoTerrain)->isEnabled());

        // A Parent goes to a new export, the source stays as it was.
        const std::string before = slurpFile(source);
        const int parent = rowOf(AuditCheck::Parents);
        QVERIFY(parent >= 0);
        const AuditFinding f =
            w.state().audit.last.report.findings[static_cast<std::size_t>(parent)];
        findings->setCurrentItem(findings->topLevelItem(parent));
        const std::string mended = (theater.path / "Mended.csv").string();
        answers = {mended};
        w.auditPanel()->applyButton()->click();
        QVERIFY(answers.empty());
        QCOMPARE(slurpFile(source), before);
        const std::string written = slurpFile(mended);
        QVERIFY2(w.statusBar()->currentMessage().contains("1 Parent set"),
                 qPrintable(w.statusBar()->currentMessage()));
        std::istringstream lines(written);
        std::string line;
        for (std::size_t n = 0; n <= *f.sourceLine; ++n) {
            std::getline(lines, line);
        }
        QCOMPARE(readIntField(ParentField, line), *f.suggestions.front().parent);
    }

    // Edit > Keep Source Dates: a choice the menu shows checked while it holds.
    void keepSourceDatesIsCheckedWhileItHolds() {
        auto w = makeWindow();
        QAction* keep = w->menuAction(cmd::KeepSourceDates);
        QVERIFY(keep != nullptr && keep->isEnabled());
        QVERIFY(!w->state().files.keepDate);
        keep->trigger();
        QTRY_VERIFY(w->state().files.keepDate);
        QVERIFY(w->menuAction(cmd::KeepSourceDates)->isChecked());
        w->menuAction(cmd::KeepSourceDates)->trigger();
        QTRY_VERIFY(!w->state().files.keepDate);
        QVERIFY(!w->menuAction(cmd::KeepSourceDates)->isChecked());
    }

    // Actions > Compare Versions...: the open terrain and the listed export against later
    // versions; the window lists the changed sections and objectives and writes the page and
    // the JSON, never over a version compared.
    void compareVersionsShowsTheChangesAndWritesThem() {
        SampleDesk desk(8);
        auto& [theater, sampleWritten, w] = desk;
        QVERIFY(sampleWritten);
        w.resize(1400, 900);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const std::string l2 = (theater.path / "Theater.L2").string();
        const std::string source = (theater.path / "Theater.csv").string();
        std::deque<std::string> answers = {l2, source};
        answerFilesInTurn(w, answers);
        QStringList messages;
        collectMessages(w, messages);
        w.runCommand(cmd::OpenL2Terrain);
        w.runCommand(cmd::OpenSourceCsv);
        QVERIFY(w.state().terrain.terrainOpen);

        TerrainMatrix later = w.state().terrain.matrix;
        later.at(5, 5).elevation = static_cast<std::uint16_t>(later.at(5, 5).elevation + 40);
        later.at(70, 90).tileId += 1;
        const std::string laterTerrain = (theater.path / "Later.L2M").string();
        QVERIFY(saveL2m(later, laterTerrain, {}).ok());
        // The later export lacks the first objective.
        std::istringstream lines(slurpFile(source));
        std::string laterText;
        std::string line;
        for (int i = 0; std::getline(lines, line); ++i) {
            laterText += i == 2 ? "" : line + "\n";
        }
        const std::string laterSource = (theater.path / "Later.csv").string();
        std::ofstream(laterSource, std::ios::binary) << laterText;

        const std::string page = (theater.path / "Changes.html").string();
        const std::string json = (theater.path / "Changes.json").string();
        const std::string sourceBytes = slurpFile(source);
        bool shown = false;
        w.diffShown = [&](DiffDialog& dialog) {
            shown = true;
            QVERIFY2(dialog.summaryText().startsWith("terrain      2 posts changed in 2 sections"),
                     qPrintable(dialog.summaryText()));
            QVERIFY(dialog.summaryText().endsWith("the two differ"));
            QTreeWidget* changes = dialog.changes();
            QCOMPARE(changes->topLevelItemCount(), 2);
            QCOMPARE(changes->topLevelItem(0)->childCount(), 2); // the two sections
            // Each changed post under its section, with what it was and what it became.
            QTreeWidgetItem* post = changes->topLevelItem(0)->child(1)->child(0);
            QVERIFY(post != nullptr);
            QCOMPARE(post->text(0), QString("Map X 70, Map Y 90"));
            const TerrainPost was = w.state().terrain.matrix.at(70, 90);
            QCOMPARE(post->text(1), QString::fromStdString(postText(was)));
            TerrainPost now = was;
            now.tileId += 1;
            QCOMPARE(post->text(2), QString::fromStdString(postText(now)));
            QCOMPARE(post->text(3), QString("tile"));
            QVERIFY(changes->topLevelItem(0)->child(0)->text(0).startsWith("Sect X 0, Sect Y "));
            QTreeWidgetItem* objectives = changes->topLevelItem(1);
            QVERIFY(objectives->childCount() >= 1);
            QCOMPARE(objectives->child(0)->text(0), QString("deleted"));
            // The objectives that had it as Parent now name an objective that is not there.
            const QString gone = objectives->child(0)->text(1).section(" (", 0, 0);
            for (int i = 1; i < objectives->childCount(); ++i) {
                QCOMPARE(objectives->child(i)->text(0), QString("changed"));
                QCOMPARE(objectives->child(i)->text(3),
                         "Parent " + gone + " to " + gone.section(' ', 0, 0) + " (no objective)");
            }
            // A change selected is ringed on the map and brought into view: a section by its
            // area's centre, an objective by its post (the earlier one, as it was deleted).
            changes->setCurrentItem(changes->topLevelItem(0)->child(1));
            QCOMPARE(w.mapView()->selectedChange(), std::optional(QPoint(70, 90)));
            QCOMPARE(w.mapView()->centre(), QPointF(70.5, 90.5));
            const ObjectChangeRow deleted = objectChangeRows(*w.state().diff.last.objectives)[0];
            changes->setCurrentItem(objectives->child(0));
            QCOMPARE(w.mapView()->selectedChange(), std::optional(QPoint(deleted.x, deleted.y)));
            QCOMPARE(w.mapView()->centre(), QPointF(deleted.x + 0.5, deleted.y + 0.5));
            // The changed posts are magenta, at every zoom (zoomed out, drawn three pixels wide).
            const auto magentaAt = [&](double x, double y) {
                const MapTransform t = w.mapView()->transform();
                const QImage shot = w.mapView()->grab().toImage();
                const QColor c = shot.pixelColor(static_cast<int>(std::floor(t.screenX(x))),
                                                 static_cast<int>(std::floor(t.screenY(y))));
                return c == QColor::fromRgb(changedPostColour);
            };
            w.mapView()->setView(0.5, 64, 64);
            QVERIFY(magentaAt(70.5, 90.5));
            w.mapView()->setView(8, 40, 48);
            QVERIFY(magentaAt(5.5, 5.5));
            QVERIFY(!magentaAt(6.5, 5.5));
            QVERIFY(w.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/compare_versions_map.png"));
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QVERIFY(dialog.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/compare_versions.png"));
            answers = {page};
            dialog.savePageButton()->click();
            answers = {source}; // refused: it is the earlier version
            dialog.saveJsonButton()->click();
            answers = {json};
            dialog.saveJsonButton()->click();
            dialog.accept();
        };
        answers = {laterTerrain, laterSource};
        w.menuAction(cmd::CompareVersions)->trigger();
        QTRY_VERIFY(shown);
        QVERIFY(answers.empty());
        QVERIFY(!w.state().diff.done); // nothing kept past its window
        QVERIFY(!w.mapView()->selectedChange().has_value());
        const std::string written = slurpFile(page);
        QVERIFY(written.starts_with("<!DOCTYPE html>"));
        // Both versions, each as relief and as tile classes, in one view that zooms.
        QCOMPARE(QString::fromStdString(written).count("<img"), 4);
        QVERIFY(written.find("id=\"zoom-in\"") != std::string::npos);
        QVERIFY(written.find("<td>Map X 70, Map Y 90</td>") != std::string::npos);
        QVERIFY(slurpFile(json).starts_with("{"));
        QVERIFY(slurpFile(source) == sourceBytes);
        QVERIFY2(messages.size() == 1 &&
                     messages[0].contains("Cannot write " + QString::fromStdString(source)),
                 qPrintable(messages.join("|")));
    }

    // In a git work tree Compare Versions asks for a revision first: the open terrain against
    // what the revision holds, the changed post with what it was and what it is now.
    void compareVersionsAgainstAGitRevision() {
        if (testing::runProgram("git", {"--version"}).exitCode != 0) {
            QSKIP("git is not installed");
        }
        testing::TempDir theater;
        QVERIFY(writeSample(theater, 8));
        const auto git = [&theater](std::vector<std::string> args) {
            args.insert(args.begin(), {"-C", theater.str(), "-c", "user.name=B", "-c",
                                       "user.email=b@example.org", "-c", "commit.gpgsign=false"});
            return testing::runProgram("git", args).exitCode;
        };
        QCOMPARE(git({"init", "-q"}), 0);
        QCOMPARE(git({"add", "-A"}), 0);
        QCOMPARE(git({"commit", "-q", "-m", "sample"}), 0);
        MainWindow w(optionsFor(theater));
        w.startUp();
        w.resize(1400, 900);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        std::deque<std::string> answers = {(theater.path / "Theater.L2").string()};
        answerFilesInTurn(w, answers);
        w.runCommand(cmd::OpenL2Terrain);
        QVERIFY(w.state().terrain.terrainOpen);
        const TerrainPost was = w.state().terrain.matrix.at(40, 50);
        w.state().terrain.matrix.at(40, 50).tileId += 1; // as an Apply leaves it
        std::vector<TextRequest> asked;
        w.platform().requestText = [&asked](const TextRequest& r) {
            asked.push_back(r);
            return std::optional<std::string>("HEAD");
        };
        bool shown = false;
        w.diffShown = [&](DiffDialog& dialog) {
            shown = true;
            QTreeWidgetItem* post = dialog.changes()->topLevelItem(0)->child(0)->child(0);
            QVERIFY(post != nullptr);
            QCOMPARE(post->text(0), QString("Map X 40, Map Y 50"));
            QCOMPARE(post->text(1), QString::fromStdString(postText(was)));
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QVERIFY(dialog.grab().save(QString(VANTOR_SCREENSHOT_DIR) +
                                       "/compare_with_git_revision.png"));
            dialog.accept();
        };
        w.menuAction(cmd::CompareVersions)->trigger();
        QTRY_VERIFY(shown);
        QCOMPARE(asked.size(), std::size_t{1});
        QCOMPARE(asked[0].title, std::string("Against a Git Revision"));
        QVERIFY(answers.empty());
    }

    // Edit > Find brings the map to the object found; a second click on the highlighted row
    // brings it back after the map was moved away.
    void findAndAHighlightedRowCentreTheMap() {
        SampleDesk desk(16);
        auto& [theater, sampleWritten, w] = desk;
        QVERIFY(sampleWritten);
        desk.show();
        std::deque<std::string> answers;
        openSample(w, theater, answers);
        QTRY_VERIFY(w.state().list.model.window.has_value());
        const ListObjectRow row = w.state().list.model.window->objectRows[20];
        const QPointF post(row.x + 0.5, row.y + 0.5);
        w.mapView()->setView(4, 10, 10);
        w.runCommand(cmd::Find);
        FindDialog* find = w.findDialog();
        QVERIFY(find != nullptr);
        find->fieldButton(3)->click(); // ID#
        find->searchField()->setText(QString::number(row.identifier));
        QTest::keyClick(find->searchField(), Qt::Key_Return);
        QCOMPARE(w.mapView()->centre(), post);
        find->close();
        QTRY_VERIFY(w.findDialog() == nullptr);

        w.mapView()->setView(4, 10, 10);
        ListView* list = w.listView();
        const QModelIndexList rows = list->selectionModel()->selectedRows();
        QCOMPARE(rows.size(), 1);
        const QRect at = list->visualRect(rows[0]);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at.center());
        QCOMPARE(w.mapView()->centre(), post);
        saveShot(w, *w.mapView(), "find_centres_map.png");
    }

    // The legend lists what is drawn, in the audit page's shapes and colours; it folds to its
    // title and moves out of the way of the finding selected.
    void theLegendExplainsWhatIsDrawnAndKeepsTheSelectionClear() {
        SampleDesk desk(16);
        auto& [theater, sampleWritten, w] = desk;
        QVERIFY(sampleWritten);
        desk.show();
        std::deque<std::string> answers = {(theater.path / "Theater.L2").string(),
                                           (theater.path / "Theater.csv").string()};
        answerFilesInTurn(w, answers);
        w.runCommand(cmd::OpenL2Terrain);
        const auto labels = [&] {
            QStringList out;
            for (const LegendEntry& e : w.mapView()->legendRows()) {
                out << QString::fromStdString(e.label);
            }
            return out;
        };
        QCOMPARE(labels(), QStringList({"Sea", "Lowland", "Hills", "Highland", "Peaks"}));
        w.runCommand(cmd::OpenSourceCsv);
        w.menuAction(cmd::AuditTheater)->trigger();
        QTRY_VERIFY(w.state().audit.done);
        QVERIFY(labels().contains("City"));
        QVERIFY(labels().contains("Audit: roads"));
        QVERIFY(!labels().contains("Road break")); // no road report is listed
        QVERIFY(!labels().contains("Post changed"));

        // A finding under the legend: the legend goes to another corner.
        MapView* map = w.mapView();
        const QRect box = map->legendRect();
        const auto& findings = w.state().audit.last.report.findings;
        const std::size_t pick = 0;
        const AuditFinding& f = findings[pick];
        map->setView(4, f.mapX + 0.5 - (box.center().x() - map->width() / 2.0) / 4,
                     f.mapY + 0.5 + (box.center().y() - map->height() / 2.0) / 4);
        map->setSelectedFinding(static_cast<int>(pick));
        const MapTransform t = map->transform();
        const QPoint finding(static_cast<int>(t.screenX(f.mapX + 0.5)),
                             static_cast<int>(t.screenY(f.mapY + 0.5)));
        QVERIFY(box.contains(finding));
        QVERIFY(!map->legendRect().contains(finding));
        map->grab();
        QTRY_VERIFY(!map->tilesPending());
        QVERIFY(map->grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/legend_with_audit.png"));
        // Dragged to the lower left it stays there; a click on its title folds it.
        QTest::mousePress(map, Qt::LeftButton, {}, map->legendRect().topLeft() + QPoint(20, 8));
        QTest::mouseMove(map, QPoint(30, map->height() - 30));
        QTest::mouseRelease(map, Qt::LeftButton, {}, QPoint(30, map->height() - 30));
        QCOMPARE(map->legendRect().left(), legendMargin);
        QVERIFY(map->legendRect().bottom() > map->height() / 2);
        QTest::mouseClick(map, Qt::LeftButton, {}, map->legendRect().topLeft() + QPoint(20, 8));
        QVERIFY(map->legendCollapsed());
        QVERIFY(map->legendRect().height() < 30);
        QVERIFY(map->grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/legend_folded.png"));
    }

    // The audit panel's search box and check filter narrow the rows as the page's do; a
    // column's header sorts by it, numbers as numbers; a finding selected from elsewhere is
    // shown whatever the filter.
    void theAuditPanelSearchesFiltersAndSorts() {
        SampleDesk desk(16);
        auto& [theater, sampleWritten, w] = desk;
        QVERIFY(sampleWritten);
        desk.show();
        std::deque<std::string> answers;
        openSample(w, theater, answers);
        w.menuAction(cmd::AuditTheater)->trigger();
        QTRY_VERIFY(w.state().audit.done);
        AuditPanel* panel = w.auditPanel();
        QTreeWidget* rows = panel->findings();
        const auto shown = [&] {
            QList<QTreeWidgetItem*> out;
            for (int i = 0; i < rows->topLevelItemCount(); ++i) {
                if (!rows->topLevelItem(i)->isHidden()) {
                    out << rows->topLevelItem(i);
                }
            }
            return out;
        };
        const auto& report = w.state().audit.last.report;
        const int all = static_cast<int>(report.findings.size());
        QCOMPARE(shown().size(), all);

        const int roads =
            panel->checkFilter()->findData(static_cast<int>(auditIndex(AuditCheck::Roads)));
        QVERIFY(roads > 0);
        QCOMPARE(panel->checkFilter()->itemText(roads),
                 QString("roads (%1)").arg(report.outcomes[auditIndex(AuditCheck::Roads)].count));
        panel->checkFilter()->setCurrentIndex(roads);
        QCOMPARE(shown().size(),
                 static_cast<int>(report.outcomes[auditIndex(AuditCheck::Roads)].count));
        for (QTreeWidgetItem* item : shown()) {
            QCOMPARE(item->text(0), QString("roads"));
        }
        panel->checkFilter()->setCurrentIndex(0);
        panel->searchBox()->setText("Village 11");
        QVERIFY(!shown().isEmpty() && shown().size() < all);
        for (QTreeWidgetItem* item : shown()) {
            bool found = false;
            for (int c = 0; c < rows->columnCount(); ++c) {
                found = found || item->text(c).contains("Village 11", Qt::CaseInsensitive);
            }
            QVERIFY(found);
        }
        QVERIFY(w.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/audit_panel_search.png"));

        // A finding the search hides, selected from elsewhere: the search gives way.
        int hidden = -1;
        for (int i = 0; i < all && hidden < 0; ++i) {
            if (panel->rowOf(i)->isHidden()) {
                hidden = i;
            }
        }
        QVERIFY(hidden >= 0);
        panel->selectFinding(hidden);
        QVERIFY(panel->searchBox()->text().isEmpty());
        QCOMPARE(panel->currentFinding(), hidden);

        // Sorted by Map X: numbers, not text (so 9 before 10), then back.
        rows->sortByColumn(1, Qt::AscendingOrder);
        for (int i = 1; i < rows->topLevelItemCount(); ++i) {
            QVERIFY(rows->topLevelItem(i - 1)->text(1).toInt() <=
                    rows->topLevelItem(i)->text(1).toInt());
        }
        rows->sortByColumn(1, Qt::DescendingOrder);
        QVERIFY(rows->topLevelItem(0)->text(1).toInt() >=
                rows->topLevelItem(rows->topLevelItemCount() - 1)->text(1).toInt());
        QCOMPARE(panel->currentFinding(), hidden); // the selection stays with its finding
    }

    // File > Close Terrain: asked first while an audit is unsaved; then the map, the audit and
    // the terrain commands go, and another theater's terrain opens.
    void closeTerrainThenOpenAnotherTheater() {
        SampleDesk desk(16);
        auto& [theater, sampleWritten, w] = desk;
        QVERIFY(sampleWritten);
        testing::TempDir other;
        QVERIFY(writeSample(other, 16)); // another theater's files, of the same size
        w.resize(1600, 1000);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        std::deque<std::string> answers = {(theater.path / "Theater.L2").string(),
                                           (theater.path / "Theater.csv").string()};
        answerFilesInTurn(w, answers);
        QVERIFY(!w.menuAction(cmd::CloseTerrain)->isEnabled());
        w.runCommand(cmd::OpenL2Terrain);
        QVERIFY(w.menuAction(cmd::CloseTerrain)->isEnabled());
        QVERIFY(!w.menuAction(cmd::OpenL2Terrain)->isEnabled());
        w.menuAction(cmd::AuditTheater)->trigger();
        QTRY_VERIFY(w.auditDock()->isVisible());

        QStringList asked;
        MessageAnswer answer = MessageAnswer::No;
        w.platform().messageBox = [&](const MessageBoxRequest& m) {
            asked << QString::fromStdString(m.title + ": " + m.text);
            return answer;
        };
        w.menuAction(cmd::CloseTerrain)->trigger();
        QTRY_COMPARE(asked.size(), 1);
        QVERIFY2(asked[0].startsWith("Close Terrain: The audit of this terrain (") &&
                     asked[0].contains("has not been saved"),
                 qPrintable(asked[0]));
        QVERIFY(w.state().terrain.terrainOpen); // No: nothing closed
        answer = MessageAnswer::Yes;
        w.menuAction(cmd::CloseTerrain)->trigger();
        QTRY_VERIFY(!w.state().terrain.terrainOpen);
        QCOMPARE(asked.size(), 2);
        QVERIFY(!w.mapPanel()->isVisible());
        QVERIFY(!w.auditDock()->isVisible());
        QVERIFY(!w.state().audit.done);
        QVERIFY(w.menuAction(cmd::OpenL2Terrain)->isEnabled());
        QVERIFY(w.menuAction(cmd::LoadL2mMatrix)->isEnabled());
        for (int greyed : {cmd::CloseTerrain, cmd::AuditTheater, cmd::CheckRoads, cmd::SetTile,
                           cmd::SaveL2mMatrix, cmd::UndoTerrain}) {
            QVERIFY2(!w.menuAction(greyed)->isEnabled(), qPrintable(QString::number(greyed)));
        }
        QVERIFY(w.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/terrain_closed.png"));

        answers = {(other.path / "Theater.L2").string()};
        w.runCommand(cmd::OpenL2Terrain);
        QVERIFY(w.state().terrain.terrainOpen);
        QCOMPARE(w.state().terrain.matrix.width, 16 * 16);
        QTRY_VERIFY(w.mapPanel()->isVisible());
        QVERIFY(w.windowTitle().contains(QString::fromStdString(other.str())));
        saveShot(w, *w.mapView(), "another_theater.png");
    }

    // Set Tile from the map: a right-click names the post; the picker lists the tiles that fit,
    // ranked, says what a typed tile would break, and the tile chosen is written back as one
    // change that Undo takes back.
    void setTileFromThePickerAndUndoIt() {
        SampleDesk desk(16);
        auto& [theater, sampleWritten, w] = desk;
        QVERIFY(sampleWritten);
        desk.show();
        const std::string l2 = (theater.path / "Theater.L2").string();
        std::deque<std::string> answers = {l2, (theater.path / "Theater.csv").string()};
        answerFilesInTurn(w, answers);
        QStringList messages;
        collectMessages(w, messages);
        w.runCommand(cmd::OpenL2Terrain);
        w.menuAction(cmd::AuditTheater)->trigger();
        QTRY_VERIFY(w.state().audit.done);
        const auto roads = [&] {
            return w.state().audit.last.report.outcomes[auditIndex(AuditCheck::Roads)].count;
        };
        const std::size_t roadsBefore = roads();
        // The post the first road finding's first repair changes.
        const auto& findings = w.state().audit.last.report.findings;
        const auto road = std::find_if(findings.begin(), findings.end(), [](const AuditFinding& f) {
            return f.check == AuditCheck::Roads && !f.suggestions.empty() &&
                   f.suggestions.front().tile.has_value();
        });
        QVERIFY(road != findings.end());
        const TileRepair repair = *road->suggestions.front().tile;

        // A right-click on the map asks for that post's menu.
        MapView* map = w.mapView();
        map->setView(8, repair.x + 0.5, repair.y + 0.5);
        std::optional<QPoint> clicked;
        connect(map, &MapView::postMenuRequested, this,
                [&](std::int32_t x, std::int32_t y, QPoint) { clicked = QPoint(x, y); });
        QTest::mouseClick(map, Qt::RightButton, {}, QPoint(map->width() / 2, map->height() / 2));
        QCOMPARE(clicked, std::optional(QPoint(repair.x, repair.y)));
        const std::uint32_t was = w.state().terrain.matrix.at(repair.x, repair.y).tileId;

        int shown = 0;
        const auto look = [&](SetTilePicker& picker) {
            ++shown;
            QCOMPARE(picker.mapXField()->value(), repair.x);
            QCOMPARE(picker.mapYField()->value(), repair.y);
            QTreeWidget* choices = picker.choices();
            QVERIFY(choices->topLevelItemCount() >= 1);
            QCOMPARE(choices->topLevelItem(0)->text(0), QString::number(repair.to));
            QVERIFY(choices->topLevelItem(0)->text(2).contains("road break"));
            // The first is chosen to begin with.
            QCOMPARE(picker.tileField()->text(), QString::number(repair.to));
            picker.tileField()->setText(QString::number(was));
            QVERIFY(!picker.setButton()->isEnabled()); // the post's own tile
            picker.tileField()->setText("x12");
            QVERIFY(!picker.setButton()->isEnabled());
            // On the road's own post a tile without a road, typed by hand, breaks the road on
            // its far side: said in red, and it may still be set.
            picker.mapXField()->setValue(road->mapX);
            picker.mapYField()->setValue(road->mapY);
            QVERIFY(picker.postLabel()->text().startsWith(
                QString("Map X %1  Map Y %2").arg(road->mapX).arg(road->mapY)));
            picker.tileField()->setText("1");
            QVERIFY2(picker.effectLabel()->text().contains("Makes: road break"),
                     qPrintable(picker.effectLabel()->text()));
            QVERIFY(picker.setButton()->isEnabled());
            picker.mapXField()->setValue(repair.x);
            picker.mapYField()->setValue(repair.y);
            QCOMPARE(picker.tileField()->text(), QString::number(repair.to));
            picker.show();
            QVERIFY(QTest::qWaitForWindowExposed(&picker));
            QVERIFY(picker.grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/set_tile_picker.png"));
        };
        w.setTilePickerShown = [&](SetTilePicker& picker) {
            look(picker);
            return true;
        };
        const qsizetype said = messages.size();
        w.setTileAt(repair.x, repair.y);
        QCOMPARE(shown, 1);
        QCOMPARE(w.state().terrain.matrix.at(repair.x, repair.y).tileId, repair.to);
        QCOMPARE(messages.size(), said); // said in the status bar, not in a box
        const QString what =
            QString::fromStdString(setTileWhat(repair.x, repair.y, was, repair.to));
        QVERIFY2(w.statusBar()->currentMessage().startsWith(what),
                 qPrintable(w.statusBar()->currentMessage()));
        QTRY_VERIFY(w.state().audit.done);
        QVERIFY(roads() < roadsBefore);
        QCOMPARE(w.menuAction(cmd::UndoTerrain)->text(), "&Undo " + what);

        w.menuAction(cmd::UndoTerrain)->trigger();
        QTRY_COMPARE(w.state().terrain.matrix.at(repair.x, repair.y).tileId, was);
        QTRY_COMPARE(roads(), roadsBefore);
        // Cancelled, nothing happens.
        w.setTilePickerShown = [](SetTilePicker&) { return false; };
        const std::string bytes = slurpFile(l2);
        w.menuAction(cmd::SetTile)->trigger();
        QTRY_COMPARE(slurpFile(l2), bytes);
    }

    void screenshotOfTheMainWindow() {
        auto w = makeWindow();
        w->resize(900, 500);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QDir().mkpath(VANTOR_SCREENSHOT_DIR);
        QVERIFY(w->grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/main_window.png"));
        QMenu* actions = topMenu(*w, 2);
        actions->popup(w->mapToGlobal(QPoint(0, 0)));
        QVERIFY(QTest::qWaitForWindowExposed(actions));
        QVERIFY(actions->grab().save(QString(VANTOR_SCREENSHOT_DIR) + "/actions_menu.png"));
        actions->hide();
    }
};

} // namespace vantor::ui

QTEST_MAIN(vantor::ui::MainWindowTest)
#include "main_window_test.moc"
