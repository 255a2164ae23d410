// The fixture of the window tests: the real main window built in a temporary program folder
// with its own settings file, answered through a scripted dialog service. Files of the program
// folder and settings can be prepared before Start() builds the windows. The serial ports are
// listed from SerialPortRoot, a folder of the temporary program folder that does not exist
// unless a test makes it (so no test sees the machine's own ports).
#pragma once

#include "ApplicationWindows.h"
#include "CorvaneDemoMain.h"
#include "ScriptedDialogService.h"
#include "StatusPanels.h"

#include "ui_CorvaneDemoMain.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

namespace ConsoleTest {

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Folder.isValid());
        SerialPortRoot = Folder.filePath(QStringLiteral("no-serial-ports")).toStdString();
    }
    void TearDown() override {
        Windows.reset();
        EXPECT_TRUE(Dialogs.Unexpected.isEmpty())
            << Dialogs.Unexpected.join(QStringLiteral("; ")).toStdString();
    }

    std::filesystem::path FolderPath() const { return Folder.path().toStdString(); }
    QString SettingsPath() const { return Folder.filePath(QStringLiteral("Main.conf")); }

    // A value in the settings store before the window starts (or as another program sees it).
    void StoreSetting(const QString& name, const QString& value) {
        QSettings store(SettingsPath(), QSettings::IniFormat);
        store.setValue(QStringLiteral("Settings/") + name, value);
    }
    QMap<QString, QString> StoredSettings() const {
        QSettings store(SettingsPath(), QSettings::IniFormat);
        store.beginGroup(QStringLiteral("Settings"));
        QMap<QString, QString> values;
        for (const auto& key : store.childKeys()) {
            values[key] = store.value(key).toString();
        }
        return values;
    }

    void WriteProgramFile(const std::string& name, const std::string& bytes) {
        std::ofstream out(FolderPath() / name, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::string ReadProgramFile(const std::string& name) const {
        std::ifstream in(FolderPath() / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The archive of the window's downloads: ArchiveLocation when a test sets it, else a file of
    // the temporary folder (never the user's own).
    std::string ArchivePath() const {
        return Folder.filePath(QStringLiteral("archive.sqlite")).toStdString();
    }
    std::string ArchiveLocation;
    // The limits file of the window: one of the temporary folder (never the user's own).
    std::filesystem::path LimitsPath() const { return FolderPath() / "limits.dat"; }

    // The data installed with the program; empty: a program that is not installed.
    std::filesystem::path DataFolder;
    // The window of "sondrel --advanced".
    bool ShowAdvanced = false;

    Sondrel::TCorvaneDemoMainForm& Start() {
        Sondrel::TMainFormEnvironment environment;
        environment.ProgramFolder = FolderPath();
        environment.DataFolder = DataFolder;
        environment.SettingsFile = SettingsPath();
        environment.Dialogs = &Dialogs;
        environment.SerialPortRoot = SerialPortRoot;
        environment.ShowAdvanced = ShowAdvanced;
        environment.ArchiveLocation = ArchiveLocation.empty() ? ArchivePath() : ArchiveLocation;
        environment.LimitsFile = LimitsPath();
        Windows = std::make_unique<Sondrel::TApplicationWindows>(environment);
        return Windows->MainForm();
    }
    Sondrel::TCorvaneDemoMainForm& Window() { return Windows->MainForm(); }
    Ui::TCorvaneDemoMainForm& Ui() { return Window().Form(); }
    QString Panel(int panel) { return Window().StatusBar1().PanelText(panel); }

    // The log's lines as shown, time stamps taken off.
    QStringList LogLines() {
        static const QRegularExpression stamp(
            QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\\] "));
        QStringList lines;
        const QTextDocument* document = Ui().LogMemo->document();
        if (document->isEmpty()) {
            return lines;
        }
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            lines << block.text().remove(stamp);
        }
        return lines;
    }

    // Processes events (and so the Modbus completions) until done() or the time is up.
    template <typename F>
    bool WaitFor(F&& done, int milliseconds = 5000) {
        QDeadlineTimer deadline(milliseconds);
        while (!done()) {
            if (deadline.hasExpired()) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    QTemporaryDir Folder;
    std::string SerialPortRoot;
    TScriptedDialogService Dialogs;
    std::unique_ptr<Sondrel::TApplicationWindows> Windows;
};

} // namespace ConsoleTest
