// Progress of an export: rows written and the total, reported to an optional callback at the
// start (0), after every ProgressStep rows and after the last row, so that a window can show
// a large export's progress without paying for a call per row.
//
// Threads: the exporting thread calls the callback.
#pragma once

#include <cstdint>
#include <functional>

namespace Sondrel {

using TExportProgress = std::function<void(std::int32_t written, std::int32_t total)>;

class TProgressTicker {
public:
    static constexpr std::int32_t ProgressStep = 1024;

    TProgressTicker(const TExportProgress& progress, std::int32_t total)
        : FProgress(progress), FTotal(total) {
        Report(0);
    }

    // After row `written` (1-based) has been written.
    void RowWritten(std::int32_t written) {
        if (written % ProgressStep == 0 || written == FTotal) {
            Report(written);
        }
    }

private:
    void Report(std::int32_t written) const {
        if (FProgress) {
            FProgress(written, FTotal);
        }
    }

    const TExportProgress& FProgress;
    std::int32_t FTotal;
};

} // namespace Sondrel
