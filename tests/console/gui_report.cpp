// The window's "Report..." buttons: the report of the Archive tab's instrument and range through
// the dialog (groups, file, Browse), the instrument that must be chosen, and the failures that
// are reported instead of a file: no records, a file that cannot be written.
#include "WindowFixture.h"

#include "ArchiveTestSupport.h"

#include "ArchivePage.h"
#include "LimitsFile.h"
#include "ReportDialog.h"
#include "SqliteArchive.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>

#include <filesystem>

namespace {

using namespace ConsoleTest;

class ReportWindow : public WindowFixture {
protected:
    Sondrel::TArchivePage& Page() { return Window().ArchivePage(); }
    QPushButton& DataReportButton() {
        return *Ui().DataTabSheet->findChild<QPushButton*>(QStringLiteral("dataReportButton"));
    }

    // Counter A with records 1..40 (counts 1 above 100 from record 1 on), counter B with 10.
    void WriteArchive() {
        Sondrel::TSqliteArchive archive(ArchivePath(), ArchivePath());
        for (const auto& [name, count] : {std::pair{"counter A", 40}, std::pair{"counter B", 10}}) {
            const std::int64_t instrument = archive.EnsureInstrument(ArchiveTest::Instrument(name));
            Sondrel::TDownloadRecord download;
            download.InstrumentId = instrument;
            download.Kind = Sondrel::kDownloadRecent;
            download.StartedAt = "2024-01-01T00:00:00Z";
            archive.AddRecords(instrument, archive.BeginDownload(download),
                               ArchiveTest::Records(1, count));
        }
        Sondrel::TInstrumentLimits limits;
        limits.Of(Sondrel::TTrendSeries::Counts1).Set(Sondrel::TLimitKind::AlertHigh, 123.5);
        Sondrel::TLimitsFile(LimitsPath())
            .Write(ArchiveTest::Instrument("counter A").Identity, limits);
    }

    // Answers the report dialog: the groups left checked, the file typed in.
    void AnswerDialog(const QString& file, bool health = true) {
        Dialogs.DialogAnswers.push_back([file, health](QDialog& dialog) {
            auto& report = dynamic_cast<Sondrel::TReportDialog&>(dialog);
            report.healthCheckBox->setChecked(health);
            report.reportFileEdit->setText(file);
            return QDialog::Accepted;
        });
    }

    static QString PdfText(const QString& pdf) {
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        text.waitForFinished(30000);
        return QString::fromUtf8(text.readAllStandardOutput()).simplified();
    }
};

} // namespace

TEST_F(ReportWindow, ArchiveTabReportsTheShownInstrumentWithItsLimits) {
    WriteArchive();
    Start();
    Ui().DataPageControl->setCurrentWidget(&Page());
    Page().instrumentComboBox->setCurrentIndex(1); // counter A
    const QString pdf = Folder.filePath(QStringLiteral("a.pdf"));
    AnswerDialog(pdf, false);
    Page().archiveReportButton->click();

    ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(';').toStdString();
    ASSERT_EQ(Dialogs.Messages.size(), 1);
    EXPECT_TRUE(Dialogs.Messages[0].startsWith("Wrote the report to " + pdf + " ("))
        << Dialogs.Messages[0].toStdString();
    const QString line = Dialogs.Messages[0];
    EXPECT_TRUE(WaitFor([&] { return LogLines().contains(line); }));
    const QString text = PdfText(pdf);
    EXPECT_TRUE(text.contains("counter A"));
    EXPECT_FALSE(text.contains("counter B"));
    EXPECT_TRUE(text.contains("123.50")) << text.toStdString(); // its limit, from the file
}

TEST_F(ReportWindow, AllInstrumentsOfTwoNeedOneChosenAndNoRecordsNothingToReport) {
    WriteArchive();
    Start();
    Ui().DataPageControl->setCurrentWidget(&Page());
    Page().instrumentComboBox->setCurrentIndex(0); // all instruments
    Page().archiveReportButton->click();
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_EQ(Dialogs.Errors[0], QStringLiteral("Choose the instrument of the report."));

    // The Data tab before any download.
    DataReportButton().click();
    ASSERT_EQ(Dialogs.Errors.size(), 2);
    EXPECT_TRUE(Dialogs.Errors[1].startsWith("There are no records to report"));
    EXPECT_TRUE(Dialogs.Messages.isEmpty());
}

TEST_F(ReportWindow, DialogNeedsAGroupAndAFileAndBrowseFillsTheFile) {
    Sondrel::TReportDialog dialog(Dialogs, QString(), nullptr);
    QPushButton* ok = dialog.reportButtonBox->button(QDialogButtonBox::Ok);
    EXPECT_FALSE(ok->isEnabled()); // no file yet
    Dialogs.FileAnswers.push_back(Folder.filePath(QStringLiteral("chosen.pdf")));
    dialog.reportBrowseButton->click();
    EXPECT_EQ(dialog.File(), Folder.filePath(QStringLiteral("chosen.pdf")));
    EXPECT_EQ(Dialogs.FileDialogs.back().DefaultSuffix, QStringLiteral("pdf"));
    EXPECT_TRUE(ok->isEnabled());
    for (QCheckBox* box : {dialog.countsCheckBox, dialog.ppbCheckBox, dialog.healthCheckBox}) {
        box->setChecked(false);
    }
    EXPECT_FALSE(ok->isEnabled());
    dialog.ppbCheckBox->setChecked(true);
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog.Groups(), std::vector<Sondrel::TSeriesGroup>{Sondrel::TSeriesGroup::Ppb});
}

TEST_F(ReportWindow, FileThatCannotBeWrittenIsReportedAndNothingIsLeft) {
    WriteArchive();
    Start();
    Ui().DataPageControl->setCurrentWidget(&Page());
    Page().instrumentComboBox->setCurrentIndex(2); // counter B
    const QString pdf = Folder.filePath(QStringLiteral("gone/b.pdf"));
    AnswerDialog(pdf);
    Page().archiveReportButton->click();
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors[0].contains(pdf)) << Dialogs.Errors[0].toStdString();
    EXPECT_TRUE(Dialogs.Messages.isEmpty());
    EXPECT_FALSE(std::filesystem::exists(Folder.filePath(QStringLiteral("gone")).toStdString()));
}
