// Linux maps thread priorities to nice values of the thread (a thread is a task with its own
// nice value). An unprivileged process may lower its priority (raise nice) but not raise it
// again beyond its RLIMIT_NICE, so "Higher" and above usually stay at normal: that is fine,
// the worker spends its life blocked in poll() and wakes on the line's own events.
#include "ThreadPriority.h"

#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace Corvane {

std::int64_t CurrentThreadId() {
    return static_cast<std::int64_t>(::syscall(SYS_gettid));
}

bool ApplyThreadPriority(std::int64_t threadId, TThreadPriority priority) {
    static constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -15};
    const auto tid = static_cast<id_t>(threadId);
    if (priority == tpTimeCritical) {
        sched_param param{};
        param.sched_priority = sched_get_priority_min(SCHED_FIFO);
        if (::sched_setscheduler(static_cast<pid_t>(threadId), SCHED_FIFO, &param) == 0) {
            return true;
        }
    } else {
        sched_param param{};
        ::sched_setscheduler(static_cast<pid_t>(threadId), SCHED_OTHER, &param);
    }
    return ::setpriority(PRIO_PROCESS, tid, kNice[priority]) == 0;
}

} // namespace Corvane
