// Windows applies the seven priorities of the worker thread directly as thread priorities
// within the process's priority class.
#include "ThreadPriority.h"

#include "Win32Api.h"

namespace Corvane {

std::int64_t CurrentThreadId() {
    return static_cast<std::int64_t>(GetCurrentThreadId());
}

bool ApplyThreadPriority(std::int64_t threadId, TThreadPriority priority) {
    static constexpr int kPriorities[] = {
        THREAD_PRIORITY_IDLE,          THREAD_PRIORITY_LOWEST,       THREAD_PRIORITY_BELOW_NORMAL,
        THREAD_PRIORITY_NORMAL,        THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
        THREAD_PRIORITY_TIME_CRITICAL,
    };
    if (priority > tpTimeCritical) {
        return false;
    }
    const HANDLE thread = OpenThread(THREAD_SET_INFORMATION, FALSE, static_cast<DWORD>(threadId));
    if (thread == nullptr) {
        return false;
    }
    const bool applied = SetThreadPriority(thread, kPriorities[priority]) != FALSE;
    CloseHandle(thread);
    return applied;
}

} // namespace Corvane
