#include "ProcessGroup.h"

#include <QProcess>

#include <signal.h>
#include <unistd.h>

namespace Sondrel {

namespace {

constexpr int TermGraceMs = 2000;
constexpr int KillGraceMs = 2000;

} // namespace

void SetScriptCommand(QProcess& process, const QString& scriptPath) {
    process.setProgram(QStringLiteral("/bin/sh"));
    process.setArguments({scriptPath});
}

void PrepareProcessGroup(QProcess& process) {
    // Runs in the child between fork and exec: only async-signal-safe calls.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
}

void TerminateProcessGroup(QProcess& process) {
    const auto pid = static_cast<pid_t>(process.processId());
    if (process.state() == QProcess::NotRunning || pid <= 0) {
        return;
    }
    ::kill(-pid, SIGTERM);
    if (process.waitForFinished(TermGraceMs)) {
        // The shell is gone; its programs may still be ending. A last signal to the group
        // makes sure (the group outlives the shell while any member is alive).
        ::kill(-pid, SIGKILL);
        return;
    }
    ::kill(-pid, SIGKILL);
    process.waitForFinished(KillGraceMs);
}

} // namespace Sondrel
