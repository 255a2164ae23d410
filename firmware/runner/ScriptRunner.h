// TScriptRunner: runs the programming script and waits for it without freezing the window.
//
// Run() starts the script through the platform's interpreter (/bin/sh, or cmd.exe /c on
// Windows) in the script's folder, with no standard input, and runs a nested event loop until
// the script ends, so the window keeps painting and the Modbus main-thread bridge keeps being
// drained while the programming tool works. Its standard output and error, merged, reach the
// callback line by line as they come. Cancel() (or the application quitting, which ends every
// event loop) stops the wait and terminates the script together with the programs it started.
//
// Why QProcess and a nested loop rather than a poll() loop of our own: QProcess already
// covers both platforms (the Windows build needs no process code of ours) and delivers output
// and the exit as ordinary events, so no polling interval is needed and nothing is read while
// the window is busy elsewhere.
//
// Main thread only; a QCoreApplication must exist. One run at a time: a Run() called while
// another is waiting (from an event handled in the nested loop) is refused. The runner must
// not be destroyed while Run() waits (the window cancels it in its close handler), and the
// line callback must not throw (it is called from Qt's event dispatch).
#pragma once

#include "FirmwareUpdateHost.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <string>

class QEventLoop;
class QProcess;

namespace Sondrel {

enum TScriptRunStatus : std::uint8_t {
    srFinished,      // the script ended by itself; ExitCode is its exit status
    srCrashed,       // the interpreter was killed by a signal or crashed
    srFailedToStart, // the interpreter could not be started; Error says why
    srCancelled      // Cancel() or the application's quit stopped it
};

struct TScriptRunResult {
    TScriptRunStatus Status = srFailedToStart;
    int ExitCode = -1;
    std::string Error;
};

class TScriptRunner : public QObject {
    Q_OBJECT
public:
    using TLineCallback = std::function<void(const std::string& line)>;

    explicit TScriptRunner(QObject* parent = nullptr);

    TScriptRunResult Run(const std::string& scriptPath, const TLineCallback& onLine);
    bool IsRunning() const { return FProcess != nullptr; }

public slots:
    // Stops the wait of a running Run(); nothing when none runs.
    void Cancel();

private:
    QProcess* FProcess = nullptr;
    QEventLoop* FLoop = nullptr;
    bool FCancelled = false;
};

// The firmware update's view of a run: completed or cancelled; a script that could not be
// started throws std::runtime_error with the reason.
TScriptRunOutcome RunProgramScript(TScriptRunner& runner, const std::string& scriptPath,
                                   const TScriptRunner::TLineCallback& onLine);

} // namespace Sondrel
