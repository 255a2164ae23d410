// The firmware page in the main window: the hex file check and Browse, the stored choices,
// and START through to the programming script, run with a stand-in "lpc21isp" placed first on
// PATH that records its arguments.
#include "WindowFixture.h"

#include "FirmwarePage.h"
#include "FirmwareUpdateBinding.h"
#include "ProgramScript.h"
#include "ui_FirmwarePage.h"

#include "PtyPair.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QToolButton>

#include <filesystem>

using namespace ConsoleTest;
using namespace TestSupport;

namespace {

const QString HexFileEmpty =
    QStringLiteral("Hex File box is empty.  Please select a file to upload and try again.");
const QString Finished = QString::fromUtf8(Sondrel::FinishedText.data(),
                                           static_cast<qsizetype>(Sondrel::FinishedText.size()));

QString Unavailable(const QString& port) {
    return "Serial Port (" + port +
           ") is currently unavailable.  Make sure that it is not being used by another "
           "application before trying again.";
}

QStringList ReadLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

// True once the process has ended (gone, or a zombie waiting for its parent).
bool ProcessEnded(const QString& pid) {
    QFile stat("/proc/" + pid + "/stat");
    if (!stat.open(QIODevice::ReadOnly)) {
        return true;
    }
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close >= 0 && close + 2 < text.size() && text[close + 2] == 'Z';
}

} // namespace

