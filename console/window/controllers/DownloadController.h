// TDownloadController: the log download, the record list view and the export of the main
// window, wired to the window's controls.
//
// It holds the download engine (TDownloadEngine over ModbusClient1), the record list's model in
// logListView and the export commands, and it is what they need of the program around them:
// the download host (the Log Data page's inputs, PumpWait, the transaction log with each kind
// of line in its style, the dialog service's boxes), the download view (the status text, the
// progress bars, the enabled state of the controls) and the export host (the save dialog in
// the folder used last with a proposed file name, the busy state, the progress on the
// "Export:" bar, the log line of a complete file). The window's queue watch and port settings
// reach the download through IDownloadControl.
//
// Handlers, named after their controls: startButtonClick (startButton, startToolButton),
// newRecordsButtonClick (newRecordsButton, "New records": what the archive lacks),
// downloadButtonClick (the hidden whole-log page), stopButtonClick (stopButton, stopButton2,
// stopToolButton), EraseSampleDatafromMemory1Click, expButtonXLSClick (expButton),
// exportButtonClick (exportButton, never shown), Timer2Timer (the stopwatch in timeLabel1
// every second), and recordsEditKeyPress (the key filter on the Log Data page's number edits).
// While a pass reads its blocks, timeLeftLabel1 shows the download's estimated time left.
// The setup wizard entries of the whole-log page only tell the operator that there is no
// wizard. The list sorts by a click on a column header (the model's order, never the list's);
// its first three columns stay in sight when it scrolls sideways (TFrozenColumns).
//
// It is given its parts (TDownloadParts): the components, the log, the reporter, the dialog
// service, the pages, the list view, the toolbar buttons, menus and timer it drives; it never
// sees the window.
//
// Main (GUI) thread only. Owned by the window; every part is borrowed and must outlive it. It
// subscribes the engine to ModbusClient1's completions beside the console's reporter, and
// unsubscribes when destroyed.
#pragma once

#include "DownloadControl.h"

#include "ClientDownloadCompletions.h"
#include "ClientDownloadRequests.h"
#include "DownloadEngine.h"
#include "DownloadHost.h"
#include "DownloadView.h"
#include "ExportCommands.h"
#include "ExportHost.h"

#include "LogView.h"
#include "ModbusConnection.h"

#include <QObject>

#include <memory>

class QAction;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class QTimer;
class QToolButton;
class QWidget;

