#include "LimitsController.h"

#include "AcknowledgeDialog.h"
#include "ExcursionsPanel.h"
#include "LimitsDialog.h"

#include "ArchiveError.h"
#include "ConsoleFileError.h"
#include "DialogService.h"
#include "LimitsEditing.h"
#include "LimitsFile.h"
#include "OpenArchive.h"
#include "SystemNames.h"

#include <QAbstractItemModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>

#include <map>
#include <tuple>

namespace Sondrel {

namespace {

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

using TAckKey = std::tuple<std::string, std::string, std::string>;

TAckKey KeyOf(const TExcursion& e) {
    return {SeriesKey(e.Series), LimitKindKey(e.Kind), e.Start()};
}

} // namespace

std::vector<TRowMark> RowMarksOf(const TTrendData& data, const TInstrumentLimits& limits,
                                 std::int32_t rowCount) {
    std::vector<TRowMark> marks(static_cast<std::size_t>(std::max(0, rowCount)), TRowMark::None);
    for (std::size_t i = 0; i < data.PointCount(); ++i) {
        const std::int32_t row = data.Rows[i];
        if (row < 0 || row >= rowCount) {
            continue;
        }
        TRowMark worst = TRowMark::None;
        for (const TTrendSeries series : AllTrendSeries()) {
            if (const auto kind = limits.Of(series).WorstBeyond(data.Of(series)[i])) {
                worst = std::max(worst, IsActionLimit(*kind) ? TRowMark::Action : TRowMark::Alert);
            }
        }
        marks[static_cast<std::size_t>(row)] = worst;
    }
    return marks;
}

TLimitsController::TLimitsController(TExcursionsPanel& panel, TLimitsSource source,
                                     IDialogService& dialogs, std::filesystem::path limitsFile,
                                     QObject* parent)
    : QObject(parent), FPanel(panel), FSource(std::move(source)), FDialogs(dialogs),
      FLimitsFile(std::move(limitsFile)) {
    connect(FPanel.limitsButton, &QPushButton::clicked, this, [this] { limitsButtonClick(); });
    connect(FPanel.acknowledgeButton, &QPushButton::clicked, this,
            [this] { acknowledgeButtonClick(); });
    connect(FPanel.excursionsView, &QTableWidget::itemSelectionChanged, this,
            [this] { EnableAcknowledge(); });
    connect(FPanel.excursionsView, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { excursionsViewDoubleClick(row); });
    Refresh();
}

void TLimitsController::ScheduleRefresh() {
    if (FRefreshPending) {
        return;
    }
    FRefreshPending = true;
    QTimer::singleShot(0, this, [this] { Refresh(); });
}

void TLimitsController::WatchModel() {
    TRecordListModel* model = FSource.Model();
    if (model == FWatched) {
        return;
    }
    disconnect(FWatch);
    FWatched = model;
    if (model != nullptr) {
        FWatch =
            connect(model, &QAbstractItemModel::modelReset, this, [this] { ScheduleRefresh(); });
    }
}

void TLimitsController::Refresh() {
    FRefreshPending = false;
    // The source's read may keep the window painting (and so handling timers and queued
    // signals): a Refresh asked for meanwhile comes once this one is done.
    if (FRefreshing) {
        FRefreshAgain = true;
        return;
    }
    FRefreshing = true;
    Update();
    FRefreshing = false;
    if (FRefreshAgain) {
        FRefreshAgain = false;
        ScheduleRefresh();
    }
}

void TLimitsController::Update() {
    WatchModel();
    QString why;
    FSubject = FSource.Subject(why);
    FLimits = {};
    FData = std::make_shared<const TTrendData>();
    FExcursions.clear();
    QString status;
    if (FSubject) {
        const TLimitsRead read = TLimitsFile(FLimitsFile).Read(FSubject->Identity);
        FLimits = read.Limits;
        if (!read.Problems.empty()) {
            status = QStringLiteral(" (the limits file has values that are not numbers: %1)")
                         .arg(ToQString(read.Problems.front()));
        }
    }
    FPanel.limitsButton->setEnabled(FSubject.has_value());
    std::vector<TExcursionAck> acks;
    if (FSubject && FLimits.Any()) {
        if (auto data = FSource.Data()) {
            FData = std::move(data);
        }
        FExcursions = FindExcursions(*FData, FLimits);
        const auto archive = FSource.Archive();
        if (FSubject->InstrumentId && archive && !FExcursions.empty()) {
            try {
                TArchiveOpenOptions options;
                options.ReadOnly = true;
                acks = OpenArchive(*archive, options)
                           ->ExcursionAcks(FSubject->InstrumentId, FExcursions.front().Start(),
                                           FExcursions.back().Start());
            } catch (const EArchiveError& e) {
                if (e.Fault() != afMissing) {
                    status +=
                        QStringLiteral(" (acknowledgements not read: %1)").arg(ToQString(e.what()));
                }
            }
        }
    }
    if (TRecordListModel* model = FSource.Model(); model != nullptr) {
        model->SetRowMarks(RowMarksOf(*FData, FLimits, model->rowCount()));
    }
    ShowExcursions(acks);
    if (!FSubject) {
        FPanel.limitsStatusLabel->setText(why);
    } else if (!FLimits.Any()) {
        FPanel.limitsStatusLabel->setText(
            QStringLiteral("No limits set for %1.").arg(FSubject->Name) + status);
    } else {
        FPanel.limitsStatusLabel->setText(QStringLiteral("%1: %2 excursions beyond the limits.")
                                              .arg(FSubject->Name)
                                              .arg(FExcursions.size()) +
                                          status);
    }
    emit limitsChanged(FLimits);
}

void TLimitsController::ShowExcursions(const std::vector<TExcursionAck>& acks) {
    std::map<TAckKey, const TExcursionAck*> byKey;
    for (const TExcursionAck& ack : acks) {
        byKey[{ack.Series, ack.LimitKind, ack.StartedAt}] = &ack;
    }
    QTableWidget& view = *FPanel.excursionsView;
    view.clearContents();
    view.setRowCount(static_cast<int>(FExcursions.size()));
    for (std::size_t i = 0; i < FExcursions.size(); ++i) {
        const TExcursion& e = FExcursions[i];
        const auto found = byKey.find(KeyOf(e));
        const TExcursionAck* ack = found != byKey.end() ? found->second : nullptr;
        const QString texts[TExcursionsPanel::ColumnCount] = {
            ToQString(e.Start()),
            ToQString(e.End()),
            ToQString(SeriesName(e.Series)),
            ToQString(LimitValueText(e.Peak)),
            ToQString(LimitKindKey(e.Kind)),
            ToQString(LimitValueText(e.Limit)),
            ack != nullptr ? ToQString(ack->AcknowledgedBy) : QString(),
            ack != nullptr ? ToQString(ack->AcknowledgedAt) : QString(),
            ack != nullptr ? ToQString(ack->Comment) : QString(),
        };
        for (int column = 0; column < TExcursionsPanel::ColumnCount; ++column) {
            view.setItem(static_cast<int>(i), column, new QTableWidgetItem(texts[column]));
        }
    }
    EnableAcknowledge();
}

void TLimitsController::EnableAcknowledge() {
    const int row = FPanel.excursionsView->currentRow();
    const bool selected = !FPanel.excursionsView->selectedItems().isEmpty() && row >= 0 &&
                          row < static_cast<int>(FExcursions.size());
    FPanel.acknowledgeButton->setEnabled(selected && FSubject && FSubject->InstrumentId &&
                                         FSource.Archive().has_value());
}

QString TLimitsController::ExcursionText(const TExcursion& e) const {
    return QStringLiteral("%1, %2 beyond the %3 limit %4 from %5 to %6 (peak %7)")
        .arg(FSubject ? FSubject->Name : QString(), ToQString(SeriesName(e.Series)),
             ToQString(LimitKindKey(e.Kind)), ToQString(LimitValueText(e.Limit)),
             ToQString(e.Start()), ToQString(e.End()), ToQString(LimitValueText(e.Peak)));
}

void TLimitsController::limitsButtonClick() {
    if (!FSubject) {
        return;
    }
    TLimitsDialog dialog(FSubject->Name, FLimits, FPanel.window());
    if (FDialogs.ExecDialog(dialog) != QDialog::Accepted) {
        return;
    }
    try {
        TLimitsFile(FLimitsFile).Write(FSubject->Identity, dialog.Limits());
    } catch (const EConsoleFileError& e) {
        FDialogs.ShowError(ToQString(e.what()));
        return;
    } catch (const std::invalid_argument& e) {
        FDialogs.ShowError(ToQString(e.what()));
        return;
    }
    Refresh();
    emit limitsSaved();
}

void TLimitsController::acknowledgeButtonClick() {
    const int row = FPanel.excursionsView->currentRow();
    const auto archive = FSource.Archive();
    if (row < 0 || row >= static_cast<int>(FExcursions.size()) || !FSubject ||
        !FSubject->InstrumentId || !archive) {
        return;
    }
    const TExcursion excursion = FExcursions[static_cast<std::size_t>(row)];
    TAcknowledgeDialog dialog(ExcursionText(excursion), ToQString(CurrentUserName()),
                              FPanel.window());
    if (FDialogs.ExecDialog(dialog) != QDialog::Accepted) {
        return;
    }
    TExcursionAck ack;
    ack.InstrumentId = *FSubject->InstrumentId;
    ack.Series = SeriesKey(excursion.Series);
    ack.LimitKind = LimitKindKey(excursion.Kind);
    ack.StartedAt = excursion.Start();
    ack.AcknowledgedBy = dialog.Who().toStdString();
    ack.AcknowledgedAt = UtcNow();
    ack.Comment = dialog.Comment().toStdString();
    try {
        OpenArchive(*archive)->AcknowledgeExcursion(ack);
    } catch (const EArchiveError& e) {
        FDialogs.ShowError(ToQString(e.what()));
        return;
    }
    Refresh();
    FPanel.excursionsView->selectRow(row);
}

void TLimitsController::excursionsViewDoubleClick(int row) {
    TRecordListModel* model = FSource.Model();
    if (model == nullptr || FSource.View == nullptr || row < 0 ||
        row >= static_cast<int>(FExcursions.size())) {
        return;
    }
    const std::size_t point = FExcursions[static_cast<std::size_t>(row)].FirstPoint;
    if (point >= FData->Rows.size()) {
        return;
    }
    const std::int32_t listRow = FData->Rows[point];
    for (int viewRow = 0; viewRow < model->rowCount(); ++viewRow) {
        if (model->ListRow(viewRow) == listRow) {
            FSource.View->selectRow(viewRow);
            FSource.View->scrollTo(model->index(viewRow, 0));
            return;
        }
    }
}

} // namespace Sondrel
