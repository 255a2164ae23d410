// The limits in the window: set in the Limits dialog and kept in the limits file, the records
// beyond them marked in the Archive tab's table (through a sort in the database too), the
// excursions listed, and an acknowledgement stored in the archive and shown again after the
// window restarts.
#include "SimulatorChild.h"
#include "SimulatorWindowFixture.h"
#include "WindowFixture.h"

#include "TrendTestSupport.h"

#include "AcknowledgeDialog.h"
#include "ArchiveController.h"
#include "ArchivePage.h"
#include "DownloadController.h"
#include "ExcursionsPanel.h"
#include "LimitsController.h"
#include "LimitsDialog.h"
#include "LimitsFile.h"
#include "LogDataPage.h"
#include "SqliteArchive.h"
#include "ui_LogDataPage.h"

#include <QBrush>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>

namespace {

using namespace ConsoleTest;
using namespace Sondrel;

constexpr const char* kIdentity = "server id 01:LC-1";
constexpr int kCounts1Column = 3;

class LimitsWindow : public WindowFixture {
protected:
    // Instrument "LC-1": records a minute apart from 2024-01-01 00:00 with these Counts 1.
    // The ten to begin with are beyond 100 at records 2..4 and 7, beyond 200 at 3 and 7.
    void WriteArchive(const std::vector<std::uint32_t>& counts = {10, 150, 250, 120, 10, 10, 300,
                                                                  10, 10, 10}) {
        TSqliteArchive archive(ArchivePath(), ArchivePath());
        InstrumentId = archive.EnsureInstrument({kIdentity, "LC-1", "01", "/dev/null", 1});
        const std::vector<TArchivedRecord> records = TrendTest::ArchivedRecords(TrendTest::Minutely(
            counts.size(), 0,
            [&counts](std::size_t i, TrendTest::TSample& sample) { sample.Counts1 = counts[i]; }));
        TDownloadRecord download;
        download.InstrumentId = InstrumentId;
        download.Kind = kDownloadRecent;
        archive.AddRecords(InstrumentId, archive.BeginDownload(download), records);
    }
    void WriteLimits() {
        TInstrumentLimits limits;
        limits.Of(TTrendSeries::Counts1).Set(TLimitKind::AlertHigh, 100);
        limits.Of(TTrendSeries::Counts1).Set(TLimitKind::ActionHigh, 200);
        TLimitsFile(LimitsPath()).Write(kIdentity, limits);
    }

    TArchivePage& Page() { return Window().ArchivePage(); }
    TExcursionsPanel& Panel() {
        return *Page().findChild<TExcursionsPanel*>(QStringLiteral("archiveLimitsPanel"));
    }
    // The Archive tab on instrument LC-1, its limits and excursions shown.
    void ShowInstrument() {
        Ui().DataPageControl->setCurrentWidget(&Page());
        ASSERT_GE(Page().instrumentComboBox->count(), 2);
        Page().instrumentComboBox->setCurrentIndex(1);
        Page().showButton->click();
        Settle();
    }
    void Settle() {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents();
        }
    }
    // "alert", "action" or "none" of a view row of the archive table, by its background.
    QString MarkOf(int row) {
        const QAbstractItemModel& model = *Page().archiveListView->model();
        const QVariant brush = model.data(model.index(row, 5), Qt::BackgroundRole);
        if (!brush.isValid()) {
            return QStringLiteral("none");
        }
        const QColor colour = brush.value<QBrush>().color();
        return colour.green() > colour.blue() + 40 ? QStringLiteral("alert")
                                                   : QStringLiteral("action");
    }
    QString Counts1(int row) {
        const QAbstractItemModel& model = *Page().archiveListView->model();
        return model.data(model.index(row, kCounts1Column)).toString();
    }
    QString Excursion(int row, int column) {
        const QTableWidgetItem* item = Panel().excursionsView->item(row, column);
        return item != nullptr ? item->text() : QString();
    }

    std::int64_t InstrumentId = 0;
};

} // namespace

