#include "SimProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace SimTest {

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point end) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Appends what fd has within the deadline; false at end of file.
bool ReadSome(int fd, std::string& into, Clock::time_point end) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, MsLeft(end)) <= 0) {
        return true;
    }
    char chunk[512];
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n > 0) {
        into.append(chunk, static_cast<std::size_t>(n));
        return true;
    }
    return n < 0 && errno == EINTR;
}

} // namespace

SimProcess::SimProcess(const std::string& program, const std::vector<std::string>& args) {
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    }
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const int rc = posix_spawn(&FPid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    FOut = out[0];
    FErr = err[0];
    if (rc != 0) {
        FPid = -1;
        close(FOut);
        close(FErr);
        throw std::runtime_error(std::string("posix_spawn: ") + std::strerror(rc));
    }
}

SimProcess::~SimProcess() {
    if (FPid > 0) {
        kill(FPid, SIGKILL);
        while (waitpid(FPid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    close(FOut);
    close(FErr);
}

std::optional<std::string> SimProcess::ReadLine(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    for (;;) {
        if (const auto nl = FOutBuffer.find('\n'); nl != std::string::npos) {
            std::string line = FOutBuffer.substr(0, nl);
            FOutBuffer.erase(0, nl + 1);
            return line;
        }
        if (Clock::now() >= end || !ReadSome(FOut, FOutBuffer, end)) {
            return std::nullopt;
        }
    }
}

std::string SimProcess::ReadErrors(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    std::string errors;
    while (Clock::now() < end && ReadSome(FErr, errors, end)) {
    }
    return errors;
}

void SimProcess::Signal(int signal) const {
    if (FPid > 0) {
        kill(FPid, signal);
    }
}

std::optional<int> SimProcess::WaitExit(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (FPid > 0) {
        int status = 0;
        const pid_t done = waitpid(FPid, &status, WNOHANG);
        if (done == FPid) {
            FPid = -1;
            return status;
        }
        if (done < 0 && errno != EINTR) {
            return std::nullopt;
        }
        if (Clock::now() >= end) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

} // namespace SimTest
