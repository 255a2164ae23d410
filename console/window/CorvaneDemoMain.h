// TCorvaneDemoMainForm: the console's main window. It owns the Modbus components
// (ModbusConnection1 with ModbusClient1 and ModbusServer1 attached, and ModbusConnection2 for
// the firmware port test), opens and closes the connection, shows the connection and queue
// state in the status bar, watches the transaction queue with two timers and keeps the
// transaction log (LogMemo, optionally mirrored into "TransactionLog.txt").
//
// The window is wiring: widgets, menus, timers and handlers named after their component and
// event, which call small classes holding the logic (TTransactionLog, TConsoleSettingsFile,
// TQueueWatch, ApplyPortSettings, TApplicationSettings, the completion reporter, the item map
// binding). Every message box and modal dialog goes through the IDialogService it is given.
// Errors of a command reach the operator as one message box and leave the window working.
//
// Creation: the constructor reads the settings file, loads the item map, sets the tabs and the
// connection state display, the date selectors, the hint time and the instructions, then runs
// FormCreate (application settings and device port settings). The first showing runs FormShow,
// which closes the connection. The connection is never opened at start.
//
// Seams for later work, which plug in without changing what is here:
// - the download: TDownloadController (Download()) owns the engine, logListView's model and
//   the export, handles the Log Data page, the Retrieve/Stop toolbar buttons and the erase
//   entry, and is plugged in through SetDownloadControl (queue watch, delays);
// - the access panel (the Modbus Access, Discrete Access and Server Diagnostics pages and the
//   two hidden address prompts) is TAccessPanelController, AccessPanel();
// - the item map tab is TServerItemMapController, ItemMap();
// - the archive of every download and the "Archive" tab of the data area are
//   TArchiveController, Archive();
//
// Serial ports: the three port pickers (ComComboBox1 of the firmware page, ComComboBox2 of the
// Log Data page, comportComboBox of the RK4400 page) list the ports of ListSerialPorts, whose
// listing root can be replaced (SetSerialPortRoot; the environment's SerialPortRoot at start).
// Port names follow the platform (PlatformPortNames.h): device paths on Linux, COMn on
// Windows. comportListTimer runs the port check every five seconds (TPortMonitor). Settings of
// one run only (the demo's simulated instrument, UseRunOnlyPortSettings) add their port to
// every picker, under its label, and are what the device pickers and the port settings
// dialog show; the stored settings stay as they are.
//
// View menu: the log's text size (stored as "LogFontSize") and "Traffic", the dock of the
// device connection's frames (TTrafficDock), whose statistics are the status bar's tooltip. With
// the advanced commands shown (AdvancedShown) the entries and pages the window keeps hidden are
// shown as well.
//
// Closing: during a download the window asks "Stop Downloading?" as Stop does and closes only
// on Yes, the download then ending through its failure path; CloseAtOnce (a termination
// signal) asks nothing.
//
// Firmware update: Browse, START and the stored choices of the firmware page run through
// TFirmwareUpdateBinding; closing the window stops a running programming script. The
// download's enableComponents switches the firmware page with
// TFirmwarePage::EnableFirmwareControls (a START in progress is never re-entered).
//
// Main (GUI) thread only.
#pragma once

#include "ConsoleCompletionReporter.h"
#include "ConsoleSettingsFile.h"
#include "DownloadControl.h"
#include "PortSettings.h"
#include "QueueWatch.h"
#include "ServerItemBinding.h"
#include "ServerItemMap.h"
#include "TransactionLog.h"

#include "PortMonitor.h"
#include "SerialPortListing.h"

#include "ModbusClient.h"
#include "ModbusConnection.h"
#include "ModbusServer.h"

#include <QMainWindow>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QTimer;
class QToolButton;

namespace Ui {
class TCorvaneDemoMainForm;
}

