#include "app/command_line.h"
#include "app/shell_texts.h"
#include "app/version.h"
#include "base/safe_writer.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <clocale>
#include <cstdio>
#include <exception>

namespace {

// The manual beside an installed program, else the one of the source tree it was built from.
QString findManual() {
    const QString appDir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {appDir + "/../share/doc/vantor/README.md",
                                     appDir + "/README.md", QString(VANTOR_SOURCE_MANUAL)}) {
        if (QFileInfo::exists(candidate)) {
            return QFileInfo(candidate).absoluteFilePath();
        }
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so that it needs no display.
    const vantor::InfoRequest info =
        vantor::infoRequest(std::vector<std::string>(argv + 1, argv + argc));
    if (info == vantor::InfoRequest::Help) {
        std::fputs(vantor::desktopUsage().c_str(), stdout);
        return 0;
    }
    if (info == vantor::InfoRequest::Version) {
        std::printf("vantor %s\n", vantor::vantorVersion());
        return 0;
    }
    QApplication app(argc, argv);
    // Qt takes the user's locale for the C library; the files Vantor writes use the full stop
    // of their formats ("%5.3f" radar values), never a decimal comma.
    std::setlocale(LC_NUMERIC, "C");
    vantor::removeTemporariesOnSignal();
    // A stop that waited for the terrain pair's commit says what it left (on the terminal the
    // program was started from).
    vantor::setStopNotice([](const std::string& text) {
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
    });
    QApplication::setApplicationName(vantor::texts::programName);
    QApplication::setApplicationVersion(vantor::vantorVersion());
    // The program ends with its close request, not when a dialog of a batch run closes.
    QApplication::setQuitOnLastWindowClosed(false);

    QStringList qargs = QApplication::arguments();
    qargs.removeFirst();
    std::vector<std::string> args;
    for (const QString& a : qargs) {
        args.push_back(a.toStdString());
    }
    std::string error;
    std::string startFolder;
    if (vantor::takeStartFolderArgument(args, startFolder, error) && !startFolder.empty() &&
        !QFileInfo(QString::fromStdString(startFolder)).isDir()) {
        error = "Cannot use " + startFolder + " as the start folder: it is no folder";
    }
    if (!error.empty()) {
        std::fprintf(stderr, "vantor: %s\n", error.c_str()); // for a script that started it
        QMessageBox::critical(nullptr, "Error", QString::fromStdString(error));
        return 2; // a usage error, told apart from both the normal end (1) and a failed start (0)
    }
    std::string commandLine;
    for (const std::string& a : args) {
        commandLine += (commandLine.empty() ? "" : " ") + a;
    }

    vantor::ui::MainWindowOptions options;
    options.mode = vantor::parseCommandLine(commandLine);
    options.startDirectory = QDir::toNativeSeparators(QDir::currentPath());
    if (!startFolder.empty()) {
        options.startFolderArgument = QDir::toNativeSeparators(
            QFileInfo(QString::fromStdString(startFolder)).absoluteFilePath());
    }
    options.manualPath = findManual();

    std::unique_ptr<vantor::ui::MainWindow> window;
    try {
        window = std::make_unique<vantor::ui::MainWindow>(options);
    } catch (const std::exception&) {
        QMessageBox::critical(nullptr, "Error", vantor::texts::couldNotStart);
        return 0;
    }
    window->startUp();
    if (options.mode == vantor::RunMode::Interactive) {
        window->show();
    }
    QApplication::exec();
    // The suite's programs end with status 1 after a normal run; batch scripts rely on it.
    return 1;
}