class FirmwareUpdate : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ASSERT_TRUE(QDir().mkpath(Folder.filePath("bin")));
        FOldPath = qgetenv("PATH");
        qputenv("PATH", Folder.filePath("bin").toLocal8Bit() + ":" + FOldPath);
    }
    void TearDown() override {
        qputenv("PATH", FOldPath);
        WindowFixture::TearDown();
    }

    // The stand-in tool: records its arguments one per line, then runs body.
    void InstallTool(const QString& body) {
        const QString path = Folder.filePath("bin/lpc21isp");
        QFile tool(path);
        ASSERT_TRUE(tool.open(QIODevice::WriteOnly | QIODevice::Truncate));
        tool.write(
            ("#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + ArgsPath() + "'\n" + body + "\n").toUtf8());
        tool.close();
        tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString ArgsPath() const { return Folder.filePath("tool-args.txt"); }
    QString ScriptPath() const { return Folder.filePath("Program.sh"); }
    QString HexFile(const QString& name) {
        const QString path = Folder.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(":00000001FF\n");
        return path;
    }

    Ui::TFirmwarePage& Page() { return Window().FirmwarePage().Form(); }
    void Choose(const QString& port, const QString& hexText) {
        Page().ComComboBox1->setEditText(port);
        Page().hexEdit->setText(hexText);
    }
    QString PtyPort() const { return QString::fromStdString(Pty.SlavePath()); }

    PtyPair Pty;

private:
    QByteArray FOldPath;
};

TEST_F(FirmwareUpdate, PathsWithForbiddenTextsAreRefusedAndClearTheBox) {
    auto& window = Start();
    const QStringList refused = {"/fw/Program Files (x86)/a.hex",
                                 "/fw/a,b.hex",
                                 "/fw/a<>b.hex",
                                 "/fw/~user/a.hex",
                                 "/fw/a;b.hex",
                                 "/fw/50%.hex"};
    for (const QString& path : refused) {
        Page().hexEdit->setText("/previous.hex");
        Dialogs.Errors.clear();
        EXPECT_FALSE(window.CheckHexFileName(path)) << path.toStdString();
        EXPECT_EQ(Page().hexEdit->text(), "");
        EXPECT_EQ(Dialogs.Errors,
                  QStringList({path + " contains invalid characters.  Try moving the hex file "
                                      "to another location and try again."}));
    }
    Dialogs.Errors.clear();
    EXPECT_TRUE(window.CheckHexFileName("/fw/a<b.hex")) << "'<' alone is allowed";
    EXPECT_EQ(Page().hexEdit->text(), "/fw/a<b.hex");
    EXPECT_TRUE(Dialogs.Errors.isEmpty());
}

TEST_F(FirmwareUpdate, BrowseOffersHexFilesFromTheCurrentFolderAndChecksTheChoice) {
    auto& window = Start();
    const QString hex = HexFile("images/v2.hex");
    Dialogs.FileAnswers.push_back(hex);
    Page().Button1->click();
    ASSERT_EQ(Dialogs.FileDialogs.size(), 1u);
    const auto& options = Dialogs.FileDialogs.front();
    const QString here = QDir::currentPath() + "/";
    EXPECT_EQ(options.Directory, here);
    EXPECT_EQ(options.FileName, here + "*.hex");
    EXPECT_EQ(options.Filter, "Hex Files (*.hex);;All Files (*)");
    EXPECT_EQ(options.DefaultSuffix, "hex");
    EXPECT_EQ(Page().hexEdit->text(), hex);
    EXPECT_EQ(StoredSettings().value("HexFile"), hex) << "an existing file is stored";

    // A cancelled dialog changes nothing.
    Dialogs.FileAnswers.push_back(QString());
    window.Button1Click();
    EXPECT_EQ(Page().hexEdit->text(), hex);
}

TEST_F(FirmwareUpdate, BrowseStartsInTheProgramsFirmwareFolderWhenTheCurrentFolderHasOne) {
    const QString previous = QDir::currentPath();
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QDir(elsewhere.path()).mkdir("Firmware"));
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    Start();
    Dialogs.FileAnswers.push_back(QString());
    Page().Button1->click();
    QDir::setCurrent(previous);
    ASSERT_EQ(Dialogs.FileDialogs.size(), 1u);
    EXPECT_EQ(Dialogs.FileDialogs.front().Directory, Folder.path() + "/Firmware/");
}

TEST_F(FirmwareUpdate, ThePortVerifyAndBaudChoicesAreStored) {
    Start();
    Page().ComComboBox1->setEditText("/dev/ttyUSB3");
    EXPECT_EQ(StoredSettings().value("upgradePort"), "/dev/ttyUSB3");
    Page().verifyCheckBox->click();
    EXPECT_EQ(StoredSettings().value("Verify"), "true");
    Ui().N38400->trigger();
    EXPECT_EQ(StoredSettings().value("firmwareBaudRate"), "2");
    Ui().N19200->trigger();
    EXPECT_EQ(StoredSettings().value("firmwareBaudRate"), "1");
    Page().hexEdit->setText(Folder.filePath("missing.hex"));
    EXPECT_EQ(StoredSettings().value("HexFile"), "1") << "a missing file is not stored";

    Windows.reset();
    Start();
    EXPECT_EQ(Page().ComComboBox1->currentText(), "/dev/ttyUSB3");
    EXPECT_TRUE(Page().verifyCheckBox->isChecked());
}

TEST_F(FirmwareUpdate, TheToolbarButtonShowsTheFirmwarePage) {
    auto& window = Start();
    window.FirmwareToolButton->click();
    EXPECT_EQ(Ui().PageControl1->currentWidget(), Ui().FirmwareTabSheet);
}

TEST_F(FirmwareUpdate, AnEmptyHexBoxIsReportedAfterThePortTest) {
    InstallTool("exit 0");
    auto& window = Start();
    Choose(PtyPort(), "  ");
    window.startUpdateButtonClick();
    EXPECT_EQ(Dialogs.Errors, QStringList({HexFileEmpty}));
    EXPECT_FALSE(QFile::exists(ScriptPath()));
    EXPECT_FALSE(QFile::exists(ArgsPath()));
}

TEST_F(FirmwareUpdate, APortThatCannotBeOpenedIsUnavailableAndLeavesNoScript) {
    InstallTool("exit 0");
    auto& window = Start();
    const QString port = Folder.filePath("no-such-tty");
    Choose(port, HexFile("a.hex"));
    window.startUpdateButtonClick();
    EXPECT_EQ(Dialogs.Errors, QStringList({Unavailable(port)}));
    EXPECT_TRUE(Dialogs.Messages.isEmpty());
    EXPECT_FALSE(QFile::exists(ScriptPath()));
    EXPECT_FALSE(QFile::exists(ArgsPath())) << "the tool never ran";
    EXPECT_TRUE(Page().startUpdateButton->isEnabled());
}

TEST_F(FirmwareUpdate, TheMainConnectionOnTheFirmwarePortIsOfferedADisconnect) {
    StoreSetting("SerialPort1", PtyPort());
    auto& window = Start();
    window.Connect1Click();
    ASSERT_TRUE(window.ModbusConnection1.Active());
    Choose(PtyPort(), "");

    Dialogs.YesNoAnswers.push_back(false);
    window.startUpdateButtonClick();
    EXPECT_EQ(Dialogs.Questions,
              QStringList({"Serial Port (" + PtyPort() +
                           ") is currently open.  Automatically disconnect before continuing?"}));
    EXPECT_TRUE(window.ModbusConnection1.Active()) << "No leaves the connection alone";
    EXPECT_TRUE(Dialogs.Errors.isEmpty());

    Dialogs.YesNoAnswers.push_back(true);
    window.startUpdateButtonClick();
    EXPECT_FALSE(window.ModbusConnection1.Active());
    EXPECT_EQ(Panel(0), "Modbus connection: Closed");
    EXPECT_TRUE(LogLines().contains("Modbus Connection has been closed."));
    // The port could be opened once the console let go of it.
    EXPECT_EQ(Dialogs.Errors, QStringList({HexFileEmpty}));
}

TEST_F(FirmwareUpdate, TheScriptRunsTheToolWithTheFileAndPortLiterallyAndReportsItsFailure) {
    InstallTool("echo 'Synchronizing... no answer'\nexit 3");
    auto& window = Start();
    const QString hex = HexFile("fw dir/it's `v2` build.hex");
    Choose(PtyPort(), hex);
    Ui().N38400->trigger();
    window.startUpdateButtonClick();

    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(';').toStdString();
    EXPECT_EQ(ReadLines(ArgsPath()),
              QStringList({"-hex", "-control", hex, PtyPort(), "38400", "12000"}));
    const QStringList log = LogLines();
    EXPECT_TRUE(log.contains("Synchronizing... no answer")) << log.join('\n').toStdString();
    EXPECT_TRUE(log.contains("** FIRMWARE UPDATE FAILED ** The programming tool ended with exit "
                             "status 3. See its output above."));
    EXPECT_TRUE(log.contains(Finished)) << "the script's own closing text";
    EXPECT_EQ(Dialogs.Messages, QStringList({Finished}));
    EXPECT_FALSE(QFile::exists(ScriptPath())) << "the script is deleted afterwards";
    EXPECT_TRUE(Page().startUpdateButton->isEnabled());
}

TEST_F(FirmwareUpdate, TheWindowKeepsWorkingAndShowsTheOutputWhileTheToolRuns) {
    const QString go = Folder.filePath("go");
    // Waits (at most ten seconds) until the test has seen its first line.
    InstallTool("echo 'waiting for go'\ni=0\nwhile [ ! -e '" + go +
                "' ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done\necho 'programmed'");
    auto& window = Start();
    window.show();
    Choose(PtyPort(), HexFile("a.hex"));

    bool sawOutputWhileRunning = false;
    bool controlsWereOff = false;
    QTimer watcher;
    watcher.setInterval(20);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (!sawOutputWhileRunning && LogLines().contains("waiting for go")) {
            sawOutputWhileRunning = true;
            controlsWereOff = !Page().startUpdateButton->isEnabled() &&
                              !Page().Button1->isEnabled() && !Page().hexEdit->isEnabled() &&
                              !Page().ComComboBox1->isEnabled();
            // A second START while the tool runs is ignored: the running script stays.
            window.startUpdateButtonClick();
            EXPECT_TRUE(QFile::exists(ScriptPath()));
            // Other commands keep working.
            window.AddLogLine("still responsive");
            QFile(go).open(QIODevice::WriteOnly);
        }
    });
    watcher.start();
    window.startUpdateButtonClick();
    watcher.stop();

    EXPECT_TRUE(sawOutputWhileRunning);
    EXPECT_TRUE(controlsWereOff);
    const QStringList log = LogLines();
    ASSERT_TRUE(log.contains("programmed")) << log.join('\n').toStdString();
    EXPECT_LT(log.indexOf("still responsive"), log.indexOf("programmed"));
    EXPECT_TRUE(log.contains("Firmware update: the programming tool reported success."));
    EXPECT_EQ(Dialogs.Messages, QStringList({Finished}));
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(';').toStdString();
    EXPECT_FALSE(QFile::exists(ScriptPath()));
    EXPECT_TRUE(Page().startUpdateButton->isEnabled());
    EXPECT_TRUE(Page().hexEdit->isEnabled());
}

