#include "ScriptProcess.h"

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

namespace Sondrel {

int RunScriptAndWait(const std::string& scriptPath) {
    std::string shell = "/bin/sh";
    std::string script = scriptPath;
    char* argv[] = {shell.data(), script.data(), nullptr};
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, shell.c_str(), nullptr, nullptr, argv, environ);
    if (rc != 0) {
        throw std::runtime_error("cannot start " + shell + ": " + std::strerror(rc));
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            throw std::runtime_error(std::string("cannot wait for the script: ") +
                                     std::strerror(errno));
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace Sondrel
