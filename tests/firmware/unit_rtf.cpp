// The instruction file reader: styles, paragraphs, escapes, damaged and hostile input, and the
// HTML shown in the firmware page.
#include "RtfHtmlWriter.h"
#include "RtfReader.h"
#include "Utf8.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace Sondrel;

namespace {

std::string CorpusFile(const std::string& name) {
    std::ifstream file(std::string(SONDREL_RTF_CORPUS_DIR) + "/" + name, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string ParagraphText(const TRtfParagraph& paragraph) {
    std::string text;
    for (const auto& run : paragraph.Runs) {
        text += run.Text;
    }
    return text;
}

std::vector<std::string> Texts(const TRtfDocument& document) {
    std::vector<std::string> texts;
    for (const auto& paragraph : document.Paragraphs) {
        texts.push_back(ParagraphText(paragraph));
    }
    return texts;
}

// The run holding text, or nullptr.
const TRtfRun* RunWith(const TRtfDocument& document, const std::string& text) {
    for (const auto& paragraph : document.Paragraphs) {
        for (const auto& run : paragraph.Runs) {
            if (run.Text.find(text) != std::string::npos) {
                return &run;
            }
        }
    }
    return nullptr;
}

// Every run of every paragraph is non-empty well-formed UTF-8.
void ExpectWellFormed(const TRtfDocument& document) {
    for (const auto& paragraph : document.Paragraphs) {
        for (const auto& run : paragraph.Runs) {
            EXPECT_FALSE(run.Text.empty());
            EXPECT_TRUE(IsValidUtf8(run.Text));
        }
    }
}

} // namespace

TEST(RtfReader, WordPadInstructionFileKeepsParagraphsAndStyles) {
    const auto document = TRtfReader::Parse(CorpusFile("instructions_wordpad.rtf"));
    ASSERT_FALSE(document.Damaged);
    EXPECT_FALSE(document.Truncated);
    const std::vector<std::string> expected = {
        "Firmware Update Instructions",
        "\xC2\xB7\tConnect the instrument to a serial port of this computer.",
        "\xC2\xB7\tSelect the port under Select Serial Port and the hex file with Browse...",
        "\xC2\xB7\tPress START. Do not switch the instrument off while it is being programmed.",
        "Questions? Call 800-555-0199 \xE2\x80\x93 we\xE2\x80\x99re glad to help."};
    EXPECT_EQ(Texts(document), expected);

    const auto* title = RunWith(document, "Firmware Update");
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(title->Format.Bold);
    EXPECT_EQ(title->Format.HalfPoints, 28);
    EXPECT_FALSE(title->Format.Colour.has_value());

    const auto* italic = RunWith(document, "Select Serial Port");
    ASSERT_NE(italic, nullptr);
    EXPECT_TRUE(italic->Format.Italic);
    EXPECT_EQ(italic->Text, "Select Serial Port");
    EXPECT_EQ(italic->Format.HalfPoints, 22);

    const auto* underlined = RunWith(document, "Browse...");
    ASSERT_NE(underlined, nullptr);
    EXPECT_TRUE(underlined->Format.Underline);

    const auto* warning = RunWith(document, "not");
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(warning->Text, "not");
    EXPECT_TRUE(warning->Format.Bold);
    EXPECT_EQ(warning->Format.Colour, (TRtfColour{255, 0, 0}));

    const auto* blue = RunWith(document, "Questions?");
    ASSERT_NE(blue, nullptr);
    EXPECT_EQ(blue->Format.Colour, (TRtfColour{0, 77, 187}));
    EXPECT_FALSE(blue->Format.Bold);
}

TEST(RtfReader, WordFileShowsBodyAndFieldResultButNoTablesHeadersOrData) {
    const auto document = TRtfReader::Parse(CorpusFile("instructions_word.rtf"));
    ASSERT_FALSE(document.Damaged);
    const auto texts = Texts(document);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "Updating the firmware");
    EXPECT_EQ(texts[1], "1.\tClose every other program that uses the port.\n2.\tChoose "
                        "\xE2\x80\x9C"
                        "19200 bps\xE2\x80\x9D unless told otherwise.");
    EXPECT_EQ(texts[2], "Support page");
    const auto* heading = RunWith(document, "Updating");
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->Format.HalfPoints, 32);
    EXPECT_EQ(heading->Format.Colour, (TRtfColour{0, 0, 255}));
    const auto* link = RunWith(document, "Support page");
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->Format.Underline);
    EXPECT_EQ(link->Format.Colour, (TRtfColour{0, 128, 0}));
    const auto* bold = RunWith(document, "19200 bps");
    ASSERT_NE(bold, nullptr);
    EXPECT_TRUE(bold->Format.Bold);
}

