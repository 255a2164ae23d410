#include "ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace TestSupport {

namespace {

[[noreturn]] void Fail(const std::string& what, int err) {
    throw std::runtime_error(what + ": " + std::strerror(err));
}

// In the child between fork and exec only async-signal-safe calls are allowed: no
// allocation, no locks. Reports errno through the error pipe and leaves.
[[noreturn]] void ChildFail(int errorFd) {
    const int err = errno;
    (void)!write(errorFd, &err, sizeof err);
    _exit(127);
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, ErrorOutput errors) {
    if (argv.empty()) {
        throw std::runtime_error("ChildProcess: no program given");
    }
    // Everything the child needs is prepared before fork.
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);

    int output[2];
    int error[2];
    if (pipe2(output, O_CLOEXEC) != 0) {
        Fail("pipe", errno);
    }
    if (pipe2(error, O_CLOEXEC) != 0) {
        const int err = errno;
        close(output[0]);
        close(output[1]);
        Fail("pipe", err);
    }
    int stderrPipe[2] = {-1, -1};
    if (errors == ErrorOutput::Capture && pipe2(stderrPipe, O_CLOEXEC) != 0) {
        const int err = errno;
        close(output[0]);
        close(output[1]);
        close(error[0]);
        close(error[1]);
        Fail("pipe", err);
    }
    const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t parent = getpid();

    const pid_t pid = fork();
    if (pid == 0) {
        if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != parent) {
            _exit(127); // the test process is already gone
        }
        // Descriptor 3 carries exec failures back; it closes itself when exec succeeds.
        if (dup2(error[1], 3) < 0 || fcntl(3, F_SETFD, FD_CLOEXEC) != 0) {
            ChildFail(error[1]);
        }
        if ((devNull >= 0 && dup2(devNull, STDIN_FILENO) < 0) ||
            dup2(output[1], STDOUT_FILENO) < 0 ||
            (stderrPipe[1] >= 0 && dup2(stderrPipe[1], STDERR_FILENO) < 0)) {
            ChildFail(3);
        }
        syscall(SYS_close_range, 4u, ~0u, 0u);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        execvp(args[0], args.data());
        ChildFail(3);
    }

    const int forkErr = errno;
    close(output[1]);
    close(error[1]);
    if (stderrPipe[1] >= 0) {
        close(stderrPipe[1]);
    }
    if (devNull >= 0) {
        close(devNull);
    }
    if (pid < 0) {
        close(output[0]);
        close(error[0]);
        if (stderrPipe[0] >= 0) {
            close(stderrPipe[0]);
        }
        Fail("fork", forkErr);
    }
    FPid = pid;
    FOutputFd = output[0];
    FErrorFd = stderrPipe[0];

    int childErr = 0;
    ssize_t n;
    do {
        n = read(error[0], &childErr, sizeof childErr);
    } while (n < 0 && errno == EINTR);
    close(error[0]);
    if (n > 0) {
        Stop();
        Release();
        Fail("cannot start " + argv[0], childErr);
    }
}

ChildProcess::~ChildProcess() {
    Stop();
    Release();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : FPid(std::exchange(other.FPid, -1)), FOutputFd(std::exchange(other.FOutputFd, -1)),
      FErrorFd(std::exchange(other.FErrorFd, -1)), FExitStatus(other.FExitStatus),
      FOutput(std::move(other.FOutput)), FErrors(std::move(other.FErrors)),
      FScanned(other.FScanned) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Stop();
        Release();
        FPid = std::exchange(other.FPid, -1);
        FOutputFd = std::exchange(other.FOutputFd, -1);
        FErrorFd = std::exchange(other.FErrorFd, -1);
        FExitStatus = other.FExitStatus;
        FOutput = std::move(other.FOutput);
        FErrors = std::move(other.FErrors);
        FScanned = other.FScanned;
    }
    return *this;
}

