// The trend report as a PDF: what poppler reads of it (pages, texts, the chart on the first
// page), hostile names printed as text, and files that cannot be written.
#include "ReportTestSupport.h"

#include "ArchiveTestSupport.h"
#include "OpenArchive.h"
#include "RecordList.h"
#include "ReportChart.h"
#include "ReportContent.h"
#include "ReportWriter.h"
#include "TrendTestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace Sondrel;
using namespace ReportTest;

namespace {

class ReportTest : public ::testing::Test {
protected:
    TReportContent ArchiveContent(const std::string& name, const std::string& ackBy = {},
                                  const std::string& ackComment = {}) {
        WriteArchive(Archive, name);
        if (!ackBy.empty()) {
            Acknowledge(Archive, ackBy, ackComment);
        }
        const auto store = OpenArchive(*ParseArchiveLocation(Archive));
        TArchiveReportRequest request;
        request.InstrumentId = store->Instruments().at(0).Id;
        request.From = "2024-01-01 00:00";
        request.To = "2024-01-01 23:59";
        request.Limits = Limits();
        return ArchiveReportContent(*store, request);
    }

    int Write(const TReportContent& content, const std::string& pdf) {
        return TReportWriter(ReportChartImage).Write(content, QString::fromStdString(pdf));
    }

    ExportTest::TTempFolder Folder;
    std::string Archive = Folder.File("archive.sqlite");
    std::string Pdf = Folder.File("report.pdf");
};

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST_F(ReportTest, PdfHoldsTheInstrumentRangeLimitsExcursionsStatisticsAndPageNumbers) {
    const TReportContent content = ArchiveContent("Clean room 4");
    ASSERT_EQ(content.Data.PointCount(), static_cast<std::size_t>(kRecords));
    const int pages = Write(content, Pdf);
    EXPECT_GT(pages, 1);
    EXPECT_EQ(PdfPages(Pdf), pages);

    const std::string text = PdfText(Pdf);
    EXPECT_TRUE(Has(text, "Clean room 4"));
    EXPECT_TRUE(Has(text, "server id 01:REPORT-1"));
    EXPECT_TRUE(Has(text, "/dev/ttyUSB7"));
    EXPECT_TRUE(Has(text, "2024-01-01 00:00 to 2024-01-01 23:59"));
    // The download that brought the records.
    EXPECT_TRUE(Has(text, "whole 2024-01-02T08:00:00Z 2024-01-02T08:01:00Z complete 40 tester "
                          "bench-host"));
    // The limits: counts 1 alert and action high, flow rate alert low.
    EXPECT_TRUE(Has(text, "Cnts 1 100 150 - -")) << text;
    EXPECT_TRUE(Has(text, "Flow Rate - - 29 -"));
    // Counts 1 is 5 n: beyond 100 from record 21 (00:00 + 210 min) to the last (390 min), peak
    // 195; beyond 150 from record 31.
    // The first is acknowledged, the second not.
    EXPECT_TRUE(Has(text, "2024-01-01 03:30 2024-01-01 06:30 Cnts 1 alert high 195 100 by tester "
                          "at 2024-01-02T09:00:00Z: " +
                              std::string(kAckComment)))
        << text;
    EXPECT_TRUE(Has(text, "2024-01-01 05:10 2024-01-01 06:30 Cnts 1 action high 195 150 not "
                          "acknowledged"));
    // Counts 1 over 0, 5, ..., 195: min 0, mean 97.5, max 195, and the 95th percentile is the
    // 38th of 40 values, 185. Flow rate 28, 29, 30 repeating: 14 of 28, 13 each of 29 and 30.
    EXPECT_TRUE(Has(text, "Cnts 1 40 0 97.50 195 185"));
    EXPECT_TRUE(Has(text, "Flow Rate 40 28 28.98 30 30"));
    for (int page = 1; page <= pages; ++page) {
        EXPECT_TRUE(Has(text, "Page " + std::to_string(page) + " of " + std::to_string(pages)));
    }
    EXPECT_TRUE(Has(text, "Printed " + content.PrintedAt.substr(0, 10)));
}

TEST_F(ReportTest, FirstPageShowsTheCountsChart) {
    Write(ArchiveContent("Clean room 4"), Pdf);
    const std::string prefix = Folder.File("page");
    ASSERT_EQ(Shell("pdftoppm -png -r 60 -f 1 -l 1 " + Quoted(Pdf) + " " + Quoted(prefix)).Status,
              0);
    QImage page;
    for (const auto& entry : std::filesystem::directory_iterator(Folder.File(""))) {
        if (entry.path().extension() == ".png") {
            page.load(QString::fromStdString(entry.path().string()));
        }
    }
    ASSERT_FALSE(page.isNull());
    // Below the tables of the first page's upper third, the chart: a wide band with many
    // coloured (not grey) pixels, its series lines and limit lines.
    int coloured = 0;
    for (int y = page.height() / 3; y < page.height() * 95 / 100; ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) -
                    std::min({c.red(), c.green(), c.blue()}) >
                60) {
                ++coloured;
            }
        }
    }
    EXPECT_GT(coloured, 200) << "no chart on the first page";
}

