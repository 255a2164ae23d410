#include "RegisterWriteList.h"

#include "CorvaneError.h"

namespace Sondrel {

namespace {

constexpr std::size_t kPrefixLength = 9; // "Register "

std::uint16_t LowWord(std::int64_t value) {
    return static_cast<std::uint16_t>(static_cast<std::uint64_t>(value) & 0xFFFF);
}

} // namespace

std::string RegisterValueText(std::int64_t value) {
    return std::to_string(LowWord(value));
}

TEditRangesCheck TRegisterWriteList::Rebuild(std::string_view startText,
                                             std::string_view countText) {
    TEditRangesCheck check = CheckEditRanges({{startText, 0, 65535}, {countText, 1, MaxCount}});
    if (!check.Ok) {
        return check;
    }
    const std::int64_t start = check.Values[StartEdit];
    FRows.resize(static_cast<std::size_t>(check.Values[CountEdit]));
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        FRows[i].AddressText =
            Corvane::FormatText("Register %d", {start + static_cast<std::int64_t>(i)});
    }
    return check;
}

std::optional<std::string> TRegisterWriteList::EditValue(std::size_t row, std::string_view text) {
    TRow& target = FRows.at(row);
    const auto value = TextToInteger(text);
    if (!value) {
        return Corvane::FormatText("You've entered an invalid value for '%s'",
                                   {target.AddressText});
    }
    target.Value = RegisterValueText(*value);
    return std::nullopt;
}

std::optional<bool> TRegisterWriteList::WriteSingleEnabled(bool connectionOpen) const {
    if (!connectionOpen) {
        return std::nullopt;
    }
    return FRows.size() == 1;
}

std::optional<std::int64_t> TRegisterWriteList::Address(std::size_t row) const {
    const std::string& text = FRows.at(row).AddressText;
    return TextToInteger(std::string_view(text).substr(std::min(kPrefixLength, text.size())));
}

std::optional<std::uint16_t> TRegisterWriteList::StartAddress() const {
    if (FRows.empty()) {
        return std::nullopt;
    }
    const auto address = Address(0);
    if (!address || *address < 0 || *address > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*address);
}

std::vector<std::uint16_t> TRegisterWriteList::Values() const {
    std::vector<std::uint16_t> values;
    values.reserve(FRows.size());
    for (const TRow& row : FRows) {
        // Values are stored in their 16-bit form; a text that is no integer cannot arise.
        values.push_back(LowWord(TextToInteger(row.Value).value_or(0)));
    }
    return values;
}

} // namespace Sondrel
