// RunScriptAndWait: runs the programming script with the platform's command interpreter and
// waits for it to end, without a window: the firmware update of the command-line tool. (The
// window runs the script through TScriptRunner, which keeps its event loop going meanwhile.)
//
// Windows: CreateProcess of "cmd.exe /c "<script>"", then WaitForSingleObject on the process
// and GetExitCodeProcess. POSIX: posix_spawn of "/bin/sh <script>", then waitpid. The script
// inherits the caller's standard input, output and error, so the tool's output appears where
// the caller's does, and the batch file's "Pause" waits for the caller's input (an input at end
// of file lets it go on at once).
//
// Main thread; blocks until the script ended. Raises std::runtime_error with the reason when
// the interpreter cannot be started. posix/ and win32/ScriptProcess.cpp; CMake picks one.
#pragma once

#include <string>

namespace Sondrel {

// The script's exit status (128 + the signal on POSIX when a signal ended it).
int RunScriptAndWait(const std::string& scriptPath);

} // namespace Sondrel
