// TLineCollector: one round on one serial line, in the line's own collector process: the
// instruments one after the other, each a "New records" download at its pacing into the
// archive, each reported on its own output line (CollectReport.h) as soon as it is done.
//
// An instrument that fails (silent, wrong address, the line lost, the archive refusing) is
// reported with the reason and the next one is collected all the same. When stop is set (the
// process got SIGTERM) the running download is stopped at its next check, what it read is
// committed, it is reported as stopped and no further instrument is started.
//
// Main thread of its process (the Modbus library's main-thread bridge runs the completions).
#pragma once

#include "CollectConfig.h"
#include "CollectReport.h"

#include <atomic>
#include <functional>

namespace SondrelCli {

class TLineCollector {
public:
    using TReportSink = std::function<void(const TInstrumentReport&)>;

    TLineCollector(const TLineJob& job, const std::atomic<bool>& stop, TReportSink report)
        : FJob(job), FStop(stop), FReport(std::move(report)) {}

    // True when every instrument was collected.
    bool Run();

private:
    const TLineJob& FJob;
    const std::atomic<bool>& FStop;
    TReportSink FReport;
};

} // namespace SondrelCli
