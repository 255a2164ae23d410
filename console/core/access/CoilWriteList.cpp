#include "CoilWriteList.h"

#include "CorvaneError.h"

namespace Sondrel {

namespace {

constexpr std::size_t kPrefixLength = 5; // "Coil "

} // namespace

TEditRangesCheck TCoilWriteList::Rebuild(std::string_view startText, std::string_view countText) {
    TEditRangesCheck check = CheckEditRanges({{startText, 0, 65535}, {countText, 1, MaxCount}});
    if (!check.Ok) {
        return check;
    }
    const std::int64_t start = check.Values[StartEdit];
    FRows.resize(static_cast<std::size_t>(check.Values[CountEdit]));
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        FRows[i].Text = Corvane::FormatText("Coil %d", {start + static_cast<std::int64_t>(i)});
    }
    return check;
}

std::optional<std::int64_t> TCoilWriteList::Address(std::size_t row) const {
    const std::string& text = FRows.at(row).Text;
    return TextToInteger(std::string_view(text).substr(std::min(kPrefixLength, text.size())));
}

std::optional<std::uint16_t> TCoilWriteList::StartAddress() const {
    if (FRows.empty()) {
        return std::nullopt;
    }
    const auto address = Address(0);
    if (!address || *address < 0 || *address > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*address);
}

std::vector<bool> TCoilWriteList::CheckStates() const {
    std::vector<bool> states;
    states.reserve(FRows.size());
    for (const TRow& row : FRows) {
        states.push_back(row.Checked);
    }
    return states;
}

} // namespace Sondrel
