// The window's Trends tabs: beside the Data tab's record table, the records of a download
// from sondrel-sim, built only once the tab is shown; beside the Archive tab's table, the
// archive range the operator shows.
#include "WindowFixture.h"

#include "ArchiveTestSupport.h"
#include "SimulatorChild.h"

#include "ArchivePage.h"
#include "DemoInstrument.h"
#include "DownloadController.h"
#include "LimitsFile.h"
#include "LogDataPage.h"
#include "RecordListModel.h"
#include "SqliteArchive.h"
#include "TrendsView.h"
#include "ui_LogDataPage.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <algorithm>

namespace {

using namespace ConsoleTest;

class TrendsWindow : public WindowFixture {
protected:
    template <typename T>
    T& Named(const char* name) {
        T* widget = Window().findChild<T*>(QLatin1String(name));
        if (!widget) {
            throw std::runtime_error(std::string("no ") + name);
        }
        return *widget;
    }
    // The window on the (offscreen) screen, as the program shows it: a view builds its trend
    // only when it is in sight.
    void StartShown() {
        Start();
        Window().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window()));
    }
    std::size_t Points(const Sondrel::TTrendsView& view) {
        return view.Data() ? view.Data()->PointCount() : 0;
    }
};

TEST_F(TrendsWindow, TheDataTabsTrendsShowTheDownloadedRecordsOnceShown) {
    const E2eTests::SimulatedLog log(TenRecordInstrument());
    TSimulatorChild simulator(log);
    StartShown();
    auto& tabs = Named<QTabWidget>("logDataViewTabs");
    auto& trends = Named<Sondrel::TTrendsView>("logDataTrendsView");
    EXPECT_EQ(&Window().LogDataTrendsView(), &trends);
    EXPECT_EQ(tabs.tabText(0), "Table");
    EXPECT_EQ(tabs.tabText(1), "Trends");
    EXPECT_TRUE(Ui().logListView->isVisibleTo(&tabs));

    Sondrel::UseDemoInstrument(Window(), QString::fromStdString(simulator.Port));
    Window().Connect1Click();
    ASSERT_TRUE(Window().ModbusConnection1.Active()) << Dialogs.Errors.join(';').toStdString();
    Ui::TLogDataPage& page = Window().LogDataPage().Form();
    page.recentRadioButton->setChecked(true);
    page.recordsEdit->setText(QStringLiteral("10"));
    page.intervalEdit->setText(QStringLiteral("1"));
    page.startButton->click();
    ASSERT_EQ(Window().Download().Model().rowCount(), 10) << Dialogs.Errors.join(';').toStdString();
    // Not looked at, not built.
    EXPECT_EQ(Points(trends), 0U);

    tabs.setCurrentWidget(&trends);
    ASSERT_TRUE(trends.isVisible());
    ASSERT_TRUE(trends.Data());
    EXPECT_EQ(static_cast<std::int32_t>(trends.Data()->PointCount()) + trends.Data()->LeftOut, 10);
    EXPECT_GT(Points(trends), 0U);
    EXPECT_EQ(trends.findChild<QLabel*>("recordCountLabel")->text().left(10), "10 records");
    // The rows are the table's: the cursor reads the row's date-time as the table shows it.
    const Sondrel::TRecordList& list = Window().Download().Engine().List();
    const auto row = trends.Data()->Rows.front();
    const Sondrel::TRecordItem& item = list.Item(row);
    trends.ShowCursorAt(static_cast<double>(trends.Data()->Minutes.front()));
    const QString cursor = trends.findChild<QLabel*>("cursorLabel")->text();
    EXPECT_TRUE(cursor.contains(
        QString::number(Sondrel::SeriesValue(item, Sondrel::TTrendSeries::TotalCounts), 'g', 10)))
        << cursor.toStdString();

    // A download's start clears the list: the trend shown follows.
    Window().Download().Engine().List().Clear();
    QApplication::processEvents();
    EXPECT_EQ(Points(trends), 0U);
    EXPECT_TRUE(trends.findChild<QLabel*>("emptyLabel")->isVisible());
}

