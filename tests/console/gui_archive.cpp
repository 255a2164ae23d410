// The window's archive: the Archive tab over an archive file (instruments, a range, sorting in
// the database, the export of the range, a file that is no archive), and "New records" from
// sondrel-sim twice: the first run keeps the most recent records, the second finds none.
#include "WindowFixture.h"

#include "ArchiveTestSupport.h"
#include "SimulatorChild.h"

#include "ArchiveController.h"
#include "ArchivePage.h"
#include "DemoInstrument.h"
#include "DownloadController.h"
#include "LogDataPage.h"
#include "RecordListModel.h"
#include "SqliteArchive.h"
#include "ui_LogDataPage.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include <chrono>
#include <fstream>

namespace {

using namespace ConsoleTest;
using ArchiveTest::DateTimeOfMinute;

class ArchiveWindow : public WindowFixture {
protected:
    Sondrel::TArchivePage& Page() { return Window().ArchivePage(); }
    void ShowTab() { Ui().DataPageControl->setCurrentWidget(&Page()); }
    QString Count() { return Page().countLabel->text(); }
    QString Cell(int row, int column) {
        const QAbstractItemModel& model = *Page().archiveListView->model();
        return model.data(model.index(row, column)).toString();
    }
    static QDateTime When(std::int64_t minute) {
        return QDateTime::fromString(QString::fromStdString(DateTimeOfMinute(minute)),
                                     QString::fromLatin1(Sondrel::TArchivePage::DateTimeFormat));
    }