TEST_F(LimitsWindow, LimitsSetInTheDialogAreKeptMarkTheirRecordsAndComeBack) {
    WriteArchive();
    Start();
    ShowInstrument();
    EXPECT_EQ(Panel().limitsStatusLabel->text(), QStringLiteral("No limits set for LC-1."));
    EXPECT_EQ(MarkOf(2), QStringLiteral("none"));

    QString refusal;
    Dialogs.DialogAnswers.push_back([&](QDialog& dialog) -> int {
        auto& limits = dynamic_cast<TLimitsDialog&>(dialog);
        // An alert limit above its action limit is refused, naming the series.
        limits.limitsTable->item(0, 0)->setText(QStringLiteral("300"));
        limits.limitsTable->item(0, 1)->setText(QStringLiteral("200"));
        limits.accept();
        refusal = limits.problemLabel->text();
        if (limits.result() == QDialog::Accepted) {
            return QDialog::Accepted;
        }
        limits.limitsTable->item(0, 0)->setText(QStringLiteral(" 100 "));
        limits.accept();
        return limits.result();
    });
    Panel().limitsButton->click();
    Settle();
    EXPECT_TRUE(refusal.startsWith(QStringLiteral("Cnts 1: the alert high limit 300 is above")))
        << refusal.toStdString();

    const TInstrumentLimits stored = TLimitsFile(LimitsPath()).Read(kIdentity).Limits;
    EXPECT_EQ(stored.Of(TTrendSeries::Counts1).Of(TLimitKind::AlertHigh), 100.0);
    EXPECT_EQ(stored.Of(TTrendSeries::Counts1).Of(TLimitKind::ActionHigh), 200.0);
    EXPECT_FALSE(stored.Of(TTrendSeries::Counts1).Of(TLimitKind::AlertLow));

    // In date-time order: records 2 and 4 alert, 3 and 7 action.
    const std::vector<QString> byTime = {"none", "alert",  "action", "alert", "none",
                                         "none", "action", "none",   "none",  "none"};
    for (int row = 0; row < 10; ++row) {
        EXPECT_EQ(MarkOf(row), byTime[static_cast<std::size_t>(row)]) << row;
    }
    // Sorted by Counts 1 in the database, highest first: 300, 250 action, 150, 120 alert.
    Page().archiveListView->sortByColumn(kCounts1Column, Qt::DescendingOrder);
    Settle();
    ASSERT_EQ(Counts1(0), QStringLiteral("300"));
    ASSERT_EQ(Counts1(3), QStringLiteral("120"));
    const std::vector<QString> byCounts = {"action", "action", "alert", "alert", "none"};
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(MarkOf(row), byCounts[static_cast<std::size_t>(row)]) << row;
    }

    // A new window shows them in the dialog again.
    Windows.reset();
    Start();
    ShowInstrument();
    QStringList cells;
    Dialogs.DialogAnswers.push_back([&](QDialog& dialog) -> int {
        auto& limits = dynamic_cast<TLimitsDialog&>(dialog);
        for (int column = 0; column < 4; ++column) {
            cells << limits.limitsTable->item(0, column)->text();
        }
        return QDialog::Rejected;
    });
    Panel().limitsButton->click();
    EXPECT_EQ(cells, (QStringList{"100", "200", "", ""}));
}

