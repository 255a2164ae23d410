// The hand-over of work from worker threads to the main (user-interface) thread.
//
// Workers Post() work that runs later on the main thread, or Synchronize() work and block
// until the main thread has run it. The main thread runs queued work in Drain(); a toolkit
// installs a wake hook that schedules Drain() on its own event loop, while the command-line
// tools and the tests call WaitAndDrain() in a plain loop.
//
// The bridge is the process's single hand-over point, like the hidden window that a desktop
// toolkit gives every component: Instance() is the bridge of the thread that first asked for
// it. Errors that reach the main thread from the library are reported through the exception
// handler (the application shows them to the operator).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>

namespace Corvane {

// A move-only unit of work (std::function cannot hold a std::unique_ptr capture).
class TBridgeTask {
public:
    TBridgeTask() = default;
    template <typename F,
              typename = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TBridgeTask>>>
    TBridgeTask(F&& f) : FImpl(std::make_unique<TImpl<std::decay_t<F>>>(std::forward<F>(f))) {}

    explicit operator bool() const { return FImpl != nullptr; }
    void operator()() { FImpl->Run(); }

private:
    struct TBase {
        virtual ~TBase() = default;
        virtual void Run() = 0;
    };
    template <typename F>
    struct TImpl : TBase {
        explicit TImpl(F&& f) : Fn(std::move(f)) {}
        explicit TImpl(const F& f) : Fn(f) {}
        void Run() override { Fn(); }
        F Fn;
    };
    std::unique_ptr<TBase> FImpl;
};

class TMainThreadBridge {
public:
    using TExceptionHandler = std::function<void(const std::exception&)>;

    // The bridge of the process's main thread: the thread that first calls Instance().
    static TMainThreadBridge& Instance();

    TMainThreadBridge();
    TMainThreadBridge(const TMainThreadBridge&) = delete;
    TMainThreadBridge& operator=(const TMainThreadBridge&) = delete;

    // Any thread: queue work for the main thread. Work that is never run (the process ends
    // first) is destroyed with the bridge, releasing what it captured.
    void Post(TBridgeTask task);

    // Worker thread: run fn on the main thread and wait until it returned. An exception of fn
    // is passed back to the caller. Called on the main thread, fn simply runs.
    //
    // With an abandon flag the worker stops waiting once the flag is set and returns false;
    // fn still runs (or goes on running) on the main thread, so it must own what it uses.
    // This is how a worker stops while the main thread, inside fn, waits for that very stop.
    bool Synchronize(std::function<void()> fn, const std::atomic<bool>* abandon = nullptr);

    // Main thread: run the work that was queued when the call began, in order, and return the
    // number of tasks run. Work queued meanwhile (by a worker, or by a task) is left for the
    // next call, which its own wake schedules: a worker that posts faster than the main thread
    // runs the tasks can never keep one call from returning, so the toolkit's event loop keeps
    // turning (timers, input, painting) between the batches. Nested calls are allowed; an
    // outer call stops at its own limit even when a nested one ran part of its work.
    std::size_t Drain();
    // The same, but no further task is taken once the budget is spent (a task is never cut
    // short). The toolkit's wake hook drains in such slices and schedules the rest anew.
    std::size_t Drain(std::chrono::milliseconds budget);
    // Any thread: true while work is queued.
    bool HasWork();

    // Main thread: wait until work is queued or the time is up, then drain.
    std::size_t WaitAndDrain(std::chrono::milliseconds timeout);

    // Called from any thread after work was queued; the GUI schedules Drain() from it.
    void SetWakeHook(std::function<void()> hook);

    bool IsMainThread() const { return std::this_thread::get_id() == FMainThread; }
    // Makes the calling thread the main thread (tests that run several "processes" in one).
    void AdoptCurrentThread() { FMainThread = std::this_thread::get_id(); }

    // Shows an error that reached the main thread (an event handler's exception, a worker's
    // failure). The default handler writes it to standard error.
    void ReportException(const std::exception& e);
    void SetExceptionHandler(TExceptionHandler handler);

private:
    void Wake();
    std::size_t DrainUntil(std::chrono::steady_clock::time_point deadline);

    std::thread::id FMainThread;
    std::mutex FMutex;
    std::condition_variable FQueued;
    std::deque<TBridgeTask> FQueue;
    // Tasks ever queued and ever taken: the task at the front of the queue is number FTaken.
    std::uint64_t FPosted = 0;
    std::uint64_t FTaken = 0;
    std::function<void()> FWakeHook;
    TExceptionHandler FExceptionHandler;
};

} // namespace Corvane
