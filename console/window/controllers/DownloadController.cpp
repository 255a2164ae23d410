#include "DownloadController.h"

#include "ApplicationSettings.h"
#include "ConsoleCompletionReporter.h"
#include "DialogService.h"
#include "DigitKeyFilter.h"
#include "ExportDialog.h"
#include "ExportTabPage.h"
#include "FirmwarePage.h"
#include "FrozenColumns.h"
#include "LogDataPage.h"
#include "ModbusAccessPage.h"
#include "PumpWait.h"
#include "RecordListModel.h"
#include "TransactionLog.h"
#include "ui_ExportTabPage.h"
#include "ui_FirmwarePage.h"
#include "ui_LogDataPage.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QPalette>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace Sondrel {

using namespace Corvane;

namespace {

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

// "Record Index", "Date" and "Time".
constexpr int kFrozenColumns = 3;

std::int64_t MonotonicMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

} // namespace

TDownloadController::TDownloadController(TDownloadParts parts, QObject* parent)
    : QObject(parent), FParts(std::move(parts)), FRequests(FParts.Client),
      FEngine(*this, FRequests, *this), FCompletions(FParts.Client, FEngine),
      FExport(*this, FEngine.List()) {
    FModel = std::make_unique<TRecordListModel>(FEngine.List());
    SetUpRecordListView(FParts.LogListView, *FModel);
    FFrozenColumns = std::make_unique<TFrozenColumns>(FParts.LogListView, kFrozenColumns);

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(Timer2IntervalMs);
    connect(Timer2, &QTimer::timeout, this, [this] { Timer2Timer(); });
    Timer2->start();

    InstallKeyFilter();
    ConnectControls();
    // The export controls wait for a finished download.
    SetExportControlsEnabled(FEngine.ExportReady());
}

TDownloadController::~TDownloadController() {
    // The views let go of the model before the model goes.
    FFrozenColumns.reset();
    FParts.LogListView.setModel(nullptr);
}

void TDownloadController::ConnectControls() {
    auto& page = FParts.LogDataPage.Form();
    auto& tab = FParts.ExportTabPage.Form();
    connect(page.startButton, &QPushButton::clicked, this, [this] { startButtonClick(); });
    connect(page.newRecordsButton, &QPushButton::clicked, this,
            [this] { newRecordsButtonClick(); });
    connect(&FParts.StartToolButton, &QToolButton::clicked, this, [this] { startButtonClick(); });
    connect(tab.downloadButton, &QPushButton::clicked, this, [this] { downloadButtonClick(); });
    for (QPushButton* stop : {page.stopButton, tab.stopButton2}) {
        connect(stop, &QPushButton::clicked, this, [this] { stopButtonClick(); });
    }
    connect(&FParts.StopToolButton, &QToolButton::clicked, this, [this] { stopButtonClick(); });
    connect(&FParts.EraseItem, &QAction::triggered, this,
            [this] { EraseSampleDatafromMemory1Click(); });
    connect(page.expButton, &QPushButton::clicked, this, [this] { expButtonXLSClick(); });
    connect(&FParts.ExportButton, &QPushButton::clicked, this, [this] { exportButtonClick(); });
    connect(tab.setupWizardButton, &QPushButton::clicked, this, [this] { SetupWizardClick(); });
    connect(&FParts.SetupWizardItem, &QAction::triggered, this, [this] { SetupWizardClick(); });
    // A changed delay choice takes effect at once (every download recomputes it anyway).
    for (QAction* item : {&FParts.FastDelayItem, &FParts.DefaultDelayItem, &FParts.SlowDelayItem,
                          &FParts.LineSpeedDelayItem}) {
        connect(item, &QAction::triggered, this, [this] { UpdateCommunicationDelays(); });
    }
}

void TDownloadController::InstallKeyFilter() {
    auto& page = FParts.LogDataPage.Form();
    FKeyFilter = new TDigitKeyFilter(this);
    FKeyFilter->OnInvalidKey = [this] { recordsEditKeyPress(); };
    for (QLineEdit* edit : {page.recordsEdit, page.recentDateEdit, page.intervalEdit,
                            page.monthEdit, page.dayEdit, page.hourEdit, page.minEdit}) {
        edit->installEventFilter(FKeyFilter);
    }
}

