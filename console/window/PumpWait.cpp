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

} // namespace Sondrel
