// The desktop program through every terrain command on a theater folder, as a user would run
// them from the menus, with the time of each step and the peak memory of the whole run:
//
//   desktop_theater_run DIR [SCREENSHOT.png]
//
// DIR holds a theater written by `vantor-cli sample DIR --sections N`. Its terrain is levelled
// in the last step, so give it a folder that may change. Runs without a display
// (QT_QPA_PLATFORM=offscreen).

#include "app/commands.h"
#include "ui/main_window.h"
#include "ui/map_view.h"
#include "ui/scan_parameters_dialog.h"
#include "ui/tool_dialogs.h"

#include <QAction>
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#if defined(__unix__)
#include <sys/resource.h>
#endif

using namespace vantor;

namespace {

double peakMegabytes() {
#if defined(__unix__)
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
#else
    return 0.0;
#endif
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: desktop_theater_run DIR [SCREENSHOT.png]\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    const auto at = [&dir](const char* name) { return (dir / name).string(); };

    ui::MainWindowOptions options;
    options.startDirectory = QString::fromStdString(dir.string());
    options.settingsFile = QString::fromStdString(at("desktop-run-settings.ini"));
    ui::MainWindow w(options);
    w.startUp();
    w.resize(1400, 900);
    w.show();

    std::deque<std::string> answers;
    w.platform().requestFile = [&answers](const FileRequest&) {
        if (answers.empty()) {
            return FileRequestResult{};
        }
        const std::string next = answers.front();
        answers.pop_front();
        return FileRequestResult{FileRequestStatus::Chosen, next, 0};
    };
    std::string lastMessage;
    w.platform().messageBox = [&lastMessage](const MessageBoxRequest& m) {
        lastMessage = m.title + ": " + m.text;
        for (char& c : lastMessage) {
            c = c == '\r' || c == '\n' ? ' ' : c;
        }
        return m.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    };
    w.scanParametersShown = [](ui::ScanParametersDialog& dialog) {
        dialog.begin();
        return dialog.result() == QDialog::Accepted;
    };
    w.radarSettingsShown = [](ui::RadarSettingsDialog& dialog) {
        dialog.scan();
        return dialog.result() == QDialog::Accepted;
    };

    struct Step {
        const char* name;
        int command;
        std::vector<std::string> files;
    };
    const std::string source = at("Theater.csv");
    const std::vector<Step> steps = {
        {"OCD list", cmd::HowTo, {}},
        {"open terrain", cmd::OpenL2Terrain, {at("Theater.L2")}},
        {"combined report",
         cmd::GenerateSectionReport,
         {at("DesktopAllScans.csv"), at("DesktopAllScansText.csv")}},
        {"bridges", cmd::PlaceBridges, {at("DesktopBridges.csv")}},
        {"open objectives", cmd::OpenSourceCsv, {source}},
        {"radar profiles", cmd::RadarProfiles, {source, at("DesktopRadar.csv")}},
        {"city check", cmd::CheckCityJunction, {source, at("DesktopCity.csv")}},
        {"object check", cmd::CheckPlaceMoveObjects, {source, at("DesktopChecked.csv")}},
        {"level airbases", cmd::LevelAirbases, {source}},
        {"save L2M", cmd::SaveL2mMatrix, {at("Desktop.L2M")}},
    };
    int failures = 0;
    std::printf("%-16s %9s %9s  %s\n", "step", "seconds", "peak MB", "last message");
    for (const Step& step : steps) {
        answers.assign(step.files.begin(), step.files.end());
        lastMessage.clear();
        const auto start = std::chrono::steady_clock::now();
        QAction* action = w.menuAction(step.command);
        if (action == nullptr || !action->isEnabled()) {
            std::printf("%-16s not available from the menus\n", step.name);
            ++failures;
            continue;
        }
        action->trigger();
        QCoreApplication::processEvents();
        if (step.command == cmd::OpenL2Terrain) {
            // The map's first picture belongs to opening the terrain.
            w.mapView()->grab();
            w.mapView()->waitForTiles();
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%-16s %9.2f %9.0f  %s\n", step.name, seconds, peakMegabytes(),
                    lastMessage.c_str());
        if (!answers.empty()) {
            std::printf("%-16s did not ask for every file it should\n", step.name);
            ++failures;
        }
    }
    if (argc > 2) {
        w.mapView()->grab();
        w.mapView()->waitForTiles();
        w.grab().save(QString::fromLocal8Bit(argv[2]));
    }
    std::printf("peak memory of the whole run: %.0f MB\n", peakMegabytes());
    return failures == 0 ? 0 : 1;
}
