// soak_window: the console's main window, offscreen, running "Retrieve Data" again and again
// against an instrument on a serial device (a sondrel-sim pseudo-terminal), for the opt-in
// soak run (scripts/soak), which samples this process's memory and descriptors meanwhile.
// It is the window of "sondrel --demo" (same windows, same demo line settings) with a script
// in place of the operator: every question is answered Yes, every box is printed.
//
//   soak_window --port /dev/pts/N --folder DIR [--recent N] [--downloads N] [--keep-log]
//
// One line per download on standard output: "download <n> ok|FAILED rows=<r> boxes=<b>".
// The transaction log view is cleared after each download unless --keep-log is given, so that
// what remains of each download in memory is what the program keeps, not the log's lines.
// Stops after --downloads (0: no limit) or at the end of the download that is running when
// SIGINT or SIGTERM arrives; exit status 0, or 1 when the port cannot be opened.
//
// Not a test: it is built with the tests and run only by scripts/soak.
#include "ApplicationWindows.h"
#include "CorvaneDemoMain.h"
#include "DemoInstrument.h"
#include "DialogService.h"
#include "DownloadController.h"
#include "LogDataPage.h"
#include "RecordListModel.h"
#include "ui_LogDataPage.h"

#include <QApplication>
#include <QDialog>
#include <QDir>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::atomic<bool> gStop{false};

extern "C" void RequestStop(int) {
    gStop = true;
}

// The operator of the soak: says Yes, cancels every file dialog and prompt, and prints and
// counts the boxes it is shown.
class SoakDialogService : public Sondrel::IDialogService {
public:
    int Boxes = 0;

    void ShowError(const QString& text) override { Print("error", text); }
    void ShowMessage(const QString& text) override { Print("message", text); }
    void ShowInformation(const QString&, const QString& text) override {
        Print("information", text);
    }
    bool AskYesNo(const QString&, const QString&, bool) override { return true; }
    std::optional<QString> InputQuery(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    QString GetOpenFileName(const Sondrel::TFileDialogOptions&) override { return {}; }
    QString GetSaveFileName(const Sondrel::TFileDialogOptions&) override { return {}; }
    int ExecDialog(QDialog&) override { return QDialog::Rejected; }

private:
    void Print(const char* kind, const QString& text) {
        ++Boxes;
        std::fprintf(stderr, "soak_window: %s box: %s\n", kind, text.toLocal8Bit().constData());
    }
};

struct Options {
    QString Port;
    QString Folder;
    QString Recent = QStringLiteral("20");
    int Downloads = 0;
    bool KeepLog = false;
};

bool ParseOptions(const QStringList& args, Options& options) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--port") && hasValue) {
            options.Port = args[++i];
        } else if (a == QLatin1String("--folder") && hasValue) {
            options.Folder = args[++i];
        } else if (a == QLatin1String("--recent") && hasValue) {
            options.Recent = args[++i];
        } else if (a == QLatin1String("--downloads") && hasValue) {
            options.Downloads = args[++i].toInt();
        } else if (a == QLatin1String("--keep-log")) {
            options.KeepLog = true;
        } else {
            return false;
        }
    }
    return !options.Port.isEmpty() && !options.Folder.isEmpty() && options.Recent.toInt() > 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    Options options;
    if (!ParseOptions(QApplication::arguments().mid(1), options)) {
        std::fputs("usage: soak_window --port DEVICE --folder DIR [--recent N] [--downloads N] "
                   "[--keep-log]\n",
                   stderr);
        return 2;
    }
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);

    // Three attempts of 150 ms each, so that a dropped or corrupted reply is got past as the
    // command-line download gets past it.
    const QDir folder(options.Folder);
    {
        std::ofstream settings(folder.filePath(QStringLiteral("CorvaneDemo.dat")).toStdString(),
                               std::ios::binary | std::ios::trunc);
        settings << "[ModbusConnection1]\r\nMaxRetries=3\r\nReceiveTimeout=150\r\n";
    }
    SoakDialogService dialogs;
    Sondrel::TMainFormEnvironment environment;
    environment.ProgramFolder = folder.absolutePath().toStdString();
    environment.SettingsFile = folder.filePath(QStringLiteral("Main.conf"));
    environment.SerialPortRoot = folder.filePath(QStringLiteral("no-serial-ports")).toStdString();
    // The soak's downloads and limits stay in its own folder, away from the user's.
    environment.ArchiveLocation = folder.filePath(QStringLiteral("archive.sqlite")).toStdString();
    environment.LimitsFile = folder.filePath(QStringLiteral("limits.dat")).toStdString();
    environment.Dialogs = &dialogs;
    Sondrel::TApplicationWindows windows(environment);
    Sondrel::TCorvaneDemoMainForm& window = windows.MainForm();
    Sondrel::UseDemoInstrument(window, options.Port);
    window.Connect1Click();
    if (!window.ModbusConnection1.Active()) {
        std::fprintf(stderr, "soak_window: cannot open %s\n",
                     options.Port.toLocal8Bit().constData());
        return 1;
    }
    std::printf("soak_window: connected to %s\n", options.Port.toLocal8Bit().constData());
    std::fflush(stdout);

    Ui::TLogDataPage& page = window.LogDataPage().Form();
    Sondrel::TDownloadController& download = window.Download();
    for (int n = 1; !gStop && (options.Downloads == 0 || n <= options.Downloads); ++n) {
        page.recentRadioButton->setChecked(true);
        page.recordsEdit->setText(options.Recent);
        page.intervalEdit->setText(QStringLiteral("1"));
        const int boxesBefore = dialogs.Boxes;
        download.startButtonClick();
        const int rows = download.Model().rowCount();
        const bool ok = !download.Engine().State().DownloadFailed &&
                        rows == options.Recent.toInt() && dialogs.Boxes == boxesBefore;
        std::printf("download %d %s rows=%d boxes=%d\n", n, ok ? "ok" : "FAILED", rows,
                    dialogs.Boxes - boxesBefore);
        std::fflush(stdout);
        if (!options.KeepLog) {
            window.ToolsClearTransactionLogItemClick();
        }
        QCoreApplication::processEvents();
    }
    window.Disconnect1Click();
    return 0;
}
