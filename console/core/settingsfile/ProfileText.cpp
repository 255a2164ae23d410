#include "ProfileText.h"

#include <stdexcept>

namespace Sondrel {

namespace {

// A stray CR (a file cut after a CR, or old Mac line ends) reads as a blank.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The section name of a header line, or none for any other line.
std::optional<std::string_view> HeaderName(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    const auto close = line.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(line.substr(1, close - 1));
}

struct TKeyLine {
    std::string_view Key;
    std::size_t EqualsAt; // position of '=' in the raw line
};

// The key of a "key=value" line, or none for headers, comments and other lines.
std::optional<TKeyLine> KeyOf(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') {
        return std::nullopt;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) {
        return std::nullopt;
    }
    return TKeyLine{key, equals};
}

std::string_view ValueOf(std::string_view line, std::size_t equalsAt) {
    std::string_view value = Trim(line.substr(equalsAt + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// The value as it is written: inside double quotes when the reading would otherwise trim it or
// take a pair of quotes off it.
std::string WrittenValue(std::string_view value) {
    const bool blankEnd = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    const bool quotedAlready = value.size() >= 2 &&
                               (value.front() == '"' || value.front() == '\'') &&
                               value.back() == value.front();
    if (blankEnd || quotedAlready) {
        return "\"" + std::string(value) + "\"";
    }
    return std::string(value);
}

void CheckName(std::string_view name, const char* what) {
    if (Trim(name).empty() || HasLineBreak(name)) {
        throw std::invalid_argument(std::string("Invalid profile ") + what + " name");
    }
}

} // namespace

TProfileText::TProfileText(std::string_view bytes) {
    bool endingKnown = false;
    while (!bytes.empty()) {
        const auto lf = bytes.find('\n');
        TLine line;
        if (lf == std::string_view::npos) {
            line.Text = std::string(bytes);
            bytes = {};
        } else {
            const bool crlf = lf > 0 && bytes[lf - 1] == '\r';
            line.Text = std::string(bytes.substr(0, crlf ? lf - 1 : lf));
            line.Ending = crlf ? "\r\n" : "\n";
            bytes.remove_prefix(lf + 1);
            if (!endingKnown) {
                FNewLine = line.Ending;
                endingKnown = true;
            }
        }
        FLines.push_back(std::move(line));
    }
}

std::optional<std::size_t> TProfileText::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        const auto name = HeaderName(FLines[i].Text);
        if (name && SameName(*name, section)) {
            return i;
        }
    }
    return std::nullopt;
}

std::size_t TProfileText::SectionEnd(std::size_t sectionLine) const {
    std::size_t i = sectionLine + 1;
    while (i < FLines.size() && !HeaderName(FLines[i].Text)) {
        ++i;
    }
    return i;
}

std::optional<std::size_t> TProfileText::FindKey(std::size_t sectionLine,
                                                 std::string_view key) const {
    const std::size_t end = SectionEnd(sectionLine);
    for (std::size_t i = sectionLine + 1; i < end; ++i) {
        const auto keyLine = KeyOf(FLines[i].Text);
        if (keyLine && SameName(keyLine->Key, key)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> TProfileText::Find(std::string_view section,
                                              std::string_view key) const {
    const auto sectionLine = FindSection(Trim(section));
    if (!sectionLine) {
        return std::nullopt;
    }
    const auto keyLine = FindKey(*sectionLine, Trim(key));
    if (!keyLine) {
        return std::nullopt;
    }
    const std::string& text = FLines[*keyLine].Text;
    return std::string(ValueOf(text, text.find('=')));
}

void TProfileText::InsertLine(std::size_t index, std::string text) {
    // The line before the new one may be the last line of a file without a final line end.
    if (index > 0 && FLines[index - 1].Ending.empty()) {
        TLine& before = FLines[index - 1];
        // A CR at its end would merge with a bare LF into one CRLF line end, and the line
        // would lose its last character on the next reading: end it with CRLF instead.
        const bool endsWithCr = !before.Text.empty() && before.Text.back() == '\r';
        before.Ending = endsWithCr ? "\r\n" : FNewLine;
    }
    FLines.insert(FLines.begin() + static_cast<std::ptrdiff_t>(index),
                  TLine{std::move(text), FNewLine});
}

void TProfileText::Set(std::string_view section, std::string_view key, std::string_view value) {
    CheckName(section, "section");
    CheckName(key, "key");
    if (section.find(']') != std::string_view::npos) {
        throw std::invalid_argument("Invalid profile section name");
    }
    const std::string_view trimmedKey = Trim(key);
    if (key.find('=') != std::string_view::npos || trimmedKey.front() == '[' ||
        trimmedKey.front() == ';') {
        throw std::invalid_argument("Invalid profile key name");
    }
    // A lone CR inside a line is ordinary text; only a line feed ends a line.
    if (value.find('\n') != std::string_view::npos) {
        throw std::invalid_argument("Invalid profile value");
    }
    const std::string written = WrittenValue(value);
    const std::string_view trimmedSection = Trim(section);

    const auto sectionLine = FindSection(trimmedSection);
    if (!sectionLine) {
        InsertLine(FLines.size(), "[" + std::string(trimmedSection) + "]");
        InsertLine(FLines.size(), std::string(trimmedKey) + "=" + written);
        return;
    }
    if (const auto keyLine = FindKey(*sectionLine, trimmedKey)) {
        std::string& text = FLines[*keyLine].Text;
        text.resize(text.find('=') + 1);
        text += written;
        return;
    }
    std::size_t last = SectionEnd(*sectionLine) - 1;
    while (last > *sectionLine && Trim(FLines[last].Text).empty()) {
        --last;
    }
    InsertLine(last + 1, std::string(trimmedKey) + "=" + written);
}

std::string TProfileText::Bytes() const {
    std::string bytes;
    for (const auto& line : FLines) {
        bytes += line.Text;
        bytes += line.Ending;
    }
    return bytes;
}

} // namespace Sondrel
