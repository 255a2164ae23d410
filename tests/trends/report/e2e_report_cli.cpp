// "sondrel-cli archive report" run as a program on an archive of the test's own.
#include "ReportTestSupport.h"

#include "ProgramRun.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace E2eTests;
using namespace ReportTest;

namespace {

constexpr std::chrono::seconds kTimeout{60};

class ReportCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteArchive(Archive, "Clean room 4");
        WriteLimits(LimitsPath);
    }

    ProgramRun Report(std::vector<std::string> extra) {
        std::vector<std::string> argv{kCliProgram,  "archive",  "report",    "--archive",
                                      Archive,      "--limits", LimitsPath,  "--from",
                                      "2024-01-01", "--to",     "2024-01-01"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        return ProgramRun::Run(argv, kTimeout);
    }

    TempFolder Folder;
    std::string Archive = Folder / "archive.sqlite";
    std::string LimitsPath = Folder / "limits.dat";
    std::string Pdf = Folder / "report.pdf";
};

} // namespace

TEST_F(ReportCliTest, WritesTheReportOfTheArchiveOnlyInstrumentAndSaysWhereAndHowLong) {
    const ProgramRun run = Report({"--pdf", Pdf});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const int pages = PdfPages(Pdf);
    ASSERT_GT(pages, 1);
    EXPECT_EQ(run.Out, "Wrote the report of 40 records to " + Pdf + " (" + std::to_string(pages) +
                           " pages).\n");
    const std::string text = PdfText(Pdf);
    EXPECT_NE(text.find("Clean room 4"), std::string::npos);
    // The limits came from --limits, the acknowledgement from the archive.
    EXPECT_NE(text.find("Cnts 1 100 150 - -"), std::string::npos) << text;
    EXPECT_NE(text.find(kAckComment), std::string::npos);
    EXPECT_NE(text.find("Page " + std::to_string(pages) + " of " + std::to_string(pages)),
              std::string::npos);
}

TEST_F(ReportCliTest, WrongCommandLinesAreUsageErrorsAndWriteNothing) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--pdf", Pdf, "--groups", "counts,dust"}, "'dust'"},
        {{"--pdf", Pdf, "--groups", "ppb,ppb"}, "twice"},
        {{"--pdf", Pdf, "--groups", ""}, "--groups"},
        {{}, "--pdf"},
        {{"--pdf", Pdf, "--instrument", "nobody"}, "nobody"},
        {{"--pdf", Pdf, "--from", "yesterday"}, "yesterday"},
        {{"--pdf", Pdf, "--to", "2023-12-31"}, "ends before it begins"},
    };
    for (const auto& [extra, named] : cases) {
        const ProgramRun run = Report(extra);
        EXPECT_EQ(run.Status, 2) << named << ": " << run.Err;
        EXPECT_NE(run.Err.find(named), std::string::npos) << run.Err;
        EXPECT_FALSE(std::filesystem::exists(Pdf)) << named;
    }
}

TEST_F(ReportCliTest, ArchiveOfTwoInstrumentsNeedsOneNamed) {
    AddOtherInstrument(Archive);
    const ProgramRun unnamed = Report({"--pdf", Pdf});
    EXPECT_EQ(unnamed.Status, 2);
    EXPECT_NE(unnamed.Err.find("2 instruments"), std::string::npos) << unnamed.Err;
    EXPECT_FALSE(std::filesystem::exists(Pdf));

    const ProgramRun named = Report({"--pdf", Pdf, "--instrument", "other", "--groups", "health"});
    ASSERT_EQ(named.Status, 0) << named.Err;
    EXPECT_NE(named.Out.find("report of 1 records"), std::string::npos) << named.Out;
    const std::string text = PdfText(Pdf);
    EXPECT_NE(text.find("name other"), std::string::npos);
    EXPECT_EQ(text.find("Clean room 4"), std::string::npos);
}

TEST_F(ReportCliTest, FileThatCannotBeWrittenFailsNamingIt) {
    const std::string missing = Folder / "gone/report.pdf";
    const ProgramRun run = Report({"--pdf", missing});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find(missing), std::string::npos) << run.Err;
    EXPECT_FALSE(std::filesystem::exists(Folder / "gone"));

    const ProgramRun noArchive =
        ProgramRun::Run({kCliProgram, "archive", "report", "--archive", Folder / "none.sqlite",
                         "--from", "2024-01-01", "--to", "2024-01-02", "--pdf", Pdf},
                        kTimeout);
    EXPECT_EQ(noArchive.Status, 1);
    EXPECT_NE(noArchive.Err.find("none.sqlite"), std::string::npos) << noArchive.Err;
    EXPECT_FALSE(std::filesystem::exists(Pdf));
}
