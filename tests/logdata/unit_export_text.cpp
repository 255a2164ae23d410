// The CSV and HTML exports of the record list, byte for byte, and the list-view engine.
#include "ExportTestSupport.h"

#include "AnsiText.h"
#include "CsvExporter.h"
#include "HtmlExporter.h"
#include "ListViewDataEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using namespace Sondrel;
using namespace ExportTest;

namespace {

const char* const kTitles =
    "Record Index,Date,Time,Cnts 1,Cnts 2,Cnts 3,Cnts 4,Cnts 5,Cnts 6,Cnts 7,Cnts 8,Cnts 9,"
    "Total Cnts,PPB 1,PPB 2,PPB 3,PPB 4,PPB 5,PPB 6,PPB 7,PPB 8,PPB 9,Total PPB,Flow Rate,"
    "Cell Condition,Laser Condition,Index\r\n";

// Record 5 with a value in every shown column.
TRecordItem FullItem() {
    return MakeItem(5, {{3, 2014},
                        {4, 3},
                        {5, 7},
                        {6, 9},
                        {7, 5},
                        {33, 1}, // Cnts 1: high word 1, low word 0
                        {52, 42},
                        {64, 12}, // PPB 1: 12 and 5 hundredths
                        {65, 5},
                        {15, 28},
                        {13, 91},
                        {14, 99}});
}

// Record 7 whose "Cnts 1" guard cell is empty: its sub-items move one place to the left and
// the last column is empty.
TRecordItem ShiftedItem() {
    return MakeItem(7, {{3, 2014}, {4, 1}, {5, 2}}, {9});
}

class TextExport : public ::testing::Test {
protected:
    TextExport() {
        List.Append(FullItem());
        List.Append(ShiftedItem());
    }

    std::string Csv() {
        TListViewDataEngine engine(List);
        std::ostringstream out;
        TCsvExporter::Write(engine, out);
        return out.str();
    }
    std::string Html() {
        TListViewDataEngine engine(List);
        std::ostringstream out;
        THtmlExporter::Write(engine, out);
        return out.str();
    }

    TRecordList List;
};

} // namespace

TEST_F(TextExport, CsvIsTheTitleRowAndTheListAsShownWithCommasAndCrLf) {
    const std::string expected =
        std::string(kTitles) +
        "00005,03/07/2014,09:05,65535,0,0,0,0,0,0,0,0,42,12.05,0.00,0.00,0.00,0.00,0.00,0.00,"
        "0.00,0.00,12.05,28,91,99,00006\r\n"
        "00007,01/02/2014,00:00,0,0,0,0,0,0,0,0,0,0.00,0.00,0.00,0.00,0.00,0.00,0.00,0.00,0.00,"
        "0.00,0,0,0,00008,\r\n";
    EXPECT_EQ(Csv(), expected);
}

TEST_F(TextExport, AnEmptyRecordIsItsRecordIndexEmptyFieldsAndItsIndexInCsvAndHtml) {
    List.Clear();
    List.Append(MakeErasedItem(9, 4));
    EXPECT_EQ(Csv(), std::string(kTitles) + "00009" + std::string(25, ',') + ",00006\r\n");
    const std::string html = Html();
    EXPECT_EQ(html.find("65535"), std::string::npos) << html;
    const std::vector<std::string> lines = SplitCrLfLines(html);
    const auto first = std::find(lines.begin(), lines.end(), "<td>00009</td>");
    ASSERT_NE(first, lines.end()) << html;
    for (int c = 1; c <= 25; ++c) {
        EXPECT_EQ(*(first + c), "<td></td>") << c;
    }
    EXPECT_EQ(*(first + 26), "<td>00006</td>");
}

TEST_F(TextExport, CsvNeverQuotesAndWritesAnsiBytes) {
    List.SetColumnCaption(1, "a,b \"c\"");
    List.SetColumnCaption(2, "\xC2\xB5m \xE2\x82\xAC"); // "µm €" in UTF-8
    List.SetColumnCaption(3, "\xE6\x97\xA5 \xFF");      // a CJK character and a stray byte
    const std::string csv = Csv();
    const std::string expected = "Record Index,a,b \"c\",\xB5m \x80,? ?,Cnts 2,Cnts 3,";
    EXPECT_EQ(csv.substr(0, expected.size()), expected);
}

TEST_F(TextExport, EmptyListWritesTheTitleRowOnly) {
    List.Clear();
    EXPECT_EQ(Csv(), kTitles);
    const auto lines = SplitCrLfLines(Html());
    EXPECT_EQ(lines.size(), 10U + 1 + 27 + 1 + 4);
}

