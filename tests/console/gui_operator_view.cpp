// What the window shows a new operator beyond its specified texts: the whole port in the
// status panel, the demo's simulated instrument in the pickers and the device port settings
// dialog (settings of this run, never stored) and its first log line, the hidden commands and
// pages shown for an engineer, the log's text size, and a Progress group that stays put.
#include "WindowFixture.h"

#include "ApplicationSettings.h"
#include "DemoInstrument.h"
#include "DownloadController.h"
#include "ExportTabPage.h"
#include "LogDataPage.h"
#include "deviceSettings.h"
#include "ui_ExportTabPage.h"
#include "ui_LogDataPage.h"
#include "ui_deviceSettings.h"

#include "PtyPair.h"

#include <QLabel>
#include <QMenu>
#include <QTabBar>

using namespace ConsoleTest;

namespace {

class OperatorView : public WindowFixture {
protected:
    QString PtyPath() const { return QString::fromStdString(Pty.SlavePath()); }
    QString Label() const { return "Simulated instrument (" + PtyPath() + ")"; }
    bool TabShown(QWidget* page) {
        return Ui().PageControl1->isTabVisible(Ui().PageControl1->indexOf(page));
    }
    // The point size of the log's line number `line`.
    double LineSize(int line) {
        return Ui()
            .LogMemo->document()
            ->findBlockByNumber(line)
            .begin()
            .fragment()
            .charFormat()
            .fontPointSize();
    }

    TestSupport::PtyPair Pty;
};

} // namespace

// --- The port in use -------------------------------------------------------------------------

TEST_F(OperatorView, TheStatusPanelShowsTheWholeConnectionTextAndNarrowsAgain) {
    // A port name longer than the panel's 190 pixels hold.
    const QString link = Folder.filePath(QStringLiteral("a-rather-long-name-for-the-instrument"));
    ASSERT_TRUE(QFile::link(PtyPath(), link));
    StoreSetting("SerialPort1", link);
    auto& window = Start();
    window.resize(1280, 800);
    window.show();
    window.Connect1Click();
    ASSERT_TRUE(window.ModbusConnection1.Active()) << Dialogs.Errors.join(';').toStdString();

    const QString text = "Modbus connection: Opened [" + link + "]";
    EXPECT_EQ(Panel(0), text);
    const QLabel& panel = *window.StatusBar1().Panel(0);
    EXPECT_GE(panel.contentsRect().width(), panel.fontMetrics().horizontalAdvance(text))
        << "the panel cuts its text";
    EXPECT_EQ(panel.toolTip(), text);

    window.Disconnect1Click();
    EXPECT_EQ(Panel(0), "Modbus connection: Closed");
    EXPECT_EQ(panel.width(), Sondrel::TStatusPanels::PanelWidths[0]);
}

