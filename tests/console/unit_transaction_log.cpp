// The transaction log: line format, styles, file bytes, acquire/release, clear and toggle.
#include "ConsoleFileError.h"
#include "ConsoleTestSupport.h"
#include "TransactionLog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace Sondrel;
using ConsoleTest::ReadAll;
using ConsoleTest::TRecordingView;
using ConsoleTest::TTempFolder;
using ::testing::ElementsAre;

namespace {

TLogClock FixedClock(TLogTime time) {
    return [time] { return time; };
}

// A log whose file is in a temporary folder and whose clock reads 09:05:07.042.
struct TLogFixture {
    TTempFolder Dir;
    TRecordingView View;
    TTransactionLog Log{View, FixedClock({9, 5, 7, 42})};
    std::filesystem::path FilePath = Dir / "TransactionLog.txt";

    TLogFixture() { Log.SetLogFilePath(FilePath); }
};

} // namespace

TEST(LogLineFormat, TimeStampIsZeroPaddedTwentyFourHourWithMilliseconds) {
    EXPECT_EQ(FormatLogTime({9, 5, 7, 42}), "09:05:07.042");
    EXPECT_EQ(FormatLogTime({23, 59, 59, 999}), "23:59:59.999");
    EXPECT_EQ(FormatLogTime({0, 0, 0, 0}), "00:00:00.000");
}

TEST(LogLineFormat, LineIsTimeInBracketsThenText) {
    TLogFixture f;
    f.Log.AddLogLine("Closing Modbus connection...");
    EXPECT_THAT(f.View.Texts(), ElementsAre("[09:05:07.042] Closing Modbus connection..."));
}

TEST(LogLineFormat, EmptyTextIsAnEmptyLineWithoutTimeStamp) {
    TLogFixture f;
    f.Log.AddLogLine("");
    EXPECT_THAT(f.View.Texts(), ElementsAre(""));
}

TEST(LogLineFormat, PercentSignsInTheTextAreNotPlaceholders) {
    TLogFixture f;
    f.Log.AddLogLine("100% %d %s");
    EXPECT_THAT(f.View.Texts(), ElementsAre("[09:05:07.042] 100% %d %s"));
}

TEST(LogLineFormat, LocalClockGivesAPlausibleTimeOfDay) {
    const TLogTime now = LocalLogTime();
    EXPECT_GE(now.Hour, 0);
    EXPECT_LT(now.Hour, 24);
    EXPECT_GE(now.Millisecond, 0);
    EXPECT_LT(now.Millisecond, 1000);
}

TEST(LogStyles, PlainLinesAreSevenPointBlackRegular) {
    TLogFixture f;
    f.Log.AddLogLine("plain");
    EXPECT_EQ(f.View.Lines.at(0).Style, (TLogStyle{false, 7, lcBlack}));
}

TEST(LogStyles, ColourCodesMapToBlackRedBlueGreenAndOthersToBlack) {
    TLogFixture f;
    for (int code : {0, 1, 2, 3, 4, -1}) {
        f.Log.AddStyledLogLine("x", true, 8, code);
    }
    std::vector<TLogColour> colours;
    for (const auto& line : f.View.Lines) {
        colours.push_back(line.Style.Colour);
        EXPECT_TRUE(line.Style.Bold);
        EXPECT_EQ(line.Style.Size, 8);
    }
    EXPECT_THAT(colours, ElementsAre(lcBlack, lcRed, lcBlue, lcGreen, lcBlack, lcBlack));
}

TEST(LogStyles, StyleDoesNotCarryOverToTheNextPlainLine) {
    TLogFixture f;
    f.Log.AddStyledLogLine("** RETRIEVE LOG DATA FAILED **", kFailureLogStyle);
    f.Log.AddLogLine("next");
    EXPECT_EQ(f.View.Lines.at(0).Style, (TLogStyle{true, 8, lcRed}));
    EXPECT_EQ(f.View.Lines.at(1).Style, kDefaultLogStyle);
}

TEST(LogLineBreaks, CrLfAtTheEndLeavesAnEmptyLineOnScreenAndInTheFile) {
    TLogFixture f;
    f.Log.SetLogTransactionsToFile(true);
    f.Log.AddLogLine("Modbus connection has been successfully opened.\r\n");
    EXPECT_THAT(f.View.Texts(),
                ElementsAre("[09:05:07.042] Modbus connection has been successfully opened.", ""));
    EXPECT_EQ(ReadAll(f.FilePath),
              "[09:05:07.042] Modbus connection has been successfully opened.\r\n\r\n");
}

TEST(LogLineBreaks, InnerLineBreaksBecomeSeparateScreenLines) {
    TLogFixture f;
    f.Log.AddStyledLogLine("Failed to open Modbus connection. a\nb\r\n", kFailureLogStyle);
    EXPECT_THAT(f.View.Texts(),
                ElementsAre("[09:05:07.042] Failed to open Modbus connection. a", "b", ""));
}

TEST(LogFile, EveryLineIsAppendedWithCrLfAcrossRuns) {
    TLogFixture f;
    ConsoleTest::WriteAll(f.FilePath, "earlier run\r\n");
    f.Log.SetLogTransactionsToFile(true);
    f.Log.AddLogLine("one");
    f.Log.AddLogLine("");
    f.Log.AddStyledLogLine("two", kFailureLogStyle);
    EXPECT_EQ(ReadAll(f.FilePath),
              "earlier run\r\n[09:05:07.042] one\r\n\r\n[09:05:07.042] two\r\n");
    EXPECT_EQ(f.Log.TransactionLogUseCount(), 0);
    EXPECT_FALSE(f.Log.HasTransactionLogStream()) << "the file is not held open between lines";
}

