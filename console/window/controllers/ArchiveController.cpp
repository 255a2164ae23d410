#include "ArchiveController.h"

#include "ApplicationSettings.h"
#include "ArchiveError.h"
#include "ArchivePage.h"
#include "DialogService.h"
#include "DownloadEngine.h"
#include "ExportDialog.h"
#include "InstrumentIdentity.h"
#include "OpenArchive.h"
#include "PumpWait.h"
#include "RecordListModel.h"
#include "SystemNames.h"
#include "TransactionLog.h"
#include "TrendsView.h"

#include "ArchiveTrend.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

namespace Sondrel {

namespace {

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

std::string RangeText(const QDateTimeEdit& edit) {
    return edit.dateTime()
        .toString(QString::fromLatin1(TArchivePage::DateTimeFormat))
        .toStdString();
}

// A record date-time of the archive ("YYYY-MM-DD hh:mm") into a range edit; a text out of the
// edit's range (a record with a bad clock) leaves it as it is.
void SetRangeEdit(QDateTimeEdit& edit, const std::string& text) {
    const QDateTime when =
        QDateTime::fromString(ToQString(text), QString::fromLatin1(TArchivePage::DateTimeFormat));
    if (when.isValid()) {
        edit.setDateTime(when);
    }
}

} // namespace

TArchiveController::TArchiveController(TArchiveParts parts, const std::string& locationOption,
                                       QObject* parent)
    : QObject(parent), FParts(parts),
      FLocation(ResolveArchiveLocation(locationOption, std::string(),
                                       FParts.Settings.ArchiveFile().toStdString())) {
    OpenWriter();
    FParts.Engine.SetArchive(this);
    TArchivePage& page = FParts.Page;
    page.archiveFileLabel->setText(ToQString(FLocation.Text));
    connect(page.showButton, &QPushButton::clicked, this, [this] { showButtonClick(); });
    connect(page.archiveFileButton, &QPushButton::clicked, this,
            [this] { archiveFileButtonClick(); });
    connect(page.archiveExportButton, &QPushButton::clicked, this,
            [this] { archiveExportButtonClick(); });
    page.archiveTrendsView->SetSource([this] { return RangeTrend(); });
    connect(&FParts.DataPageControl, &QTabWidget::currentChanged, this, [this] {
        if (TabShown()) {
            Reload();
        }
    });
}

TArchiveController::~TArchiveController() {
    FParts.Engine.SetArchive(nullptr);
    FParts.Page.archiveListView->setModel(nullptr);
}

void TArchiveController::OpenWriter() {
    FRecorder.reset();
    const TArchiveLocation location = FLocation;
    FWorker = std::make_unique<TArchiveWorker>([location] { return OpenArchive(location); });
    FRecorder = std::make_unique<TArchiveRecorder>(*FWorker, [](std::int32_t ms) { PumpWait(ms); });
}

bool TArchiveController::SetLocation(const TArchiveLocation& location) {
    if (FParts.Engine.Running()) {
        FParts.Dialogs.ShowError(
            QStringLiteral("The archive cannot be changed while a download runs."));
        return false;
    }
    FLocation = location;
    FParts.Page.archiveFileLabel->setText(ToQString(FLocation.Text));
    OpenWriter();
    FRangeSet = false;
    Reload();
    return true;
}

bool TArchiveController::TabShown() const {
    return FParts.DataPageControl.currentWidget() == &FParts.Page;
}

void TArchiveController::CloseReader() {
    FParts.Page.archiveListView->setModel(nullptr);
    FExport.reset();
    FModel.reset();
    FRows.reset();
    FReader.reset();
    FTableTrend.reset();
    FParts.Page.archiveTrendsView->Invalidate();
}

// The Trends view's data: the table's trend, unless the table mixes several instruments.
std::shared_ptr<const TTrendData> TArchiveController::RangeTrend() {
    TTrendsView& view = *FParts.Page.archiveTrendsView;
    view.SetEmptyText(QStringLiteral("No records to chart"));
    if (!FReader || !FRows) {
        return nullptr;
    }
    // The records of several instruments on one time axis would read as one instrument's.
    // (The list holds "All instruments" and one entry per instrument.)
    if (!FRows->Query().InstrumentId && FParts.Page.instrumentComboBox->count() > 2) {
        view.SetEmptyText(QStringLiteral("Choose one instrument to chart its trends"));
        return nullptr;
    }
    return TableTrend();
}

std::shared_ptr<const TTrendData> TArchiveController::TableTrend() {
    if (!FReader || !FRows) {
        return nullptr;
    }
    const TRecordQuery query = FRows->Query();
    if (FTableTrend && FTableTrend->Query == query) {
        return FTableTrend->Data;
    }
    QLabel& count = *FParts.Page.countLabel;
    // A read asked for while another pumps the events reads without pumping them again.
    const bool outer = !FReadingTrend;
    FReadingTrend = true;
    std::shared_ptr<const TTrendData> trend;
    try {
        trend = std::make_shared<const TTrendData>(LoadArchiveTrend(
            *FReader, query, [&count, outer](std::int64_t done, std::int64_t total) {
                count.setText(
                    QStringLiteral("Reading the trend... %1 of %2 records").arg(done).arg(total));
                if (outer) {
                    // Keeps the window painting while a long range is read.
                    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                }
                return true;
            }));
        FTableTrend = TTableTrend{query, trend};
        ShowCount();
    } catch (const std::exception& e) {
        count.setText(ToQString(e.what()));
    }
    if (outer) {
        FReadingTrend = false;
        if (FReloadAfterRead) {
            FReloadAfterRead = false;
            QTimer::singleShot(0, this, [this] { Reload(); });
        }
    }
    return trend;
}

void TArchiveController::Reload() {
    if (FReadingTrend) {
        FReloadAfterRead = true;
        return;
    }
    TArchivePage& page = FParts.Page;
    // The instrument chosen before, by id, chosen again when the archive still has it.
    const QVariant chosen = page.instrumentComboBox->currentData();
    // And the order the operator chose by a header click.
    const std::optional<TRecordQuery> before =
        FRows ? std::optional<TRecordQuery>(FRows->Query()) : std::nullopt;
    CloseReader();
    page.instrumentComboBox->clear();
    std::vector<TInstrumentSummary> instruments;
    try {
        TArchiveOpenOptions options;
        options.ReadOnly = true;
        options.BusyTimeoutMs = ReadBusyTimeoutMs;
        FReader = OpenArchive(FLocation, options);
        instruments = FReader->Instruments();
    } catch (const EArchiveError& e) {
        FReader.reset();
        page.countLabel->setText(e.Fault() == afMissing
                                     ? QStringLiteral("The archive holds no downloads yet.")
                                     : ToQString(e.what()));
        emit rangeShown();
        return;
    }
    page.instrumentComboBox->addItem(QStringLiteral("All instruments"));
    std::string first;
    std::string last;
    for (const TInstrumentSummary& instrument : instruments) {
        page.instrumentComboBox->addItem(
            QStringLiteral("%1 (%2 records)")
                .arg(ToQString(instrument.Name.empty() ? instrument.Identity : instrument.Name))
                .arg(instrument.Records),
            QVariant::fromValue<qlonglong>(instrument.Id));
        if (!instrument.First.empty() && (first.empty() || instrument.First < first)) {
            first = instrument.First;
        }
        last = std::max(last, instrument.Last);
    }
    if (const int index = page.instrumentComboBox->findData(chosen);
        chosen.isValid() && index > 0) {
        page.instrumentComboBox->setCurrentIndex(index);
    }
    // The first reading shows everything the archive holds.
    if (!FRangeSet && !first.empty()) {
        SetRangeEdit(*page.fromEdit, first);
        SetRangeEdit(*page.toEdit, last);
        FRangeSet = true;
    }
    FRows = std::make_unique<TArchiveRecordRows>(*FReader);
    FModel = std::make_unique<TRecordListModel>(*FRows);
    FExport = std::make_unique<TExportCommands>(*this, *FRows);
    ShowRange();
    page.archiveTrendsView->Invalidate();
    SetUpRecordListView(*page.archiveListView, *FModel, 1);
    if (before && (before->OrderColumn != 1 || !before->Ascending)) {
        page.archiveListView->sortByColumn(
            before->OrderColumn, before->Ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    }
    ShowCount();
    emit rangeShown();
}

void TArchiveController::ShowRange() {
    if (!FRows) {
        return;
    }
    TRecordQuery query = FRows->Query();
    const TRecordQuery shown = ShownQuery();
    query.InstrumentId = shown.InstrumentId;
    query.From = shown.From;
    query.To = shown.To;
    FRows->SetQuery(query);
}

TRecordQuery TArchiveController::ShownQuery() const {
    const TArchivePage& page = FParts.Page;
    TRecordQuery query;
    const QVariant instrument = page.instrumentComboBox->currentData();
    query.InstrumentId =
        instrument.isValid() ? std::optional<std::int64_t>(instrument.toLongLong()) : std::nullopt;
    query.From = RangeText(*page.fromEdit);
    query.To = RangeText(*page.toEdit);
    return query;
}

void TArchiveController::ShowCount() {
    if (!FRows) {
        return;
    }
    if (const std::optional<std::string> error = FRows->TakeError()) {
        FParts.Page.countLabel->setText(ToQString(*error));
        return;
    }
    FParts.Page.countLabel->setText(QStringLiteral("%1 records").arg(FRows->Count()));
}

void TArchiveController::showButtonClick() {
    if (!FRows) {
        Reload();
        return;
    }
    // Show reads the range again: other programs may have added to it.
    FTableTrend.reset();
    ShowRange();
    FParts.Page.archiveTrendsView->Invalidate();
    ShowCount();
    emit rangeShown();
}

void TArchiveController::archiveFileButtonClick() {
    TFileDialogOptions options;
    options.Title = QStringLiteral("Archive File");
    options.Directory = QFileInfo(ToQString(FLocation.Path)).absolutePath();
    options.FileName = ToQString(FLocation.Path);
    options.Filter = QStringLiteral("Archive (*.sqlite);;All Files (*)");
    options.DefaultSuffix = QStringLiteral("sqlite");
    const QString chosen = FParts.Dialogs.GetSaveFileName(options);
    if (chosen.isEmpty()) {
        return;
    }
    const std::optional<TArchiveLocation> location = ParseArchiveLocation(chosen.toStdString());
    if (location && SetLocation(*location)) {
        FParts.Settings.SetArchiveFile(chosen);
    }
}

void TArchiveController::archiveExportButtonClick() {
    if (!FExport) {
        FParts.Dialogs.ShowError(ToQString(EmptyListMessage));
        return;
    }
    FExport->expButtonXLSClick(FParts.Page.archiveExportComboBox->currentIndex(), true);
    ShowCount();
}

// --- TDownloadArchive ------------------------------------------------------------------------

void TArchiveController::DownloadStarted(TDownloadKind kind, const std::string& request) {
    const auto wait = [](std::int32_t ms) { PumpWait(ms); };
    const TInstrumentDescription instrument =
        IdentifyInstrument(FParts.Client, FParts.Connection, std::string(), wait);
    FRecorder->SetInstrument(instrument);
    FLastInstrument = instrument;
    FRecorder->SetLineSettings(DescribeLine(FParts.Connection, FParts.Client.ServerAddress()));
    FParts.Log.AddLogLine("Archive: " + FLocation.Text);
    FParts.Log.AddLogLine(InstrumentLogLine(instrument));
    FRecorder->DownloadStarted(kind, request);
    // The Data tab's download, as its report shows it.
    FLastDownload = TDownloadRecord{};
    FLastDownload->Kind = TArchiveRecorder::KindText(kind);
    FLastDownload->Request = request;
    FLastDownload->StartedAt = UtcNow();
    FLastDownload->UserName = CurrentUserName();
    FLastDownload->HostName = CurrentHostName();
}

void TArchiveController::RecordRead(const std::vector<std::uint16_t>& registers) {
    FRecorder->RecordRead(registers);
}

void TArchiveController::DownloadEnded(TDownloadOutcome outcome, std::int64_t recordsReceived) {
    FRecorder->DownloadEnded(outcome, recordsReceived);
    if (FLastDownload) {
        FLastDownload->EndedAt = UtcNow();
        FLastDownload->Outcome = TArchiveRecorder::OutcomeText(outcome);
        FLastDownload->RecordsReceived = recordsReceived;
    }
    emit downloadFinished();
    // The tab shows what the download added, once the engine is done.
    if (TabShown()) {
        QTimer::singleShot(0, this, [this] { Reload(); });
    }
}

TNewRecordsWindow TArchiveController::PlanNewRecords(std::int32_t current,
                                                     std::int32_t fallbackCount,
                                                     const TBlockReader& read) {
    return FRecorder->PlanNewRecords(current, fallbackCount, read);
}

std::optional<std::string> TArchiveController::TakeFailure() {
    return FRecorder->TakeFailure();
}

// --- TExportHost -----------------------------------------------------------------------------

void TArchiveController::ShowExportError(const std::string& text) {
    FParts.Dialogs.ShowError(ToQString(text));
}

std::optional<std::string> TArchiveController::ChooseExportFile(const TSaveDialogParams& params) {
    return Sondrel::ChooseExportFile(FParts.Dialogs, params);
}

void TArchiveController::SetExportBusy(bool busy) {
    TArchivePage& page = FParts.Page;
    for (QWidget* control :
         {static_cast<QWidget*>(page.archiveExportButton), static_cast<QWidget*>(page.showButton),
          static_cast<QWidget*>(page.archiveFileButton)}) {
        control->setEnabled(!busy);
    }
    if (busy) {
        page.countLabel->setText(QStringLiteral("Exporting data... Please wait..."));
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void TArchiveController::ShowExportDone(const std::string& line) {
    FParts.Log.AddLogLine(line);
}

void TArchiveController::ShowExportProgress(std::int32_t written, std::int32_t total) {
    FParts.Page.countLabel->setText(
        QStringLiteral("Exporting data... %1 of %2 records").arg(written).arg(total));
    // Keeps the window painting while a large export runs.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace Sondrel
