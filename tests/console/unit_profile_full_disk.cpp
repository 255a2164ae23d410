// The console settings file on a full disk: a write that fails keeps the old file. POSIX only:
// the full disk is the process's file size limit (setrlimit), which Windows does not have.
#include "ConsoleFileError.h"
#include "ConsoleTestSupport.h"
#include "ProfileFile.h"

#include "FileSizeLimit.h"

#include <gtest/gtest.h>

using namespace Sondrel;
using ConsoleTest::ReadAll;
using ConsoleTest::TTempFolder;
using ConsoleTest::WriteAll;
using TestSupport::TFileSizeLimit;

TEST(ProfileWriteFailure, FullDiskRaisesNamingThePathAndKeepsTheOldFile) {
    TTempFolder dir;
    const std::string before = "[General]\r\nLogTransactionsToFile=0\r\n";
    WriteAll(dir / "CorvaneDemo.dat", before);
    TProfileFile file(dir / "CorvaneDemo.dat");
    try {
        TFileSizeLimit limit(before.size() + 8);
        file.WriteString("General", "Long", std::string(200, 'x'));
        FAIL() << "the write must fail";
    } catch (const EConsoleFileError& e) {
        EXPECT_NE(std::string(e.what()).find((dir / "CorvaneDemo.dat").string()),
                  std::string::npos);
        EXPECT_EQ(e.Path(), dir / "CorvaneDemo.dat");
    }
    EXPECT_EQ(ReadAll(dir / "CorvaneDemo.dat"), before);
    EXPECT_EQ(ConsoleTest::FileNames(dir.Path()).size(), 1u) << "the temporary file is removed";
}