TEST_F(TrendsWindow, TheArchiveTabsTrendsShowTheRangeShown) {
    {
        Sondrel::TSqliteArchive archive(ArchivePath(), ArchivePath());
        const std::int64_t instrument = archive.EnsureInstrument(ArchiveTest::Instrument("A"));
        Sondrel::TDownloadRecord download;
        download.InstrumentId = instrument;
        download.Kind = Sondrel::kDownloadRecent;
        download.StartedAt = "2024-01-01T00:00:00Z";
        const std::int64_t id = archive.BeginDownload(download);
        // Records 1..200, then four hundred minutes without any, then 201..400.
        ASSERT_EQ(archive.AddRecords(instrument, id, ArchiveTest::Records(1, 200, 0)), 200);
        ASSERT_EQ(archive.AddRecords(instrument, id, ArchiveTest::Records(201, 200, 400)), 200);
    }
    StartShown();
    Sondrel::TArchivePage& page = Window().ArchivePage();
    Ui().DataPageControl->setCurrentWidget(&page);
    ASSERT_EQ(page.countLabel->text(), "400 records");
    page.archiveViewTabs->setCurrentWidget(page.archiveTrendsView);
    Sondrel::TTrendsView& trends = *page.archiveTrendsView;
    EXPECT_EQ(trends.objectName(), "archiveTrendsView");
    EXPECT_EQ(Points(trends), 400U);
    EXPECT_EQ(page.countLabel->text(), "400 records");
    EXPECT_EQ(trends.Chart(Sondrel::TSeriesGroup::Counts)
                  .Polylines(Sondrel::TTrendSeries::TotalCounts)
                  .size(),
              2U);
    if (const QString folder = qEnvironmentVariable("SONDREL_SCREENSHOT_DIR"); !folder.isEmpty()) {
        Sondrel::TInstrumentLimits limits;
        const auto& total = trends.Data()->Of(Sondrel::TTrendSeries::TotalCounts);
        const double highest = *std::max_element(total.begin(), total.end());
        limits.Of(Sondrel::TTrendSeries::TotalCounts)
            .Set(Sondrel::TLimitKind::AlertHigh, highest * 0.8);
        limits.Of(Sondrel::TTrendSeries::TotalCounts)
            .Set(Sondrel::TLimitKind::ActionHigh, highest * 0.95);
        trends.SetLimits(limits);
        Window().resize(1600, 1000);
        QApplication::processEvents();
        trends.ShowCursorAt(static_cast<double>(trends.Data()->Minutes[120]));
        Window().grab().save(QDir(folder).filePath(QStringLiteral("trends.png")));
    }

    // Another range, shown while the trends are in sight, is charted at once.
    const auto when = [](std::int64_t minute) {
        return QDateTime::fromString(QString::fromStdString(ArchiveTest::DateTimeOfMinute(minute)),
                                     QString::fromLatin1(Sondrel::TArchivePage::DateTimeFormat));
    };
    page.fromEdit->setDateTime(when(11));
    page.toEdit->setDateTime(when(20));
    page.showButton->click();
    QApplication::processEvents();
    EXPECT_EQ(Points(trends), 10U);
    EXPECT_DOUBLE_EQ(trends.Range().From(), static_cast<double>(trends.Data()->Minutes.front()));
}

TEST_F(TrendsWindow, AnArchiveOfSeveralInstrumentsIsChartedOneInstrumentAtATime) {
    std::int64_t second = 0;
    {
        Sondrel::TSqliteArchive archive(ArchivePath(), ArchivePath());
        for (const char* name : {"A", "B"}) {
            const std::int64_t instrument = archive.EnsureInstrument(ArchiveTest::Instrument(name));
            Sondrel::TDownloadRecord download;
            download.InstrumentId = instrument;
            download.Kind = Sondrel::kDownloadRecent;
            const std::int64_t id = archive.BeginDownload(download);
            const std::int32_t count = std::string(name) == "A" ? 100 : 30;
            ASSERT_EQ(archive.AddRecords(instrument, id, ArchiveTest::Records(1, count, 0)), count);
            second = instrument;
        }
    }
    // B's limits, kept in the window's limits file, are drawn on its chart.
    Sondrel::TInstrumentLimits limits;
    limits.Of(Sondrel::TTrendSeries::TotalCounts).Set(Sondrel::TLimitKind::ActionHigh, 1234);
    Sondrel::TLimitsFile(LimitsPath()).Write(ArchiveTest::Instrument("B").Identity, limits);

    StartShown();
    Sondrel::TArchivePage& page = Window().ArchivePage();
    Ui().DataPageControl->setCurrentWidget(&page);
    page.archiveViewTabs->setCurrentWidget(page.archiveTrendsView);
    Sondrel::TTrendsView& trends = *page.archiveTrendsView;
    EXPECT_EQ(Points(trends), 0U);
    EXPECT_EQ(trends.findChild<QLabel*>("emptyLabel")->text(),
              "Choose one instrument to chart its trends");

    page.instrumentComboBox->setCurrentIndex(
        page.instrumentComboBox->findData(QVariant::fromValue<qlonglong>(second)));
    page.showButton->click();
    QApplication::processEvents();
    EXPECT_EQ(Points(trends), 30U);
    const auto lines =
        trends.Chart(Sondrel::TSeriesGroup::Counts).LimitLines(Sondrel::TLimitKind::ActionHigh);
    ASSERT_EQ(lines.size(), 1U);
    ASSERT_GE(lines[0]->count(), 1);
    EXPECT_EQ(lines[0]->at(0).y(), 1234);
}

} // namespace
