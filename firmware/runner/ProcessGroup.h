// Platform part of the script runner: the script and the programs it starts are stopped
// together on cancel, so that no programming tool is left holding the serial port.
// posix/: the script leads a process group of its own, and the whole group is signalled.
// win32/: the interpreter process is killed (its children are not reached).
#pragma once

#include <QString>

class QProcess;

namespace Sondrel {

// The command that runs a script file: sets the process's program and arguments.
void SetScriptCommand(QProcess& process, const QString& scriptPath);

// Called before start().
void PrepareProcessGroup(QProcess& process);

// Stops a running process and what it started, and waits briefly for it to end.
void TerminateProcessGroup(QProcess& process);

} // namespace Sondrel
