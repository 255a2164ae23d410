// The export commands of the Log Data page, driven through a scripted host, and the exports
// right after the two downloads.
#include "DownloadFixture.h"
#include "ExportTestSupport.h"

#include "ExportCommands.h"
#include "ExportFileName.h"
#include "LogExporter.h"

using namespace Sondrel;
using namespace ExportTest;

namespace {

class TScriptedExportHost : public TExportHost {
public:
    void ShowExportError(const std::string& text) override { Errors.push_back(text); }
    std::optional<std::string> ChooseExportFile(const TSaveDialogParams& params) override {
        Dialogs.push_back(params);
        return Answer;
    }
    void SetExportBusy(bool busy) override { Busy.push_back(busy); }
    void ShowExportProgress(std::int32_t written, std::int32_t total) override {
        Progress.emplace_back(written, total);
    }
    void ShowExportDone(const std::string& line) override { Done.push_back(line); }

    std::optional<std::string> Answer; // the dialog's answer: a path, or cancelled
    std::vector<std::string> Errors;
    std::vector<TSaveDialogParams> Dialogs;
    std::vector<bool> Busy;
    std::vector<std::pair<std::int32_t, std::int32_t>> Progress;
    std::vector<std::string> Done;
};

class ExportCommandsTest : public ::testing::Test {
protected:
    TTempFolder Folder;
    TScriptedExportHost Host;
    TRecordList List;
    TExportCommands Commands{Host, List};
};

} // namespace

TEST_F(ExportCommandsTest, EmptyListIsRefusedBeforeAnyDialog) {
    Commands.expButtonXLSClick(0, false);
    EXPECT_EQ(Host.Errors,
              std::vector<std::string>{
                  "The list is empty.  Please run the import again to retrieve data."});
    EXPECT_TRUE(Host.Dialogs.empty());
}

TEST_F(ExportCommandsTest, HiddenExportButtonWorksOnlyInAllDataMode) {
    FillWithRecords(List, 2);
    Commands.exportButtonClick(1, false);
    EXPECT_TRUE(Host.Dialogs.empty());
    EXPECT_TRUE(Host.Errors.empty());
    Commands.exportButtonClick(1, true);
    EXPECT_EQ(Host.Dialogs.size(), 1U);
}

TEST_F(ExportCommandsTest, EachKindHasItsDialogAndCancelWritesNothing) {
    FillWithRecords(List, 2);
    for (std::int32_t kind = -1; kind <= 3; ++kind) {
        Commands.expButtonXLSClick(kind, false);
    }
    const std::vector<TSaveDialogParams> expected = {
        {"Save your csv file", "CSV file|*.csv", "csv", 1, "records_2014-01-01.csv"},
        {"Save your xls file", "XLSX file|*.xlsx", "xlsx", 1, "records_2014-01-01.xlsx"},
        {"Save your html file", "HTML file|*.html", "html", 1, "records_2014-01-01.html"}};
    EXPECT_EQ(Host.Dialogs, expected);
    EXPECT_TRUE(Host.Busy.empty());
    EXPECT_TRUE(Host.Errors.empty());
    EXPECT_TRUE(Folder.Entries().empty());
}

