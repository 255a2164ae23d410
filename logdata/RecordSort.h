// The orders in which a view may show the record list when its column headers are clicked.
//
// SortedRows gives the list's row numbers in the order of one column's numbers
// (TRecordItem::SortKey): numbers as numbers (never as text), the Date and Time columns
// together chronologically. Rows that leave the column empty (an empty record's values, a
// left-out sub-item) come last in either direction. Equal keys keep the list's own order, so a
// second sort by another column keeps the first order among equals.
//
// The list itself is never reordered: its order stays the one the download gives it (by record
// index), and a view keeps its own order over it (a TRowOrder), which the exporters are given
// so that a file holds the rows as the table shows them.
//
// Qt-free; any thread that owns the list.
#pragma once

#include "RecordList.h"

#include <cstdint>
#include <vector>

namespace Sondrel {

std::vector<std::int32_t> SortedRows(const TRecordList& list, std::int32_t column, bool descending);

} // namespace Sondrel
