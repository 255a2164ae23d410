#include "ExportCommands.h"

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

void TExportCommands::expButtonXLSClick(std::int32_t kindIndex, bool allDataMode) {
    if (FList.Count() == 0) {
        FHost.ShowExportError(EmptyListMessage);
        return;
    }
    exportData(kindIndex, allDataMode);
}

void TExportCommands::exportButtonClick(std::int32_t kindIndex, bool allDataMode) {
    if (allDataMode) {
        expButtonXLSClick(kindIndex, allDataMode);
    }
}

void TExportCommands::exportData(std::int32_t kindIndex, bool allDataMode) {
    const std::optional<TExportKind> kind = ExportKindOfIndex(kindIndex);
    if (!kind) {
        return;
    }
    const std::optional<std::string> path = FHost.ChooseExportFile(SaveDialogParams(*kind));
    if (!path) {
        return;
    }
    std::string failure;
    {
        TBusyGuard busy(FHost);
        try {
            TLogExporter(FList, allDataMode)
                .Export(*kind, *path, [this](std::int32_t written, std::int32_t total) {
                    FHost.ShowExportProgress(written, total);
                });
        } catch (const std::exception& e) {
            // EExportError, or an allocation that failed: either way the user is told.
            failure = e.what();
        }
    }
    if (!failure.empty()) {
        FHost.ShowExportError(failure);
    }
}

} // namespace Sondrel