namespace Sondrel {

class IDialogService;
class TApplicationSettings;
class TConsoleCompletionReporter;
class TDigitKeyFilter;
class TExportTabPage;
class TFrozenColumns;
class TFirmwarePage;
class TLogDataPage;
class TModbusAccessPage;
class TRecordListModel;
class TTransactionLog;

struct TDownloadParts {
    Corvane::TModbusClient& Client;         // ModbusClient1: the download's requests and replies
    Corvane::TModbusConnection& Connection; // ModbusConnection1: its baud rate
    TTransactionLog& Log;
    TConsoleCompletionReporter& Reporter; // its ConsoleRegisterAccess
    IDialogService& Dialogs;
    TApplicationSettings& Settings; // the folder of the last export
    QWidget& Window;                // repainted at once after "Stopping Download..."
    QTimer& TransactionTimer;       // the queue watch's stall counter
    // The pages whose controls the download reads, shows or switches.
    TLogDataPage& LogDataPage;     // "Log Data"
    TExportTabPage& ExportTabPage; // "RK4400 Export", the whole-log page
    TFirmwarePage& FirmwarePage;
    TModbusAccessPage& RegisterPage; // "Modbus Access"
    // The data area: the record list's view on its tab.
    QTabWidget& DataPageControl;
    QWidget& DataTabSheet;
    QTableView& LogListView;
    QPushButton& ExportButton;    // exportButton, never shown
    QToolButton& StartToolButton; // "Retrieve Data"
    QToolButton& StopToolButton;  // "Stop Download"
    // The menus that a download disables, and the entries it answers.
    QMenu& FileMenu;
    QMenu& EditMenu;
    QMenu& ViewMenu;
    QMenu& HelpMenu;
    QMenu& CommunicationDelayMenu; // CommunicationDelay1
    QMenu& FirmwareBaudRateMenu;   // FirmwareBaudRate1
    QAction& FastDelayItem;        // fastMenuItem
    QAction& DefaultDelayItem;     // defaultMenuItem
    QAction& SlowDelayItem;        // slowMenuItem
    QAction& LineSpeedDelayItem;   // lineSpeedMenuItem
    QAction& EraseItem;            // EraseSampleDatafromMemory1
    QAction& SetupWizardItem;      // DataDownloadSetupWizard1
};

class TDownloadController : public QObject,
                            public TDownloadHost,
                            public TDownloadView,
                            public TExportHost,
                            public IDownloadControl {
    Q_OBJECT
public:
    static constexpr int Timer2IntervalMs = 1000;

    // The window's style of each kind of download line: failures bold 8 points red, estimates
    // and the completion bold 8 green, the elapsed time bold 8 blue, the current record bold 8
    // black, every other line plain (7 points, black, regular).
    static TLogStyle StepStyle(TDownloadStepKind kind);

    TDownloadController(TDownloadParts parts, QObject* parent);
    ~TDownloadController() override;

    TDownloadEngine& Engine() { return FEngine; }
    TRecordListModel& Model() { return *FModel; }
    TFrozenColumns& FrozenColumns() { return *FFrozenColumns; }
    QTimer* Timer2 = nullptr;

    // --- handlers
    void startButtonClick();
    void newRecordsButtonClick();
    void downloadButtonClick();
    void stopButtonClick();
    void EraseSampleDatafromMemory1Click();
    void expButtonXLSClick();
    void exportButtonClick();
    void SetupWizardClick();
    void Timer2Timer();
    // A key that is neither a digit nor backspace was typed into one of the Log Data page's
    // number edits: the key filter discarded it, this shows "Invalid key.  Please try again.".
    void recordsEditKeyPress();

    // --- IDownloadControl
    bool AbortRequested() const override { return FEngine.AbortRequested(); }
    void StopDownload() override { FEngine.StopDownload(); }
    void UpdateCommunicationDelays() override { FEngine.UpdateCommunicationDelays(); }
    // Both procedures always read the all-data layout; the page's choice is only kept.
    void SetAllDataMode(bool) override {}

    // --- TDownloadHost
    TDownloadInputs Inputs() override;
    Corvane::TBaudRate BaudRate() override;
    TDelayMenuChoice DelayMenuChoice() override;
    void PumpWait(std::int32_t ms) override;
    void PumpWaitUntil(const std::function<bool()>& done, std::int32_t ms) override;
    void ProcessEvents() override;
    std::int64_t TickMs() override;
    void LogStep(TDownloadStepKind kind, const std::string& text) override;
    void ShowMessageBox(TBoxIcon icon, const std::string& text) override;
    bool AskYesNo(const std::string& title, const std::string& text, bool noIsDefault) override;

    // --- TDownloadView
    void SetDisplayText(const std::string& text) override;
    void SetProgress(TDownloadProgressBar bar, std::int32_t position) override;
    void SetProgressTextWhite(TDownloadProgressBar bar, bool white) override;
    void enableComponents(bool enabled) override;
    void EnableExportTabControls(bool enabled, bool exportReady) override;
    void SetHourglassCursor(bool hourglass) override;
    void RepaintWindow() override;
    void SetTransactionTimerEnabled(bool enabled) override;
    void SetConsoleRegisterAccess(bool value) override;
    void ShowListView() override;
    void SetListHeaderBold() override;
    void SetRemoveRecordsButtonEnabled(bool enabled) override;
    void ShowPassProgress(const TPassProgress& progress) override;

    // --- TExportHost
    void ShowExportError(const std::string& text) override;
    std::optional<std::string> ChooseExportFile(const TSaveDialogParams& params) override;
    void SetExportBusy(bool busy) override;
    void ShowExportProgress(std::int32_t written, std::int32_t total) override;
    void ShowExportDone(const std::string& line) override;

private:
    void ConnectControls();
    void InstallKeyFilter();
    QProgressBar& Bar(TDownloadProgressBar bar);
    void SetExportControlsEnabled(bool enabled);
    // What the export takes of the table: its row order, the instrument's address.
    TExportView ExportView() const;
    // The label of the bar that the import and the export share.
    void SetSharedBarLabel(bool exporting);

    TDownloadParts FParts;
    TClientDownloadRequests FRequests;
    TDownloadEngine FEngine;
    TClientDownloadCompletions FCompletions;
    TExportCommands FExport;
    std::unique_ptr<TRecordListModel> FModel;
    // Keeps "Record Index", "Date" and "Time" in sight when the list scrolls sideways.
    std::unique_ptr<TFrozenColumns> FFrozenColumns;
    TDigitKeyFilter* FKeyFilter = nullptr;
    // The start controls' enabled state before an export made them busy.
    bool FStartEnabledBeforeExport = false;
    bool FStartToolEnabledBeforeExport = false;
};

} // namespace Sondrel
