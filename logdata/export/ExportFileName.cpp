#include "ExportFileName.h"

#include <cstdio>

namespace Sondrel {

namespace {

std::string DateText(const TRecordItem& item) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", static_cast<unsigned>(item.Year()),
                  static_cast<unsigned>(item.Month()), static_cast<unsigned>(item.Day()));
    return text;
}

} // namespace

std::string ProposedExportFileName(const TRecordList& list, std::optional<int> deviceAddress,
                                   TExportKind kind) {
    std::string name = deviceAddress ? "instrument-" + std::to_string(*deviceAddress) : "records";
    const TRecordItem* earliest = nullptr;
    const TRecordItem* latest = nullptr;
    for (std::int32_t row = 0; row < list.Count(); ++row) {
        const TRecordItem& item = list.Item(row);
        if (!item.HasDate()) {
            continue;
        }
        // The Date column's key orders by date and time together.
        const auto key = item.SortKey(1);
        if (earliest == nullptr || key < earliest->SortKey(1)) {
            earliest = &item;
        }
        if (latest == nullptr || key > latest->SortKey(1)) {
            latest = &item;
        }
    }
    if (earliest != nullptr) {
        const std::string first = DateText(*earliest);
        const std::string last = DateText(*latest);
        name += "_" + first;
        if (last != first) {
            name += "_" + last;
        }
    }
    return name + "." + SaveDialogParams(kind).DefaultExtension;
}

} // namespace Sondrel
