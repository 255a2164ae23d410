// The Traffic dock under a busy line: a feeder thread pushes frames into a connection's frame
// tap at a steady rate, as the worker does, while the dock drains and shows them in its window
// on the offscreen platform (or any platform QT_QPA_PLATFORM names). Reported: the longest
// pause of the window's event loop (a 1 ms precise timer's largest lateness), its 99th
// percentile, and the process's resident memory as the table fills up to the frame limit and
// then stays there.
//
//   bench_traffic_view [--seconds 60] [--rate 500] [--limit 100000] [--prefill N]
//
// --prefill N puts N frames in the table before the clock starts, so that a run measures a
// view that is already at its limit (the first three seconds, which show them, are not
// measured).
// --rate 0 feeds nothing: the same window idle, for the machine's own scheduling noise.
//
// The frames are those of a download: a request for 104 registers and its 213-byte reply.
#include "ApplicationSettings.h"
#include "RegistrySettings.h"
#include "TrafficDock.h"
#include "TrafficTableModel.h"
#include "WidgetDialogService.h"

#include "Checksum.h"
#include "ModbusConnection.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace Corvane;

namespace {

Corvane::TFrameData WithCrc(Corvane::TFrameData body) {
    const std::uint16_t crc = CRC16(body.data(), body.size());
    body.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    body.push_back(static_cast<std::uint8_t>(crc >> 8));
    return body;
}

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

long Option(int argc, char** argv, const char* name, long fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            return std::stol(argv[i + 1]);
        }
    }
    return fallback;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const long seconds = Option(argc, argv, "--seconds", 60);
    const long rate = Option(argc, argv, "--rate", 500);
    const long limit = Option(argc, argv, "--limit", 100000);
    const long prefill = Option(argc, argv, "--prefill", 0);

    QTemporaryDir folder;
    Sondrel::TRegistrySettings registry(folder.filePath(QStringLiteral("bench.conf")));
    Sondrel::TApplicationSettings settings(registry);
    Sondrel::TWidgetDialogService dialogs;
    TModbusConnection connection;
    QMainWindow window;
    window.resize(1400, 800);
    auto* dock = new Sondrel::TTrafficDock(connection, dialogs, settings, &window);
    dock->LimitSpin->setValue(static_cast<int>(limit));
    window.addDockWidget(Qt::BottomDockWidgetArea, dock);
    window.show();
    if (qEnvironmentVariableIsSet("BENCH_HIDE_LABEL")) {
        dock->StatisticsLabel->hide();
    }
    if (qEnvironmentVariableIsSet("BENCH_HIDE_TABLE")) {
        dock->Table->hide();
    }
    qint64 drainNs = 0;
    qint64 drainMaxNs = 0;
    dock->DrainTimer->stop();
    QTimer drain;
    drain.setInterval(Sondrel::TTrafficDock::DrainIntervalMs);
    QObject::connect(&drain, &QTimer::timeout, [&] {
        QElapsedTimer t;
        t.start();
        dock->DrainNow();
        drainNs += t.nsecsElapsed();
        drainMaxNs = std::max(drainMaxNs, t.nsecsElapsed());
    });
    drain.start();

    TFrameData request = WithCrc({0x01, 0x03, 0x01, 0x00, 0x00, 0x68});
    TFrameData replyBody = {0x01, 0x03, 208};
    for (int i = 0; i < 208; ++i) {
        replyBody.push_back(static_cast<std::uint8_t>(i * 7));
    }
    const TFrameData reply = WithCrc(replyBody);
    TFrameTap& tap = connection.FrameTap();

    {
        // The prefill goes straight into the table in batches of one drain's size.
        const long batch = std::max(1L, rate / 10);
        std::vector<TCapturedFrame> frames;
        for (long i = 0; i < prefill; ++i) {
            TCapturedFrame frame;
            frame.Kind = i % 2 == 0 ? ckSent : ckReceived;
            frame.StartUs = SteadyMicroseconds();
            frame.EndUs = frame.StartUs + 800;
            frame.Bytes = i % 2 == 0 ? request : reply;
            tap.Push(std::move(frame));
            if ((i + 1) % batch == 0 || i + 1 == prefill) {
                dock->DrainNow();
            }
        }
    }
    // The feeder: frames in pairs at the rate, stamped as the worker stamps them.
    std::atomic<bool> stop{false};
    std::atomic<long> fed{0};
    std::thread feeder([&tap, &stop, &fed, rate, request, reply] {
        const auto period = std::chrono::nanoseconds(1000000000L / std::max(1L, rate));
        auto next = std::chrono::steady_clock::now();
        std::int32_t id = 0;
        while (!stop && rate > 0) {
            TCapturedFrame frame;
            const bool sent = fed % 2 == 0;
            frame.Kind = sent ? ckSent : ckReceived;
            frame.StartUs = SteadyMicroseconds();
            frame.EndUs = frame.StartUs + (sent ? 800 : 21000);
            frame.Bytes = sent ? request : reply;
            frame.TransactionID = sent ? ++id : id;
            frame.Attempt = 1;
            frame.BaudRate = 115200;
            tap.Push(std::move(frame));
            ++fed;
            next += period;
            std::this_thread::sleep_until(next);
        }
    });

    // The event loop's pauses: how late a 1 ms timer fires, after the warm-up.
    const qint64 kWarmUpNs = prefill > 0 ? 3000000000LL : 0;
    std::vector<qint64> lateness;
    lateness.reserve(static_cast<std::size_t>(seconds) * 1000 + 100);
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (now > kWarmUpNs) {
            lateness.push_back(std::max<qint64>(0, now - last - 1000000));
        }
        last = now;
    });
    long peakKiB = ResidentKiB();
    const long startKiB = peakKiB;
    QTimer sample;
    sample.setInterval(5000);
    QObject::connect(&sample, &QTimer::timeout, [&] {
        const long kib = ResidentKiB();
        peakKiB = std::max(peakKiB, kib);
        std::printf("t=%3llds rows=%7d rss=%ld KiB\n",
                    static_cast<long long>(clock.elapsed() / 1000), dock->Model().rowCount(), kib);
        std::fflush(stdout);
    });
    QTimer::singleShot(static_cast<int>(seconds * 1000), &app, &QApplication::quit);
    tick.start();
    sample.start();
    app.exec();
    stop = true;
    feeder.join();

    std::sort(lateness.begin(), lateness.end());
    const double maxMs = lateness.empty() ? 0 : lateness.back() / 1e6;
    const double p99Ms = lateness.empty() ? 0 : lateness[lateness.size() * 99 / 100] / 1e6;
    std::printf("frames fed: %ld in %ld s (%ld/s), rows shown: %d (limit %ld), dropped by the "
                "tap: %llu\n",
                fed.load(), seconds, rate, dock->Model().rowCount(), limit,
                static_cast<unsigned long long>(tap.Dropped()));
    const auto over = [&](qint64 ms) {
        return lateness.end() - std::upper_bound(lateness.begin(), lateness.end(), ms * 1000000);
    };
    std::printf("event loop: longest pause %.1f ms, 99th percentile %.2f ms (target: under "
                "50 ms); pauses over 20 ms: %td, over 50 ms: %td, of %zu ticks\n",
                maxMs, p99Ms, over(20), over(50), lateness.size());
    std::printf("drain: %.1f ms in total, longest %.1f ms\n", drainNs / 1e6, drainMaxNs / 1e6);
    std::printf("resident memory: %ld KiB at start, %ld KiB peak, %ld KiB at the end\n", startKiB,
                peakKiB, ResidentKiB());
    return 0;
}
