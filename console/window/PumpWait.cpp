#include "PumpWait.h"

#include "MainThreadBridge.h"

#include <QEventLoop>
#include <QTimer>

namespace Sondrel {

void PumpWait(int milliseconds) {
    if (milliseconds <= 0) {
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    // The bridge is drained from the event loop through its wake hook; draining once more here
    // covers work queued before the hook was installed.
    Corvane::TMainThreadBridge::Instance().Drain();
    loop.exec();
}

void PumpWaitUntil(const std::function<bool()>& done, int milliseconds) {
    if (milliseconds <= 0 || done()) {
        return;
    }
    QEventLoop loop;
    bool expired = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&expired] { expired = true; });
    deadline.start(milliseconds);
    Corvane::TMainThreadBridge::Instance().Drain();
    // Each round blocks until events come (a completion through the bridge's wake, the
    // deadline's timer, input) and processes them all.
    while (!expired && !done()) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
}

} // namespace Sondrel