TEST_F(LimitsWindow, ExcursionsAreListedAndAnAcknowledgementIsKeptInTheArchive) {
    WriteArchive();
    WriteLimits();
    Start();
    ShowInstrument();
    QTableWidget& view = *Panel().excursionsView;
    ASSERT_EQ(view.rowCount(), 4);
    EXPECT_EQ(Panel().limitsStatusLabel->text(),
              QStringLiteral("LC-1: 4 excursions beyond the limits."));
    using P = TExcursionsPanel;
    EXPECT_EQ(Excursion(0, P::StartColumn), QStringLiteral("2024-01-01 00:01"));
    EXPECT_EQ(Excursion(0, P::EndColumn), QStringLiteral("2024-01-01 00:03"));
    EXPECT_EQ(Excursion(0, P::SeriesColumn), QStringLiteral("Cnts 1"));
    EXPECT_EQ(Excursion(0, P::PeakColumn), QStringLiteral("250"));
    EXPECT_EQ(Excursion(0, P::KindColumn), QStringLiteral("alert high"));
    EXPECT_EQ(Excursion(1, P::KindColumn), QStringLiteral("action high"));
    EXPECT_EQ(Excursion(3, P::StartColumn), QStringLiteral("2024-01-01 00:06"));
    EXPECT_EQ(Excursion(3, P::ByColumn), QString());
    EXPECT_FALSE(Panel().acknowledgeButton->isEnabled());

    view.selectRow(1);
    ASSERT_TRUE(Panel().acknowledgeButton->isEnabled());
    Dialogs.DialogAnswers.push_back([](QDialog& dialog) -> int {
        auto& ack = dynamic_cast<TAcknowledgeDialog&>(dialog);
        EXPECT_FALSE(ack.whoEdit->text().isEmpty()) << "the login name to begin with";
        ack.whoEdit->setText(QStringLiteral("Zoë"));
        ack.commentEdit->setPlainText(QStringLiteral("filter changed\nrechecked"));
        ack.accept();
        return ack.result();
    });
    Panel().acknowledgeButton->click();
    Settle();
    EXPECT_EQ(Excursion(1, P::ByColumn), QStringLiteral("Zoë"));
    EXPECT_EQ(Excursion(1, P::CommentColumn), QStringLiteral("filter changed\nrechecked"));
    EXPECT_EQ(Excursion(0, P::ByColumn), QString());

    // In the archive, as another program reads it.
    {
        TSqliteArchiveOptions readOnly;
        readOnly.ReadOnly = true;
        const auto acks = TSqliteArchive(ArchivePath(), ArchivePath(), readOnly)
                              .ExcursionAcks(InstrumentId, "", "");
        ASSERT_EQ(acks.size(), 1U);
        EXPECT_EQ(acks[0].Series, "counts1");
        EXPECT_EQ(acks[0].LimitKind, "action high");
        EXPECT_EQ(acks[0].StartedAt, "2024-01-01 00:02");
        EXPECT_EQ(acks[0].AcknowledgedBy, "Zoë");
    }

    // Double-clicking an excursion selects its first record: record 7 for the one at 00:06.
    emit view.cellDoubleClicked(3, 0);
    const QModelIndexList selected = Page().archiveListView->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].row(), 6);

    // A new window shows the acknowledgement again.
    Windows.reset();
    Start();
    ShowInstrument();
    ASSERT_EQ(Panel().excursionsView->rowCount(), 4);
    EXPECT_EQ(Excursion(1, P::ByColumn), QStringLiteral("Zoë"));
}

TEST_F(LimitsWindow, AllInstrumentsOrNoDownloadSayWhyThereAreNoLimits) {
    WriteArchive();
    WriteLimits();
    Start();
    Ui().DataPageControl->setCurrentWidget(&Page());
    Settle();
    // "All instruments" is chosen: no instrument's limits, no marks.
    EXPECT_EQ(Panel().limitsStatusLabel->text(),
              QStringLiteral("Choose an instrument to see its limits and excursions."));
    EXPECT_FALSE(Panel().limitsButton->isEnabled());
    EXPECT_EQ(MarkOf(2), QStringLiteral("none"));
    EXPECT_EQ(Panel().excursionsView->rowCount(), 0);
    // The Data tab before any download.
    auto* data = Window().findChild<TExcursionsPanel*>(QStringLiteral("dataLimitsPanel"));
    ASSERT_NE(data, nullptr);
    EXPECT_FALSE(data->limitsButton->isEnabled());
    EXPECT_TRUE(data->limitsStatusLabel->text().contains(QStringLiteral("downloaded")));
}

