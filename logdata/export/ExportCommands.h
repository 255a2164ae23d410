// The export commands of the Log Data page, without widgets:
// - expButtonXLSClick ("Export to File"): refuses an empty list with the error box "The list
//   is empty.  Please run the import again to retrieve data."; otherwise exportData with the
//   combo box's index.
// - exportButtonClick ("Export", never shown): does nothing unless AllDataMode is set; then
//   the same as expButtonXLSClick.
// - exportData(kind): the save dialog of the kind, proposing a file name (the instrument's
//   address and the first and last date of the records, ProposedExportFileName); when the user
//   confirms, the export of the list to the chosen file (TLogExporter) in the order the table
//   shows it, with the host busy and shown the progress while it runs, and then the line
//   "Exported N records to PATH." for the log. A failure is shown in an error box with its
//   message. An index that names no kind does nothing.
// Each command is given the download's layout flag AllDataMode as it is at the time, and what
// it takes of the table as the operator sees it (TExportView).
//
// Threads: main thread. The host and the list are borrowed and must outlive the commands.
#pragma once

#include "ExportHost.h"
#include "RecordList.h"
#include "RecordSort.h"

#include <cstdint>
#include <optional>
#include <string>

namespace Sondrel {

inline constexpr const char* EmptyListMessage =
    "The list is empty.  Please run the import again to retrieve data.";

// What an export takes of the table as the operator sees it.
struct TExportView {
    // The rows in the order the table shows them; empty: the list's own order.
    TRowOrder Order;
    // The instrument's Modbus address, for the proposed file name.
    std::optional<int> DeviceAddress;
};

// "Exported 100 records to /path/file.xlsx." ("1 record").
std::string ExportedLine(std::int32_t rows, const std::string& path);

class TExportCommands {
public:
    TExportCommands(TExportHost& host, const TRecordRows& rows) : FHost(host), FList(rows) {}
    // The download's list also names the file it proposes by its records' dates.
    TExportCommands(TExportHost& host, const TRecordList& list)
        : FHost(host), FList(list), FDatedList(&list) {}

    void expButtonXLSClick(std::int32_t kindIndex, bool allDataMode, const TExportView& view = {});
    void exportButtonClick(std::int32_t kindIndex, bool allDataMode, const TExportView& view = {});
    void exportData(std::int32_t kindIndex, bool allDataMode, const TExportView& view = {});

private:
    TExportHost& FHost;
    const TRecordRows& FList;
    const TRecordList* FDatedList = nullptr;
};

} // namespace Sondrel
