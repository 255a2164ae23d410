#include "RtfReader.h"

#include "Utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

namespace Sondrel {

namespace {

constexpr std::size_t MaxControlWordLetters = 32;
constexpr int MaxUnicodeSkip = 16;
constexpr int MinHalfPoints = 2;
constexpr int MaxHalfPoints = 3276;
constexpr char32_t Replacement = 0xFFFD;

// Windows-1252 from 0x80 to 0x9F; 0 marks the five undefined bytes.
constexpr std::array<char32_t, 32> Windows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t FromWindows1252(unsigned char b) {
    if (b >= 0x80 && b < 0xA0) {
        return Windows1252High[b - 0x80];
    }
    return b;
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

enum TDestination : std::uint8_t { dtText, dtSkip, dtColourTable };

struct TGroupState {
    TRtfCharFormat Format;
    TDestination Destination = dtText;
    int UnicodeSkip = 1;
};

enum TWord : std::uint8_t {
    wdUnknown,
    wdSkipDestination,
    wdColourTable,
    wdParagraph,
    wdLine,
    wdTab,
    wdBold,
    wdItalic,
    wdUnderline,
    wdUnderlineNone,
    wdPlain,
    wdFontSize,
    wdColour,
    wdRed,
    wdGreen,
    wdBlue,
    wdUnicode,
    wdUnicodeSkip,
    wdBinary,
    wdCharacter
};

struct TWordEntry {
    std::string_view Name;
    TWord Word;
    char32_t Character = 0;
};

constexpr TWordEntry Words[] = {
    {"par", wdParagraph},
    {"sect", wdParagraph},
    {"page", wdParagraph},
    {"row", wdParagraph},
    {"line", wdLine},
    {"tab", wdTab},
    {"cell", wdTab},
    {"b", wdBold},
    {"i", wdItalic},
    {"ul", wdUnderline},
    {"ulnone", wdUnderlineNone},
    {"plain", wdPlain},
    {"fs", wdFontSize},
    {"cf", wdColour},
    {"red", wdRed},
    {"green", wdGreen},
    {"blue", wdBlue},
    {"u", wdUnicode},
    {"uc", wdUnicodeSkip},
    {"bin", wdBinary},
    {"colortbl", wdColourTable},
    {"lquote", wdCharacter, 0x2018},
    {"rquote", wdCharacter, 0x2019},
    {"ldblquote", wdCharacter, 0x201C},
    {"rdblquote", wdCharacter, 0x201D},
    {"bullet", wdCharacter, 0x2022},
    {"endash", wdCharacter, 0x2013},
    {"emdash", wdCharacter, 0x2014},
    {"enspace", wdCharacter, 0x2002},
    {"emspace", wdCharacter, 0x2003},
    {"qmspace", wdCharacter, 0x2005},
    // Destinations whose content is never shown.
    {"fonttbl", wdSkipDestination},
    {"stylesheet", wdSkipDestination},
    {"info", wdSkipDestination},
    {"pict", wdSkipDestination},
    {"nonshppict", wdSkipDestination},
    {"shp", wdSkipDestination},
    {"object", wdSkipDestination},
    {"objdata", wdSkipDestination},
    {"header", wdSkipDestination},
    {"headerl", wdSkipDestination},
    {"headerr", wdSkipDestination},
    {"headerf", wdSkipDestination},
    {"footer", wdSkipDestination},
    {"footerl", wdSkipDestination},
    {"footerr", wdSkipDestination},
    {"footerf", wdSkipDestination},
    {"footnote", wdSkipDestination},
    {"annotation", wdSkipDestination},
    {"fldinst", wdSkipDestination},
    {"listtable", wdSkipDestination},
    {"listoverridetable", wdSkipDestination},
    {"rsidtbl", wdSkipDestination},
    {"revtbl", wdSkipDestination},
    {"filetbl", wdSkipDestination},
    {"generator", wdSkipDestination},
    {"themedata", wdSkipDestination},
    {"colorschememapping", wdSkipDestination},
    {"latentstyles", wdSkipDestination},
    {"datastore", wdSkipDestination},
    {"xmlnstbl", wdSkipDestination},
    {"pgdsctbl", wdSkipDestination},
    {"author", wdSkipDestination},
    {"operator", wdSkipDestination},
    {"title", wdSkipDestination},
    {"subject", wdSkipDestination},
    {"keywords", wdSkipDestination},
    {"comment", wdSkipDestination},
    {"doccomm", wdSkipDestination},
    {"template", wdSkipDestination},
    {"xe", wdSkipDestination},
    {"tc", wdSkipDestination},
    {"txe", wdSkipDestination},
    {"bkmkstart", wdSkipDestination},
    {"bkmkend", wdSkipDestination},
};

TWordEntry LookUp(std::string_view name) {
    static const std::vector<TWordEntry> sorted = [] {
        std::vector<TWordEntry> words(std::begin(Words), std::end(Words));
        std::sort(words.begin(), words.end(),
                  [](const TWordEntry& a, const TWordEntry& b) { return a.Name < b.Name; });
        return words;
    }();
    const auto found = std::lower_bound(
        sorted.begin(), sorted.end(), name,
        [](const TWordEntry& entry, std::string_view key) { return entry.Name < key; });
    if (found != sorted.end() && found->Name == name) {
        return *found;
    }
    // The underline styles (dotted, double, wave...) all show as underline; "\ulc" is the
    // underline colour, not an underline.
    if (name.size() > 2 && name.substr(0, 2) == "ul" && name != "ulc") {
        return {name, wdUnderline};
    }
    return {name, wdUnknown};
}

// One forward pass over the text with an explicit group stack.
class TRtfParser {
public:
    explicit TRtfParser(std::string_view input) : FIn(input) {}

    TRtfDocument Run();

private:
    bool Skipping() const { return FOverflow > 0 || FStack.back().Destination == dtSkip; }
    TGroupState& State() { return FStack.back(); }
    bool TakeFallback();
    void Stop();

    void OpenGroup();
    void CloseGroup();
    void ReadControl();
    void ControlWord(std::string_view name, bool hasParam, int param);
    void ControlSymbol(char c);
    void HexEscape();
    void Byte(unsigned char b);
    void UnicodeCharacter(int param);
    void SkipBinary(int count);
    void ColourTableByte(unsigned char b);

    void ResolveSurrogate();
    void Emit(char32_t cp);
    void EndParagraph();

    std::string_view FIn;
    std::size_t FPos = 0;
    std::vector<TGroupState> FStack;
    int FOverflow = 0;    // groups opened past MaxDepth, skipped whole
    int FPendingSkip = 0; // fallback characters still to skip after "\u"
    char32_t FHighSurrogate = 0;
    bool FClosed = false;  // the outermost group has ended
    bool FStopped = false; // a size limit was reached

    std::vector<std::optional<TRtfColour>> FColours;
    TRtfColour FColourEntry;
    bool FColourEntrySet = false;

    TRtfDocument FDocument;
    TRtfParagraph FParagraph;
    std::size_t FTextBytes = 0;
    std::size_t FRuns = 0;
};

TRtfDocument TRtfParser::Run() {
    std::size_t start = 0;
    if (FIn.substr(0, 3) == "\xEF\xBB\xBF") {
        start = 3;
    }
    while (start < FIn.size() &&
           (FIn[start] == ' ' || FIn[start] == '\t' || FIn[start] == '\r' || FIn[start] == '\n')) {
        ++start;
    }
    if (FIn.size() > TRtfReader::MaxInputBytes || FIn.substr(start, 5) != "{\\rtf") {
        FDocument.Damaged = true;
        return FDocument;
    }
    FPos = start;
    while (!FClosed && !FStopped && FPos < FIn.size()) {
        const char c = FIn[FPos++];
        switch (c) {
        case '{':
            OpenGroup();
            break;
        case '}':
            CloseGroup();
            break;
        case '\\':
            ReadControl();
            break;
        case '\r':
        case '\n':
            break;
        default:
            Byte(static_cast<unsigned char>(c));
            break;
        }
    }
    if (!FClosed) {
        FDocument.Truncated = true;
    }
    if (!FStack.empty()) {
        ResolveSurrogate();
    }
    if (!FParagraph.Runs.empty() && FDocument.Paragraphs.size() < TRtfReader::MaxParagraphs) {
        FDocument.Paragraphs.push_back(std::move(FParagraph));
    }
    return std::move(FDocument);
}

void TRtfParser::Stop() {
    FStopped = true;
    FDocument.Truncated = true;
}

bool TRtfParser::TakeFallback() {
    if (FPendingSkip > 0) {
        --FPendingSkip;
        return true;
    }
    return false;
}

void TRtfParser::OpenGroup() {
    FPendingSkip = 0;
    if (!FStack.empty()) {
        ResolveSurrogate();
    }
    if (FOverflow > 0 || FStack.size() >= static_cast<std::size_t>(TRtfReader::MaxDepth)) {
        ++FOverflow;
        FDocument.Truncated = true;
        return;
    }
    FStack.push_back(FStack.empty() ? TGroupState{} : FStack.back());
}

void TRtfParser::CloseGroup() {
    FPendingSkip = 0;
    ResolveSurrogate();
    if (FOverflow > 0) {
        --FOverflow;
        return;
    }
    FStack.pop_back();
    if (FStack.empty()) {
        FClosed = true;
    }
}

void TRtfParser::ReadControl() {
    if (FPos >= FIn.size()) {
        return;
    }
    if (!IsLetter(FIn[FPos])) {
        ControlSymbol(FIn[FPos++]);
        return;
    }
    const std::size_t nameStart = FPos;
    while (FPos < FIn.size() && IsLetter(FIn[FPos])) {
        ++FPos;
    }
    const std::size_t nameLength = FPos - nameStart;
    // An overlong word is no word we know; it is read to its end and ignored.
    const std::string_view name = nameLength <= MaxControlWordLetters
                                      ? FIn.substr(nameStart, nameLength)
                                      : std::string_view();

    bool negative = false;
    if (FPos + 1 < FIn.size() && FIn[FPos] == '-' && IsDigit(FIn[FPos + 1])) {
        negative = true;
        ++FPos;
    }
    bool hasParam = false;
    std::int64_t value = 0;
    int digits = 0;
    while (FPos < FIn.size() && IsDigit(FIn[FPos])) {
        // Digits past the tenth are read but no longer change the value.
        if (digits < 10) {
            value = value * 10 + (FIn[FPos] - '0');
        }
        ++digits;
        ++FPos;
        hasParam = true;
    }
    if (negative) {
        value = -value;
    }
    value = std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                     std::numeric_limits<int>::max());
    if (FPos < FIn.size() && FIn[FPos] == ' ') {
        ++FPos;
    }
    ControlWord(name, hasParam, static_cast<int>(value));
}

void TRtfParser::ControlWord(std::string_view name, bool hasParam, int param) {
    const TWordEntry entry = LookUp(name);
    if (entry.Word == wdBinary) {
        SkipBinary(hasParam ? param : 0);
        TakeFallback();
        return;
    }
    if (TakeFallback() || FOverflow > 0) {
        return;
    }
    auto& state = State();
    if (state.Destination == dtColourTable) {
        const auto component = static_cast<std::uint8_t>(std::clamp(param, 0, 255));
        if (entry.Word == wdRed) {
            FColourEntry.Red = component;
            FColourEntrySet = true;
        } else if (entry.Word == wdGreen) {
            FColourEntry.Green = component;
            FColourEntrySet = true;
        } else if (entry.Word == wdBlue) {
            FColourEntry.Blue = component;
            FColourEntrySet = true;
        }
        return;
    }
    if (entry.Word == wdSkipDestination) {
        state.Destination = dtSkip;
        return;
    }
    if (state.Destination == dtSkip) {
        return;
    }
    const bool on = !hasParam || param != 0;
    switch (entry.Word) {
    case wdColourTable:
        state.Destination = dtColourTable;
        FColours.clear();
        FColourEntry = {};
        FColourEntrySet = false;
        break;
    case wdParagraph:
        EndParagraph();
        break;
    case wdLine:
        Emit('\n');
        break;
    case wdTab:
        Emit('\t');
        break;
    case wdCharacter:
        Emit(entry.Character);
        break;
    case wdBold:
        state.Format.Bold = on;
        break;
    case wdItalic:
        state.Format.Italic = on;
        break;
    case wdUnderline:
        state.Format.Underline = on;
        break;
    case wdUnderlineNone:
        state.Format.Underline = false;
        break;
    case wdPlain:
        state.Format = TRtfCharFormat{};
        break;
    case wdFontSize:
        state.Format.HalfPoints = hasParam ? std::clamp(param, MinHalfPoints, MaxHalfPoints)
                                           : TRtfCharFormat::DefaultHalfPoints;
        break;
    case wdColour:
        if (hasParam && param >= 0 && static_cast<std::size_t>(param) < FColours.size()) {
            state.Format.Colour = FColours[static_cast<std::size_t>(param)];
        } else {
            state.Format.Colour.reset();
        }
        break;
    case wdUnicode:
        if (hasParam) {
            UnicodeCharacter(param);
        }
        break;
    case wdUnicodeSkip:
        state.UnicodeSkip = hasParam ? std::clamp(param, 0, MaxUnicodeSkip) : 1;
        break;
    default:
        break;
    }
}

void TRtfParser::ControlSymbol(char c) {
    if (c == '\'') {
        HexEscape();
        return;
    }
    if (TakeFallback() || FOverflow > 0) {
        return;
    }
    switch (c) {
    case '\\':
    case '{':
    case '}':
        Byte(static_cast<unsigned char>(c));
        break;
    case '*':
        State().Destination = dtSkip;
        break;
    case '~':
        Emit(0x00A0);
        break;
    case '_':
        Emit(0x2011);
        break;
    case '\r':
    case '\n':
        EndParagraph();
        break;
    default: // "\-" optional hyphen, "\|", "\:" and unknown symbols show nothing
        break;
    }
}

void TRtfParser::HexEscape() {
    int value = 0;
    int digits = 0;
    while (digits < 2 && FPos < FIn.size() && HexValue(FIn[FPos]) >= 0) {
        value = value * 16 + HexValue(FIn[FPos]);
        ++FPos;
        ++digits;
    }
    if (digits > 0) {
        Byte(static_cast<unsigned char>(value));
    }
}

void TRtfParser::Byte(unsigned char b) {
    if (TakeFallback() || FOverflow > 0) {
        return;
    }
    const auto destination = State().Destination;
    if (destination == dtColourTable) {
        ColourTableByte(b);
        return;
    }
    if (destination == dtSkip) {
        return;
    }
    if (b == '\t') {
        Emit('\t');
        return;
    }
    if (b < 0x20 || b == 0x7F) {
        return;
    }
    const char32_t cp = FromWindows1252(b);
    if (cp != 0) {
        Emit(cp);
    }
}

void TRtfParser::ColourTableByte(unsigned char b) {
    if (b != ';') {
        return;
    }
    if (FColours.size() < TRtfReader::MaxColours) {
        FColours.push_back(FColourEntrySet ? std::optional<TRtfColour>(FColourEntry)
                                           : std::nullopt);
    }
    FColourEntry = {};
    FColourEntrySet = false;
}

void TRtfParser::UnicodeCharacter(int param) {
    // The parameter is a signed 16-bit value: negative numbers stand for U+8000..U+FFFF.
    char32_t cp = Replacement;
    if (param >= -32768 && param < 0) {
        cp = static_cast<char32_t>(param + 65536);
    } else if (param >= 0 && param <= 65535) {
        cp = static_cast<char32_t>(param);
    }
    if (cp >= 0xD800 && cp <= 0xDBFF) {
        ResolveSurrogate();
        FHighSurrogate = cp;
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
        if (FHighSurrogate != 0) {
            const char32_t combined = 0x10000 + ((FHighSurrogate - 0xD800) << 10) + (cp - 0xDC00);
            FHighSurrogate = 0;
            Emit(combined);
        } else {
            Emit(Replacement);
        }
    } else if (cp != 0) {
        Emit(cp);
    }
    FPendingSkip = State().UnicodeSkip;
}

void TRtfParser::SkipBinary(int count) {
    if (count <= 0) {
        return;
    }
    FPos += std::min(static_cast<std::size_t>(count), FIn.size() - FPos);
}

// A high surrogate not followed by its low half shows as U+FFFD.
void TRtfParser::ResolveSurrogate() {
    if (FHighSurrogate != 0) {
        FHighSurrogate = 0;
        Emit(Replacement);
    }
}

void TRtfParser::Emit(char32_t cp) {
    if (FHighSurrogate != 0) {
        FHighSurrogate = 0;
        Emit(Replacement);
    }
    if (FStopped || Skipping() || State().Destination != dtText) {
        return;
    }
    char bytes[4];
    const std::size_t length = EncodeUtf8(cp, bytes);
    if (FTextBytes + length > TRtfReader::MaxTextBytes) {
        Stop();
        return;
    }
    auto& runs = FParagraph.Runs;
    const auto& format = State().Format;
    if (runs.empty() || !(runs.back().Format == format)) {
        if (FRuns >= TRtfReader::MaxRuns) {
            Stop();
            return;
        }
        runs.push_back(TRtfRun{format, std::string()});
        ++FRuns;
    }
    runs.back().Text.append(bytes, length);
    FTextBytes += length;
}

void TRtfParser::EndParagraph() {
    ResolveSurrogate();
    if (FStopped || Skipping() || State().Destination != dtText) {
        return;
    }
    if (FDocument.Paragraphs.size() >= TRtfReader::MaxParagraphs) {
        Stop();
        return;
    }
    FDocument.Paragraphs.push_back(std::move(FParagraph));
    FParagraph = TRtfParagraph{};
}

} // namespace

TRtfDocument TRtfReader::Parse(std::string_view rtf) {
    return TRtfParser(rtf).Run();
}

TRtfDocument TRtfReader::LoadFile(const std::string& path) {
    TRtfDocument damaged;
    damaged.Damaged = true;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return damaged;
    }
    file.seekg(0, std::ios::end);
    const auto size = static_cast<std::streamoff>(file.tellg());
    if (size < 0 || static_cast<std::uint64_t>(size) > MaxInputBytes) {
        return damaged;
    }
    file.seekg(0, std::ios::beg);
    std::string content(static_cast<std::size_t>(size), '\0');
    if (!file.read(content.data(), size)) {
        return damaged;
    }
    return Parse(content);
}

} // namespace Sondrel
