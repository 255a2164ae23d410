#include "CorvaneDemoMain.h"

#include "ui_CorvaneDemoMain.h"

#include "AboutBox.h"
#include "AccessPanelController.h"
#include "ArchiveController.h"
#include "ArchivePage.h"
#include "ConnectionLogBinding.h"
#include "ConnectionStateTexts.h"
#include "DialogService.h"
#include "DownloadController.h"
#include "ExcursionsPanel.h"
#include "ExportTabPage.h"
#include "FirmwarePage.h"
#include "FirmwareUpdateBinding.h"
#include "LimitsController.h"
#include "LimitsFile.h"
#include "LimitsSources.h"
#include "LogDataPage.h"
#include "ModbusAccessPage.h"
#include "RecordListModel.h"
#include "ReportController.h"
#include "RichLogView.h"
#include "ServerItemMapController.h"
#include "StatusPanels.h"
#include "ToolIcons.h"
#include "TrafficDock.h"
#include "TrendsTab.h"
#include "TrendsView.h"
#include "deviceSettings.h"
#include "ui_ExportTabPage.h"
#include "ui_FirmwarePage.h"
#include "ui_LogDataPage.h"
#include "ui_deviceSettings.h"

#include "ApplicationSettings.h"
#include "PlatformPortNames.h"
#include "RegistrySettings.h"

#include "ModbusConnectionEditForm.h"

#include "RtfHtmlWriter.h"
#include "RtfReader.h"

#include "CorvaneError.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <algorithm>

