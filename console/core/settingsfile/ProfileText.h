// The text of a Windows profile (INI) file, parsed line by line so that it can be written back
// with every line it did not change kept byte for byte.
//
// Reading rules (those of the Windows profile functions):
// - "[name]" opens a section; text after the closing bracket is ignored; a line starting with
//   '[' without a closing bracket is no section header.
// - "key=value" holds a value; blanks around the key and the value are ignored, and one pair of
//   matching quotes ('...' or "...") around the value is removed.
// - Lines starting with ';' are comments; other lines without '=' and keys before the first
//   section are ignored (and kept).
// - Section and key names compare case-insensitively (ASCII). When a section or key appears
//   twice, the first one counts.
// - Lines end with LF or CR LF; any other byte, NUL included, is ordinary text.
//
// Writing rules: an existing key has its value replaced in place (the text up to and including
// '=' is kept); a new key goes after the last non-blank line of its section; a new section goes
// at the end of the file. New lines end like the first line of the text (CR LF when the text has
// no line end yet). A value that the reading rules would change (blanks at either end, or a
// pair of matching quotes around it) is written inside double quotes, which the reading takes
// off again, so that every value reads back exactly as it was written.
//
// Not thread-safe; owned by value by its user.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Sondrel {

class TProfileText {
public:
    TProfileText() = default;
    explicit TProfileText(std::string_view bytes);

    // The value of the key, or none when the section or the key is missing.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    // Sets the key's value. Raises std::invalid_argument for a name or value that would not
    // read back as written: an empty or blank name, a line break (CR or LF) in a name, a line
    // feed in a value, ']' in a section name, '=' in a key, a key starting with '[' or ';'.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // The whole text, as it would be written to the file.
    std::string Bytes() const;

private:
    struct TLine {
        std::string Text;   // without the line end
        std::string Ending; // "\r\n", "\n" or "" for a last line without one
    };

    // Index of the first header line of the section, or none.
    std::optional<std::size_t> FindSection(std::string_view section) const;
    // Index of the first line of the key in the section starting at sectionLine, or none.
    std::optional<std::size_t> FindKey(std::size_t sectionLine, std::string_view key) const;
    // Index one past the section's last line (the next header, or the end of the text).
    std::size_t SectionEnd(std::size_t sectionLine) const;
    void InsertLine(std::size_t index, std::string text);

    std::vector<TLine> FLines;
    std::string FNewLine = "\r\n";
};

} // namespace Sondrel