// The program starts the simulator and points the window at it before showing it; the tests
// of the download do so after. Either way the pickers and the dialog show the connection's
// port and line, and the stored settings stay as they were.
TEST_F(OperatorView, TheDemoPortIsShownAsTheSimulatedInstrumentAndNeverStored) {
    for (const bool beforeShowing : {true, false}) {
        SCOPED_TRACE(beforeShowing ? "before showing" : "after showing");
        auto& window = Start();
        if (!beforeShowing) {
            window.show();
        }
        Sondrel::UseDemoInstrument(window, PtyPath());
        if (beforeShowing) {
            window.show();
        }
        const auto before = StoredSettings();

        // The first line says where the instrument is and how to begin.
        ASSERT_FALSE(LogLines().isEmpty());
        EXPECT_EQ(LogLines().first(), "A simulated instrument is running on " + PtyPath() +
                                          ". Press Connect, then Retrieve Data.");

        auto& logPicker = *window.LogDataPage().Form().ComComboBox2;
        EXPECT_EQ(logPicker.currentText(), Label());
        EXPECT_EQ(logPicker.PortText(), PtyPath());
        EXPECT_EQ(window.ExportTabPage().Form().comportComboBox->currentText(), Label());
        // The port check finds nothing new and changes nothing.
        window.comportListTimerTimer();
        EXPECT_EQ(logPicker.currentText(), Label());
        EXPECT_EQ(LogLines().size(), 1) << LogLines().join('|').toStdString();

        // The dialog shows the run's settings and says that they are not stored.
        bool shown = false;
        Dialogs.DialogAnswers.push_back([&](QDialog& dialog) {
            auto& form = Windows->DevicePortSettings().Form();
            shown = true;
            EXPECT_EQ(form.serialPortComboBox->currentText(), Label());
            EXPECT_EQ(form.baudrateComboBox->currentText(), "115200");
            EXPECT_EQ(form.databitsRadioGroup->ItemIndex(), 1);
            EXPECT_EQ(form.stopbitsRadioGroup->ItemIndex(), 0);
            EXPECT_EQ(form.parityGroupBox->ItemIndex(), 0);
            EXPECT_EQ(form.addressEdit->text(), "1");
            EXPECT_TRUE(form.runOnlyLabel->isVisibleTo(&dialog));
            // Another address for the rest of the run.
            form.addressEdit->setText("7");
            form.Button2->click();
            return dialog.result();
        });
        window.ModbusDevicePortSettings1Click();
        EXPECT_TRUE(shown);
        EXPECT_EQ(window.ModbusClient1.ServerAddress(), 7);
        EXPECT_EQ(window.ModbusConnection1.BaudRate(), Corvane::br115200);
        EXPECT_EQ(window.ModbusConnection1.Port(), Pty.SlavePath());
        EXPECT_EQ(Panel(1), "Remote device address: 7");
        EXPECT_EQ(StoredSettings(), before) << "the run's settings were stored";
        EXPECT_EQ(StoredSettings().value("SerialPort1"), "COM1");

        window.Connect1Click();
        EXPECT_EQ(Panel(0), "Modbus connection: Opened [" + PtyPath() + "]");
        window.Disconnect1Click();
        Windows.reset();
    }
}

TEST_F(OperatorView, WithoutTheDemoTheDialogShowsAndStoresTheStoredSettings) {
    StoreSetting("SerialPort1", PtyPath());
    StoreSetting("BaudRate1", "4");
    Start().show();
    EXPECT_TRUE(LogLines().isEmpty());
    Dialogs.DialogAnswers.push_back([&](QDialog& dialog) {
        auto& form = Windows->DevicePortSettings().Form();
        EXPECT_EQ(form.serialPortComboBox->currentText(), PtyPath());
        EXPECT_EQ(form.baudrateComboBox->currentText(), "19200");
        EXPECT_FALSE(form.runOnlyLabel->isVisibleTo(&dialog));
        form.baudrateComboBox->setCurrentIndex(5);
        form.Button2->click();
        return dialog.result();
    });
    Window().ModbusDevicePortSettings1Click();
    EXPECT_EQ(StoredSettings().value("BaudRate1"), "5");
    EXPECT_EQ(Window().ModbusConnection1.BaudRate(), Corvane::br38400);
}

// --- Hidden commands for an engineer ------------------------------------------------------------

namespace {

// The entries and pages the window keeps hidden.
std::vector<QAction*> HiddenEntries(Ui::TCorvaneDemoMainForm& ui) {
    return {ui.ToolsConnectionOptionsItem,
            ui.EditSeparator2,
            ui.ToolsClientOptionsItem,
            ui.ToolsServerOptionsItem,
            ui.EditSeparator3,
            ui.ToolsDiscardPendingTransactionsItem,
            ui.ToolsLogTransactionsToFileItem,
            ui.EditSeparator4,
            ui.DataDownloadSetupWizard1,
            ui.ShowModbusAccessTab,
            ui.ViewSeparator1,
            ui.ToolsClearTransactionLogItem};
}
std::vector<QWidget*> HiddenPages(Ui::TCorvaneDemoMainForm& ui) {
    return {ui.DiscreteAccessTabSheet, ui.ServerDiagnosticsTabSheet, ui.IntroductionTabSheet,
            ui.ExportTabSheet,         ui.ServerItemsTabSheet,       ui.RegisterAccessTabSheet};
}

} // namespace

