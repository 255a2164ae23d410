// The batch file runs in cmd.exe, started directly rather than through the shell's "open":
// the process handle is then ours at once to wait on, and the script shares the caller's
// console, so the ISP tool's output appears there.
#include "ScriptProcess.h"

#include "win32/WideText.h"
#include "win32/Win32Api.h"
#include "win32/Win32Error.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace Sondrel {

int RunScriptAndWait(const std::string& scriptPath) {
    // cmd.exe /c takes the rest of its line as the command: the quoted path is the whole of it.
    std::wstring command = L"cmd.exe /c \"" + Corvane::WideFromUtf8(scriptPath) + L"\"";
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        throw std::runtime_error("cannot start cmd.exe: " +
                                 Corvane::Win32ErrorText(GetLastError()));
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    const bool known = GetExitCodeProcess(process.hProcess, &code) != FALSE;
    CloseHandle(process.hProcess);
    if (!known) {
        throw std::runtime_error("the script's exit status is not known");
    }
    return static_cast<int>(code);
}

} // namespace Sondrel
