#include "RecordRows.h"

#include <array>

namespace Sondrel {

namespace {

std::array<std::string, TRecordRows::ColumnCount> MakeDefaultCaptions() {
    std::array<std::string, TRecordRows::ColumnCount> captions;
    std::size_t c = 0;
    captions[c++] = "Record Index";
    captions[c++] = "Date";
    captions[c++] = "Time";
    for (int k = 1; k <= 9; ++k) {
        captions[c++] = "Cnts " + std::to_string(k);
    }
    captions[c++] = "Total Cnts";
    for (int k = 1; k <= 9; ++k) {
        captions[c++] = "PPB " + std::to_string(k);
    }
    captions[c++] = "Total PPB";
    captions[c++] = "Flow Rate";
    captions[c++] = "Cell Condition";
    captions[c++] = "Laser Condition";
    captions[c++] = "Index";
    return captions;
}

} // namespace

const std::string& TRecordRows::DefaultCaption(std::int32_t column) {
    static const std::array<std::string, ColumnCount> captions = MakeDefaultCaptions();
    static const std::string none;
    return column >= 0 && column < ColumnCount ? captions[static_cast<std::size_t>(column)] : none;
}

std::int32_t TRecordRows::DefaultColumnWidth(std::int32_t column) {
    if (column < 0 || column >= ColumnCount) {
        return 0;
    }
    return column == ColumnCount - 1 ? 50 : 120;
}

void TRecordRows::BeginReset() const {
    if (OnBeginReset) {
        OnBeginReset();
    }
}

void TRecordRows::EndReset() const {
    if (OnEndReset) {
        OnEndReset();
    }
}

} // namespace Sondrel
