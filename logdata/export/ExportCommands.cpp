#include "ExportCommands.h"

#include "ExportFileName.h"
#include "LogExporter.h"

#include <exception>

namespace Sondrel {

namespace {

// Keeps the host busy for the life of the guard.
class TBusyGuard {
public:
    explicit TBusyGuard(TExportHost& host) : FHost(host) { FHost.SetExportBusy(true); }
    ~TBusyGuard() { FHost.SetExportBusy(false); }
    TBusyGuard(const TBusyGuard&) = delete;
    TBusyGuard& operator=(const TBusyGuard&) = delete;

private:
    TExportHost& FHost;
};

} // namespace

std::string ExportedLine(std::int32_t rows, const std::string& path) {
    return "Exported " + std::to_string(rows) + (rows == 1 ? " record" : " records") + " to " +
           path + ".";
}

void TExportCommands::expButtonXLSClick(std::int32_t kindIndex, bool allDataMode,
                                        const TExportView& view) {
    if (FList.Count() == 0) {
        FHost.ShowExportError(EmptyListMessage);
        return;
    }
    exportData(kindIndex, allDataMode, view);
}

void TExportCommands::exportButtonClick(std::int32_t kindIndex, bool allDataMode,
                                        const TExportView& view) {
    if (allDataMode) {
        expButtonXLSClick(kindIndex, allDataMode, view);
    }
}

void TExportCommands::exportData(std::int32_t kindIndex, bool allDataMode,
                                 const TExportView& view) {
    const std::optional<TExportKind> kind = ExportKindOfIndex(kindIndex);
    if (!kind) {
        return;
    }
    TSaveDialogParams params = SaveDialogParams(*kind);
    if (FDatedList != nullptr) {
        params.FileName = ProposedExportFileName(*FDatedList, view.DeviceAddress, *kind);
    }
    const std::optional<std::string> path = FHost.ChooseExportFile(params);
    if (!path) {
        return;
    }
    std::string failure;
    std::int32_t rowsWritten = 0;
    {
        TBusyGuard busy(FHost);
        try {
            TLogExporter(FList, allDataMode, view.Order)
                .Export(*kind, *path,
                        [this, &rowsWritten](std::int32_t written, std::int32_t total) {
                            rowsWritten = written;
                            FHost.ShowExportProgress(written, total);
                        });
        } catch (const std::exception& e) {
            // EExportError, or an allocation that failed: either way the user is told.
            failure = e.what();
        }
    }
    if (!failure.empty()) {
        FHost.ShowExportError(failure);
        return;
    }
    FHost.ShowExportDone(ExportedLine(rowsWritten, *path));
}

} // namespace Sondrel
