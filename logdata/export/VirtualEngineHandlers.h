// The main window's callbacks of the spreadsheet export's virtual data engine, and AddColumn.
//
// Constructed over an engine, it binds the engine's callbacks to its handlers:
// - VirtualDataEngine1First / Next: the current row := 0 / += 1.
// - VirtualDataEngine1Count: the number of list items when AllDataMode is set; otherwise not
//   set (the engine then writes no data rows).
// - VirtualDataEngine1FillColumns: clears the engine's columns and adds the column set of the
//   current mode. AllDataMode set: the list's 27 columns under their own field names, with the
//   titles "Counts 1".."Counts 9" and "Total Counts" for the counts; "Date" is a date column and
//   "Time" a time column, so that a spreadsheet sorts, filters and plots them as such (the
//   texts stay the list's, the writer turns them into date and time cells). Not set: "Record
//   Index", "Date & Time", "Total Counts", "Count 1".."Count 9" (titled "Count1 1".."Count9 9") and
//   "Cell Condition %".
// - VirtualDataEngine1GetValue: empty unless AllDataMode is set and a column is given; then
//   the list item at the current row (in the order the view shows, when one is given) by the
//   column's field name: "Record Index" its caption,
//   "Date" .. "Index" its sub-items 0..25; any other field name stays empty.
// - AddColumn(field name, width, cell type code, title): code 0 a string column, 2 a double
//   column, anything else an integer column.
//
// The layout flag AllDataMode is the download's at the time the handlers are made.
//
// Threads: main thread. The engine and the list are borrowed and must outlive the handlers;
// the handlers must outlive every use of the engine.
#pragma once

#include "RecordRows.h"
#include "RecordSort.h"
#include "VirtualDataEngine.h"

#include <optional>

namespace Sondrel {

class TVirtualEngineHandlers {
public:
    TVirtualEngineHandlers(TVirtualDataEngine& engine, const TRecordRows& list, bool allDataMode,
                           TRowOrder order = {});
    TVirtualEngineHandlers(const TVirtualEngineHandlers&) = delete;
    TVirtualEngineHandlers& operator=(const TVirtualEngineHandlers&) = delete;

    void VirtualDataEngine1First() { FRow = 0; }
    void VirtualDataEngine1Next() { ++FRow; }
    std::optional<std::int32_t> VirtualDataEngine1Count() const;
    void VirtualDataEngine1FillColumns();
    std::string VirtualDataEngine1GetValue(const TExportColumn* column) const;
    void AddColumn(const std::string& fieldName, std::int32_t width, std::int32_t cellTypeCode,
                   const std::string& title);

    std::int32_t Row() const { return FRow; }

private:
    void AddAllDataColumns();
    void AddCountDataColumns();

    TVirtualDataEngine& FEngine;
    const TRecordRows& FList;
    bool FAllDataMode;
    TRowOrder FOrder;
    std::int32_t FRow = 0;
};

} // namespace Sondrel
