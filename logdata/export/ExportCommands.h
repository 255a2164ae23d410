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
//
// Threads: main thread. The host, the list and the state are borrowed and must outlive the
// commands.
#pragma once

#include "DownloadState.h"
#include "ExportHost.h"
#include "RecordList.h"

#include <cstdint>

namespace Sondrel {

inline constexpr const char* EmptyListMessage =
    "The list is empty.  Please run the import again to retrieve data.";

class TExportCommands {
public:
    TExportCommands(TExportHost& host, const TRecordList& list, const TDownloadState& state)
        : FHost(host), FList(list), FState(state) {}

    void expButtonXLSClick(std::int32_t kindIndex);
    void exportButtonClick(std::int32_t kindIndex);
    void exportData(std::int32_t kindIndex);

private:
    TExportHost& FHost;
    const TRecordList& FList;
    const TDownloadState& FState;
};

} // namespace Sondrel
