// The virtual data engine: an export source whose columns, row count and values come from its
// owner's callbacks (public std::function members, all optional).
//
// - OnFillColumns: asked by Open; it sets the columns with ClearColumns and AddColumn.
// - OnCount: the number of rows, or nothing when the owner does not set it. A count that is not
//   set means no data rows: the export then has its title row only. (The engine cannot walk
//   to an end of its own, so this is the only count that never invents rows.) A negative
//   count is taken as 0.
// - OnFirst / OnNext: move the owner's current row.
// - OnGetValue: the value of a column on the owner's current row; empty when not set.
//
// Threads: the thread that owns the callbacks' data. The callbacks' captures must outlive
// their use by the engine.
#pragma once

#include "ExportDataEngine.h"

#include <functional>
#include <optional>

namespace Sondrel {

class TVirtualDataEngine : public TExportDataEngine {
public:
    // The cell type of an AddColumn code: 0 a string, 2 a double, anything else an integer.
    static TExportCellType CellTypeOfCode(std::int32_t code);

    void ClearColumns() { FColumns.clear(); }
    void AddColumn(const std::string& fieldName, std::int32_t width, std::int32_t cellTypeCode,
                   const std::string& title);
    // A column of a type that no AddColumn code names (a date or a time).
    void AddTypedColumn(const std::string& fieldName, std::int32_t width, TExportCellType type,
                        const std::string& title);

    void Open() override;
    const std::vector<TExportColumn>& Columns() const override { return FColumns; }
    std::int32_t RowCount() override;
    void First() override;
    void Next() override;
    std::string Value(std::int32_t column) override;

    std::function<void()> OnFillColumns;
    std::function<std::optional<std::int32_t>()> OnCount;
    std::function<void()> OnFirst;
    std::function<void()> OnNext;
    // The column is null when the engine has none to give (an index out of range).
    std::function<std::string(const TExportColumn* column)> OnGetValue;

private:
    std::vector<TExportColumn> FColumns;
};

} // namespace Sondrel