TEST_F(ReportTest, HostileInstrumentNameAndCommentPrintAsText) {
    Write(ArchiveContent("<b>Line 3</b> & <img src=x> &amp;", "<i>op</i>",
                         "<table><tr><td>x</td></tr></table> & done"),
          Pdf);
    const std::string text = PdfText(Pdf);
    EXPECT_TRUE(Has(text, "<b>Line 3</b> & <img src=x> &amp;")) << text;
    EXPECT_TRUE(Has(text, "<i>op</i>"));
    // The comment's long word may be broken across lines of its cell.
    std::string unspaced = text;
    std::erase(unspaced, ' ');
    EXPECT_TRUE(Has(unspaced, "<table><tr><td>x</td></tr></table>&done")) << text;
}

TEST_F(ReportTest, UnwritableFolderFailsNamingTheFileAndLeavesNothing) {
    const TReportContent content = ArchiveContent("Clean room 4");
    const std::string missing = Folder.File("no such folder") + "/report.pdf";
    try {
        Write(content, missing);
        ADD_FAILURE() << "a report into a missing folder was written";
    } catch (const EReportError& e) {
        EXPECT_TRUE(Has(e.what(), missing)) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(Folder.File("no such folder")));

    // A read-only folder (a read-only mount, since root may write into any folder).
    ArchiveTest::TScratchMount mount(1 << 20);
    if (!mount.Mounted() || !mount.MakeReadOnly()) {
        GTEST_SKIP() << "no read-only mount (needs root)";
    }
    const std::string readOnly = mount.File("report.pdf");
    try {
        Write(content, readOnly);
        ADD_FAILURE() << "a report into a read-only folder was written";
    } catch (const EReportError& e) {
        EXPECT_TRUE(Has(e.what(), readOnly)) << e.what();
    }
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(readOnly).parent_path()));
}

TEST_F(ReportTest, FailedWriteKeepsTheEarlierFileOfTheName) {
    // A full file system: the PDF cannot be completed, and the older report stays whole.
    ArchiveTest::TScratchMount mount(16 << 10);
    if (!mount.Mounted()) {
        GTEST_SKIP() << "no small mount (needs root)";
    }
    const std::string pdf = mount.File("report.pdf");
    { std::ofstream(pdf) << "earlier report"; }
    TReportContent content = ArchiveContent("Clean room 4");
    EXPECT_THROW(Write(content, pdf), EReportError);
    std::ifstream in(pdf);
    const std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(kept == "earlier report") << kept.size() << " bytes: " << kept.substr(0, 8);
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(std::filesystem::path(pdf).parent_path()),
                      std::filesystem::directory_iterator()),
        1);
}

TEST_F(ReportTest, RecordListReportHasTheDownloadAndLeavesOutEmptyRecords) {
    TRecordList records;
    for (int n = 0; n < 12; ++n) {
        TrendTest::TSample sample;
        sample.Minutes = TrendTest::Base() + n;
        sample.Counts1 = static_cast<std::uint32_t>(n * 10);
        records.Append(TrendTest::Item(sample, n));
    }
    records.Append(*TRecordItem::FromRegisters(TrendTest::ErasedBlock(), 12, 0));
    TDownloadRecord download;
    download.Kind = kDownloadRecent;
    download.StartedAt = "2024-01-01T00:20:00Z";
    download.UserName = "operator";
    download.Outcome = kOutcomeComplete;
    download.RecordsReceived = 13;
    const TReportContent content =
        RecordListReportContent(records, {"Bench", "name Bench", "/dev/ttyS0", 1}, download,
                                Limits(), {TSeriesGroup::Counts});
    EXPECT_EQ(content.Data.PointCount(), 12U);
    EXPECT_EQ(content.Data.LeftOut, 1);
    EXPECT_EQ(content.From, "2024-01-01 00:00");
    EXPECT_EQ(content.To, "2024-01-01 00:11");
    // Counts 1 beyond 100 at 110 only (nothing beyond 150); the flow rate of 0 below 29 all along.
    ASSERT_EQ(content.Excursions.size(), 2U);
    EXPECT_EQ(content.Excursions[0].Excursion.Series, TTrendSeries::FlowRate);
    EXPECT_EQ(content.Excursions[0].Excursion.Points, 12);
    EXPECT_EQ(content.Excursions[1].Excursion.Series, TTrendSeries::Counts1);
    EXPECT_EQ(content.Excursions[1].Excursion.Peak, 110);

    Write(content, Pdf);
    const std::string text = PdfText(Pdf);
    EXPECT_TRUE(Has(text, "recent 2024-01-01T00:20:00Z - complete 13 operator -")) << text;
    EXPECT_TRUE(Has(text, "12 (1 without a date-time left out)"));
}