TEST(RtfReader, EscapesUnicodeAndFallbacks) {
    const auto document = TRtfReader::Parse(CorpusFile("instructions_unicode.rtf"));
    ASSERT_FALSE(document.Damaged);
    const std::vector<std::string> expected = {"Temp\xC3\xA9rature: 20 \xC2\xB0"
                                               "C \xE2\x80\x93 Ger\xC3\xA4t neu starten.",
                                               "Caf\xC3\xA9 \xE2\x82\xAC"
                                               "5",
                                               "Emoji \xF0\x9F\x98\x80 check",
                                               "Warning: keep the {brackets} and the \\ backslash.",
                                               "last line"};
    EXPECT_EQ(Texts(document), expected);
    const auto* warning = RunWith(document, "Warning:");
    ASSERT_NE(warning, nullptr);
    EXPECT_TRUE(warning->Format.Underline);
    EXPECT_TRUE(warning->Format.Italic);
    EXPECT_EQ(warning->Format.Colour, (TRtfColour{192, 0, 0}));
    EXPECT_EQ(warning->Format.HalfPoints, 20);
}

TEST(RtfReader, GroupsRestoreTheFormatTheyFound) {
    const auto document = TRtfReader::Parse("{\\rtf1 a{\\b\\i b{\\b0 c}d}e\\b\\fs40 f\\plain g}");
    ASSERT_EQ(document.Paragraphs.size(), 1u);
    const auto& runs = document.Paragraphs[0].Runs;
    ASSERT_EQ(runs.size(), 7u);
    EXPECT_EQ(runs[0].Text, "a");
    EXPECT_FALSE(runs[0].Format.Bold);
    EXPECT_EQ(runs[1].Text, "b");
    EXPECT_TRUE(runs[1].Format.Bold && runs[1].Format.Italic);
    EXPECT_EQ(runs[2].Text, "c");
    EXPECT_TRUE(!runs[2].Format.Bold && runs[2].Format.Italic);
    EXPECT_EQ(runs[3].Text, "d");
    EXPECT_TRUE(runs[3].Format.Bold);
    EXPECT_EQ(runs[4].Text, "e");
    EXPECT_EQ(runs[4].Format, TRtfCharFormat{});
    EXPECT_EQ(runs[5].Text, "f");
    EXPECT_TRUE(runs[5].Format.Bold);
    EXPECT_EQ(runs[5].Format.HalfPoints, 40);
    EXPECT_EQ(runs[6].Text, "g");
    EXPECT_EQ(runs[6].Format, TRtfCharFormat{});
    EXPECT_FALSE(document.Truncated);
}

TEST(RtfReader, HugeAndNegativeNumbersAreClamped) {
    const auto document =
        TRtfReader::Parse("{\\rtf1{\\colortbl;\\red99999999999999999999\\green-5\\blue300;}"
                          "\\fs99999999999999999999 big\\fs-7 small\\cf1 red\\cf4294967296 auto"
                          "\\u99999999 x\\uc99999999999 y}");
    ASSERT_FALSE(document.Damaged);
    const auto* big = RunWith(document, "big");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->Format.HalfPoints, 3276);
    EXPECT_EQ(RunWith(document, "small")->Format.HalfPoints, 2);
    EXPECT_EQ(RunWith(document, "red")->Format.Colour, (TRtfColour{255, 0, 255}));
    EXPECT_FALSE(RunWith(document, "auto")->Format.Colour.has_value());
    ExpectWellFormed(document);
}

TEST(RtfReader, TextThatIsNotRtfIsDamaged) {
    EXPECT_TRUE(TRtfReader::Parse(CorpusFile("not_rtf.txt")).Damaged);
    EXPECT_TRUE(TRtfReader::Parse("").Damaged);
    EXPECT_TRUE(TRtfReader::Parse("{\\rt").Damaged);
    EXPECT_TRUE(TRtfReader::Parse(std::string("\0{\\rtf1 x}", 10)).Damaged);
    EXPECT_FALSE(TRtfReader::Parse("\xEF\xBB\xBF\r\n {\\rtf1 x}").Damaged);
    EXPECT_EQ(RtfToHtml(TRtfReader::Parse("hello")), "");
}

TEST(RtfReader, MissingOrOversizedFilesAreDamaged) {
    EXPECT_TRUE(TRtfReader::LoadFile("/nonexistent/Instructions-Firmware-Update.rtf").Damaged);
    EXPECT_TRUE(TRtfReader::LoadFile(std::filesystem::temp_directory_path().string()).Damaged);
    const auto document =
        TRtfReader::LoadFile(std::string(SONDREL_RTF_CORPUS_DIR) + "/instructions_wordpad.rtf");
    EXPECT_FALSE(document.Damaged);
    EXPECT_EQ(document.Paragraphs.size(), 5u);
}