namespace Sondrel {

using namespace Corvane;

namespace {

constexpr const char* kServerItemsFile = "ServerItems.dat";
constexpr const char* kLogFile = "TransactionLog.txt";
constexpr const char* kInstructionFile = "Instructions-Firmware-Update.rtf";
constexpr int kHintTimeMs = 20000;
constexpr int kLogMemoHeight = 274;
// Quick Connect's fixed line: 57600 bd, 8 data bits, 1 stop bit, no parity, RTS toggle, to the
// device at address 1.
constexpr const char* kQuickConnectAddress = "1";
constexpr TPortSettingIndexes kQuickConnectLine{6, 1, 0, 0, 1};

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void SetTabShown(QTabWidget* tabs, QWidget* page, bool shown) {
    tabs->setTabVisible(tabs->indexOf(page), shown);
}

} // namespace

template <typename F>
void TCorvaneDemoMainForm::Guarded(F&& command) {
    try {
        command();
    } catch (const std::exception& e) {
        FDialogs.ShowError(QString::fromStdString(e.what()));
    }
}

TCorvaneDemoMainForm::TCorvaneDemoMainForm(const TMainFormEnvironment& environment, QWidget* parent)
    : QMainWindow(parent), FDialogs(*environment.Dialogs),
      FProgramFolder(environment.ProgramFolder), FDataFolder(environment.DataFolder),
      FUi(std::make_unique<Ui::TCorvaneDemoMainForm>()),
      FSettingsFile(environment.ProgramFolder / TConsoleSettingsFile::FileName),
      FPortListing(environment.SerialPortRoot) {
    FUi->setupUi(this);
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    QFont logFont(QStringLiteral("Verdana"), 7);
    logFont.setStyleHint(QFont::SansSerif);
    FUi->LogMemo->setFont(logFont);
    FLogView = std::make_unique<TRichLogView>(*FUi->LogMemo);
    FLog = std::make_unique<TTransactionLog>(*FLogView);
    FLog->SetLogFilePath(FProgramFolder / kLogFile);

    // The settings key, opened once for the whole run.
    FRegistry = environment.SettingsFile.isEmpty()
                    ? std::make_unique<TRegistrySettings>()
                    : std::make_unique<TRegistrySettings>(environment.SettingsFile);
    FSettings = std::make_unique<TApplicationSettings>(*FRegistry);
    FShowAdvanced = environment.ShowAdvanced || FSettings->ShowAdvanced();
    FLogView->SetPlainSize(FSettings->LogFontSize());

    BuildMenus();
    BuildToolBar();
    // Qt's tab bar keeps its tabs on one row; narrow tabs let all four that can be shown at once
    // fit the 399-pixel column.
    FUi->PageControl1->tabBar()->setStyleSheet(
        QStringLiteral("QTabBar::tab { padding: 4px 5px 4px 5px; }"));
    FUi->Splitter1->setStretchFactor(0, 1);
    FUi->Splitter1->setStretchFactor(1, 0);
    FUi->Splitter1->setSizes({height(), kLogMemoHeight});

    BindComponents();
    BindPortPickers();
    ConnectCommands();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(TQueueWatch::QueueWatchIntervalMs);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    transactionTimer = new QTimer(this);
    transactionTimer->setObjectName(QStringLiteral("transactionTimer"));
    transactionTimer->setInterval(TQueueWatch::StallCounterIntervalMs);
    connect(transactionTimer, &QTimer::timeout, this, [this] { transactionTimerTimer(); });
    Timer1->start();
    transactionTimer->start();
    comportListTimer = new QTimer(this);
    comportListTimer->setObjectName(QStringLiteral("comportListTimer"));
    comportListTimer->setInterval(TPortMonitor::CheckIntervalMs);
    connect(comportListTimer, &QTimer::timeout, this, [this] { comportListTimerTimer(); });
    comportListTimer->start();

    // Creation steps: settings file, item map, tabs and state, date selectors, data tabs and
    // hints, instructions. A failing step is reported and the window goes on.
    Guarded([this] { ReadSettingsFile(); });
    FUi->ToolsLogTransactionsToFileItem->setChecked(FLog->LogTransactionsToFile());
    LoadServerItems();
    SetUpAccessPanelAndItemMap();
    // The Modbus Access tab is shown only when the application settings say so (FormCreate).
    SetTabShown(FUi->PageControl1, FUi->RegisterAccessTabSheet, false);
    SetTabVisibility();
    UpdateConnectionState();
    LogDataPage().SetDateSelectors(QDateTime::currentDateTime());
    SetTabShown(FUi->DataPageControl, FUi->TerminalTabSheet, false);
    FUi->PageControl1->setCurrentWidget(FUi->LogDataTabSheet);
    LoadInstructions();

    // The log download, its list view and the export; FormCreate gives it its delays.
    FDownloadController = std::make_unique<TDownloadController>(DownloadParts(), this);
    SetDownloadControl(FDownloadController.get());
    // The records as a table and as trends; the trend is built again when the list is cleared
    // or sorted (a download's start and end), once the Trends tab is in sight.
    FLogDataTrends = PlaceTrendsBesideTable(*FUi->logListView, QStringLiteral("logDataViewTabs"),
                                            QStringLiteral("logDataTrendsView"))
                         .Trends;
    const TRecordList& records = FDownloadController->Engine().List();
    FLogDataTrends->SetSource(
        [&records] { return std::make_shared<const TTrendData>(RecordListTrend(records)); });
    connect(&FDownloadController->Model(), &QAbstractItemModel::modelReset, FLogDataTrends,
            &TTrendsView::Invalidate);
    FArchivePage = new TArchivePage(FUi->DataPageControl);
    FArchivePage->setObjectName(QStringLiteral("ArchiveTabSheet"));
    FUi->DataPageControl->addTab(FArchivePage, QStringLiteral("Archive"));
    FArchiveController = std::make_unique<TArchiveController>(
        TArchiveParts{FDownloadController->Engine(), ModbusClient1, ModbusConnection1, *FLog,
                      FDialogs, *FSettings, *FArchivePage, *FUi->DataPageControl},
        environment.ArchiveLocation, this);
    const std::filesystem::path limitsFile =
        environment.LimitsFile.empty() ? TLimitsFile::DefaultPath() : environment.LimitsFile;
    SetUpLimits(limitsFile);
    // The Data tab's "Report..." button stands below its table, on the right.
    auto* dataReportButton = new QPushButton(QStringLiteral("Report..."), FUi->DataTabSheet);
    dataReportButton->setObjectName(QStringLiteral("dataReportButton"));
    dataReportButton->setToolTip(
        QStringLiteral("Print the trend report of the downloaded records to a PDF file"));
    auto* dataReportRow = new QHBoxLayout;
    dataReportRow->addStretch(1);
    dataReportRow->addWidget(dataReportButton);
    FUi->DataLayout->addLayout(dataReportRow);
    FReportController = std::make_unique<TReportController>(
        TReportParts{FDialogs, *FLog, *FArchiveController, FDownloadController->Engine().List(),
                     *this, *FArchivePage->archiveReportButton, *dataReportButton, limitsFile},
        this);

    BuildTrafficDock();

    FormCreate();
    ConnectSettingStores();
    SetHintTime();
    if (FShowAdvanced) {
        ShowAdvancedCommands();
    }
}

TCorvaneDemoMainForm::~TCorvaneDemoMainForm() {
    // Closing with the connection open writes no closing lines.
    FDestroying = true;
    // The limits borrow the download and archive controllers: they go first.
    delete FDataLimits;
    delete FArchiveLimits;
    // The controllers filter events of the pages' widgets: they go before the widgets do.
    delete FItemMap;
    delete FAccessPanel;
    // The dock borrows ModbusConnection1, which goes before the window's children do.
    delete FTrafficDock;
    FTrafficDock = nullptr;
    FItemMap = nullptr;
    FAccessPanel = nullptr;
    for (TModbusConnection* connection : {&ModbusConnection1, &ModbusConnection2}) {
        try {
            connection->SetActive(false);
        } catch (...) {
        }
    }
}

void TCorvaneDemoMainForm::BuildMenus() {
    // Separators that are hidden with the entries around them are actions of their own.
    for (QAction* separator :
         {FUi->EditSeparator2, FUi->EditSeparator3, FUi->EditSeparator4, FUi->ViewSeparator1}) {
        separator->setSeparator(true);
        separator->setVisible(false);
    }
    // The View menu shows only the log's text size entries; its other entries are hidden
    // with their separators.
    FUi->ViewSeparator2->setSeparator(true);
    FUi->ViewSeparator2->setVisible(false);

    auto* delays = new QActionGroup(this);
    delays->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (QAction* item :
         {FUi->fastMenuItem, FUi->defaultMenuItem, FUi->slowMenuItem, FUi->lineSpeedMenuItem}) {
        delays->addAction(item);
    }
    auto* firmwareBauds = new QActionGroup(this);
    firmwareBauds->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    firmwareBauds->addAction(FUi->N19200);
    firmwareBauds->addAction(FUi->N38400);
}

// The Traffic dock below the window's pages, hidden until the View menu's "Traffic" (or
// Ctrl+Shift+T) shows it;
// its statistics are the status bar's tooltip.
void TCorvaneDemoMainForm::BuildTrafficDock() {
    FTrafficDock = new TTrafficDock(ModbusConnection1, FDialogs, *FSettings, this);
    addDockWidget(Qt::BottomDockWidgetArea, FTrafficDock);
    FTrafficDock->hide();
    QAction* toggle = FTrafficDock->toggleViewAction();
    toggle->setObjectName(QStringLiteral("ViewTrafficItem"));
    toggle->setText(QStringLiteral("&Traffic"));
    toggle->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+T")));
    FUi->ViewMenu->addSeparator();
    FUi->ViewMenu->addAction(toggle);
    // A download disables the menus; the shortcut, an action of the window itself, still
    // opens and closes the dock then.
    addAction(toggle);
    connect(FTrafficDock, &TTrafficDock::StatisticsChanged, this,
            [this](const QString& text) { StatusBar1().setToolTip(text); });
    StatusBar1().setToolTip(FTrafficDock->StatisticsText());
}

void TCorvaneDemoMainForm::BuildToolBar() {
    QToolBar* bar = FUi->ToolBar1;
    bar->setIconSize(QSize(24, 24));
    const auto add = [this, bar](const char* name, TToolIcon icon, const char* hint) {
        auto* button = new QToolButton(bar);
        button->setObjectName(QString::fromLatin1(name));
        button->setIcon(ToolIcon(icon));
        button->setIconSize(QSize(24, 24));
        button->setFixedSize(36, 30);
        button->setAutoRaise(true);
        button->setToolTip(QString::fromLatin1(hint));
        bar->addWidget(button);
        return button;
    };
    ConnectToolButton = add("ConnectToolButton", tiConnect, "Connect");
    DisconnectToolButton = add("DisconnectToolButton", tiDisconnect, "Disconnect");
    PortSettingsToolButton = add("PortSettingsToolButton", tiPortSettings, "Port Settings");
    bar->addSeparator();
    startToolButton = add("startToolButton", tiRetrieveData, "Retrieve Data");
    startToolButton->setEnabled(false);
    stopToolButton = add("stopToolButton", tiStopDownload, "Stop Download");
    stopToolButton->setEnabled(false);
    bar->addSeparator();
    FirmwareToolButton = add("FirmwareToolButton", tiFirmwareUpdate, "Firmware Update");
}

void TCorvaneDemoMainForm::BindComponents() {
    // Form defaults of the console's connection; the settings file and the device port
    // settings override them at creation.
    ModbusConnection1.SetBaudRate(brCustom);
    ModbusConnection1.SetCustomBaudRate(9600);
    ModbusConnection1.SetMaxRetries(3);
    ModbusConnection1.SetParity(psNone);
    ModbusConnection1.SetTurnaroundDelay(50);
    ModbusClient1.SetConnection(&ModbusConnection1);
    ModbusServer1.SetConnection(&ModbusConnection1);

    BindConnectionLog(ModbusConnection1, *FLog, [this] { return FDestroying; });
    FReporter = std::make_unique<TConsoleCompletionReporter>(*FLog, ModbusClient1);
    FReporter->Bind();
    FServerItemBinding = std::make_unique<TServerItemBinding>(ModbusServer1, FServerItems, *FLog);
    FServerItemBinding->Bind();
    FQueueWatch = std::make_unique<TQueueWatch>(ModbusConnection1, *FLog);
    FFirmware = std::make_unique<TFirmwareUpdateBinding>(
        TFirmwareUpdateParts{ModbusConnection1, ModbusConnection2, FirmwarePage(), *FLog, FDialogs,
                             [this] { Disconnect1Click(); }, FProgramFolder.string()});
    FOpenFolder = [](const QString& path) {
        // The desktop decides which program opens it; its answer is not checked.
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
}

void TCorvaneDemoMainForm::BindPortPickers() {
    for (TSerialPortComboBox* picker : PortPickers()) {
        picker->SetPortLister([this] { return PickerPorts(); });
    }
}

std::vector<std::string> TCorvaneDemoMainForm::PickerPorts() const {
    std::vector<std::string> ports;
    ListSerialPorts(ports);
    // A pseudo-terminal is not among the system's serial ports.
    if (FRunPort && std::find(ports.begin(), ports.end(), FRunPort->Port) == ports.end()) {
        ports.push_back(FRunPort->Port);
    }
    return ports;
}

std::string TCorvaneDemoMainForm::PickerPort() {
    return FRunPort ? FRunPort->Port : PlatformPortName(FSettings->SerialPort().toStdString());
}

void TCorvaneDemoMainForm::SetDevicePortSettings(TdevicePortSettings* dialog) {
    FDevicePortSettings = dialog;
    if (dialog != nullptr) {
        dialog->Form().serialPortComboBox->SetPortLister([this] { return PickerPorts(); });
        dialog->SetRunOnlyChoice(FRunPort);
    }
}

void TCorvaneDemoMainForm::UseRunOnlyPortSettings(const TDevicePortChoice& choice,
                                                  const QString& label) {
    ApplyPortSettings(QString::fromStdString(choice.Address), QString::fromStdString(choice.Port),
                      choice.Indexes);
    FRunPort = choice;
    if (!label.isEmpty()) {
        FLabelledPort = choice.Port;
        FPortLabel = label;
    }
    ShowRunOnlyPort();
    UpdateConnectionState();
}

std::vector<TSerialPortComboBox*> TCorvaneDemoMainForm::PortPickers() {
    std::vector<TSerialPortComboBox*> pickers = {FirmwarePage().Form().ComComboBox1,
                                                 LogDataPage().Form().ComComboBox2,
                                                 ExportTabPage().Form().comportComboBox};
    if (FDevicePortSettings != nullptr) {
        pickers.push_back(FDevicePortSettings->Form().serialPortComboBox);
    }
    return pickers;
}

void TCorvaneDemoMainForm::ShowRunOnlyPort() {
    if (FDevicePortSettings != nullptr) {
        FDevicePortSettings->SetRunOnlyChoice(FRunPort);
    }
    for (TSerialPortComboBox* picker : PortPickers()) {
        if (!FLabelledPort.empty()) {
            picker->SetPortLabel(FLabelledPort, FPortLabel);
        }
        picker->RefreshPorts();
    }
    if (!FRunPort) {
        return;
    }
    ExportTabPage().Form().comportComboBox->ShowListedPort(FRunPort->Port);
    TSerialPortComboBox& picker = *LogDataPage().Form().ComComboBox2;
    picker.ShowListedPort(FRunPort->Port);
    // The port check counts from the list that now holds the port.
    FPortMonitor.FormShow(picker.count(), picker.PortText().toStdString());
}

void TCorvaneDemoMainForm::ConnectCommands() {
    auto& ui = *FUi;
    connect(ui.Connect1, &QAction::triggered, this, [this] { Connect1Click(); });
    connect(ui.Disconnect1, &QAction::triggered, this, [this] { Disconnect1Click(); });
    connect(ConnectToolButton, &QToolButton::clicked, this, [this] { Connect1Click(); });
    connect(DisconnectToolButton, &QToolButton::clicked, this, [this] { Disconnect1Click(); });
    connect(PortSettingsToolButton, &QToolButton::clicked, this,
            [this] { ModbusDevicePortSettings1Click(); });
    connect(ui.ModbusDevicePortSettings1, &QAction::triggered, this,
            [this] { ModbusDevicePortSettings1Click(); });
    connect(ui.ToolsConnectionOptionsItem, &QAction::triggered, this,
            [this] { ToolsConnectionOptionsItemClick(); });
    connect(ui.ToolsDiscardPendingTransactionsItem, &QAction::triggered, this,
            [this] { ToolsDiscardPendingTransactionsItemClick(); });
    connect(ui.ToolsLogTransactionsToFileItem, &QAction::triggered, this,
            [this] { ToolsLogTransactionsToFileItemClick(); });
    connect(ui.ToolsClearTransactionLogItem, &QAction::triggered, this,
            [this] { ToolsClearTransactionLogItemClick(); });
    connect(ui.ShowModbusAccessTab, &QAction::triggered, this,
            [this] { ShowModbusAccessTabClick(); });
    connect(ui.LogTextLargerItem, &QAction::triggered, this, [this] { LogTextLargerItemClick(); });
    connect(ui.LogTextSmallerItem, &QAction::triggered, this,
            [this] { LogTextSmallerItemClick(); });
    connect(ui.LogTextNormalItem, &QAction::triggered, this, [this] { LogTextNormalItemClick(); });
    connect(ui.HelpAboutItem, &QAction::triggered, this, [this] { HelpAboutItemClick(); });
    connect(ui.FileExitItem, &QAction::triggered, this, [this] { FileExitItemClick(); });

    auto& exportTab = ExportTabPage().Form();
    connect(exportTab.connectButton, &QPushButton::clicked, this, [this] { connectButtonClick(); });
    connect(exportTab.friendlyNamesButton, &QPushButton::clicked, this, [this] {
        std::vector<std::string> discarded;
        ListSerialPorts(discarded);
    });
    connect(ui.OpenDeviceManager1, &QAction::triggered, this,
            [this] { OpenDeviceManager1Click(); });

    auto& firmware = FirmwarePage().Form();
    connect(firmware.Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(firmware.startUpdateButton, &QPushButton::clicked, this,
            [this] { startUpdateButtonClick(); });
    connect(FirmwareToolButton, &QToolButton::clicked, this, [this] { FirmwareToolButtonClick(); });
}

// The application settings written when the operator changes them. Connected after FormCreate,
// so that the values it shows are not written back.
void TCorvaneDemoMainForm::ConnectSettingStores() {
    auto& ui = *FUi;
    auto& logData = LogDataPage().Form();
    auto& firmware = FirmwarePage().Form();
    const auto store = [this](auto write) { Guarded(write); };

    connect(firmware.ComComboBox1, &QComboBox::currentTextChanged, this,
            [this] { ComComboBox1Change(); });
    connect(firmware.verifyCheckBox, &QCheckBox::clicked, this, [this] { verifyCheckBoxClick(); });
    connect(firmware.hexEdit, &QLineEdit::textChanged, this, [this] { hexEditChange(); });
    connect(ExportTabPage().Form().comportComboBox, &QComboBox::currentTextChanged, this,
            [this] { comportComboBoxChange(); });
    connect(logData.exportComboBox, &QComboBox::currentIndexChanged, this,
            [this] { exportComboBoxChange(); });
    connect(logData.intervalEdit, &QLineEdit::textChanged, this,
            [this, store](const QString& text) {
                store([this, &text] { FSettings->SetIntervalText(text); });
            });
    connect(logData.allDataRadioButton, &QRadioButton::clicked, this,
            [this] { FSettings->SetCountDataChosen(false); });
    connect(logData.countDataRadioButton, &QRadioButton::clicked, this,
            [this] { FSettings->SetCountDataChosen(true); });
    connect(ui.fastMenuItem, &QAction::triggered, this,
            [this] { FSettings->SetCommDelay(cdFast); });
    connect(ui.defaultMenuItem, &QAction::triggered, this,
            [this] { FSettings->SetCommDelay(cdDefault); });
    connect(ui.slowMenuItem, &QAction::triggered, this,
            [this] { FSettings->SetCommDelay(cdSlow); });
    connect(ui.lineSpeedMenuItem, &QAction::triggered, this,
            [this] { FSettings->SetCommDelay(cdLine); });
    connect(ui.N19200, &QAction::triggered, this, [this] { N19200Click(); });
    connect(ui.N38400, &QAction::triggered, this, [this] { N38400Click(); });
}

void TCorvaneDemoMainForm::SetDownloadControl(IDownloadControl* download) {
    FDownload = download;
    FQueueWatch->SetDownloadControl(download);
}

TStatusPanels& TCorvaneDemoMainForm::StatusBar1() {
    return *FUi->StatusBar1;
}

TLogDataPage& TCorvaneDemoMainForm::LogDataPage() {
    return *FUi->LogDataTabSheet;
}

TModbusAccessPage& TCorvaneDemoMainForm::ModbusAccessPage() {
    return *FUi->RegisterAccessTabSheet;
}

TFirmwarePage& TCorvaneDemoMainForm::FirmwarePage() {
    return *FUi->FirmwareTabSheet;
}

TExportTabPage& TCorvaneDemoMainForm::ExportTabPage() {
    return *FUi->ExportTabSheet;
}

std::filesystem::path TCorvaneDemoMainForm::ServerItemsPath() const {
    return FProgramFolder / kServerItemsFile;
}

std::filesystem::path TCorvaneDemoMainForm::InstructionFilePath() const {
    // The program folder's own instructions win over the ones installed with the program.
    const std::filesystem::path own = FProgramFolder / kInstructionFile;
    std::error_code error;
    if (FDataFolder.empty() || std::filesystem::exists(own, error)) {
        return own;
    }
    return FDataFolder / kInstructionFile;
}

// --- Transaction log ---------------------------------------------------------------------------

void TCorvaneDemoMainForm::AddLogLine(std::string_view text) {
    FLog->AddLogLine(text);
}

void TCorvaneDemoMainForm::AddStyledLogLine(std::string_view text, bool bold, int size,
                                            int colour) {
    FLog->AddStyledLogLine(text, bold, size, colour);
}

// --- Creation ------------------------------------------------------------------------------------

TConsoleSettingsTargets TCorvaneDemoMainForm::SettingsTargets() {
    return TConsoleSettingsTargets{ModbusConnection1, ModbusClient1, ModbusServer1, *FLog};
}

void TCorvaneDemoMainForm::ReadSettingsFile() {
    FSettingsFile.ReadSettingsFile(SettingsTargets());
}

void TCorvaneDemoMainForm::WriteSettingsFile() {
    FSettingsFile.WriteSettingsFile(SettingsTargets());
}

void TCorvaneDemoMainForm::LoadServerItems() {
    // A map that cannot be read keeps the items read so far; the window goes on without the
    // rest.
    Guarded([this] { FServerItems.LoadServerItems(ServerItemsPath()); });
}

// --- Access panel and item map ------------------------------------------------------------------

void TCorvaneDemoMainForm::SetUpAccessPanelAndItemMap() {
    auto& ui = *FUi;
    FAccessPanel = new TAccessPanelController(
        TAccessPanelParts{*ui.DiscreteAccessTabSheet, *ui.RegisterAccessTabSheet,
                          *ui.ServerDiagnosticsTabSheet, *ui.ToolsClientOptionsItem,
                          *ui.ToolsServerOptionsItem, ModbusConnection1, ModbusClient1,
                          ModbusServer1, *FLog, *FReporter, FDialogs,
                          [this] { WriteSettingsFile(); }, [this] { UpdateConnectionState(); }},
        this);
    FAccessPanel->Bind();
    FItemMap =
        new TServerItemMapController(TServerItemMapParts{*ui.ServerItemsTabSheet, FServerItems,
                                                         ServerItemsPath(), FDialogs, *this},
                                     this);
    FItemMap->Bind();
    // A value written by a remote client shows in its row.
    FServerItemBinding->OnRowChanged = [this](std::size_t row) { FItemMap->RefreshRow(row); };
}

void TCorvaneDemoMainForm::SetUpLimits(const std::filesystem::path& limitsFile) {
    auto* dataPanel = new TExcursionsPanel(FUi->DataTabSheet);
    dataPanel->setObjectName(QStringLiteral("dataLimitsPanel"));
    FUi->DataLayout->addWidget(dataPanel);
    auto* archivePanel = new TExcursionsPanel(FArchivePage);
    archivePanel->setObjectName(QStringLiteral("archiveLimitsPanel"));
    FArchivePage->layout()->addWidget(archivePanel);
    FDataLimits = new TLimitsController(
        *dataPanel,
        DownloadLimitsSource(*FDownloadController, *FArchiveController, *FUi->logListView),
        FDialogs, limitsFile, this);
    FArchiveLimits = new TLimitsController(*archivePanel,
                                           ArchiveLimitsSource(*FArchiveController, *FArchivePage),
                                           FDialogs, limitsFile, this);
    connect(FArchiveController.get(), &TArchiveController::rangeShown, FArchiveLimits,
            &TLimitsController::ScheduleRefresh);
    // A download that was stopped keeps its list unsorted: no reset tells of its last rows.
    connect(FArchiveController.get(), &TArchiveController::downloadFinished, FDataLimits,
            &TLimitsController::ScheduleRefresh);
    // Both tabs may show the same instrument.
    connect(FDataLimits, &TLimitsController::limitsSaved, FArchiveLimits,
            &TLimitsController::ScheduleRefresh);
    connect(FArchiveLimits, &TLimitsController::limitsSaved, FDataLimits,
            &TLimitsController::ScheduleRefresh);
    // The charts draw the limits of their tab's instrument.
    connect(FDataLimits, &TLimitsController::limitsChanged, FLogDataTrends,
            &TTrendsView::SetLimits);
    connect(FArchiveLimits, &TLimitsController::limitsChanged, FArchivePage->archiveTrendsView,
            &TTrendsView::SetLimits);
}

TDownloadParts TCorvaneDemoMainForm::DownloadParts() {
    auto& ui = *FUi;
    return TDownloadParts{ModbusClient1,
                          ModbusConnection1,
                          *FLog,
                          *FReporter,
                          FDialogs,
                          *FSettings,
                          *this,
                          *transactionTimer,
                          LogDataPage(),
                          ExportTabPage(),
                          FirmwarePage(),
                          ModbusAccessPage(),
                          *ui.DataPageControl,
                          *ui.DataTabSheet,
                          *ui.logListView,
                          *ui.exportButton,
                          *startToolButton,
                          *stopToolButton,
                          *ui.FileMenu,
                          *ui.EditMenu,
                          *ui.ViewMenu,
                          *ui.HelpMenu,
                          *ui.CommunicationDelay1,
                          *ui.FirmwareBaudRate1,
                          *ui.fastMenuItem,
                          *ui.defaultMenuItem,
                          *ui.slowMenuItem,
                          *ui.lineSpeedMenuItem,
                          *ui.EraseSampleDatafromMemory1,
                          *ui.DataDownloadSetupWizard1};
}

void TCorvaneDemoMainForm::LoadInstructions() {
    // The instructions are a help to the operator; a file that is missing or cannot be read
    // leaves the view empty.
    try {
        const TRtfDocument document = TRtfReader::LoadFile(InstructionFilePath().string());
        if (!document.Damaged) {
            FirmwarePage().Form().steponeRichEdit->setHtml(
                QString::fromStdString(RtfToHtml(document)));
        }
    } catch (const std::exception&) {
    }
}

void TCorvaneDemoMainForm::SetHintTime() {
    // Hints stay up for 20 seconds.
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (!widget->toolTip().isEmpty()) {
            widget->setToolTipDuration(kHintTimeMs);
        }
    }
}

void TCorvaneDemoMainForm::FormCreate() {
    auto& ui = *FUi;
    auto& logData = LogDataPage().Form();
    auto& firmware = FirmwarePage().Form();
    // A stored value that is not a number stops the sequence: the later settings keep the
    // form's defaults.
    Guarded([&] {
        const QString firmwarePort = FSettings->FirmwarePortName();
        const bool verify = FSettings->VerifyChecked();
        const QString hexFile = FSettings->ExistingHexFile();

        const TStoredPortSettings port = FSettings->DevicePortSettings();
        ApplyPortSettings(QString::number(port.DeviceAddress), port.Port,
                          TPortSettingIndexes{port.BaudRate, port.DataBits, port.StopBits,
                                              port.Parity, port.FlowControl});

        logData.exportComboBox->setCurrentIndex(FSettings->ExportKind());

        for (QAction* item :
             {ui.fastMenuItem, ui.defaultMenuItem, ui.slowMenuItem, ui.lineSpeedMenuItem}) {
            item->setChecked(false);
        }
        switch (FSettings->CommDelay()) {
        case cdFast:
            ui.fastMenuItem->setChecked(true);
            break;
        case cdDefault:
            ui.defaultMenuItem->setChecked(true);
            break;
        case cdLine:
            ui.lineSpeedMenuItem->setChecked(true);
            break;
        default:
            ui.slowMenuItem->setChecked(true);
            break;
        }

        ui.N19200->setChecked(false);
        ui.N38400->setChecked(false);
        (FSettings->FirmwareBaudRate() == 38400 ? ui.N38400 : ui.N19200)->setChecked(true);

        // The layout choice is kept but the download always uses all data.
        (FSettings->CountDataChosen() ? logData.countDataRadioButton : logData.allDataRadioButton)
            ->setChecked(true);
        logData.allDataRadioButton->setChecked(true);
        if (FDownload != nullptr) {
            FDownload->SetAllDataMode(logData.allDataRadioButton->isChecked());
            FDownload->UpdateCommunicationDelays();
        }

        logData.intervalUpDown->SetPosition(FSettings->Interval());
        SetModbusAccessTabShown(FSettings->ShowModbusTab());

        firmware.ComComboBox1->SetPortText(
            QString::fromStdString(PlatformPortName(firmwarePort.toStdString())));
        firmware.verifyCheckBox->setChecked(verify);
        firmware.hexEdit->setText(hexFile);
    });
}

void TCorvaneDemoMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!FShown) {
        FShown = true;
        FormShow();
    }
}

