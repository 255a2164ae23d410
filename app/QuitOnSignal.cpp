#include "QuitOnSignal.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace Sondrel {

namespace {

int SignalPipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void WriteSignalByte(int) {
    const char byte = 1;
    // Nothing can be done about a full pipe here: one byte already waits to be read.
    [[maybe_unused]] const ssize_t written = ::write(SignalPipe[1], &byte, 1);
}

} // namespace

TQuitOnSignal::TQuitOnSignal(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), FOnSignal(std::move(onSignal)) {
    if (::pipe(SignalPipe) != 0) {
        return;
    }
    for (int fd : SignalPipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    FNotifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(SignalPipe[0], bytes, sizeof bytes) > 0) {
        }
        if (FOnSignal) {
            FOnSignal();
        }
    });
    struct sigaction action = {};
    action.sa_handler = WriteSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

TQuitOnSignal::~TQuitOnSignal() {
    for (int signal : kSignals) {
        ::signal(signal, SIG_DFL);
    }
    delete FNotifier;
    FNotifier = nullptr;
    for (int& fd : SignalPipe) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

} // namespace Sondrel