namespace Sondrel {

class IDialogService;
class TAboutBox;
class TAccessPanelController;
class TApplicationSettings;
class TArchiveController;
class TReportController;
class TArchivePage;
class TTrendsView;
class TDownloadController;
struct TDownloadParts;
class TExportTabPage;
class TFirmwarePage;
class TFirmwareUpdateBinding;
class TLimitsController;
class TLogDataPage;
class TModbusAccessPage;
class TRegistrySettings;
class TRichLogView;
class TSerialPortComboBox;
class TServerItemMapController;
class TStatusPanels;
class TTrafficDock;
class TdevicePortSettings;

struct TMainFormEnvironment {
    // The folder of the program's files ("CorvaneDemo.dat", "ServerItems.dat",
    // "TransactionLog.txt", "Instructions-Firmware-Update.rtf").
    std::filesystem::path ProgramFolder;
    // The read-only data installed with the program; empty when it is not installed. Its
    // "Instructions-Firmware-Update.rtf" is shown when the program folder has none.
    std::filesystem::path DataFolder;
    // The settings store: an INI file at this path, or the user's native store when empty.
    QString SettingsFile;
    // Borrowed; outlives the window.
    IDialogService* Dialogs = nullptr;
    // The folder listing the serial ports (a sysfs tty class folder on Linux); empty: the
    // system's own.
    std::string SerialPortRoot;
    // Shows the hidden commands and pages for this run, as the stored "ShowAdvanced" = "T"
    // does for every run.
    bool ShowAdvanced = false;
    // The archive named on the command line or in the environment; empty: the stored choice
    // ("ArchiveFile"), else the default (ArchiveLocation.h).
    std::string ArchiveLocation;
    // The limits of the instruments; empty: the default file (TLimitsFile::DefaultPath).
    std::filesystem::path LimitsFile;
};

class TCorvaneDemoMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TCorvaneDemoMainForm(const TMainFormEnvironment& environment,
                                  QWidget* parent = nullptr);
    ~TCorvaneDemoMainForm() override;

    // The dialogs that are created after the window; borrowed, children of the window.
    void SetAboutBox(TAboutBox* box) { FAboutBox = box; }
    // The dialog's port picker lists the window's ports.
    void SetDevicePortSettings(TdevicePortSettings* dialog);
    // The download, once there is one (see IDownloadControl); borrowed.
    void SetDownloadControl(IDownloadControl* download);

    Ui::TCorvaneDemoMainForm& Form() { return *FUi; }
    TStatusPanels& StatusBar1();
    TLogDataPage& LogDataPage();
    TModbusAccessPage& ModbusAccessPage();
    TFirmwarePage& FirmwarePage();
    TExportTabPage& ExportTabPage();

    TTransactionLog& Log() { return *FLog; }
    TRegistrySettings& Registry() { return *FRegistry; }
    TApplicationSettings& Settings() { return *FSettings; }
    TServerItemMap& ServerItems() { return FServerItems; }
    TConsoleCompletionReporter& CompletionReporter() { return *FReporter; }
    IDialogService& Dialogs() { return FDialogs; }
    // The log download, the record list view and the export (see TDownloadController).
    TDownloadController& Download() { return *FDownloadController; }
    // The archive of the downloads and the Archive tab (see TArchiveController).
    TArchiveController& Archive() { return *FArchiveController; }
    TArchivePage& ArchivePage() { return *FArchivePage; }
    // The Data tab's Trends tab (logDataTrendsView), beside the record table.
    TTrendsView& LogDataTrendsView() { return *FLogDataTrends; }
    // The limits and excursions of the Data tab's download and of the Archive tab's range.
    TLimitsController& DataLimits() { return *FDataLimits; }
    TLimitsController& ArchiveLimits() { return *FArchiveLimits; }
    // The frames of the device connection on the wire (the View menu's "Traffic").
    TTrafficDock& TrafficDock() { return *FTrafficDock; }

    const std::filesystem::path& ProgramFolder() const { return FProgramFolder; }
    std::filesystem::path ServerItemsPath() const;
    std::filesystem::path InstructionFilePath() const;

    // --- Access panel and item map ---------------------------------------------------------
    // The operations of the access pages and the address prompts; the item map tab.
    TAccessPanelController& AccessPanel() { return *FAccessPanel; }
    TServerItemMapController& ItemMap() { return *FItemMap; }

    // --- Transaction log -----------------------------------------------------------------
    void AddLogLine(std::string_view text);
    void AddStyledLogLine(std::string_view text, bool bold, int size, int colour);

