#include "UnpluggableAdapter.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace TestSupport {

namespace {

constexpr auto kLinkTimeout = std::chrono::seconds(5);

// A link counts once it resolves to an existing terminal device.
bool LinkReady(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

std::string MakeFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/sondrel-usb-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp: " + std::string(std::strerror(errno)));
    }
    return pattern;
}

} // namespace

UnpluggableAdapter::UnpluggableAdapter()
    : FFolder(MakeFolder()), FDevicePath(FFolder + "/ttyUSB0"),
      FInstrumentPath(FFolder + "/instrument") {
    try {
        Plug();
    } catch (...) {
        RemoveLinks();
        rmdir(FFolder.c_str());
        throw;
    }
}

UnpluggableAdapter::~UnpluggableAdapter() {
    FSocat.reset();
    RemoveLinks();
    rmdir(FFolder.c_str());
}

void UnpluggableAdapter::Plug() {
    if (FSocat) {
        return;
    }
    RemoveLinks();
    FSocat = std::make_unique<ChildProcess>(
        std::vector<std::string>{"socat", "-lpsocat-usb", "pty,raw,echo=0,link=" + FDevicePath,
                                 "pty,raw,echo=0,link=" + FInstrumentPath});
    const auto end = std::chrono::steady_clock::now() + kLinkTimeout;
    while (!(LinkReady(FDevicePath) && LinkReady(FInstrumentPath))) {
        if (!FSocat->Running() || std::chrono::steady_clock::now() >= end) {
            FSocat.reset();
            RemoveLinks();
            throw std::runtime_error("socat did not link two pseudo-terminals");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    char node[PATH_MAX] = {};
    if (realpath(FDevicePath.c_str(), node) != nullptr) {
        FDeviceNode = node;
    }
}

void UnpluggableAdapter::Unplug() {
    if (!FSocat) {
        return;
    }
    FSocat->Signal(SIGKILL);
    FSocat->Stop(std::chrono::milliseconds(0)); // reaps it
    FSocat.reset();
    RemoveLinks();
    FDeviceNode.clear();
}

void UnpluggableAdapter::RemoveLinks() {
    unlink(FDevicePath.c_str());
    unlink(FInstrumentPath.c_str());
}

} // namespace TestSupport