// --- Handlers ------------------------------------------------------------------------------------

void TDownloadController::startButtonClick() {
    FEngine.startButtonClick();
}

void TDownloadController::newRecordsButtonClick() {
    FEngine.newRecordsButtonClick();
}

void TDownloadController::downloadButtonClick() {
    FEngine.downloadButtonClick();
}

void TDownloadController::stopButtonClick() {
    FEngine.stopButtonClick();
}

void TDownloadController::EraseSampleDatafromMemory1Click() {
    FEngine.EraseSampleDatafromMemory1Click();
}

TExportView TDownloadController::ExportView() const {
    return TExportView{FModel->ShownOrder(), FParts.Client.ServerAddress()};
}

void TDownloadController::expButtonXLSClick() {
    FExport.expButtonXLSClick(FParts.LogDataPage.Form().exportComboBox->currentIndex(),
                              FEngine.State().AllDataMode, ExportView());
}

void TDownloadController::exportButtonClick() {
    FExport.exportButtonClick(FParts.LogDataPage.Form().exportComboBox->currentIndex(),
                              FEngine.State().AllDataMode, ExportView());
}

void TDownloadController::SetupWizardClick() {
    // The instrument's setup wizard is a separate tool that this program does not contain.
    FParts.Dialogs.ShowInformation(QStringLiteral("Setup Wizard"),
                                   QStringLiteral("The setup wizard is not part of this program."));
}

void TDownloadController::recordsEditKeyPress() {
    FParts.Dialogs.ShowMessage(QString::fromLatin1(TDigitKeyFilter::InvalidKeyText));
}

