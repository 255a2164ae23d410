#include "LineProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace SondrelCli {

namespace {

// A line of a report is short; a process that writes more without a line break is cut off.
constexpr std::size_t kMaxLine = 64 * 1024;

void CloseBoth(int fds[2]) {
    for (int i = 0; i < 2; ++i) {
        if (fds[i] >= 0) {
            close(fds[i]);
        }
    }
}

} // namespace

TLineProcess::TLineProcess(const std::string& jobText, TLineSink sink) : FSink(std::move(sink)) {
    int input[2] = {-1, -1};
    int output[2] = {-1, -1};
    if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0) {
        CloseBoth(input);
        CloseBoth(output);
        throw std::runtime_error(std::string("no pipe for a line's process: ") +
                                 std::strerror(errno));
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int s : {SIGTERM, SIGINT, SIGCHLD, SIGPIPE}) {
        sigaddset(&defaults, s);
    }
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    char program[] = "sondrel-cli";
    char command[] = "collect-line";
    char* argv[] = {program, command, nullptr};
    const int failed = posix_spawn(&FPid, "/proc/self/exe", &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(input[0]);
    close(output[1]);
    if (failed != 0) {
        close(input[1]);
        close(output[0]);
        throw std::runtime_error(std::string("a line's process could not start: ") +
                                 std::strerror(failed));
    }
    FOutput = output[0];
    // The job is far smaller than a pipe's buffer: written whole, then the input closed.
    std::size_t written = 0;
    while (written < jobText.size()) {
        const ssize_t n = write(input[1], jobText.data() + written, jobText.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break; // the process ended early: its exit status tells
        }
        written += static_cast<std::size_t>(n);
    }
    close(input[1]);
}

TLineProcess::~TLineProcess() {
    if (!FEnded && FPid > 0) {
        kill(FPid, SIGKILL);
        waitpid(FPid, nullptr, 0);
    }
    if (FOutput >= 0) {
        close(FOutput);
    }
}

void TLineProcess::ReadAvailable() {
    if (FOutput < 0) {
        return;
    }
    char chunk[4096];
    const ssize_t n = read(FOutput, chunk, sizeof chunk);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        return;
    }
    if (n <= 0) {
        close(FOutput);
        FOutput = -1;
        return;
    }
    FBuffer.append(chunk, static_cast<std::size_t>(n));
    HandLines();
    if (FBuffer.size() > kMaxLine) {
        FBuffer.clear();
    }
}

void TLineProcess::HandLines() {
    for (std::size_t end = FBuffer.find('\n'); end != std::string::npos; end = FBuffer.find('\n')) {
        const std::string line = FBuffer.substr(0, end);
        FBuffer.erase(0, end + 1);
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || tab == 0 || tab > 6 ||
            line.find_first_not_of("0123456789") != tab) {
            continue; // not a report line
        }
        FSink(static_cast<std::size_t>(std::stoul(line.substr(0, tab))), line.substr(tab + 1));
    }
}

void TLineProcess::Signal(int signal) const {
    if (!FEnded && FPid > 0) {
        kill(FPid, signal);
    }
}

bool TLineProcess::TryReap() {
    if (FEnded) {
        return true;
    }
    int status = 0;
    const pid_t reaped = waitpid(FPid, &status, WNOHANG);
    if (reaped != FPid) {
        return false;
    }
    FEnded = true;
    FExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

} // namespace SondrelCli
