// TQuitOnSignal: turns SIGINT, SIGTERM and SIGHUP into a call on the main thread, so that the
// program can clean up (the demo mode stops its simulator) instead of dying where it stands.
//
// The signal handler only writes a byte into a pipe (the one thing a handler may safely do);
// a socket notifier on the pipe's other end runs OnSignal in the event loop. One instance per
// program; it restores the default handlers when destroyed. POSIX. Main thread only.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace Sondrel {

class TQuitOnSignal : public QObject {
    Q_OBJECT
public:
    explicit TQuitOnSignal(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TQuitOnSignal() override;

private:
    std::function<void()> FOnSignal;
    QSocketNotifier* FNotifier = nullptr;
};

} // namespace Sondrel
