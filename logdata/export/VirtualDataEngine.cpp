#include "VirtualDataEngine.h"

namespace Sondrel {

TExportCellType TVirtualDataEngine::CellTypeOfCode(std::int32_t code) {
    switch (code) {
    case 0:
        return ctString;
    case 2:
        return ctDouble;
    default:
        return ctInteger;
    }
}

void TVirtualDataEngine::AddColumn(const std::string& fieldName, std::int32_t width,
                                   std::int32_t cellTypeCode, const std::string& title) {
    AddTypedColumn(fieldName, width, CellTypeOfCode(cellTypeCode), title);
}

void TVirtualDataEngine::AddTypedColumn(const std::string& fieldName, std::int32_t width,
                                        TExportCellType type, const std::string& title) {
    FColumns.push_back({fieldName, title, width, type});
}

void TVirtualDataEngine::Open() {
    if (OnFillColumns) {
        OnFillColumns();
    }
}

std::int32_t TVirtualDataEngine::RowCount() {
    const std::optional<std::int32_t> count = OnCount ? OnCount() : std::nullopt;
    return count && *count > 0 ? *count : 0;
}

void TVirtualDataEngine::First() {
    if (OnFirst) {
        OnFirst();
    }
}

void TVirtualDataEngine::Next() {
    if (OnNext) {
        OnNext();
    }
}

std::string TVirtualDataEngine::Value(std::int32_t column) {
    if (!OnGetValue) {
        return {};
    }
    const bool known = column >= 0 && column < static_cast<std::int32_t>(FColumns.size());
    return OnGetValue(known ? &FColumns[static_cast<std::size_t>(column)] : nullptr);
}

} // namespace Sondrel
