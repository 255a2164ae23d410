// The file name that the save dialog of an export proposes: the instrument's address and the
// dates of the earliest and the latest record of the list, so that files of different
// instruments and days do not overwrite one another:
//   "instrument-1_2024-03-07_2024-03-09.xlsx", "instrument-1_2024-03-07.csv" (one day),
//   "instrument-1.html" (no record with a date); "records..." without an address.
// The earliest and latest are by date and time, whatever order the table shows; empty records
// carry no date. Only digits, letters, '-', '_' and '.' appear in it.
//
// Threads: any.
#pragma once

#include "ExportKind.h"
#include "RecordList.h"

#include <optional>
#include <string>

namespace Sondrel {

std::string ProposedExportFileName(const TRecordList& list, std::optional<int> deviceAddress,
                                   TExportKind kind);

} // namespace Sondrel
