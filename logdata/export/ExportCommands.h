// The export commands of the Log Data page, without widgets:
// - expButtonXLSClick ("Export to File"): refuses an empty list with the error box "The list
//   is empty.  Please run the import again to retrieve data."; otherwise exportData with the
//   combo box's index.
// - exportButtonClick ("Export", never shown): does nothing unless AllDataMode is set; then
//   the same as expButtonXLSClick.
// - exportData(kind): the save dialog of the kind; when the user confirms, the export of the
//   list to the chosen file (TLogExporter), with the host busy and shown the progress while it
//   runs. A failure is shown in an error box with its message. An index that names no kind
//   does nothing.
// Each command is given the download's layout flag AllDataMode as it is at the time.
//
// Threads: main thread. The host and the list are borrowed and must outlive the commands.
#pragma once

#include "ExportHost.h"
#include "RecordRows.h"

#include <cstdint>

namespace Sondrel {

inline constexpr const char* EmptyListMessage =
    "The list is empty.  Please run the import again to retrieve data.";

class TExportCommands {
public:
    TExportCommands(TExportHost& host, const TRecordRows& list) : FHost(host), FList(list) {}

    void expButtonXLSClick(std::int32_t kindIndex, bool allDataMode);
    void exportButtonClick(std::int32_t kindIndex, bool allDataMode);
    void exportData(std::int32_t kindIndex, bool allDataMode);

private:
    TExportHost& FHost;
    const TRecordRows& FList;
};

} // namespace Sondrel
