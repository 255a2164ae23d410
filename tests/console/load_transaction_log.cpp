// The transaction log under load: a hundred thousand lines written through the window with
// logging to file on. Every line must reach "TransactionLog.txt" once, in order, with its time
// stamp and CR LF, and the view must still end with the last line. The figures (time per
// thousand lines at the start and at the end, resident memory before and after) are printed
// for the record; the cost of a line must not grow with the length of the log.
//
// Run alone with /usr/bin/time -v for the peak memory:
//   /usr/bin/time -v build/release/tests/console/console_load_tests
//       --gtest_filter='TransactionLogLoad.*'
#include "WindowFixture.h"

#include "ProcessStatus.h"

#include <QElapsedTimer>

#include <cstdio>
#include <numeric>

using namespace ConsoleTest;

namespace {

constexpr int kChunks = 100;
constexpr int kChunkLines = 1000;
constexpr int kLines = kChunks * kChunkLines;

std::string LoadLine(int n) {
    char text[32];
    std::snprintf(text, sizeof text, "load line %06d", n);
    return text;
}

// The lines of a CR LF text; false when a line holds a lone CR or LF or the text does not end
// with CR LF.
bool SplitCrLf(const std::string& text, std::vector<std::string>& lines) {
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find("\r\n", start);
        if (end == std::string::npos) {
            return false;
        }
        lines.push_back(text.substr(start, end - start));
        if (lines.back().find_first_of("\r\n") != std::string::npos) {
            return false;
        }
        start = end + 2;
    }
    return true;
}

// "[hh:nn:ss.zzz] " followed by text.
bool IsStamped(const std::string& line, const std::string& text) {
    static constexpr std::size_t kStamp = 15;
    return line.size() == kStamp + text.size() && line[0] == '[' && line[3] == ':' &&
           line[6] == ':' && line[9] == '.' && line[13] == ']' && line[14] == ' ' &&
           line.compare(kStamp, std::string::npos, text) == 0;
}

double MeanMs(const std::vector<qint64>& ms, std::size_t from, std::size_t count) {
    const auto begin = ms.begin() + static_cast<std::ptrdiff_t>(from);
    return static_cast<double>(
               std::accumulate(begin, begin + static_cast<std::ptrdiff_t>(count), qint64{0})) /
           static_cast<double>(count);
}

using TransactionLogLoad = WindowFixture;

TEST_F(TransactionLogLoad, AHundredThousandLinesReachTheFileInOrder) {
    auto& window = Start();
    window.ToolsLogTransactionsToFileItemClick();
    ASSERT_TRUE(window.Log().LogTransactionsToFile());
    const long residentBefore = TestSupport::ResidentKb();

    std::vector<qint64> chunkMs;
    QElapsedTimer total;
    total.start();
    for (int chunk = 0; chunk < kChunks; ++chunk) {
        QElapsedTimer elapsed;
        elapsed.start();
        for (int i = 0; i < kChunkLines; ++i) {
            window.AddLogLine(LoadLine(chunk * kChunkLines + i));
        }
        chunkMs.push_back(elapsed.elapsed());
        // The loop turns between the chunks, as it does between completions.
        QCoreApplication::processEvents();
    }
    const qint64 totalMs = total.elapsed();
    const long residentAfter = TestSupport::ResidentKb();
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(';').toStdString();

    std::vector<std::string> lines;
    ASSERT_TRUE(SplitCrLf(ReadProgramFile("TransactionLog.txt"), lines))
        << "a line of the file is not ended by CR LF";
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kLines) + 3);
    EXPECT_EQ(lines[0], "");
    EXPECT_TRUE(
        IsStamped(lines[1], "*** Transactions are now being logged to both screen and file."))
        << lines[1];
    EXPECT_EQ(lines[2], "");
    int wrong = 0;
    int firstWrong = -1;
    for (int n = 0; n < kLines; ++n) {
        if (!IsStamped(lines[static_cast<std::size_t>(n) + 3], LoadLine(n))) {
            firstWrong = firstWrong < 0 ? n : firstWrong;
            ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0) << "the first wrong line is number " << firstWrong;
    EXPECT_FALSE(window.Log().HasTransactionLogStream()) << "the file was left open";

    const QTextDocument* document = Ui().LogMemo->document();
    EXPECT_TRUE(
        document->lastBlock().text().endsWith(QString::fromStdString(LoadLine(kLines - 1))));

    // A quadratic append shows as a last thousand lines far dearer than the first ones.
    const double firstMs = MeanMs(chunkMs, 0, 10);
    const double lastMs = MeanMs(chunkMs, kChunks - 10, 10);
    EXPECT_LT(lastMs, 10 * firstMs + 100) << "the cost of a line grows with the log";
    std::printf("[ figures  ] %d lines in %lld ms; per 1000 lines: first %.1f ms, last %.1f ms; "
                "view blocks %d; resident %ld kB -> %ld kB (+%ld kB)\n",
                kLines, static_cast<long long>(totalMs), firstMs, lastMs, document->blockCount(),
                residentBefore, residentAfter, residentAfter - residentBefore);
}

} // namespace