    // --- Connection and state display ----------------------------------------------------
    void Connect1Click();
    void Disconnect1Click();
    void UpdateConnectionState();
    void enableButtons(bool value);
    // The specified tabs; with the advanced commands shown, every page of the tab control.
    void SetTabVisibility();
    // True when the commands and pages the window keeps hidden are shown in this run
    // (--advanced or "ShowAdvanced" = "T"): the hidden Edit menu entries and their
    // separators, the View menu's entries, the tabs "Discrete Access", "Server Diagnostics",
    // "Introduction", "RK4400 Export" and "Local Server's Item Map", and the Modbus Access
    // tab (shown without its stored choice being changed). Without it the window shows
    // only what it always shows.
    bool AdvancedShown() const { return FShowAdvanced; }
    void ApplyPortSettings(const QString& addressText, const QString& port,
                           const TPortSettingIndexes& indexes);
    // Runs the device connection on these settings for this run only (the demo's simulated
    // instrument): they are applied, and the Log Data and RK4400 port pickers and the device
    // port settings dialog show them instead of the stored ones, which stay as they are (the
    // dialog's OK then applies without storing). The port is listed in every picker, under
    // label when one is given.
    void UseRunOnlyPortSettings(const TDevicePortChoice& choice, const QString& label);
    // The settings of this run only, when there are any.
    const std::optional<TDevicePortChoice>& RunOnlyPortSettings() const { return FRunPort; }

    // --- Toolbar -------------------------------------------------------------------------
    // The buttons, built with the window; children of its toolbar.
    QToolButton* ConnectToolButton = nullptr;
    QToolButton* DisconnectToolButton = nullptr;
    QToolButton* PortSettingsToolButton = nullptr;
    QToolButton* startToolButton = nullptr;
    QToolButton* stopToolButton = nullptr;
    QToolButton* FirmwareToolButton = nullptr;

    // --- Timers --------------------------------------------------------------------------
    void Timer1Timer();
    void transactionTimerTimer();
    QTimer* Timer1 = nullptr;
    QTimer* transactionTimer = nullptr;

    // --- Settings file ---------------------------------------------------------------------
    void ReadSettingsFile();
    void WriteSettingsFile();

    // --- Commands --------------------------------------------------------------------------
    void ToolsConnectionOptionsItemClick();
    void ToolsDiscardPendingTransactionsItemClick();
    void ToolsLogTransactionsToFileItemClick();
    void ToolsClearTransactionLogItemClick();
    // View menu: the log's text one point larger or smaller, or back to the sizes as written
    // (plain lines 7 points); the choice is stored as "LogFontSize".
    void LogTextLargerItemClick();
    void LogTextSmallerItemClick();
    void LogTextNormalItemClick();
    // The point size of the log's plain lines now (7 unless scaled).
    int LogFontSize() const;
    void ShowModbusAccessTabClick();
    void ModbusDevicePortSettings1Click();
    void HelpAboutItemClick();
    void FileExitItemClick();
    // Closes the window without the question that closing during a download asks (a
    // termination signal ends the program at once).
    void CloseAtOnce();

    // --- Serial ports ----------------------------------------------------------------------
    // The ports present now, sorted (empty when the listing cannot be read).
    void ListSerialPorts(std::vector<std::string>& list) const;
    // Lists the ports below another root from now on, and refreshes the pickers.
    void SetSerialPortRoot(const std::string& root);
    // Opens a folder (or, on Windows, the Device Manager) in the desktop's own program; the
    // default asks QDesktopServices. Tests replace it.
    using TFolderOpener = std::function<void(const QString& path)>;
    void SetFolderOpener(TFolderOpener opener) { FOpenFolder = std::move(opener); }
    void comportComboBoxChange();
    void connectButtonClick();
    void comportListTimerTimer();
    void OpenDeviceManager1Click();
    int LastPortCount() const { return FPortMonitor.LastPortCount(); }
    const std::string& LastPortName() const { return FPortMonitor.LastPortName(); }
    QTimer* comportListTimer = nullptr;

