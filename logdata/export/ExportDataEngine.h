// The source that the writers read: a set of columns and a walk over rows of text values.
//
// A writer calls Open once (the columns are then known), RowCount, First, and then, for each of
// the RowCount rows, Value for every column followed by Next. Values are texts; the spreadsheet
// writer converts them to the column's cell type.
//
// Threads: the thread that owns the engine's data (the main thread for the record list).
#pragma once

#include "ExportColumn.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Sondrel {

class TExportDataEngine {
public:
    virtual ~TExportDataEngine() = default;

    // Prepares the columns of this export.
    virtual void Open() = 0;
    virtual const std::vector<TExportColumn>& Columns() const = 0;
    // The number of data rows (never negative).
    virtual std::int32_t RowCount() = 0;
    // Moves to the first row, or to the next one.
    virtual void First() = 0;
    virtual void Next() = 0;
    // The value of column `column` (an index into Columns()) on the current row.
    virtual std::string Value(std::int32_t column) = 0;
};

} // namespace Sondrel
