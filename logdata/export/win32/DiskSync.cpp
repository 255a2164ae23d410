// FlushFileBuffers of a file by its path (it needs a handle with write access).
#include "DiskSync.h"

#include <windows.h>

namespace Sondrel {

std::error_code SyncFileToDisk(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {static_cast<int>(GetLastError()), std::system_category()};
    }
    const bool flushed = FlushFileBuffers(file) != 0;
    const DWORD error = flushed ? 0 : GetLastError();
    CloseHandle(file);
    return error != 0 ? std::error_code(static_cast<int>(error), std::system_category())
                      : std::error_code();
}

} // namespace Sondrel
