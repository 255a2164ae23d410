// While it lives, regular files of this process cannot grow beyond the given size: a write
// past the limit fails with EFBIG (SIGXFSZ is ignored meanwhile), as on a full disk, whatever
// the user's privileges. POSIX only (setrlimit); header-only.
// One at a time, on the thread that runs the test.
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace TestSupport {

class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &FSaved);
        FHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = FSaved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &FSaved);
        std::signal(SIGXFSZ, FHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit FSaved{};
    void (*FHandler)(int) = nullptr;
};

} // namespace TestSupport
