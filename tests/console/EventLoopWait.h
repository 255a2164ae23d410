// Waiting in a window test without burning a core: the Qt event loop runs (and sleeps while
// there is nothing to do) until a condition holds or the time is up. The condition is looked
// at every 10 ms. Main (GUI) thread only.
#pragma once

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace ConsoleTest {

template <typename F>
bool RunEventLoopUntil(F&& done, int milliseconds) {
    QEventLoop loop;
    QTimer poll;
    QDeadlineTimer deadline(milliseconds);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done() || deadline.hasExpired()) {
            loop.quit();
        }
    });
    poll.start(10);
    if (!done()) {
        loop.exec();
    }
    return done();
}

// Runs the event loop for the whole time (for things that must not happen meanwhile).
inline void RunEventLoopFor(int milliseconds) {
    RunEventLoopUntil([] { return false; }, milliseconds);
}

} // namespace ConsoleTest
