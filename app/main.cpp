// sondrel: the desktop console. The Modbus library's start-up (timer resolution, CRC table) is
// static; here the windows are created in order and the event loop runs.
#include "ApplicationWindows.h"
#include "DemoInstrument.h"
#include "ProgramFolders.h"
#include "ProgramOptions.h"
#include "ProgramVersion.h"
#include "QuitOnSignal.h"
#include "WidgetDialogService.h"

#include "SimulatorProcess.h"

#include <QApplication>
#include <QDir>
#include <QProcessEnvironment>
#include <QScreen>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    // The options are read before the application exists: --help and --version need no
    // display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    Sondrel::TProgramOptions options = Sondrel::ParseProgramOptions(arguments, QString());
    if (options.HelpRequested) {
        std::fputs(Sondrel::ProgramOptionsHelp().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (options.VersionRequested) {
        std::fputs(Sondrel::VersionText("sondrel").c_str(), stdout);
        return 0;
    }
    if (!options.Error.isEmpty()) {
        std::fprintf(stderr, "sondrel: %s\n\n%s", options.Error.toLocal8Bit().constData(),
                     Sondrel::ProgramOptionsHelp().toLocal8Bit().constData());
        return 2;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sondrel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Sondrel"));
    QApplication::setOrganizationName(QStringLiteral("Sondrel"));
    QApplication::setApplicationVersion(QString::fromLatin1(Sondrel::ProgramVersion));
    const Sondrel::TProgramFolders folders = Sondrel::LocateProgramFolders(
        QApplication::applicationDirPath(), QProcessEnvironment::systemEnvironment());
    if (options.ProgramFolder.isEmpty()) {
        options.ProgramFolder = folders.ProgramFolder;
        // The user's data folder of an installed program is made on its first start. Should
        // that fail, the window still runs: each of its files reports its own error when it
        // is written.
        if (folders.Installed && !Sondrel::CreateUserFolder(options.ProgramFolder)) {
            std::fprintf(stderr, "sondrel: the program folder %s could not be created\n",
                         options.ProgramFolder.toLocal8Bit().constData());
        }
    }

    // --demo: the simulated instrument, started before the windows and stopped after them.
    std::unique_ptr<SondrelLauncher::TSimulatorProcess> simulator;
    if (options.Demo) {
        try {
            // A line that takes the time a real one does at the demo's 115200 bit/s.
            simulator = std::make_unique<SondrelLauncher::TSimulatorProcess>(
                SondrelLauncher::TSimulatorProcess::LocateBeside(
                    QApplication::applicationFilePath().toStdString()),
                std::vector<std::string>{"--wire-time", "--timing", "standard", "--baud",
                                         "115200"});
        } catch (const std::exception& e) {
            std::fprintf(stderr, "sondrel: --demo: %s\n", e.what());
            return 1;
        }
    }

    Sondrel::TWidgetDialogService dialogs;
    Sondrel::TMainFormEnvironment environment;
    environment.ProgramFolder = QDir(options.ProgramFolder).absolutePath().toStdString();
    environment.DataFolder = folders.DataFolder.toStdString();
    environment.SettingsFile = options.SettingsFile;
    environment.SerialPortRoot = options.SysfsRoot.toStdString();
    environment.ArchiveLocation = options.Archive.toStdString();
    environment.Dialogs = &dialogs;
    environment.ShowAdvanced = options.Advanced;
    Sondrel::TApplicationWindows windows(environment);
    // Without a window manager nothing maximises the window: it is given the screen first.
    if (const QScreen* screen = QApplication::primaryScreen()) {
        windows.MainForm().setGeometry(screen->availableGeometry());
    }
    // A termination signal stops the simulator at once, closes the window without the
    // question an operator's close asks during a download (the download is stopped) and ends
    // the program once the event loop is back at the top.
    Sondrel::TQuitOnSignal quitOnSignal([&simulator, &windows] {
        simulator.reset();
        windows.MainForm().CloseAtOnce();
        QCoreApplication::quit();
    });
    if (simulator) {
        Sondrel::UseDemoInstrument(windows.MainForm(),
                                   QString::fromStdString(simulator->PortPath()),
                                   Sondrel::dpLineSpeed);
    }
    windows.MainForm().showMaximized();
    return QApplication::exec();
}
