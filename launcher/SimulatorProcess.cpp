#include "SimulatorProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace SondrelLauncher {

namespace {

constexpr int kStartTimeoutMs = 10000;

// Reads the first line the child prints, within the start time-out.
std::string ReadFirstLine(int fd) {
    std::string line;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            throw std::runtime_error("the simulator printed no port within 10 s");
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            continue;
        }
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n <= 0) {
            throw std::runtime_error("the simulator ended before printing its port");
        }
        if (c == '\n') {
            return line;
        }
        line += c;
        if (line.size() > 4096) {
            throw std::runtime_error("the simulator printed an unexpected first line");
        }
    }
}

} // namespace

TSimulatorProcess::TSimulatorProcess(const std::string& program,
                                     const std::vector<std::string>& extraArgs) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("cannot start the simulator: ") +
                                 std::strerror(errno));
    }
    std::vector<std::string> args = {program, "--pty"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    const int rc = ::posix_spawnp(&FPid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        ::close(pipeFds[0]);
        FPid = -1;
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(rc));
    }
    try {
        FPortPath = ReadFirstLine(pipeFds[0]);
    } catch (...) {
        ::close(pipeFds[0]);
        Stop();
        throw;
    }
    // The simulator keeps writing nothing more to stdout; the pipe may close.
    ::close(pipeFds[0]);
}

TSimulatorProcess::~TSimulatorProcess() {
    Stop();
}

void TSimulatorProcess::Stop() {
    if (FPid <= 0) {
        return;
    }
    ::kill(FPid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (::waitpid(FPid, nullptr, WNOHANG) == FPid) {
            FPid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(FPid, SIGKILL);
    ::waitpid(FPid, nullptr, 0);
    FPid = -1;
}

std::string TSimulatorProcess::LocateBeside(const std::string& programPath) {
    std::error_code error;
    const auto self = std::filesystem::canonical(programPath, error);
    if (!error) {
        const auto beside = self.parent_path() / "sondrel-sim";
        if (std::filesystem::exists(beside)) {
            return beside.string();
        }
    }
    return "sondrel-sim";
}

} // namespace SondrelLauncher