TEST_F(TextExport, HtmlPageHasItsHeadThenOneTableRowPerLine) {
    const std::string html = Html();
    ASSERT_GE(html.size(), 2U);
    EXPECT_EQ(html.substr(html.size() - 2), "\r\n");
    std::size_t lineFeeds = 0;
    for (std::size_t at = 0; (at = html.find('\n', at)) != std::string::npos; ++at) {
        EXPECT_EQ(html[at - 1], '\r') << "bare LF at " << at;
        ++lineFeeds;
    }
    const auto lines = SplitCrLfLines(html);
    const std::vector<std::string> head = {
        "<html>",
        "<head>",
        "<meta http-equiv=\"Content-Type\"",
        "content=\"text/html; charset=windows-1252\">",
        std::string("<meta name=\"GENERATOR\" content=\"Sondrel ") + SONDREL_TEST_VERSION + "\">",
        "<title>Data exported by Sondrel</title>",
        "</head>",
        "",
        "<body bgcolor=\"#FFFFFF\">",
        "<table border=\"1\">"};
    ASSERT_EQ(lines.size(), head.size() + 3 * (27 + 2) + 4);
    EXPECT_EQ(lineFeeds, lines.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 10), head);

    auto row = [&](std::size_t r) {
        const auto first = lines.begin() + 10 + static_cast<std::ptrdiff_t>(r * 29);
        return std::vector<std::string>(first, first + 29);
    };
    const auto titles = row(0);
    EXPECT_EQ(titles.front(), "<tr>");
    EXPECT_EQ(titles[1], "<th>Record Index</th>");
    EXPECT_EQ(titles[27], "<th>Index</th>");
    EXPECT_EQ(titles.back(), "</tr>");
    const auto full = row(1);
    EXPECT_EQ(full[1], "<td>00005</td>");
    EXPECT_EQ(full[2], "<td>03/07/2014</td>");
    EXPECT_EQ(full[4], "<td>65535</td>");
    EXPECT_EQ(full[14], "<td>12.05</td>");
    EXPECT_EQ(full[27], "<td>00006</td>");
    const auto shifted = row(2);
    EXPECT_EQ(shifted[26], "<td>00008</td>");
    EXPECT_EQ(shifted[27], "<td></td>");
    EXPECT_EQ(shifted.back(), "</tr>");
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              (std::vector<std::string>{"</table>", "", "</body>", "</html>"}));
}

TEST_F(TextExport, HtmlEscapesCellsAndKeepsCharactersTheCodePageLacks) {
    List.SetColumnCaption(0, "<a href=\"x\">&</a>");
    List.SetColumnCaption(1, "\xC2\xB5m \xE6\x97\xA5");
    const auto lines = SplitCrLfLines(Html());
    EXPECT_EQ(lines.at(11), "<th>&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;</th>");
    EXPECT_EQ(lines.at(12), "<th>\xB5m &#26085;</th>");
}

TEST(AnsiText, ConvertsWhatWindows1252HasAndReplacesTheRest) {
    EXPECT_EQ(Utf8ToWindows1252("12.05,03/07/2014", umQuestionMark), "12.05,03/07/2014");
    // Latin-1 range, the 0x80..0x9F specials, and a C1 control that the code page lacks.
    EXPECT_EQ(Utf8ToWindows1252("\xC3\xA9\xE2\x84\xA2\xC5\xB8\xC2\x81", umQuestionMark),
              "\xE9\x99\x9F?");
    // Overlong, surrogate, truncated sequences: one '?' per bad byte.
    EXPECT_EQ(Utf8ToWindows1252("\xC0\xAF|\xED\xA0\x80|\xE2\x82", umQuestionMark), "??|???|??");
    EXPECT_EQ(Utf8ToWindows1252("\xF0\x9F\x98\x80", umNumericReference), "&#128512;");
    EXPECT_EQ(XmlSafeUtf8("a\x01\tb\xC3\xA9\xFF\xEF\xBF\xBF"), "a?\tb\xC3\xA9??");
}

TEST(ListViewEngine, ColumnsFollowTheListsCaptionsAndPixelWidths) {
    TRecordList list;
    list.SetColumnCaption(3, "3-5 cnts");
    TListViewDataEngine engine(list);
    engine.Open();
    ASSERT_EQ(engine.Columns().size(), 27U);
    EXPECT_EQ(engine.Columns()[0].Title, "Record Index");
    EXPECT_EQ(engine.Columns()[3].Title, "3-5 cnts");
    EXPECT_EQ(engine.Columns()[0].Width, 30);  // 120 pixels
    EXPECT_EQ(engine.Columns()[26].Width, 12); // 50 pixels
    EXPECT_EQ(TListViewDataEngine::CharacterWidth(0), 5);
    EXPECT_EQ(TListViewDataEngine::CharacterWidth(3), 5);
    EXPECT_EQ(TListViewDataEngine::CharacterWidth(4), 1);
    EXPECT_EQ(TListViewDataEngine::CharacterWidth(7), 1);
    EXPECT_EQ(TListViewDataEngine::CharacterWidth(121), 30);
}