void ChildProcess::Release() {
    for (int* fd : {&FOutputFd, &FErrorFd}) {
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
    }
}

bool ChildProcess::ReadOutputs(std::chrono::milliseconds timeout) {
    pollfd p[2] = {{FOutputFd, POLLIN, 0}, {FErrorFd, POLLIN, 0}};
    if (FOutputFd < 0 && FErrorFd < 0) {
        return false;
    }
    if (poll(p, 2, static_cast<int>(timeout.count())) <= 0) {
        return true;
    }
    const std::pair<int*, std::string*> outputs[2] = {{&FOutputFd, &FOutput},
                                                      {&FErrorFd, &FErrors}};
    for (int i = 0; i < 2; ++i) {
        if (p[i].fd < 0 || p[i].revents == 0) {
            continue;
        }
        char chunk[4096];
        const ssize_t n = read(p[i].fd, chunk, sizeof chunk);
        if (n > 0) {
            outputs[i].second->append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            close(*outputs[i].first); // the child closed it: nothing more will come
            *outputs[i].first = -1;
        }
    }
    return true;
}

void ChildProcess::ReadFor(std::chrono::milliseconds time) {
    const auto end = std::chrono::steady_clock::now() + time;
    for (auto left = time; left.count() > 0; left = std::chrono::ceil<std::chrono::milliseconds>(
                                                 end - std::chrono::steady_clock::now())) {
        if (!ReadOutputs(left)) {
            std::this_thread::sleep_for(left); // both closed: nothing more to read
            return;
        }
    }
}

int ChildProcess::Wait(std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (ReadOutputs(std::chrono::milliseconds(20)) || Running()) {
        if (std::chrono::steady_clock::now() >= end) {
            return -1;
        }
        if (FOutputFd < 0 && FErrorFd < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return FExitStatus;
}

void ChildProcess::Signal(int signal) {
    if (FPid > 0) {
        kill(FPid, signal);
    }
}

bool ChildProcess::WaitForLine(std::string_view text, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + timeout;
    for (;;) {
        // Search the complete lines that arrived since the last look.
        for (std::size_t eol; (eol = FOutput.find('\n', FScanned)) != std::string::npos;) {
            const std::string_view line(FOutput.data() + FScanned, eol - FScanned);
            FScanned = eol + 1;
            if (line.find(text) != std::string_view::npos) {
                return true;
            }
        }
        if (FOutputFd < 0) {
            return false;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd p{FOutputFd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        char chunk[512];
        const ssize_t n = read(FOutputFd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            close(FOutputFd); // the child closed its output: nothing more will come
            FOutputFd = -1;
            continue;
        }
        FOutput.append(chunk, static_cast<std::size_t>(n));
    }
}

int ChildProcess::Decode(int waitStatus) {
    if (WIFEXITED(waitStatus)) {
        return WEXITSTATUS(waitStatus);
    }
    if (WIFSIGNALED(waitStatus)) {
        return 128 + WTERMSIG(waitStatus);
    }
    return -1;
}

bool ChildProcess::Running() {
    if (FPid <= 0) {
        return false;
    }
    int status = 0;
    const pid_t r = waitpid(FPid, &status, WNOHANG);
    if (r == FPid) {
        FExitStatus = Decode(status);
        FPid = -1;
        return false;
    }
    return r == 0;
}

int ChildProcess::Stop(std::chrono::milliseconds grace) {
    if (!Running()) {
        return FExitStatus;
    }
    kill(FPid, SIGTERM);
    const auto end = std::chrono::steady_clock::now() + grace;
    while (Running()) {
        if (std::chrono::steady_clock::now() >= end) {
            kill(FPid, SIGKILL);
            int status = 0;
            while (waitpid(FPid, &status, 0) < 0 && errno == EINTR) {
            }
            FExitStatus = Decode(status);
            FPid = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return FExitStatus;
}

} // namespace TestSupport
