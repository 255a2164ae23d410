// Failed exports: a stream that fails part way, a file system that refuses, a folder that is
// missing. A failed export raises a clear error, leaves no file of its own, and never touches
// an existing file.
#include "ExportTestSupport.h"

#include "CsvExporter.h"
#include "ExportError.h"
#include "ExportFile.h"
#include "HtmlExporter.h"
#include "ListViewDataEngine.h"
#include "LogExporter.h"

#include "FileSizeLimit.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Sondrel;
using namespace ExportTest;
using TestSupport::TFileSizeLimit;

namespace {

// A stream buffer that accepts `limit` bytes and refuses the rest.
class TFailingBuffer : public std::streambuf {
public:
    explicit TFailingBuffer(std::size_t limit) : FLimit(limit) {}
    std::size_t Written() const { return FWritten; }

protected:
    int_type overflow(int_type ch) override {
        if (FWritten >= FLimit) {
            return traits_type::eof();
        }
        ++FWritten;
        return traits_type::not_eof(ch);
    }
    std::streamsize xsputn(const char*, std::streamsize count) override {
        const auto take = std::min<std::size_t>(static_cast<std::size_t>(count), FLimit - FWritten);
        FWritten += take;
        return static_cast<std::streamsize>(take);
    }

private:
    std::size_t FLimit;
    std::size_t FWritten = 0;
};

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EExportError& e) {
        return e.what();
    }
    return "(no error)";
}

class FailedExport : public ::testing::Test {
protected:
    FailedExport() { FillWithRecords(List, 300); }

    std::string Export(TExportKind kind, const std::string& path) {
        return ErrorOf([&] { TLogExporter(List, true).Export(kind, path); });
    }

    TTempFolder Folder;
    TRecordList List;
};

} // namespace

TEST_F(FailedExport, StreamThatFailsPartWayRaisesInEveryWriter) {
    TListViewDataEngine engine(List);
    for (const std::size_t limit : {std::size_t{0}, std::size_t{10}, std::size_t{5000}}) {
        TFailingBuffer csvBuffer(limit);
        std::ostream csv(&csvBuffer);
        EXPECT_THROW(TCsvExporter::Write(engine, csv), EExportError) << limit;
        EXPECT_EQ(csvBuffer.Written(), limit);
        TFailingBuffer htmlBuffer(limit);
        std::ostream html(&htmlBuffer);
        EXPECT_THROW(THtmlExporter::Write(engine, html), EExportError) << limit;
    }
    // The same list fits a large enough stream: the failure above is the limit's.
    TFailingBuffer enough(1 << 20);
    std::ostream out(&enough);
    EXPECT_NO_THROW(TCsvExporter::Write(engine, out));
}

TEST_F(FailedExport, DiskRefusingWritesLeavesTheOldFileAndNoOtherForEveryKind) {
    for (const TExportKind kind : {ekCsv, ekXlsx, ekHtml}) {
        SCOPED_TRACE(static_cast<int>(kind));
        const std::string path = Folder.File("log.out");
        WriteFile(path, "previous export");
        std::string error;
        {
            TFileSizeLimit limit(2000);
            error = Export(kind, path);
        }
        EXPECT_EQ(error.rfind("Cannot write \"" + path + "\": ", 0), 0U) << error;
        EXPECT_EQ(ReadFile(path), "previous export");
        EXPECT_EQ(Folder.Entries(), std::vector<std::string>{"log.out"});
    }
    // Stream writers name the OS's reason.
    const std::string path = Folder.File("log.csv");
    TFileSizeLimit limit(2000);
    EXPECT_EQ(Export(ekCsv, path), "Cannot write \"" + path + "\": File too large");
}

TEST_F(FailedExport, XlsxNeverReportsSuccessForATruncatedWorkbook) {
    // libxlsxwriter stages the worksheet in temporary files; whatever the limit hits, the
    // export either fails or leaves a workbook that reads back whole.
    const std::string path = Folder.File("log.xlsx");
    for (const rlim_t bytes : {1000, 8000, 20000, 40000, 80000}) {
        SCOPED_TRACE(bytes);
        std::filesystem::remove(path);
        std::string error;
        {
            TFileSizeLimit limit(bytes);
            error = Export(ekXlsx, path);
        }
        if (error == "(no error)") {
            const TSheet sheet = ReadXlsx(path);
            EXPECT_TRUE(sheet.ReadOk) << sheet.Output;
            EXPECT_EQ(sheet.Rows.size(), 301U);
        } else {
            EXPECT_FALSE(std::filesystem::exists(path));
            EXPECT_TRUE(Folder.Entries().empty());
        }
    }
}

TEST_F(FailedExport, MissingOrUnwritableFolderNamesThePathAndTheReason) {
    const std::string missing = Folder.File("no-such-folder/log.csv");
    EXPECT_EQ(Export(ekCsv, missing),
              "Cannot write \"" + missing + "\": No such file or directory");
    const std::string xlsx = Folder.File("no-such-folder/log.xlsx");
    EXPECT_EQ(Export(ekXlsx, xlsx), "Cannot write \"" + xlsx + "\": No such file or directory");

    WriteFile(Folder.File("plain-file"), "x");
    const std::string underFile = Folder.File("plain-file/log.html");
    EXPECT_EQ(Export(ekHtml, underFile), "Cannot write \"" + underFile + "\": Not a directory");

    // A folder of that name at the target: nothing replaces it.
    std::filesystem::create_directory(Folder.File("log.csv"));
    const std::string error = Export(ekCsv, Folder.File("log.csv"));
    EXPECT_EQ(error.rfind("Cannot write \"" + Folder.File("log.csv") + "\": ", 0), 0U) << error;
    EXPECT_TRUE(std::filesystem::is_directory(Folder.File("log.csv")));
    EXPECT_EQ(Folder.Entries(), (std::vector<std::string>{"log.csv", "plain-file"}));
    EXPECT_EQ(Export(ekCsv, ""), "Cannot write \"\": no file name given");
}

TEST_F(FailedExport, ReadOnlyFolderIsRefusedByTheOs) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    const std::filesystem::path locked = Folder.Path() / "locked";
    std::filesystem::create_directory(locked);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_exec);
    const std::string path = (locked / "log.xlsx").string();
    EXPECT_EQ(Export(ekXlsx, path), "Cannot write \"" + path + "\": Permission denied");
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    EXPECT_TRUE(std::filesystem::is_empty(locked));
}

TEST_F(FailedExport, BodyThatThrowsLeavesNoFileAndSuccessReplacesTheOldOne) {
    const std::string path = Folder.File("data.csv");
    WriteFile(path, "old");
    EXPECT_EQ(ErrorOf([&] {
                  TExportFile::WriteStream(path, [](std::ostream& out) {
                      out << "partial";
                      throw EExportError("engine gave up");
                  });
              }),
              "Cannot write \"" + path + "\": engine gave up");
    EXPECT_THROW(TExportFile::WritePath(path, [](const std::string&) { throw std::bad_alloc(); }),
                 std::bad_alloc);
    EXPECT_EQ(ReadFile(path), "old");
    EXPECT_EQ(Folder.Entries(), std::vector<std::string>{"data.csv"});

    TExportFile::WriteStream(path, [](std::ostream& out) { out << "new"; });
    EXPECT_EQ(ReadFile(path), "new");
    EXPECT_EQ(Folder.Entries(), std::vector<std::string>{"data.csv"});
}
