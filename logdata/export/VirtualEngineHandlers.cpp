#include "VirtualEngineHandlers.h"

#include <array>

namespace Sondrel {

namespace {

constexpr std::int32_t kStringCode = 0;
constexpr std::int32_t kIntegerCode = 1;
constexpr std::int32_t kDoubleCode = 2;

// The field names of the list's sub-items 0..25, in column order.
const std::array<std::string, 26>& SubItemFields() {
    static const std::array<std::string, 26> fields = [] {
        std::array<std::string, 26> f;
        std::size_t i = 0;
        f[i++] = "Date";
        f[i++] = "Time";
        for (int k = 1; k <= 9; ++k) {
            f[i++] = "Cnts " + std::to_string(k);
        }
        f[i++] = "Total Cnts";
        for (int k = 1; k <= 9; ++k) {
            f[i++] = "PPB " + std::to_string(k);
        }
        f[i++] = "Total PPB";
        f[i++] = "Flow Rate";
        f[i++] = "Cell Condition";
        f[i++] = "Laser Condition";
        f[i++] = "Index";
        return f;
    }();
    return fields;
}

} // namespace

TVirtualEngineHandlers::TVirtualEngineHandlers(TVirtualDataEngine& engine, const TRecordRows& list,
                                               bool allDataMode, TRowOrder order)
    : FEngine(engine), FList(list), FAllDataMode(allDataMode), FOrder(std::move(order)) {
    FEngine.OnFirst = [this] { VirtualDataEngine1First(); };
    FEngine.OnNext = [this] { VirtualDataEngine1Next(); };
    FEngine.OnCount = [this] { return VirtualDataEngine1Count(); };
    FEngine.OnFillColumns = [this] { VirtualDataEngine1FillColumns(); };
    FEngine.OnGetValue = [this](const TExportColumn* column) {
        return VirtualDataEngine1GetValue(column);
    };
}

std::optional<std::int32_t> TVirtualEngineHandlers::VirtualDataEngine1Count() const {
    if (!FAllDataMode) {
        return std::nullopt;
    }
    return FList.Count();
}

void TVirtualEngineHandlers::VirtualDataEngine1FillColumns() {
    FEngine.ClearColumns();
    if (FAllDataMode) {
        AddAllDataColumns();
    } else {
        AddCountDataColumns();
    }
}

void TVirtualEngineHandlers::AddAllDataColumns() {
    AddColumn("Record Index", 10, kIntegerCode, "Record Index");
    FEngine.AddTypedColumn("Date", 20, ctDate, "Date");
    FEngine.AddTypedColumn("Time", 20, ctTime, "Time");
    for (int k = 1; k <= 9; ++k) {
        AddColumn("Cnts " + std::to_string(k), 14, kIntegerCode, "Counts " + std::to_string(k));
    }
    AddColumn("Total Cnts", 14, kIntegerCode, "Total Counts");
    for (int k = 1; k <= 9; ++k) {
        const std::string field = "PPB " + std::to_string(k);
        AddColumn(field, 14, kDoubleCode, field);
    }
    AddColumn("Total PPB", 14, kDoubleCode, "Total PPB");
    for (const char* field : {"Flow Rate", "Cell Condition", "Laser Condition", "Index"}) {
        AddColumn(field, 14, kIntegerCode, field);
    }
}

void TVirtualEngineHandlers::AddCountDataColumns() {
    AddColumn("Record Index", 10, kIntegerCode, "Record Index");
    AddColumn("Date & Time", 20, kStringCode, "Date & Time");
    AddColumn("Total Counts", 16, kIntegerCode, "Total Counts");
    for (int k = 1; k <= 9; ++k) {
        const std::string n = std::to_string(k);
        AddColumn("Count " + n, 14, kIntegerCode, "Count" + n + " " + n);
    }
    AddColumn("Cell Condition %", 16, kIntegerCode, "Cell Condition %");
}

std::string TVirtualEngineHandlers::VirtualDataEngine1GetValue(const TExportColumn* column) const {
    if (!FAllDataMode || column == nullptr) {
        return {};
    }
    const std::int32_t row = ListRowAt(FOrder, FRow);
    if (column->FieldName == "Record Index") {
        return FList.Text(row, 0);
    }
    const auto& fields = SubItemFields();
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (fields[k] == column->FieldName) {
            return FList.Text(row, static_cast<std::int32_t>(k) + 1);
        }
    }
    return {};
}

void TVirtualEngineHandlers::AddColumn(const std::string& fieldName, std::int32_t width,
                                       std::int32_t cellTypeCode, const std::string& title) {
    FEngine.AddColumn(fieldName, width, cellTypeCode, title);
}

} // namespace Sondrel