TEST_F(FirmwareUpdate, ClosingTheWindowStopsTheRunningToolWithoutTheFinishedBox) {
    const QString pidFile = Folder.filePath("tool.pid");
    InstallTool("echo $$ > '" + pidFile + "'\nexec sleep 30");
    auto& window = Start();
    window.show();
    Choose(PtyPort(), HexFile("a.hex"));

    // The test program has no main loop to leave.
    const bool quitOnClose = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QFile::exists(pidFile) && !ReadLines(pidFile).isEmpty()) {
            window.close();
        }
    });
    closer.start();
    QElapsedTimer elapsed;
    elapsed.start();
    window.startUpdateButtonClick();
    closer.stop();
    QGuiApplication::setQuitOnLastWindowClosed(quitOnClose);

    EXPECT_LT(elapsed.elapsed(), 20000) << "the wait ended with the window";
    EXPECT_TRUE(Dialogs.Messages.isEmpty());
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(';').toStdString();
    EXPECT_FALSE(QFile::exists(ScriptPath()));
    const QStringList pid = ReadLines(pidFile);
    ASSERT_EQ(pid.size(), 1);
    EXPECT_TRUE(WaitFor([&] { return ProcessEnded(pid.first()); }, 5000))
        << "the tool was stopped with the script";
}