void TCorvaneDemoMainForm::CloseAtOnce() {
    FCloseAtOnce = true;
    close();
}

void TCorvaneDemoMainForm::closeEvent(QCloseEvent* event) {
    // Closing during a download asks what Stop asks; the window stays on No. A termination
    // signal (CloseAtOnce) asks nothing.
    if (!FCloseAtOnce && FDownloadController->Engine().Running() &&
        !FDownloadController->AbortRequested()) {
        FDownloadController->stopButtonClick();
        // A termination signal that came while the question was open closes all the same.
        if (!FDownloadController->AbortRequested() && !FCloseAtOnce) {
            event->ignore();
            return;
        }
    }
    // A running programming script is stopped with the programs it started, so that no tool is
    // left holding the serial port; START then returns without its "Finished" box.
    FFirmware->Cancel();
    // A download stops as the Stop button stops it and ends through its failure path. Left
    // running, it would race through its remaining passes once the program quits (every wait
    // then returns at once) and log a timed-out download as complete.
    if (FDownloadController->Engine().Running() && !FDownloadController->AbortRequested()) {
        FDownloadController->StopDownload();
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        // Closing the main window ends the program. The application's own quit after its last
        // window closed is a posted event that any event loop started meanwhile throws away
        // (a download's next wait, its failure box), which would leave the program running
        // without a window; a queued call survives them.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    }
}

void TCorvaneDemoMainForm::FormShow() {
    Guarded([this] {
        const std::string wanted = PickerPort();
        ExportTabPage().Form().comportComboBox->ShowListedPort(wanted);
        // The Log Data picker is set as the port check sets it, so that the first check
        // compares like with like.
        TSerialPortComboBox& picker = *LogDataPage().Form().ComComboBox2;
        picker.ShowListedPort(wanted);
        FPortMonitor.FormShow(picker.count(), picker.PortText().toStdString());
        if (ModbusConnection1.Active()) {
            ModbusConnection1.SetActive(false);
        }
    });
}

// --- Connection and state display ----------------------------------------------------------------

void TCorvaneDemoMainForm::Connect1Click() {
    Guarded([this] {
        ModbusConnection1.SetActive(true);
        UpdateConnectionState();
    });
}

void TCorvaneDemoMainForm::Disconnect1Click() {
    Guarded([this] {
        ModbusConnection1.SetActive(false);
        UpdateConnectionState();
    });
}

void TCorvaneDemoMainForm::UpdateConnectionState() {
    const bool open = ModbusConnection1.Active();
    StatusBar1().SetPanelText(0, ToQString(ConnectionPanelText(ModbusConnection1)));
    ExportTabPage().SetQuickConnectImage(open);

    FUi->Connect1->setEnabled(!open);
    ConnectToolButton->setEnabled(!open);
    FUi->Disconnect1->setEnabled(open);
    DisconnectToolButton->setEnabled(open);
    enableButtons(open);

    StatusBar1().SetPanelText(
        1, ToQString(AddressPanelText(ModbusConnection1, ModbusClient1, ModbusServer1)));

    ExportTabPage().Form().downloadButton->setEnabled(open);
    if (!open) {
        FUi->exportButton->setEnabled(false);
        LogDataPage().Form().exportComboBox->setEnabled(false);
    }
}

void TCorvaneDemoMainForm::enableButtons(bool value) {
    ModbusAccessPage().enableButtons(value);
    LogDataPage().enableButtons(value);
    FUi->Disconnect1->setEnabled(value);
    DisconnectToolButton->setEnabled(value);
    startToolButton->setEnabled(value);
    FUi->EraseSampleDatafromMemory1->setEnabled(value);
    FUi->ModbusDevicePortSettings1->setEnabled(!value);
    PortSettingsToolButton->setEnabled(!value);
}

void TCorvaneDemoMainForm::SetTabVisibility() {
    QTabWidget* tabs = FUi->PageControl1;
    const bool advanced = FShowAdvanced;
    SetTabShown(tabs, FUi->DiscreteAccessTabSheet, advanced);
    SetTabShown(tabs, FUi->ServerDiagnosticsTabSheet, advanced);
    SetTabShown(tabs, FUi->IntroductionTabSheet, advanced);
    SetTabShown(tabs, FUi->ExportTabSheet, advanced);
    SetTabShown(tabs, FUi->LogDataTabSheet, true);
    SetTabShown(tabs, FUi->ServerItemsTabSheet,
                advanced || ModbusConnection1.ConnectionMode() == cmServer);
}

void TCorvaneDemoMainForm::ShowAdvancedCommands() {
    auto& ui = *FUi;
    for (QAction* entry :
         {ui.ToolsConnectionOptionsItem, ui.EditSeparator2, ui.ToolsClientOptionsItem,
          ui.ToolsServerOptionsItem, ui.EditSeparator3, ui.ToolsDiscardPendingTransactionsItem,
          ui.ToolsLogTransactionsToFileItem, ui.EditSeparator4, ui.DataDownloadSetupWizard1,
          ui.ShowModbusAccessTab, ui.ViewSeparator1, ui.ToolsClearTransactionLogItem,
          ui.ViewSeparator2}) {
        entry->setVisible(true);
    }
    // The Modbus Access tab is shown for this run; its stored choice stays as it is.
    ui.ShowModbusAccessTab->setChecked(true);
    ui.ShowModbusAccessTab->setText(QStringLiteral("Hide Modbus Access Tab"));
    SetTabShown(ui.PageControl1, ui.RegisterAccessTabSheet, true);
}

void TCorvaneDemoMainForm::ApplyPortSettings(const QString& addressText, const QString& port,
                                             const TPortSettingIndexes& indexes) {
    Sondrel::ApplyPortSettings(ModbusClient1, ModbusConnection1, addressText.toStdString(),
                               port.toStdString(), indexes);
}

// --- Timers
// ---------------------------------------------------------------------------------------

void TCorvaneDemoMainForm::Timer1Timer() {
    const TQueueWatch::TTick tick = FQueueWatch->Timer1Timer();
    if (tick.QueuePanelText) {
        StatusBar1().SetPanelText(2, ToQString(*tick.QueuePanelText));
    }
    if (tick.EnableStallCounter && !transactionTimer->isActive()) {
        transactionTimer->start();
    }
    if (tick.DownloadStopped) {
        // The download's stop shows the wait cursor; the watch returns the default one.
        while (QApplication::overrideCursor() != nullptr) {
            QApplication::restoreOverrideCursor();
        }
    }
}

void TCorvaneDemoMainForm::transactionTimerTimer() {
    FQueueWatch->transactionTimerTimer();
}

// --- Commands
// ---------------------------------------------------------------------------------------

void TCorvaneDemoMainForm::ToolsConnectionOptionsItemClick() {
    try {
        TConnectionEditHooks hooks;
        hooks.Parent = this;
        hooks.Exec = [this](TModbusConnectionEditForm& form) { return FDialogs.ExecDialog(form); };
        hooks.ShowError = [this](const QString& text) { FDialogs.ShowError(text); };
        if (EditModbusConnection(ModbusConnection1, QStringLiteral("Modbus Connection Options"),
                                 hooks)) {
            WriteSettingsFile();
        }
    } catch (const std::exception& e) {
        Guarded([this, &e] {
            AddStyledLogLine(FormatText("Failed to open Modbus connection. %s\r\n", {e.what()}),
                             true, 8, lcRed);
        });
        FDialogs.ShowError(QString::fromStdString(e.what()));
    }
    SetTabVisibility();
    UpdateConnectionState();
}

void TCorvaneDemoMainForm::ToolsDiscardPendingTransactionsItemClick() {
    Guarded([this] {
        ModbusConnection1.DiscardPendingTransactions(nullptr);
        AddLogLine("");
        AddLogLine("*** All pending transactions have been discarded.");
        AddLogLine("");
    });
}

void TCorvaneDemoMainForm::ToolsLogTransactionsToFileItemClick() {
    Guarded([this] { FLog->ToggleLogTransactionsToFile([this] { WriteSettingsFile(); }); });
    // The check mark shows the flag, also when writing the settings file failed.
    FUi->ToolsLogTransactionsToFileItem->setChecked(FLog->LogTransactionsToFile());
}

void TCorvaneDemoMainForm::ToolsClearTransactionLogItemClick() {
    // The register values shown beside the log go with it.
    FAccessPanel->ClearRegisterResults();
    Guarded([this] { FLog->ClearTransactionLog(); });
}

int TCorvaneDemoMainForm::LogFontSize() const {
    return FLogView->PlainSize();
}

void TCorvaneDemoMainForm::SetLogFontSize(int points) {
    points = std::clamp(points, TApplicationSettings::MinLogFontSize,
                        TApplicationSettings::MaxLogFontSize);
    FLogView->SetPlainSize(points);
    Guarded([this, points] { FSettings->SetLogFontSize(points); });
}

void TCorvaneDemoMainForm::LogTextLargerItemClick() {
    SetLogFontSize(LogFontSize() + 1);
}

void TCorvaneDemoMainForm::LogTextSmallerItemClick() {
    SetLogFontSize(LogFontSize() - 1);
}

void TCorvaneDemoMainForm::LogTextNormalItemClick() {
    SetLogFontSize(TApplicationSettings::DefaultLogFontSize);
}

void TCorvaneDemoMainForm::SetModbusAccessTabShown(bool shown) {
    FUi->ShowModbusAccessTab->setChecked(shown);
    FUi->ShowModbusAccessTab->setText(shown ? QStringLiteral("Hide Modbus Access Tab")
                                            : QStringLiteral("Show Modbus Access Tab"));
    SetTabShown(FUi->PageControl1, FUi->RegisterAccessTabSheet, shown);
    FSettings->SetShowModbusTab(shown);
}

void TCorvaneDemoMainForm::ShowModbusAccessTabClick() {
    QTabWidget* tabs = FUi->PageControl1;
    SetModbusAccessTabShown(!tabs->isTabVisible(tabs->indexOf(FUi->RegisterAccessTabSheet)));
}

void TCorvaneDemoMainForm::ModbusDevicePortSettings1Click() {
    if (FDevicePortSettings == nullptr) {
        return;
    }
    Guarded([this] {
        if (FDevicePortSettings->ShowModal() != QDialog::Accepted) {
            return;
        }
        ApplyPortSettings(FDevicePortSettings->AddressText(), FDevicePortSettings->PortText(),
                          FDevicePortSettings->Indexes());
        // Settings of this run only stay so: the pickers show the new ones.
        if (FRunPort) {
            FRunPort = TDevicePortChoice{FDevicePortSettings->AddressText().toStdString(),
                                         FDevicePortSettings->PortText().toStdString(),
                                         FDevicePortSettings->Indexes()};
            ShowRunOnlyPort();
        }
        if (FDownload != nullptr) {
            FDownload->UpdateCommunicationDelays();
        }
        // The address panel shows the address now in use.
        UpdateConnectionState();
    });
}

void TCorvaneDemoMainForm::HelpAboutItemClick() {
    if (FAboutBox != nullptr) {
        FDialogs.ExecDialog(*FAboutBox);
    }
}

void TCorvaneDemoMainForm::FileExitItemClick() {
    close();
}

// --- Serial ports ----------------------------------------------------------------------------

void TCorvaneDemoMainForm::ListSerialPorts(std::vector<std::string>& list) const {
    FPortListing.ListSerialPorts(list);
}

void TCorvaneDemoMainForm::SetSerialPortRoot(const std::string& root) {
    FPortListing.SetRoot(root);
    for (TSerialPortComboBox* picker : PortPickers()) {
        picker->RefreshPorts();
    }
}

void TCorvaneDemoMainForm::comportComboBoxChange() {
    Guarded([this] {
        FSettings->SetSerialPort(ExportTabPage().Form().comportComboBox->PortText());
        if (ModbusConnection1.Active()) {
            ModbusConnection1.SetActive(false);
        }
        UpdateConnectionState();
    });
}

void TCorvaneDemoMainForm::connectButtonClick() {
    auto& exportTab = ExportTabPage().Form();
    try {
        ModbusConnection1.SetActive(false);
        ApplyPortSettings(QString::fromLatin1(kQuickConnectAddress),
                          exportTab.comportComboBox->PortText(), kQuickConnectLine);
        ModbusConnection1.SetActive(exportTab.connectButton->text() !=
                                    QStringLiteral("Disconnect"));
    } catch (const std::exception& e) {
        FDialogs.ShowError(QString::fromStdString(e.what()));
    }
    // The connection was closed first: the display follows whatever state it is in now, also
    // after a failed open.
    UpdateConnectionState();
}

void TCorvaneDemoMainForm::comportListTimerTimer() {
    Guarded([this] {
        TSerialPortComboBox& picker = *LogDataPage().Form().ComComboBox2;
        picker.RefreshPorts();
        picker.ShowListedPort(PickerPort());
        picker.update();
        const TPortCheckResult result =
            FPortMonitor.Check(picker.PortNames(), picker.PortText().toStdString());
        if (result.Line) {
            AddStyledLogLine(result.Line->Text, false, TPortLogLine::Size, result.Line->Colour);
        }
        if (result.StoreSerialPort) {
            FSettings->SetSerialPort(QString::fromStdString(result.SerialPort));
        }
        if (result.CloseConnection) {
            ModbusConnection1.SetActive(false);
            UpdateConnectionState();
        }
    });
}

void TCorvaneDemoMainForm::OpenDeviceManager1Click() {
    if (FOpenFolder) {
        FOpenFolder(QString::fromStdString(SerialDeviceFolder()));
    }
}

// --- Firmware update -------------------------------------------------------------------------

void TCorvaneDemoMainForm::Button1Click() {
    Guarded([this] { FFirmware->Browse(); });
}

bool TCorvaneDemoMainForm::CheckHexFileName(const QString& path) {
    return FFirmware->CheckHexFileName(path);
}

void TCorvaneDemoMainForm::startUpdateButtonClick() {
    Guarded([this] { FFirmware->Start(FUi->N38400->isChecked() ? fb38400 : fb19200); });
}

void TCorvaneDemoMainForm::ComComboBox1Change() {
    // Stored as the platform names the port, so that a name typed on Linux is kept as the
    // device path it opens (see PlatformPortNames.h); an emptied box keeps the stored port.
    const std::string port =
        PlatformPortName(FirmwarePage().Form().ComComboBox1->PortText().trimmed().toStdString());
    if (!port.empty()) {
        Guarded([this, &port] { FSettings->SetFirmwarePortName(QString::fromStdString(port)); });
    }
}

void TCorvaneDemoMainForm::hexEditChange() {
    Guarded([this] { FSettings->StoreHexFile(FirmwarePage().Form().hexEdit->text()); });
}

void TCorvaneDemoMainForm::verifyCheckBoxClick() {
    Guarded(
        [this] { FSettings->SetVerifyChecked(FirmwarePage().Form().verifyCheckBox->isChecked()); });
}

void TCorvaneDemoMainForm::exportComboBoxChange() {
    Guarded(
        [this] { FSettings->SetExportKind(LogDataPage().Form().exportComboBox->currentIndex()); });
}

void TCorvaneDemoMainForm::N19200Click() {
    Guarded([this] { FSettings->SetFirmwareBaudRate(19200); });
}

void TCorvaneDemoMainForm::N38400Click() {
    Guarded([this] { FSettings->SetFirmwareBaudRate(38400); });
}

void TCorvaneDemoMainForm::FirmwareToolButtonClick() {
    FUi->PageControl1->setCurrentWidget(FUi->FirmwareTabSheet);
}

} // namespace Sondrel
