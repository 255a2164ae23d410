#include "QueueWatch.h"

#include "CorvaneError.h"

namespace Sondrel {

using namespace Corvane;

std::string QueuePanelText(int pending) {
    if (pending == 1) {
        return "There is 1 pending transaction.";
    }
    if (pending < 2) {
        return "Transaction queue is empty.";
    }
    return FormatText("There are %d pending transactions.", {std::int64_t{pending}});
}

TQueueWatch::TQueueWatch(TModbusConnection& connection, TTransactionLog& log)
    : FConnection(connection), FLog(log) {}

void TQueueWatch::FailDownload(const char* line, TTick& tick) {
    FLog.AddStyledLogLine(line, kFailureLogStyle);
    if (FDownload != nullptr) {
        FDownload->StopDownload();
    } else {
        FReported = true;
    }
    tick.DownloadStopped = true;
}

TQueueWatch::TTick TQueueWatch::Timer1Timer() {
    TTick tick;
    if (FDownload != nullptr && FDownload->AbortRequested()) {
        return tick;
    }
    const bool silenced = FDownload == nullptr && FReported;
    if (FConnection.ConnectionMode() == cmServer) {
        tick.QueuePanelText = std::string();
        return tick;
    }
    const int pending = FConnection.PendingTransactionCount(nullptr);
    if (pending > MaxPendingTransactions && !silenced) {
        FailDownload(
            "** RETRIEVE LOG DATA FAILED ** Pending transactions exceeded maximum allowed.", tick);
    }
    if (pending < 2) {
        FPendingStallTicks = 0;
        FReported = false;
    } else {
        tick.EnableStallCounter = true;
        if (FPendingStallTicks > MaxStallTicks && !silenced) {
            FailDownload(
                "** RETRIEVE LOG DATA FAILED ** Pending transactions could not recover in time.",
                tick);
        }
    }
    tick.QueuePanelText = QueuePanelText(pending);
    return tick;
}

} // namespace Sondrel
