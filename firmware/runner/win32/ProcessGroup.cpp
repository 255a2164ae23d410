#include "ProcessGroup.h"

#include <QProcess>

namespace Sondrel {

namespace {

constexpr int KillGraceMs = 2000;

} // namespace

void SetScriptCommand(QProcess& process, const QString& scriptPath) {
    process.setProgram(QStringLiteral("cmd.exe"));
    process.setArguments({QStringLiteral("/c"), scriptPath});
}

void PrepareProcessGroup(QProcess&) {}

void TerminateProcessGroup(QProcess& process) {
    if (process.state() == QProcess::NotRunning) {
        return;
    }
    process.kill();
    process.waitForFinished(KillGraceMs);
}

} // namespace Sondrel
