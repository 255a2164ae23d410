#include "ScriptRunner.h"

#include "LineSplitter.h"
#include "ProcessGroup.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>

#include <stdexcept>

namespace Sondrel {

TScriptRunner::TScriptRunner(QObject* parent) : QObject(parent) {
    if (auto* app = QCoreApplication::instance()) {
        connect(app, &QCoreApplication::aboutToQuit, this, &TScriptRunner::Cancel);
    }
}

void TScriptRunner::Cancel() {
    if (FProcess == nullptr) {
        return;
    }
    FCancelled = true;
    if (FLoop != nullptr) {
        FLoop->quit();
    }
}

TScriptRunResult TScriptRunner::Run(const std::string& scriptPath, const TLineCallback& onLine) {
    if (FProcess != nullptr) {
        return {srFailedToStart, -1, "A script is already running."};
    }
    QProcess process;
    QEventLoop loop;
    FProcess = &process;
    FLoop = &loop;
    FCancelled = false;
    bool ended = false;

    TLineSplitter lines(onLine);
    const QFileInfo script(QString::fromStdString(scriptPath));
    process.setWorkingDirectory(script.absolutePath());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    SetScriptCommand(process, script.absoluteFilePath());
    PrepareProcessGroup(process);

    const auto readOutput = [&] { lines.Feed(process.readAllStandardOutput().toStdString()); };
    connect(&process, &QProcess::readyReadStandardOutput, &loop, readOutput);
    connect(&process, &QProcess::finished, &loop, [&] {
        ended = true;
        loop.quit();
    });
    connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            ended = true;
            loop.quit();
        }
    });

    process.start();
    // A quit before exec() would be lost, so the loop runs only while there is something to
    // wait for. It also ends when the application quits (every event loop is told to exit).
    if (!ended && !FCancelled && process.state() != QProcess::NotRunning) {
        loop.exec();
    }

    TScriptRunResult result;
    if (process.state() != QProcess::NotRunning) {
        TerminateProcessGroup(process);
        result = {srCancelled, -1, "The script was stopped."};
    } else if (process.error() == QProcess::FailedToStart) {
        result = {srFailedToStart, -1, process.errorString().toStdString()};
    } else if (process.exitStatus() == QProcess::CrashExit) {
        result = {srCrashed, -1, process.errorString().toStdString()};
    } else {
        result = {srFinished, process.exitCode(), std::string()};
    }
    readOutput();
    lines.Finish();
    disconnect(&process, nullptr, &loop, nullptr);
    FProcess = nullptr;
    FLoop = nullptr;
    return result;
}

TScriptRunOutcome RunProgramScript(TScriptRunner& runner, const std::string& scriptPath,
                                   const TScriptRunner::TLineCallback& onLine) {
    const auto result = runner.Run(scriptPath, onLine);
    switch (result.Status) {
    case srFailedToStart:
        throw std::runtime_error(result.Error);
    case srCancelled:
        return roCancelled;
    default:
        return roCompleted;
    }
}

} // namespace Sondrel
