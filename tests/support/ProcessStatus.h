// What /proc tells about a process's resources: its resident memory and its open file
// descriptors. Load and soak tests sample them to see that a long run does not grow.
//
// Plain functions; any thread. Linux only (the /proc file system).
#pragma once

#include <sys/types.h>

#include <string>

namespace TestSupport {

// A field of /proc/<pid>/status in kB ("VmRSS", "VmHWM"); -1 when the process or the field is
// not there. pid 0 means the calling process.
long ProcessStatusKb(pid_t pid, const std::string& field);

// The resident set size in kB, or -1.
inline long ResidentKb(pid_t pid = 0) {
    return ProcessStatusKb(pid, "VmRSS");
}

// The number of open file descriptors (entries of /proc/<pid>/fd), or -1.
int OpenFileCount(pid_t pid = 0);

} // namespace TestSupport
