// --csv, --xlsx and --html of the download commands.
#include "ExportOptions.h"
#include "ExportTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace Sondrel;
using namespace SondrelCli;
using namespace SondrelOptions;
using namespace ExportTest;

namespace {

TCommandLine Line(const std::vector<std::string>& args) {
    return TCommandLine(args, ExportOptionNames(), {});
}

} // namespace

TEST(ExportOptions, EachKindNamesItsFileAndAnEmptyNameIsAUsageError) {
    EXPECT_EQ(ParseExportOptions(Line({"download", "--html", "a.html", "--csv=b.csv"})),
              (std::vector<TExportRequest>{{ekCsv, "b.csv"}, {ekHtml, "a.html"}}));
    EXPECT_TRUE(ParseExportOptions(Line({"download"})).empty());
    EXPECT_THROW(ParseExportOptions(Line({"download", "--xlsx="})), EUsageError);
}

TEST(ExportOptions, WritesEveryFileAndReportsEachFailureOnItsOwnLine) {
    TTempFolder folder;
    TRecordList list;
    FillWithRecords(list, 4);
    const std::string missing = folder.File("missing/log.html");
    std::ostringstream err;
    EXPECT_FALSE(WriteExports(
        {{ekCsv, folder.File("log.csv")}, {ekHtml, missing}, {ekXlsx, folder.File("log.xlsx")}},
        list, true, err));
    EXPECT_EQ(err.str(),
              "sondrel-cli: Cannot write \"" + missing + "\": No such file or directory\n");
    EXPECT_EQ(SplitCrLfLines(ReadFile(folder.File("log.csv"))).size(), 5U);
    EXPECT_EQ(ReadXlsx(folder.File("log.xlsx")).Rows.size(), 5U);
}

TEST(ExportOptions, EmptyListIsRefusedAsTheWindowRefusesIt) {
    TTempFolder folder;
    TRecordList list;
    std::ostringstream err;
    EXPECT_TRUE(WriteExports({}, list, true, err));
    EXPECT_FALSE(WriteExports({{ekCsv, folder.File("log.csv")}}, list, true, err));
    EXPECT_EQ(err.str(), "sondrel-cli: The list is empty.  Please run the import again to "
                         "retrieve data.\n");
    EXPECT_TRUE(folder.Entries().empty());
}
