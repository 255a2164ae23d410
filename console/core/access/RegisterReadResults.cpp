#include "RegisterReadResults.h"

#include <vector>

namespace Sondrel {

void TRegisterReadResults::Prepend(TRegisterReadKind kind, std::uint16_t start,
                                   const Corvane::TRegValues& values, const TLogTime& time) {
    std::vector<TRegisterReadRow> read;
    read.reserve(values.size());
    const auto count = static_cast<std::uint32_t>(values.size());
    for (std::uint32_t i = 0; i < count; ++i) {
        read.push_back(TRegisterReadRow{start + i, values[i], time, kind, i, count});
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

std::string TRegisterReadResults::FormattedValueText(std::int32_t row, TRegisterFormat format,
                                                     TWordOrder order) const {
    const TRegisterReadRow& first = Row(row);
    const std::size_t n = RegistersPerValue(format);
    if (n == 1) {
        return format == rfUnsigned && order == woABCD ? ValueText(first)
                                                       : FormatValue(format, order, &first.Value);
    }
    if (first.ReadOffset % n != 0) {
        return {};
    }
    // The rows of one read lie together in address order; a read cut short by the table's
    // limit lacks its last rows.
    if (first.ReadOffset + n > first.ReadCount ||
        static_cast<std::size_t>(row) + n > static_cast<std::size_t>(Count())) {
        return "-";
    }
    std::uint16_t registers[4] = {};
    for (std::size_t i = 0; i < n; ++i) {
        registers[i] = Row(row + static_cast<std::int32_t>(i)).Value;
    }
    return FormatValue(format, order, registers);
}

std::string TRegisterReadResults::TimeText(const TRegisterReadRow& row) {
    return FormatLogTime(row.Time);
}

std::string TRegisterReadResults::KindText(const TRegisterReadRow& row) {
    return row.Kind == rkInput ? "Input" : "Holding";
}

} // namespace Sondrel
