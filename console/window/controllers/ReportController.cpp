#include "ReportController.h"

#include "ArchiveController.h"
#include "ArchiveError.h"
#include "DialogService.h"
#include "LimitsFile.h"
#include "RecordList.h"
#include "ReportChart.h"
#include "ReportDialog.h"
#include "ReportWriter.h"
#include "TransactionLog.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QPushButton>
#include <QStandardPaths>

#include <stdexcept>

namespace Sondrel {

namespace {

// The wait cursor while a report is written, restored however the writing ends.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

QString ProposedFile() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(folder.isEmpty() ? QDir::homePath() : folder)
        .filePath("Trend report " + QDateTime::currentDateTime().toString("yyyy-MM-dd hh-mm") +
                  ".pdf");
}

} // namespace

TReportController::TReportController(TReportParts parts, QObject* parent)
    : QObject(parent), FParts(std::move(parts)) {
    connect(&FParts.ArchiveReportButton, &QPushButton::clicked, this,
            [this] { archiveReportButtonClick(); });
    connect(&FParts.DataReportButton, &QPushButton::clicked, this,
            [this] { dataReportButtonClick(); });
}

void TReportController::archiveReportButtonClick() {
    IArchiveStore* store = FParts.Archive.Reader();
    if (store == nullptr) {
        FParts.Dialogs.ShowError("The archive cannot be read: there is nothing to report.");
        return;
    }
    const TRecordQuery shown = FParts.Archive.ShownQuery();
    std::optional<TInstrumentSummary> instrument;
    try {
        for (const TInstrumentSummary& candidate : store->Instruments()) {
            // The instrument shown, or the only one when all are shown.
            if (shown.InstrumentId ? candidate.Id == *shown.InstrumentId : !instrument) {
                instrument = candidate;
            } else if (!shown.InstrumentId) {
                FParts.Dialogs.ShowError("Choose the instrument of the report.");
                return;
            }
        }
    } catch (const EArchiveError& e) {
        FParts.Dialogs.ShowError(QString::fromStdString(e.what()));
        return;
    }
    if (!instrument) {
        FParts.Dialogs.ShowError("The archive holds no instrument: there is nothing to report.");
        return;
    }
    Run([&](const std::vector<TSeriesGroup>& groups) {
        TArchiveReportRequest request;
        request.InstrumentId = instrument->Id;
        request.From = shown.From;
        request.To = shown.To;
        request.Limits = LimitsOf(instrument->Identity);
        request.Groups = groups;
        return ArchiveReportContent(*store, request);
    });
}

void TReportController::dataReportButtonClick() {
    if (FParts.Records.Count() == 0) {
        FParts.Dialogs.ShowError("There are no records to report: download them first.");
        return;
    }
    Run([this](const std::vector<TSeriesGroup>& groups) {
        const TInstrumentDescription i =
            FParts.Archive.LastInstrument().value_or(TInstrumentDescription{});
        return RecordListReportContent(FParts.Records, {i.Name, i.Identity, i.Port, i.Address},
                                       FParts.Archive.LastDownload(), LimitsOf(i.Identity), groups);
    });
}

void TReportController::Run(
    const std::function<TReportContent(const std::vector<TSeriesGroup>&)>& content) {
    TReportDialog dialog(FParts.Dialogs, ProposedFile(), &FParts.Window);
    if (FParts.Dialogs.ExecDialog(dialog) != QDialog::Accepted) {
        return;
    }
    int pages = 0;
    try {
        TWaitCursor wait;
        pages = TReportWriter(ReportChartImage).Write(content(dialog.Groups()), dialog.File());
    } catch (const std::exception& e) {
        // EReportError names the file; EArchiveError the archive.
        FParts.Dialogs.ShowError(QString::fromStdString(e.what()));
        return;
    }
    const QString done = QString("Wrote the report to %1 (%2 %3).")
                             .arg(dialog.File())
                             .arg(pages)
                             .arg(pages == 1 ? "page" : "pages");
    FParts.Log.AddLogLine(done.toStdString());
    FParts.Dialogs.ShowInformation("Report", done);
}

TInstrumentLimits TReportController::LimitsOf(const std::string& identity) const {
    // An instrument that did not say who it is has no limits. A file that cannot be read
    // raises, and the report is not written.
    return identity.empty() ? TInstrumentLimits{}
                            : TLimitsFile(FParts.LimitsPath).Read(identity).Limits;
}

} // namespace Sondrel