TEST(LogFile, NothingIsWrittenToTheFileWhileLoggingToFileIsOff) {
    TLogFixture f;
    f.Log.AddLogLine("screen only");
    EXPECT_FALSE(std::filesystem::exists(f.FilePath));
}

TEST(LogFile, ScreenLineIsWrittenBeforeTheFileLine) {
    // A view that looks at the file when it receives a line: the line must not be there yet.
    struct TCheckingView : ILogView {
        std::filesystem::path Path;
        std::vector<std::string> FileAtAppend;
        void AppendLine(const std::string&, const TLogStyle&) override {
            FileAtAppend.push_back(ReadAll(Path));
        }
        void Clear() override {}
    };
    TTempFolder dir;
    TCheckingView view;
    view.Path = dir / "log.txt";
    TTransactionLog log(view, FixedClock({1, 2, 3, 4}));
    log.SetLogFilePath(view.Path);
    log.SetLogTransactionsToFile(true);
    log.AddLogLine("first");
    log.AddLogLine("second");
    EXPECT_THAT(view.FileAtAppend, ElementsAre("", "[01:02:03.004] first\r\n"));
}

TEST(LogFile, NestedUsersShareOneStreamThatClosesWithTheLastRelease) {
    TLogFixture f;
    f.Log.SetLogTransactionsToFile(true);
    f.Log.AcquireTransactionLog();
    f.Log.AddLogLine("inside");
    EXPECT_EQ(f.Log.TransactionLogUseCount(), 1);
    EXPECT_TRUE(f.Log.HasTransactionLogStream());
    f.Log.ReleaseTransactionLog();
    EXPECT_FALSE(f.Log.HasTransactionLogStream());
    f.Log.ReleaseTransactionLog(); // an extra release never goes below 0
    EXPECT_EQ(f.Log.TransactionLogUseCount(), 0);
    EXPECT_EQ(ReadAll(f.FilePath), "[09:05:07.042] inside\r\n");
}

TEST(LogFile, UnopenableFileRaisesAfterTheScreenLineWithUseCountUnchanged) {
    TLogFixture f;
    f.Log.SetLogFilePath(f.Dir / "missing-folder" / "TransactionLog.txt");
    f.Log.SetLogTransactionsToFile(true);
    try {
        f.Log.AddLogLine("Opening Modbus connection on COM1...");
        FAIL() << "the log file cannot be opened";
    } catch (const EConsoleFileError& e) {
        EXPECT_NE(std::string(e.what()).find("missing-folder"), std::string::npos) << e.what();
    }
    EXPECT_THAT(f.View.Texts(), ElementsAre("[09:05:07.042] Opening Modbus connection on COM1..."));
    EXPECT_EQ(f.Log.TransactionLogUseCount(), 0);
    EXPECT_FALSE(f.Log.HasTransactionLogStream());
}

TEST(LogClear, ClearEmptiesTheViewAndTruncatesTheFileWhenLoggingToFile) {
    TLogFixture f;
    f.Log.SetLogTransactionsToFile(true);
    f.Log.AddLogLine("old");
    f.Log.ClearTransactionLog();
    EXPECT_TRUE(f.View.Lines.empty());
    EXPECT_TRUE(std::filesystem::exists(f.FilePath));
    EXPECT_EQ(std::filesystem::file_size(f.FilePath), 0u);
    f.Log.AddLogLine("new");
    EXPECT_EQ(ReadAll(f.FilePath), "[09:05:07.042] new\r\n");
}

TEST(LogClear, ClearLeavesTheFileAloneWhenLoggingToScreenOnly) {
    TLogFixture f;
    ConsoleTest::WriteAll(f.FilePath, "kept\r\n");
    f.Log.AddLogLine("x");
    f.Log.ClearTransactionLog();
    EXPECT_TRUE(f.View.Lines.empty());
    EXPECT_EQ(ReadAll(f.FilePath), "kept\r\n");
}

TEST(LogToggle, BothNoticesReachTheFileAndSettingsAreWrittenBetweenThem) {
    TLogFixture f;
    std::vector<bool> flagWhenSettingsWritten;
    const auto writeSettings = [&] {
        flagWhenSettingsWritten.push_back(f.Log.LogTransactionsToFile());
    };
    EXPECT_TRUE(f.Log.ToggleLogTransactionsToFile(writeSettings));
    EXPECT_FALSE(f.Log.ToggleLogTransactionsToFile(writeSettings));
    EXPECT_THAT(flagWhenSettingsWritten, ElementsAre(true, false));
    EXPECT_EQ(ReadAll(f.FilePath),
              "\r\n[09:05:07.042] *** Transactions are now being logged to both screen and "
              "file.\r\n\r\n"
              "\r\n[09:05:07.042] *** Transactions are now being logged to screen only.\r\n\r\n");
    EXPECT_EQ(f.View.Lines.size(), 6u);
}

TEST(LogToggle, SettingsErrorPropagatesWithTheFlagInverted) {
    TLogFixture f;
    EXPECT_THROW(f.Log.ToggleLogTransactionsToFile([] { throw std::runtime_error("disk"); }),
                 std::runtime_error);
    EXPECT_TRUE(f.Log.LogTransactionsToFile());
    EXPECT_TRUE(f.View.Lines.empty()) << "the notice after the settings write is not reached";
}
