// The progress of a download's passes as sondrel-cli writes it: a line rewritten in place on a
// terminal, a line every tenth of a pass elsewhere, nothing with --quiet.
#include "DownloadProgress.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace Sondrel;
using namespace SondrelCli;

namespace {

TPassProgress At(std::int32_t pass, std::int32_t done, std::int32_t blocks, std::int64_t elapsedMs,
                 double left) {
    TPassProgress p;
    p.Pass = pass;
    p.BlocksDone = done;
    p.Blocks = blocks;
    p.Received = done;
    p.Requested = blocks;
    p.ElapsedMs = elapsedMs;
    p.SecondsLeft = left;
    return p;
}

// A pass of 20 blocks, one every 50 ms, with the time left that the rate gives.
void RunPass(TDownloadProgress& progress, std::int32_t pass = 1) {
    for (std::int32_t done = 0; done <= 20; ++done) {
        progress.ShowPassProgress(
            At(pass, done, 20, done * 50, done == 0 ? 1.5 : (20 - done) * 0.05));
    }
}

} // namespace

TEST(DownloadProgress, ALineTellsRecordsRateAndTimeLeft) {
    EXPECT_EQ(TDownloadProgress::Describe(At(2, 1234, 20000, 30000, 405.2)),
              "Pass 2: 1234 of 20000 records, 41.1 records/s, 00:06:46 left");
    EXPECT_EQ(TDownloadProgress::Describe(At(1, 0, 20000, 0, -1)),
              "Pass 1: 0 of 20000 records, - records/s, --:--:-- left")
        << "no rate and no time left before the first block";
}

TEST(DownloadProgress, OnATerminalOneLineIsRewrittenAndEndedWithThePass) {
    std::ostringstream out;
    TDownloadProgress progress(out, TDownloadProgress::psTerminal);
    RunPass(progress);
    const std::string text = out.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 21) << "rewritten after every block";
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << "one line for the pass";
    EXPECT_EQ(text.substr(text.rfind('\r')),
              "\rPass 1: 20 of 20 records, 20.0 records/s, 00:00:00 left\x1b[K\n");
}

TEST(DownloadProgress, OtherOutputBreaksAnOpenLineOnlyOnce) {
    std::ostringstream out;
    TDownloadProgress progress(out, TDownloadProgress::psTerminal);
    progress.ShowPassProgress(At(1, 3, 20, 150, 0.85));
    progress.BreakLine();
    progress.BreakLine();
    EXPECT_EQ(out.str(), "\rPass 1: 3 of 20 records, 20.0 records/s, 00:00:01 left\x1b[K\n");
}

TEST(DownloadProgress, ElsewhereAPlainLineForEveryTenthOfAPass) {
    std::ostringstream out;
    TDownloadProgress progress(out, TDownloadProgress::psPlain);
    RunPass(progress, 1);
    RunPass(progress, 2);
    const std::string text = out.str();
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 20) << "ten lines a pass";
    EXPECT_EQ(text.substr(0, text.find('\n')),
              "Pass 1: 2 of 20 records, 20.0 records/s, 00:00:01 left");
    EXPECT_NE(text.find("Pass 2: 20 of 20 records"), std::string::npos);
}

TEST(DownloadProgress, QuietWritesNothing) {
    std::ostringstream out;
    TDownloadProgress progress(out, TDownloadProgress::psQuiet);
    RunPass(progress);
    progress.BreakLine();
    EXPECT_TRUE(out.str().empty());
}
