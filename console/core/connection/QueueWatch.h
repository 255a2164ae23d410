// TQueueWatch: the window's watch over the connection's transaction queue, the logic of the
// queue watch timer (every 250 ms) and of the stall counter timer (every 1000 ms).
//
// Each queue watch tick reads the number of queued transactions and says what the status
// panel shows; a queue of more than 500 transactions, or of two or more for more than 30 stall
// ticks, writes its "** RETRIEVE LOG DATA FAILED **" line and stops the running download. While
// the download's AbortRequested is set the watch does nothing, so each failure is written once.
// With no download plugged in, the watch keeps the same promise itself: after a failure line it
// writes no other until the queue has dropped below two transactions.
//
// Main thread only. Borrows the connection, the log and the download control.
#pragma once

#include "DownloadControl.h"
#include "TransactionLog.h"

#include "ModbusConnection.h"

#include <optional>
#include <string>

namespace Sondrel {

class TQueueWatch {
public:
    static constexpr int QueueWatchIntervalMs = 250;
    static constexpr int StallCounterIntervalMs = 1000;
    static constexpr int MaxPendingTransactions = 500;
    static constexpr int MaxStallTicks = 30;

    struct TTick {
        // The text for the queue panel, or none to leave it as it is.
        std::optional<std::string> QueuePanelText;
        // The stall counter timer must run (two or more transactions are pending).
        bool EnableStallCounter = false;
        // A download was stopped: the window returns the mouse cursor to the default.
        bool DownloadStopped = false;
    };

    TQueueWatch(Corvane::TModbusConnection& connection, TTransactionLog& log);

    // The download to stop; none (nullptr) until the download is plugged in.
    void SetDownloadControl(IDownloadControl* download) { FDownload = download; }

    // One tick of the queue watch (Timer1Timer).
    TTick Timer1Timer();
    // One tick of the stall counter (transactionTimerTimer).
    void transactionTimerTimer() { ++FPendingStallTicks; }

    int PendingStallTicks() const { return FPendingStallTicks; }

private:
    void FailDownload(const char* line, TTick& tick);

    Corvane::TModbusConnection& FConnection;
    TTransactionLog& FLog;
    IDownloadControl* FDownload = nullptr;
    int FPendingStallTicks = 0;
    bool FReported = false; // a failure was written while no download was plugged in
};

// "There is 1 pending transaction.", "Transaction queue is empty." or
// "There are %d pending transactions.".
std::string QueuePanelText(int pending);

} // namespace Sondrel
