// --csv FILE, --xlsx FILE and --html FILE of "download" and "download-all": after a download
// that finished, the record list is written to each file named, exactly as the window's
// "Export to File" writes that kind after the same download (the spreadsheet follows the
// download state's AllDataMode, so after a whole-log download it has the second column set
// and no data rows, while CSV and HTML write the list as shown).
#pragma once

#include "CommandLine.h"

#include "ExportKind.h"
#include "RecordList.h"

#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace SondrelCli {

struct TExportRequest {
    Sondrel::TExportKind Kind = Sondrel::ekCsv;
    std::string Path;

    bool operator==(const TExportRequest&) const = default;
};

// The names of the export options (all take a value).
const std::set<std::string>& ExportOptionNames();
const char* ExportOptionsHelp();

// The exports asked for, in the order CSV, XLSX, HTML; an empty file name is a usage error.
std::vector<TExportRequest> ParseExportOptions(const SondrelOptions::TCommandLine& line);

// Writes every requested export; each failure is written to err as one line. An empty list is
// refused as the window refuses it. Returns true when every file was written.
bool WriteExports(const std::vector<TExportRequest>& requests, const Sondrel::TRecordList& list,
                  bool allDataMode, std::ostream& err);

} // namespace SondrelCli