TEST_F(OperatorView, TheWindowKeepsItsHiddenEntriesAndPagesHiddenByDefault) {
    Start();
    EXPECT_FALSE(Window().AdvancedShown());
    for (QAction* entry : HiddenEntries(Ui())) {
        EXPECT_FALSE(entry->isVisible()) << entry->objectName().toStdString();
    }
    for (QWidget* page : HiddenPages(Ui())) {
        EXPECT_FALSE(TabShown(page)) << page->objectName().toStdString();
    }
    // The View menu holds only the log's text sizes and, after a separator, the Traffic dock.
    QStringList shown;
    for (QAction* entry : Ui().ViewMenu->actions()) {
        if (entry->isVisible()) {
            shown << (entry->isSeparator() ? QStringLiteral("-") : entry->text());
        }
    }
    EXPECT_EQ(shown, QStringList({"Larger Log Text", "Smaller Log Text", "Normal Log Text Size",
                                  "-", "&Traffic"}));
}

TEST_F(OperatorView, ShowAdvancedOrTheOptionShowsEveryHiddenEntryAndPage) {
    for (const bool fromStore : {true, false}) {
        SCOPED_TRACE(fromStore ? "ShowAdvanced = T" : "--advanced");
        if (fromStore) {
            StoreSetting("ShowAdvanced", "T");
        } else {
            StoreSetting("ShowAdvanced", "F");
            ShowAdvanced = true;
        }
        Start();
        EXPECT_TRUE(Window().AdvancedShown());
        for (QAction* entry : HiddenEntries(Ui())) {
            EXPECT_TRUE(entry->isVisible()) << entry->objectName().toStdString();
        }
        for (QWidget* page : HiddenPages(Ui())) {
            EXPECT_TRUE(TabShown(page)) << page->objectName().toStdString();
        }
        EXPECT_EQ(Ui().ShowModbusAccessTab->text(), "Hide Modbus Access Tab");
        // The tab visibility refresh keeps them, and the stored tab choice is unchanged.
        Window().SetTabVisibility();
        EXPECT_TRUE(TabShown(Ui().DiscreteAccessTabSheet));
        EXPECT_EQ(StoredSettings().value("ShowModbusTab"), "F");
        // The toggle still works, and stores.
        Window().ShowModbusAccessTabClick();
        EXPECT_FALSE(TabShown(Ui().RegisterAccessTabSheet));
        EXPECT_EQ(StoredSettings().value("ShowModbusTab"), "F");
        Window().ShowModbusAccessTabClick();
        EXPECT_EQ(StoredSettings().value("ShowModbusTab"), "T");
        StoreSetting("ShowModbusTab", "F");
        Windows.reset();
    }
    // Another value than "T" is not the switch.
    ShowAdvanced = false;
    StoreSetting("ShowAdvanced", "t");
    Start();
    EXPECT_FALSE(Window().AdvancedShown());
    EXPECT_FALSE(Ui().ToolsConnectionOptionsItem->isVisible());
}

// --- The log's text size ---------------------------------------------------------------------