namespace {

// Whole seconds as "hh:mm:ss".
QString ClockText(std::int64_t seconds) {
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

void TDownloadController::Timer2Timer() {
    FParts.LogDataPage.Form().timeLabel1->setText(
        ClockText(FEngine.Stopwatch().ElapsedMs() / 1000));
}

void TDownloadController::ShowPassProgress(const TPassProgress& progress) {
    FParts.LogDataPage.Form().timeLeftLabel1->setText(
        progress.SecondsLeft < 0
            ? QStringLiteral("--:--:--")
            : ClockText(static_cast<std::int64_t>(std::ceil(progress.SecondsLeft))));
}

// --- Download host -------------------------------------------------------------------------------

TDownloadInputs TDownloadController::Inputs() {
    auto& page = FParts.LogDataPage.Form();
    TDownloadInputs inputs;
    inputs.RecordsText = page.recordsEdit->text().toStdString();
    inputs.RecentDateText = page.recentDateEdit->text().toStdString();
    inputs.IntervalText = page.intervalEdit->text().toStdString();
    inputs.RecentChecked = page.recentRadioButton->isChecked();
    inputs.MonthText = page.monthEdit->text().toStdString();
    inputs.DayText = page.dayEdit->text().toStdString();
    inputs.HourText = page.hourEdit->text().toStdString();
    inputs.MinuteText = page.minEdit->text().toStdString();
    inputs.PrevFollIndex = page.prevfollCB->currentIndex();
    return inputs;
}

TBaudRate TDownloadController::BaudRate() {
    return FParts.Connection.BaudRate();
}

TDelayMenuChoice TDownloadController::DelayMenuChoice() {
    if (FParts.FastDelayItem.isChecked()) {
        return dmFast;
    }
    if (FParts.DefaultDelayItem.isChecked()) {
        return dmDefault;
    }
    if (FParts.SlowDelayItem.isChecked()) {
        return dmSlow;
    }
    if (FParts.LineSpeedDelayItem.isChecked()) {
        return dmLine;
    }
    return dmNone;
}

void TDownloadController::PumpWait(std::int32_t ms) {
    Sondrel::PumpWait(ms);
}

void TDownloadController::PumpWaitUntil(const std::function<bool()>& done, std::int32_t ms) {
    Sondrel::PumpWaitUntil(done, ms);
}

void TDownloadController::ProcessEvents() {
    QCoreApplication::processEvents();
}

std::int64_t TDownloadController::TickMs() {
    return MonotonicMs();
}

TLogStyle TDownloadController::StepStyle(TDownloadStepKind kind) {
    switch (kind) {
    case skBold:
        return TLogStyle{true, 8, lcBlack};
    case skFailure:
        return kFailureLogStyle;
    case skEstimate:
    case skCompletion:
        return TLogStyle{true, 8, lcGreen};
    case skElapsed:
        return TLogStyle{true, 8, lcBlue};
    case skPlain:
        break;
    }
    return kDefaultLogStyle;
}

void TDownloadController::LogStep(TDownloadStepKind kind, const std::string& text) {
    FParts.Log.AddStyledLogLine(text, StepStyle(kind));
}

void TDownloadController::SetDisplayText(const std::string& text) {
    FParts.LogDataPage.Form().displayLabel1->setText(ToQString(text));
}

void TDownloadController::ShowMessageBox(TBoxIcon icon, const std::string& text) {
    if (icon == biError) {
        FParts.Dialogs.ShowError(ToQString(text));
    } else {
        FParts.Dialogs.ShowMessage(ToQString(text));
    }
}

bool TDownloadController::AskYesNo(const std::string& title, const std::string& text,
                                   bool noIsDefault) {
    const QString shownTitle =
        title.empty() ? QApplication::applicationDisplayName() : ToQString(title);
    return FParts.Dialogs.AskYesNo(shownTitle, ToQString(text), noIsDefault);
}

QProgressBar& TDownloadController::Bar(TDownloadProgressBar bar) {
    auto& page = FParts.LogDataPage.Form();
    return bar == pbReceived ? *page.ALProgressBar11 : *page.ALProgressBar21;
}

void TDownloadController::SetProgress(TDownloadProgressBar bar, std::int32_t position) {
    Bar(bar).setValue(std::clamp(position, 0, 100));
}

void TDownloadController::SetProgressTextWhite(TDownloadProgressBar bar, bool white) {
    // By palette, not by style sheet: a style sheet on the bar changes its size by a pixel,
    // and the Progress group would move each time the colour changes.
    QProgressBar& shown = Bar(bar);
    if (!white) {
        // A palette that sets nothing: the bar takes its parent's again.
        shown.setPalette(QPalette());
        return;
    }
    QPalette palette = shown.palette();
    for (const QPalette::ColorRole role :
         {QPalette::Text, QPalette::HighlightedText, QPalette::WindowText}) {
        palette.setColor(role, Qt::white);
    }
    shown.setPalette(palette);
}

void TDownloadController::enableComponents(bool enabled) {
    auto& page = FParts.LogDataPage.Form();
    auto& firmware = FParts.FirmwarePage.Form();
    FParts.LogDataPage.enableButtons(enabled);
    FParts.RegisterPage.enableButtons(enabled);
    for (QWidget* w :
         std::initializer_list<QWidget*>{firmware.ComComboBox1, firmware.hexEdit, firmware.Button1,
                                         firmware.startUpdateButton, &FParts.StartToolButton}) {
        w->setEnabled(enabled);
    }
    for (QMenu* menu : {&FParts.FileMenu, &FParts.EditMenu, &FParts.ViewMenu, &FParts.HelpMenu,
                        &FParts.CommunicationDelayMenu, &FParts.FirmwareBaudRateMenu}) {
        menu->menuAction()->setEnabled(enabled);
    }
    page.stopButton->setEnabled(!enabled);
    FParts.StopToolButton.setEnabled(!enabled);
    SetExportControlsEnabled(enabled && FEngine.ExportReady());
    if (!enabled) {
        // A download starts: the shared bar shows the import again.
        SetSharedBarLabel(false);
    }
    SetHourglassCursor(false);
}

void TDownloadController::SetSharedBarLabel(bool exporting) {
    FParts.LogDataPage.Form().ALProgressBar21Label->setText(exporting ? QStringLiteral("Export:")
                                                                      : QStringLiteral("Import:"));
}

void TDownloadController::EnableExportTabControls(bool enabled, bool exportReady) {
    FParts.EraseItem.setEnabled(enabled);
    FParts.CommunicationDelayMenu.menuAction()->setEnabled(enabled);
    FParts.FirmwareBaudRateMenu.menuAction()->setEnabled(enabled);
    FParts.ExportTabPage.Form().stopButton2->setEnabled(!enabled);
    SetExportControlsEnabled(exportReady);
    SetHourglassCursor(false);
}

void TDownloadController::SetExportControlsEnabled(bool enabled) {
    FParts.ExportButton.setEnabled(enabled);
    FParts.LogDataPage.Form().expButton->setEnabled(enabled);
    FParts.LogDataPage.Form().exportComboBox->setEnabled(enabled);
}

void TDownloadController::SetHourglassCursor(bool hourglass) {
    if (hourglass) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    while (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
}

void TDownloadController::RepaintWindow() {
    FParts.Window.repaint();
}

void TDownloadController::SetTransactionTimerEnabled(bool enabled) {
    if (enabled) {
        FParts.TransactionTimer.start();
    } else {
        FParts.TransactionTimer.stop();
    }
}

void TDownloadController::SetConsoleRegisterAccess(bool value) {
    FParts.Reporter.ConsoleRegisterAccess = value;
}

void TDownloadController::ShowListView() {
    FParts.DataPageControl.setCurrentWidget(&FParts.DataTabSheet);
    FParts.LogListView.show();
}

void TDownloadController::SetListHeaderBold() {
    QHeaderView& header = *FParts.LogListView.horizontalHeader();
    QFont font = header.font();
    font.setBold(true);
    header.setFont(font);
    header.viewport()->update();
}

void TDownloadController::SetRemoveRecordsButtonEnabled(bool enabled) {
    FParts.LogDataPage.Form().removeRecordsButton->setEnabled(enabled);
}

// --- Export host ---------------------------------------------------------------------------------

void TDownloadController::ShowExportError(const std::string& text) {
    FParts.Dialogs.ShowError(ToQString(text));
}

std::optional<std::string> TDownloadController::ChooseExportFile(const TSaveDialogParams& params) {
    // The folder used last, as long as it is set; the current directory at first.
    const std::optional<std::string> chosen =
        Sondrel::ChooseExportFile(FParts.Dialogs, params, FParts.Settings.ExportFolder());
    if (chosen) {
        FParts.Settings.SetExportFolder(QFileInfo(QString::fromStdString(*chosen)).absolutePath());
    }
    return chosen;
}

void TDownloadController::SetExportBusy(bool busy) {
    QPushButton& start = *FParts.LogDataPage.Form().startButton;
    QToolButton& startTool = FParts.StartToolButton;
    if (busy) {
        FStartEnabledBeforeExport = start.isEnabled();
        FStartToolEnabledBeforeExport = startTool.isEnabled();
    }
    start.setEnabled(!busy && FStartEnabledBeforeExport);
    startTool.setEnabled(!busy && FStartToolEnabledBeforeExport);
    SetExportControlsEnabled(!busy);
    SetDisplayText(busy ? "Exporting data... Please wait..." : "");
    SetHourglassCursor(busy);
}

void TDownloadController::ShowExportProgress(std::int32_t written, std::int32_t total) {
    // The export shows on the import's bar, under its own label; a finished export leaves it
    // at 100 % until the next download starts.
    SetSharedBarLabel(true);
    const int percent = total > 0 ? static_cast<int>(std::int64_t{written} * 100 / total) : 100;
    SetProgress(pbImported, percent);
    SetProgressTextWhite(pbImported, percent > 48);
    // Keeps the window painting while a large export runs.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TDownloadController::ShowExportDone(const std::string& line) {
    FParts.Log.AddLogLine(line);
}

} // namespace Sondrel