    // --- Firmware update --------------------------------------------------------------------
    void Button1Click();
    bool CheckHexFileName(const QString& path);
    void startUpdateButtonClick();
    void ComComboBox1Change();
    void hexEditChange();
    void verifyCheckBoxClick();
    // The export format list's choice is stored ("exportDropDown").
    void exportComboBoxChange();
    void N19200Click();
    void N38400Click();
    void FirmwareToolButtonClick();
    TFirmwareUpdateBinding& FirmwareUpdate() { return *FFirmware; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildToolBar();
    void BuildMenus();
    void BuildTrafficDock();
    void BindComponents();
    void ConnectCommands();
    void ConnectSettingStores();
    void LoadServerItems();
    void LoadInstructions();
    void SetHintTime();
    void SetModbusAccessTabShown(bool shown);
    void ShowAdvancedCommands();
    void SetLogFontSize(int points);
    void FormCreate();
    void FormShow();
    void BindPortPickers();
    // The ports the pickers list: ListSerialPorts and the port of this run's settings.
    std::vector<std::string> PickerPorts() const;
    // The port the device pickers show: the port of this run's settings, else the stored
    // "SerialPort".
    std::string PickerPort();
    // Every picker lists the ports again under their labels; the device pickers show
    // PickerPort and the port check counts from there.
    void ShowRunOnlyPort();
    // The four port pickers: the firmware page's, the Log Data page's, the RK4400 page's and
    // the device port settings dialog's (once there is one).
    std::vector<TSerialPortComboBox*> PortPickers();
    TConsoleSettingsTargets SettingsTargets();
    // Runs a command; an error reaches the operator as one message box.
    template <typename F>
    void Guarded(F&& command);

    IDialogService& FDialogs;
    std::filesystem::path FProgramFolder;
    std::filesystem::path FDataFolder;
    std::unique_ptr<Ui::TCorvaneDemoMainForm> FUi;
    std::unique_ptr<TRichLogView> FLogView;
    std::unique_ptr<TTransactionLog> FLog;
    std::unique_ptr<TRegistrySettings> FRegistry;
    std::unique_ptr<TApplicationSettings> FSettings;
    TConsoleSettingsFile FSettingsFile;
    TServerItemMap FServerItems;
    bool FDestroying = false;
    bool FShown = false;
    bool FCloseAtOnce = false;
    bool FShowAdvanced = false;
    TAboutBox* FAboutBox = nullptr;
    TdevicePortSettings* FDevicePortSettings = nullptr;
    IDownloadControl* FDownload = nullptr;
    TSerialPortListing FPortListing;
    TPortMonitor FPortMonitor;
    TFolderOpener FOpenFolder;
    std::optional<TDevicePortChoice> FRunPort;
    // The port shown under a label of its own, and the label.
    std::string FLabelledPort;
    QString FPortLabel;

public:
    // The components, as on the form. Declared after the log and the map they report to, so
    // that they are destroyed first.
    Corvane::TModbusConnection ModbusConnection1;
    Corvane::TModbusClient ModbusClient1;
    Corvane::TModbusServer ModbusServer1;
    Corvane::TModbusConnection ModbusConnection2;

private:
    std::unique_ptr<TConsoleCompletionReporter> FReporter;
    std::unique_ptr<TServerItemBinding> FServerItemBinding;
    std::unique_ptr<TQueueWatch> FQueueWatch;
    std::unique_ptr<TFirmwareUpdateBinding> FFirmware;
    // Uses ModbusClient1 and the completion reporter: declared after them, destroyed first.
    std::unique_ptr<TDownloadController> FDownloadController;
    // The engine's archive and the Archive tab: destroyed before the download controller.
    std::unique_ptr<TArchiveController> FArchiveController;
    // The "Report..." buttons of the Archive and Data tabs: destroyed before the archive.
    std::unique_ptr<TReportController> FReportController;
    // Children of the window; they borrow the controllers above and go before them.
    TLimitsController* FDataLimits = nullptr;
    TLimitsController* FArchiveLimits = nullptr;
    void SetUpLimits(const std::filesystem::path& limitsFile);

    // The parts that the download controller drives.
    TDownloadParts DownloadParts();
    // Access panel and item map: children of the window.
    void SetUpAccessPanelAndItemMap();
    TAccessPanelController* FAccessPanel = nullptr;
    TServerItemMapController* FItemMap = nullptr;
    TArchivePage* FArchivePage = nullptr;  // a tab of DataPageControl
    TTrendsView* FLogDataTrends = nullptr; // beside logListView, a child of DataTabSheet
    TTrafficDock* FTrafficDock = nullptr;  // a dock of the window
};

} // namespace Sondrel