TEST(RtfReader, TruncatedFileShowsWhatWasRead) {
    const auto document = TRtfReader::Parse(CorpusFile("truncated.rtf"));
    EXPECT_FALSE(document.Damaged);
    EXPECT_TRUE(document.Truncated);
    EXPECT_EQ(Texts(document), std::vector<std::string>{"Short and truncated bold tex"});
    // Cut inside a control word, an escape and a \u fallback.
    for (const char* cut : {"{\\rtf1 a\\", "{\\rtf1 a\\'", "{\\rtf1 a\\'4", "{\\rtf1 a\\u8364",
                            "{\\rtf1 a\\bin999999 xy", "{\\rtf1{\\colortbl;\\red1"}) {
        const auto partial = TRtfReader::Parse(cut);
        EXPECT_FALSE(partial.Damaged) << cut;
        EXPECT_TRUE(partial.Truncated) << cut;
        ExpectWellFormed(partial);
    }
}

TEST(RtfReader, DeepNestingIsCappedAndTheRestStillRead) {
    const auto document = TRtfReader::Parse(CorpusFile("deep_nesting.rtf"));
    EXPECT_TRUE(document.Truncated);
    EXPECT_EQ(Texts(document), std::vector<std::string>{" after"});

    std::string hostile = "{\\rtf1 ";
    hostile.append(1'000'000, '{');
    const auto deep = TRtfReader::Parse(hostile);
    EXPECT_TRUE(deep.Truncated);
    EXPECT_TRUE(deep.Paragraphs.empty());
}

TEST(RtfReader, UnbalancedClosingBraceEndsTheDocument) {
    const auto document = TRtfReader::Parse("{\\rtf1 shown\\par}}} not shown {\\b x}");
    EXPECT_FALSE(document.Truncated);
    EXPECT_EQ(Texts(document), std::vector<std::string>{"shown"});
}

TEST(RtfReader, BinaryNoiseGivesWellFormedTextAndEnds) {
    std::string noise = "{\\rtf1 ";
    std::uint32_t state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        noise += static_cast<char>(state >> 24);
    }
    const auto document = TRtfReader::Parse(noise);
    EXPECT_FALSE(document.Damaged);
    ExpectWellFormed(document);
    EXPECT_TRUE(IsValidUtf8(RtfToHtml(document)));
}

TEST(RtfReader, TextSizeIsCapped) {
    std::string big = "{\\rtf1 ";
    big.append(TRtfReader::MaxTextBytes + 10, 'x');
    big += "}";
    const auto document = TRtfReader::Parse(big);
    EXPECT_TRUE(document.Truncated);
    ASSERT_EQ(document.Paragraphs.size(), 1u);
    EXPECT_EQ(document.Paragraphs[0].Runs[0].Text.size(), TRtfReader::MaxTextBytes);
}

TEST(RtfReader, SurrogateHalvesOnTheirOwnBecomeReplacementCharacters) {
    const auto document = TRtfReader::Parse("{\\rtf1 a\\u-10179?b\\u-8704?c\\u-10179?}");
    EXPECT_EQ(Texts(document), std::vector<std::string>{"a\xEF\xBF\xBD"
                                                        "b\xEF\xBF\xBD"
                                                        "c\xEF\xBF\xBD"});
}

TEST(RtfHtml, EscapesTextAndCarriesStyles) {
    const auto document = TRtfReader::Parse(
        "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\fs21\\b\\cf1 <a href='x'>&\"\\b0\\par"
        "\\par\\i\\ul a\\line b}");
    const std::string html = RtfToHtml(document);
    EXPECT_NE(html.find("<span style=\"font-size:10.5pt; font-weight:bold; color:#ff0000\">"
                        "&lt;a href=&#39;x&#39;&gt;&amp;&quot;</span>"),
              std::string::npos);
    EXPECT_NE(html.find(">&nbsp;</p>"), std::string::npos);
    EXPECT_NE(
        html.find("font-style:italic; text-decoration:underline; color:#ff0000\">a<br/>b</span>"),
        std::string::npos);
    EXPECT_EQ(html.find("<a "), std::string::npos);
}

// Every seed of the fuzz harness is read without harm; the files that are RTF give text.
TEST(RtfCorpus, EverySeedParsesToWellFormedText) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SONDREL_RTF_CORPUS_DIR)) {
        std::ifstream file(entry.path(), std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        const auto document = TRtfReader::Parse(text.str());
        ExpectWellFormed(document);
        EXPECT_TRUE(IsValidUtf8(RtfToHtml(document))) << entry.path();
        ++files;
    }
    EXPECT_GE(files, 6);
}