TEST_F(LimitsWindow, ALongRangeIsReadWithItsProgressAndAReloadMeanwhileWaitsForTheRead) {
    // Ten thousand records, more than two pages of the read: a spike to 250 every thousand.
    std::vector<std::uint32_t> counts(10000, 10);
    for (std::size_t i = 500; i < counts.size(); i += 1000) {
        counts[i] = 250;
    }
    WriteArchive(counts);
    WriteLimits();
    Start();
    ShowInstrument();
    EXPECT_EQ(Panel().limitsStatusLabel->text(),
              QStringLiteral("LC-1: 20 excursions beyond the limits."));

    // A sort reads the range again for the marks, with its progress on the count line. A timer
    // due meanwhile (here one that reads the tab again, as a download's end does, and asks for
    // new marks) fires during the read: the reload waits for the read, the new marks come after.
    // The timer is started by an event queued just before the marks' refresh, so that it falls
    // due while the refresh reads.
    QString countLine;
    QMetaObject::invokeMethod(
        &Window(),
        [&] {
            QTimer::singleShot(1, &Window(), [&] {
                countLine = Page().countLabel->text();
                Window().Archive().Reload();
                Window().ArchiveLimits().ScheduleRefresh();
            });
        },
        Qt::QueuedConnection);
    Page().archiveListView->sortByColumn(kCounts1Column, Qt::DescendingOrder);
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(countLine.startsWith(QStringLiteral("Reading the trend... ")) &&
                countLine.endsWith(QStringLiteral(" of 10000 records")))
        << countLine.toStdString();
    // The reload came after the read, kept the order, and the marks follow it.
    EXPECT_EQ(Page().countLabel->text(), QStringLiteral("10000 records"));
    ASSERT_EQ(Counts1(0), QStringLiteral("250"));
    for (int row = 0; row < 12; ++row) {
        EXPECT_EQ(MarkOf(row), row < 10 ? QStringLiteral("action") : QStringLiteral("none")) << row;
    }
    EXPECT_EQ(Panel().limitsStatusLabel->text(),
              QStringLiteral("LC-1: 20 excursions beyond the limits."));
}

namespace {

class LimitsDownloadWindow : public SimulatorWindowFixture {};

} // namespace

TEST_F(LimitsDownloadWindow, DownloadedRecordsBeyondTheInstrumentsLimitAreMarkedThroughASort) {
    const E2eTests::SimulatedLog log(TenRecordInstrument());
    const std::string port = StartSimulator(log);
    ASSERT_FALSE(port.empty());
    ASSERT_TRUE(StartConnected(port)) << Dialogs.Errors.join(';').toStdString();
    auto& page = Window().LogDataPage().Form();
    page.recentRadioButton->setChecked(true);
    page.recordsEdit->setText(QStringLiteral("10"));
    page.intervalEdit->setText(QStringLiteral("1"));
    page.startButton->click();
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
    }
    TRecordListModel& model = Window().Download().Model();
    ASSERT_EQ(model.rowCount(), 10);
    auto* panel = Window().findChild<TExcursionsPanel*>(QStringLiteral("dataLimitsPanel"));
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(panel->limitsButton->isEnabled()) << panel->limitsStatusLabel->text().toStdString();
    const auto counts = [&model](int row) {
        return model.data(model.index(row, kCounts1Column)).toString().toLongLong();
    };
    std::vector<long long> sorted;
    for (int row = 0; row < model.rowCount(); ++row) {
        sorted.push_back(counts(row));
    }
    std::sort(sorted.begin(), sorted.end());
    const long long limit = sorted[5];
    ASSERT_LT(limit, sorted.back()) << "some records beyond it";

    Dialogs.DialogAnswers.push_back([limit](QDialog& dialog) -> int {
        auto& limits = dynamic_cast<TLimitsDialog&>(dialog);
        limits.limitsTable->item(0, 0)->setText(QString::number(limit));
        limits.accept();
        return limits.result();
    });
    panel->limitsButton->click();
    // Kept under the identity that the archive knows the instrument by.
    const auto& instrument = Window().Archive().LastInstrument();
    ASSERT_TRUE(instrument);
    EXPECT_EQ(TLimitsFile(LimitsPath())
                  .Read(instrument->Identity)
                  .Limits.Of(TTrendSeries::Counts1)
                  .Of(TLimitKind::AlertHigh),
              static_cast<double>(limit));

    const auto checkMarks = [&](const char* when) {
        int marked = 0;
        for (int row = 0; row < model.rowCount(); ++row) {
            const bool beyond = counts(row) > limit;
            const QVariant brush = model.data(model.index(row, 8), Qt::BackgroundRole);
            EXPECT_EQ(brush.isValid(), beyond) << when << ", row " << row << ": " << counts(row);
            marked += brush.isValid() ? 1 : 0;
        }
        EXPECT_GT(marked, 0) << when;
    };
    checkMarks("in record order");
    model.sort(kCounts1Column, Qt::DescendingOrder);
    ASSERT_GT(counts(0), limit);
    checkMarks("sorted by Cnts 1");
    EXPECT_GT(panel->excursionsView->rowCount(), 0);
    // The download is in the archive: its excursions can be acknowledged.
    panel->excursionsView->selectRow(0);
    EXPECT_TRUE(panel->acknowledgeButton->isEnabled());
}
