#include "SocatLink.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace TestSupport {

namespace {

constexpr auto kLinkTimeout = std::chrono::seconds(5);

std::vector<std::string> SocatArguments(const std::string& endA, const std::string& endB) {
    // -lp names the process in socat's own messages; pty,raw,echo=0 makes each end a raw
    // terminal that passes every byte unchanged.
    return {"socat", "-lpsocat-link", "pty,raw,echo=0,link=" + endA, "pty,raw,echo=0,link=" + endB};
}

// A link counts once it resolves to an existing terminal device.
bool LinkReady(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

} // namespace

std::string SocatLink::MakeFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/sondrel-link-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp: " + std::string(std::strerror(errno)));
    }
    return pattern;
}

SocatLink::SocatLink()
    : FFolder(MakeFolder()), FEndA(FFolder + "/a"), FEndB(FFolder + "/b"), FSocat([this] {
          try {
              return ChildProcess(SocatArguments(FEndA, FEndB));
          } catch (...) {
              RemoveFolder();
              throw;
          }
      }()) {
    const auto end = std::chrono::steady_clock::now() + kLinkTimeout;
    while (!(LinkReady(FEndA) && LinkReady(FEndB))) {
        if (!FSocat.Running() || std::chrono::steady_clock::now() >= end) {
            FSocat.Stop();
            RemoveFolder();
            throw std::runtime_error("socat did not link two pseudo-terminals");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

SocatLink::~SocatLink() {
    FSocat.Stop();
    RemoveFolder();
}

void SocatLink::RemoveFolder() {
    // socat removes its links when it ends on a signal; these calls catch the rest.
    unlink(FEndA.c_str());
    unlink(FEndB.c_str());
    rmdir(FFolder.c_str());
}

} // namespace TestSupport