TEST_F(OperatorView, LogFontSizeScalesEveryLineAndTheViewMenuChangesAndStoresIt) {
    StoreSetting("LogFontSize", "14");
    auto& window = Start();
    window.AddLogLine("plain");
    window.AddStyledLogLine("failure", true, 8, 1);
    window.AddLogLine("");
    EXPECT_EQ(window.LogFontSize(), 14);
    EXPECT_DOUBLE_EQ(LineSize(0), 14);
    EXPECT_DOUBLE_EQ(LineSize(1), 16);

    // The lines already written follow a change, and so do the next ones.
    Ui().LogTextLargerItem->trigger();
    EXPECT_EQ(StoredSettings().value("LogFontSize"), "15");
    EXPECT_DOUBLE_EQ(LineSize(0), 15);
    EXPECT_DOUBLE_EQ(LineSize(1), 15.0 * 8 / 7);
    window.AddStyledLogLine("estimate", true, 8, 3);
    EXPECT_DOUBLE_EQ(LineSize(3), 15.0 * 8 / 7);

    Ui().LogTextNormalItem->trigger();
    EXPECT_EQ(StoredSettings().value("LogFontSize"), "7");
    EXPECT_DOUBLE_EQ(LineSize(0), 7);
    EXPECT_DOUBLE_EQ(LineSize(1), 8);
    EXPECT_DOUBLE_EQ(LineSize(3), 8);
    const QTextCharFormat failure =
        Ui().LogMemo->document()->findBlockByNumber(1).begin().fragment().charFormat();
    EXPECT_EQ(failure.fontWeight(), QFont::Bold);
    EXPECT_EQ(failure.foreground().color(), QColor(255, 0, 0));

    // The smallest size is a floor.
    for (int i = 0; i < 5; ++i) {
        Ui().LogTextSmallerItem->trigger();
    }
    EXPECT_EQ(window.LogFontSize(), Sondrel::TApplicationSettings::MinLogFontSize);
    EXPECT_DOUBLE_EQ(LineSize(0), Sondrel::TApplicationSettings::MinLogFontSize);
}

TEST_F(OperatorView, AStoredLogFontSizeOutsideItsRangeOrNotANumberGivesTheSpecifiedSizes) {
    for (const char* stored : {"abc", "0", "5", "25", "-7", ""}) {
        SCOPED_TRACE(stored);
        StoreSetting("LogFontSize", stored);
        auto& window = Start();
        window.AddLogLine("plain");
        EXPECT_EQ(window.LogFontSize(), 7);
        EXPECT_DOUBLE_EQ(LineSize(0), 7);
        EXPECT_TRUE(Dialogs.Errors.isEmpty());
        Windows.reset();
    }
}

// --- The Progress group ------------------------------------------------------------------------

TEST_F(OperatorView, TheProgressGroupStaysPutWhenItsLabelsChange) {
    auto& window = Start();
    window.resize(1280, 800);
    window.show();
    auto& page = window.LogDataPage().Form();
    auto& view = static_cast<Sondrel::TDownloadView&>(window.Download());
    const auto settle = [] { QCoreApplication::processEvents(); };
    settle();
    const QRect group = page.ProgressGroupBox->geometry();
    const QRect records = page.ALProgressBar11->geometry();
    const QRect import = page.ALProgressBar21->geometry();
    const auto unmoved = [&](const char* after) {
        settle();
        EXPECT_EQ(page.ProgressGroupBox->geometry(), group) << after;
        EXPECT_EQ(page.ALProgressBar11->geometry(), records) << after;
        EXPECT_EQ(page.ALProgressBar21->geometry(), import) << after;
    };
    page.displayLabel1->setText("Estimated download time: 00:01:23");
    unmoved("an estimate");
    page.displayLabel1->setText(QString(200, QLatin1Char('W')));
    unmoved("a text wider than the group");
    page.ALProgressBar21Label->setText("Export:");
    unmoved("the export's label");
    page.timeLabel1->setText("123:59:59");
    unmoved("a long elapsed time");
    page.displayLabel1->setText(QString());
    unmoved("an empty label");
    // Past half way a bar's text turns white, and back at the start black again.
    const QColor text = page.ALProgressBar11->palette().color(QPalette::Text);
    for (const auto bar : {Sondrel::pbReceived, Sondrel::pbImported}) {
        QProgressBar& shown =
            bar == Sondrel::pbReceived ? *page.ALProgressBar11 : *page.ALProgressBar21;
        view.SetProgress(bar, 60);
        view.SetProgressTextWhite(bar, true);
        EXPECT_EQ(shown.palette().color(QPalette::HighlightedText), QColor(Qt::white));
        EXPECT_EQ(shown.palette().color(QPalette::Text), QColor(Qt::white));
        unmoved("white text");
        view.SetProgress(bar, 0);
        view.SetProgressTextWhite(bar, false);
        EXPECT_EQ(shown.palette().color(QPalette::Text), text);
        unmoved("black text");
    }
}
