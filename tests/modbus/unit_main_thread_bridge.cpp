// The main-thread bridge's drain: it runs the work that was queued when it began, in order,
// and leaves later work for the next call, so that a worker posting without pause can never
// keep the main thread inside one drain; a budgeted drain stops taking tasks once its time is
// spent; nested drains keep the order.
#include "MainThreadBridge.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

using namespace Corvane;
using namespace std::chrono_literals;

namespace {

TEST(BridgeDrain, RunsOnlyTheWorkQueuedBeforeItBegan) {
    TMainThreadBridge bridge;
    std::string order;
    bridge.Post([&] {
        order += 'A';
        bridge.Post([&] { order += 'C'; });
    });
    bridge.Post([&] { order += 'B'; });

    EXPECT_EQ(bridge.Drain(), 2u);
    EXPECT_EQ(order, "AB");
    EXPECT_TRUE(bridge.HasWork()) << "the work queued by a task is left for the next drain";
    EXPECT_EQ(bridge.Drain(), 1u);
    EXPECT_EQ(order, "ABC");
    EXPECT_FALSE(bridge.HasWork());
}

TEST(BridgeDrain, ANestedDrainTakesTheLaterWorkAndTheOuterOneStopsAtItsOwnLimit) {
    TMainThreadBridge bridge;
    std::string order;
    std::size_t nested = 0;
    bridge.Post([&] {
        order += 'A';
        bridge.Post([&] { order += 'D'; });
        nested = bridge.Drain(); // as a wait that processes events does
    });
    bridge.Post([&] { order += 'B'; });
    bridge.Post([&] { order += 'C'; });

    EXPECT_EQ(bridge.Drain(), 1u);
    EXPECT_EQ(nested, 3u);
    EXPECT_EQ(order, "ABCD");
    EXPECT_FALSE(bridge.HasWork());
}

TEST(BridgeDrain, ABudgetedDrainTakesNoTaskAfterItsTimeIsSpent) {
    TMainThreadBridge bridge;
    int ran = 0;
    for (int i = 0; i < 4; ++i) {
        bridge.Post([&] {
            std::this_thread::sleep_for(30ms);
            ++ran;
        });
    }
    // The first task always runs; it outlasts the budget, so no second one is taken.
    EXPECT_EQ(bridge.Drain(10ms), 1u);
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(bridge.Drain(), 3u);
    EXPECT_EQ(ran, 4);
}

TEST(BridgeDrain, AWorkerPostingWithoutPauseCannotKeepTheMainThreadInOneDrain) {
    TMainThreadBridge bridge;
    std::atomic<bool> stop{false};
    std::atomic<int> posted{0};
    std::thread worker([&] {
        while (!stop && posted < 200'000) {
            bridge.Post([] {});
            ++posted;
        }
    });
    while (posted < 1000) {
        std::this_thread::yield();
    }
    std::size_t ran = 0;
    for (int i = 0; i < 3; ++i) {
        ran += bridge.Drain(); // each returns although the worker keeps posting
    }
    stop = true;
    worker.join();
    ran += bridge.Drain();
    EXPECT_EQ(ran, static_cast<std::size_t>(posted.load()));
    EXPECT_FALSE(bridge.HasWork());
}

} // namespace
