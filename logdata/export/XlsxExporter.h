// The spreadsheet export: a real .xlsx workbook written with libxlsxwriter.
//
// One worksheet: the title row (the columns' titles as strings) first, then one row per row of
// the engine. Each column gets its width in characters; each data cell is written by the
// column's cell type: a string column's text as a string (an empty text leaves the cell
// empty), an integer or double column's text as a number when all of the text is one (see
// CellNumber.h) and as an empty cell otherwise; double cells carry the number format "0.00".
// A date column's "MM/DD/YYYY" becomes a date cell (the spreadsheet's day number) with the
// format "mm/dd/yyyy", a time column's "HH:MM" a time cell (the fraction of a day) with the
// format "hh:mm", so that both show as the list shows them and sort, filter and plot as dates
// and times; a text that is no valid date or time is kept as a string, as the list shows it.
// Strings are made valid XML text first (XmlSafeUtf8).
//
// The workbook is written in constant-memory mode: rows go out one at a time through a
// temporary file of libxlsxwriter's (in the system's temporary folder), so memory stays flat
// for a whole log. The written package is read back before Write returns (CheckXlsxPackage):
// libxlsxwriter does not notice failed writes to its temporary files.
//
// Threads: the engine's thread.
#pragma once

#include "ExportDataEngine.h"
#include "ExportProgress.h"

#include <string>

namespace Sondrel {

class TXlsxExporter {
public:
    // Writes the workbook to `path`, replacing what is there. Throws EExportError with the
    // reason when libxlsxwriter reports an error; the file at `path` is then incomplete and
    // the caller removes it (TExportFile does).
    static void Write(TExportDataEngine& engine, const std::string& path,
                      const TExportProgress& progress = {});
};

} // namespace Sondrel
