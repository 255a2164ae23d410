// IDownloadControl: what the console window needs of the log download while no download is
// its own business: the queue watch stops a running download when the transaction queue
// overflows or stalls, and the start-up and port settings refresh the download's delays.
//
// The download engine implements it and is plugged into the window; with none plugged in, the
// window still watches the queue and writes its lines, and nothing is stopped.
// Main thread only.
#pragma once

namespace Sondrel {

class IDownloadControl {
public:
    virtual ~IDownloadControl() = default;
    // Set by StopDownload; cleared when a download starts or the operator refuses to stop.
    virtual bool AbortRequested() const = 0;
    // Sets AbortRequested and the failed flag, shows the wait cursor, logs "Stopping Download...".
    virtual void StopDownload() = 0;
    // Recomputes the write and read delays from the connection's baud rate and the delay menu.
    virtual void UpdateCommunicationDelays() = 0;
    // The layout choice of the Log Data page (all data or counts only).
    virtual void SetAllDataMode(bool value) = 0;
};

} // namespace Sondrel
