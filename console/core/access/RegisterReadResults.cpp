#include "RegisterReadResults.h"

#include <vector>

namespace Sondrel {

void TRegisterReadResults::Prepend(TRegisterReadKind kind, std::uint16_t start,
                                   const Corvane::TRegValues& values, const TLogTime& time) {
    std::vector<TRegisterReadRow> read;
    read.reserve(values.size());
    std::uint32_t address = start;
    for (const std::uint16_t value : values) {
        read.push_back(TRegisterReadRow{address++, value, time, kind});
    }
    FRows.insert(FRows.begin(), read.begin(), read.end());
}

void TRegisterReadResults::TrimToLimit() {
    if (Count() > MaxRows) {
        FRows.resize(static_cast<std::size_t>(MaxRows));
    }
}

std::string TRegisterReadResults::AddressText(const TRegisterReadRow& row) {
    return std::to_string(row.Address);
}

std::string TRegisterReadResults::ValueText(const TRegisterReadRow& row) {
    return std::to_string(row.Value);
}

std::string TRegisterReadResults::TimeText(const TRegisterReadRow& row) {
    return FormatLogTime(row.Time);
}

std::string TRegisterReadResults::KindText(const TRegisterReadRow& row) {
    return row.Kind == rkInput ? "Input" : "Holding";
}

} // namespace Sondrel