    // Two instruments: A with records 1..40 (record n at minute n), B with 1..10 a day later.
    void WriteArchive() {
        Sondrel::TSqliteArchive archive(ArchivePath(), ArchivePath());
        int downloads = 0;
        for (const auto& [name, base, count] :
             {std::tuple{"counter A", 0, 40}, std::tuple{"counter B", 1440, 10}}) {
            const std::int64_t instrument = archive.EnsureInstrument(ArchiveTest::Instrument(name));
            Sondrel::TDownloadRecord download;
            download.InstrumentId = instrument;
            download.Kind = Sondrel::kDownloadRecent;
            download.StartedAt = "2024-01-0" + std::to_string(++downloads) + "T00:00:00Z";
            const std::int64_t id = archive.BeginDownload(download);
            ASSERT_EQ(archive.AddRecords(instrument, id, ArchiveTest::Records(1, count, base)),
                      count);
        }
    }
};

TEST_F(ArchiveWindow, TabShowsARangeSortsItInTheDatabaseAndExportsIt) {
    WriteArchive();
    Start();
    EXPECT_EQ(Page().archiveFileLabel->text().toStdString(), ArchivePath());
    ShowTab();
    ASSERT_EQ(Page().instrumentComboBox->count(), 3);
    EXPECT_EQ(Page().instrumentComboBox->itemText(1), QStringLiteral("counter A (40 records)"));
    // Everything the archive holds to begin with.
    EXPECT_EQ(Count(), QStringLiteral("50 records"));
    EXPECT_EQ(Page().fromEdit->dateTime(), When(1));
    EXPECT_EQ(Page().toEdit->dateTime(), When(1450));

    // Instrument A, records 11..20 by their date-times, oldest first.
    Page().instrumentComboBox->setCurrentIndex(1);
    Page().fromEdit->setDateTime(When(11));
    Page().toEdit->setDateTime(When(20));
    Page().showButton->click();
    EXPECT_EQ(Count(), QStringLiteral("10 records"));
    ASSERT_EQ(Page().archiveListView->model()->rowCount(), 10);
    EXPECT_EQ(Cell(0, 0), QStringLiteral("00011"));
    EXPECT_EQ(Cell(9, 0), QStringLiteral("00020"));
    // A header click orders the range in the database: the newest first.
    Page().archiveListView->model()->sort(0, Qt::DescendingOrder);
    EXPECT_EQ(Cell(0, 0), QStringLiteral("00020"));
    EXPECT_EQ(Cell(9, 0), QStringLiteral("00011"));
    // The tab read again (shown again, or after a download) keeps the instrument, the range and
    // the order.
    Ui().DataPageControl->setCurrentWidget(Ui().DataTabSheet);
    ShowTab();
    EXPECT_EQ(Count(), QStringLiteral("10 records"));
    EXPECT_EQ(Cell(0, 0), QStringLiteral("00020"));

    // The export writes the range as shown.
    const QString csv = Folder.filePath(QStringLiteral("range.csv"));
    Page().archiveExportComboBox->setCurrentIndex(0);
    Dialogs.FileAnswers.push_back(csv);
    Page().archiveExportButton->click();
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(';').toStdString();
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> written = file.readAll().split('\n');
    ASSERT_EQ(written.size(), 12); // title, ten rows, the empty rest
    EXPECT_TRUE(written[1].startsWith("00020,")) << written[1].toStdString();
    EXPECT_TRUE(written[10].startsWith("00011,")) << written[10].toStdString();
    EXPECT_EQ(Count(), QStringLiteral("10 records"));
    EXPECT_TRUE(Page().archiveExportButton->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ArchiveWindow, AFileThatIsNoArchiveIsNamedWithTheCauseAndAnotherCanBeChosen) {
    const std::string notes = Folder.filePath(QStringLiteral("notes.txt")).toStdString();
    std::ofstream(notes) << "not an archive\n";
    ArchiveLocation = notes;
    Start();
    ShowTab();
    EXPECT_EQ(Count().toStdString(), "Cannot use the archive \"" + notes +
                                         "\": it is not an archive (file is not a database)");
    EXPECT_EQ(Page().archiveListView->model(), nullptr);

    // "Archive File...": an archive of its own, kept as the window's choice.
    WriteArchive();
    Dialogs.FileAnswers.push_back(QString::fromStdString(ArchivePath()));
    Page().archiveFileButton->click();
    EXPECT_EQ(Page().archiveFileLabel->text().toStdString(), ArchivePath());
    EXPECT_EQ(Count(), QStringLiteral("50 records"));
    EXPECT_EQ(StoredSettings().value(QStringLiteral("ArchiveFile")).toStdString(), ArchivePath());
}

TEST_F(ArchiveWindow, NewRecordsTwiceKeepsTheMostRecentThenFindsNone) {
    const E2eTests::SimulatedLog log(TenRecordInstrument());
    const TSimulatorChild simulator(log);

    Start();
    Sondrel::UseDemoInstrument(Window(), QString::fromStdString(simulator.Port));
    Window().Connect1Click();
    ASSERT_TRUE(Window().ModbusConnection1.Active()) << Dialogs.Errors.join(';').toStdString();
    Ui::TLogDataPage& logData = Window().LogDataPage().Form();
    logData.recordsEdit->setText(QStringLiteral("5"));
    logData.newRecordsButton->click();
    QStringList lines = LogLines();
    EXPECT_TRUE(lines.contains(QString::fromStdString("Archive: " + ArchivePath())));
    EXPECT_TRUE(lines.contains(
        QStringLiteral("Instrument: server id 2a Sondrel simulated particle counter, seed 7")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Download Complete!")))
        << lines.join('\n').toStdString();
    EXPECT_EQ(Window().Download().Model().rowCount(), 5);

    // The archive holds records 6..10 as the simulator has them.
    {
        Sondrel::TSqliteArchiveOptions readOnly;
        readOnly.ReadOnly = true;
        Sondrel::TSqliteArchive archive(ArchivePath(), ArchivePath(), readOnly);
        const auto stored = archive.ReadRecords({}, 0, 100);
        ASSERT_EQ(stored.size(), 5U);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(stored[static_cast<std::size_t>(i)].RecordNumber, 6 + i);
            const auto block = log.Log().Block(6 + i);
            EXPECT_EQ(stored[static_cast<std::size_t>(i)].Registers,
                      std::vector<std::uint16_t>(block.begin(), block.end()));
        }
    }

    logData.newRecordsButton->click();
    lines = LogLines();
    EXPECT_TRUE(lines.contains(QStringLiteral("No new records.")))
        << lines.join('\n').toStdString();
    for (const QString& line : lines) {
        EXPECT_FALSE(line.contains(QStringLiteral("FAILED"))) << line.toStdString();
    }
    ShowTab();
    EXPECT_EQ(Count(), QStringLiteral("5 records"));
    Window().Disconnect1Click();
}

} // namespace