TEST_F(ExportCommandsTest, ConfirmedExportRunsBusyWithProgressToTheLastRow) {
    FillWithRecords(List, 2500);
    Host.Answer = Folder.File("log.csv");
    Commands.expButtonXLSClick(0, false);
    EXPECT_TRUE(Host.Errors.empty());
    EXPECT_EQ(Host.Busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(Host.Progress, (std::vector<std::pair<std::int32_t, std::int32_t>>{
                                 {0, 2500}, {1024, 2500}, {2048, 2500}, {2500, 2500}}));
    EXPECT_EQ(SplitCrLfLines(ReadFile(Folder.File("log.csv"))).size(), 2501U);
}

TEST_F(ExportCommandsTest, ACompleteFileIsAnnouncedAndTheRowsFollowTheTablesOrder) {
    FillWithRecords(List, 3);
    Host.Answer = Folder.File("log.csv");
    Commands.expButtonXLSClick(0, true, TExportView{{2, 0, 1}, 7});
    ASSERT_EQ(Host.Dialogs.size(), 1U);
    EXPECT_EQ(Host.Dialogs[0].FileName, "instrument-7_2014-01-01.csv");
    EXPECT_EQ(Host.Done, std::vector<std::string>{"Exported 3 records to " + *Host.Answer + "."});
    const auto lines = SplitCrLfLines(ReadFile(*Host.Answer));
    ASSERT_EQ(lines.size(), 4U);
    EXPECT_EQ(lines[1].substr(0, 6), "00003,");
    EXPECT_EQ(lines[2].substr(0, 6), "00001,");
    EXPECT_EQ(lines[3].substr(0, 6), "00002,");

    // The spreadsheet follows the same order; one row is "1 record".
    TRecordList one;
    FillWithRecords(one, 1);
    TExportCommands single(Host, one);
    Host.Answer = Folder.File("one.xlsx");
    single.expButtonXLSClick(1, true);
    EXPECT_EQ(Host.Done.back(), "Exported 1 record to " + *Host.Answer + ".");
    Host.Answer = Folder.File("order.xlsx");
    Commands.expButtonXLSClick(1, true, TExportView{{1, 2, 0}, 7});
    const TSheet sheet = ReadXlsx(*Host.Answer);
    ASSERT_TRUE(sheet.ReadOk) << sheet.Output;
    ASSERT_EQ(sheet.Rows.size(), 4U);
    EXPECT_EQ(sheet.Rows[1][0], "n:2");
    EXPECT_EQ(sheet.Rows[3][0], "n:1");
}

TEST_F(ExportCommandsTest, AFailedExportIsNotAnnounced) {
    FillWithRecords(List, 2);
    Host.Answer = Folder.File("missing/log.csv");
    Commands.expButtonXLSClick(0, false);
    EXPECT_EQ(Host.Errors.size(), 1U);
    EXPECT_TRUE(Host.Done.empty());
}

TEST(ExportFileName, AddressAndTheEarliestAndLatestDateWhateverTheOrder) {
    TRecordList list;
    list.Append(MakeItem(3, {{3, 2024}, {4, 3}, {5, 9}, {6, 1}}));
    list.Append(MakeErasedItem(4));
    list.Append(MakeItem(1, {{3, 2023}, {4, 12}, {5, 31}, {6, 23}}));
    list.Append(MakeItem(2, {{3, 2024}, {4, 3}, {5, 7}}));
    EXPECT_EQ(ProposedExportFileName(list, 1, ekXlsx), "instrument-1_2023-12-31_2024-03-09.xlsx");
    EXPECT_EQ(ProposedExportFileName(list, std::nullopt, ekCsv),
              "records_2023-12-31_2024-03-09.csv");

    TRecordList undated;
    undated.Append(MakeErasedItem(5));
    EXPECT_EQ(ProposedExportFileName(undated, 247, ekHtml), "instrument-247.html");
    EXPECT_EQ(ProposedExportFileName(TRecordList(), 1, ekCsv), "instrument-1.csv");
}

TEST_F(ExportCommandsTest, FailureIsShownWithItsMessageAfterTheBusyStateEnds) {
    FillWithRecords(List, 2);
    Host.Answer = Folder.File("missing/log.html");
    Commands.expButtonXLSClick(2, false);
    EXPECT_EQ(Host.Busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(Host.Errors, std::vector<std::string>{"Cannot write \"" + *Host.Answer +
                                                    "\": No such file or directory"});
}

TEST_F(DownloadTest, ExportAfterLogDataDownloadWritesTheListAndAllDataColumns) {
    Engine.startButtonClick();
    ASSERT_EQ(Engine.List().Count(), 20);
    ASSERT_TRUE(Engine.State().AllDataMode);
    TTempFolder folder;
    const TLogExporter exporter(Engine.List(), Engine.State().AllDataMode);
    exporter.Export(ekXlsx, folder.File("log.xlsx"));
    exporter.Export(ekCsv, folder.File("log.csv"));

    const TSheet sheet = ReadXlsx(folder.File("log.xlsx"));
    ASSERT_TRUE(sheet.ReadOk) << sheet.Output;
    ASSERT_EQ(sheet.Rows.size(), 21U);
    EXPECT_EQ(sheet.Rows[0][3], "s:Counts 1");
    EXPECT_EQ(sheet.Rows[0][12], "s:Total Counts");
    const auto csv = SplitCrLfLines(ReadFile(folder.File("log.csv")));
    ASSERT_EQ(csv.size(), 21U);
    EXPECT_EQ(csv[0].substr(0, 30), "Record Index,Date,Time,Cnts 1,");
    for (std::int32_t row = 0; row < 20; ++row) {
        const auto texts = RowTexts(row);
        std::string line;
        for (std::size_t c = 0; c < texts.size(); ++c) {
            line += texts[c] + (c + 1 < texts.size() ? "," : "");
        }
        EXPECT_EQ(csv[static_cast<std::size_t>(row) + 1], line);
        // Every spreadsheet cell is the list's text as a number, a date or a time.
        const auto& cells = sheet.Rows[static_cast<std::size_t>(row) + 1];
        EXPECT_EQ(cells[0], "n:" + std::to_string(std::stoi(texts[0])));
        const std::string& date = texts[1]; // MM/DD/YYYY
        EXPECT_EQ(cells[1], "d:" + date.substr(6, 4) + "-" + date.substr(0, 2) + "-" +
                                date.substr(3, 2) + "T00:00:00@mm/dd/yyyy");
        EXPECT_EQ(cells[2], "t:" + texts[2] + ":00@hh:mm");
        EXPECT_EQ(cells[12], "n:" + texts[12]);
        EXPECT_EQ(cells[26], "n:" + std::to_string(std::stoi(texts[26])));
    }
}

TEST_F(DownloadTest, ExportAfterWholeLogDownloadUsesTheSecondColumnSetButCsvShowsTheList) {
    Instrument.CurrentRecord = 12;
    Host.Answers = {false}; // keep the log
    Engine.downloadButtonClick();
    ASSERT_EQ(Engine.List().Count(), 13); // records 0..12
    ASSERT_FALSE(Engine.State().AllDataMode);
    TTempFolder folder;
    const TLogExporter exporter(Engine.List(), Engine.State().AllDataMode);
    exporter.Export(ekXlsx, folder.File("log.xlsx"));
    exporter.Export(ekHtml, folder.File("log.html"));

    const TSheet sheet = ReadXlsx(folder.File("log.xlsx"));
    ASSERT_TRUE(sheet.ReadOk) << sheet.Output;
    ASSERT_EQ(sheet.Rows.size(), 1U);
    EXPECT_EQ(sheet.Rows[0].size(), 13U);
    EXPECT_EQ(sheet.Rows[0][1], "s:Date & Time");
    const auto html = SplitCrLfLines(ReadFile(folder.File("log.html")));
    EXPECT_EQ(html.size(), 10U + 14 * 29 + 4); // the title row and 13 records
    EXPECT_EQ(html[11], "<th>Record Index</th>");
    EXPECT_EQ(html[10 + 29 + 1], "<td>" + Engine.List().Text(0, 0) + "</td>");
}
