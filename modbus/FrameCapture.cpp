#include "FrameCapture.h"

#include <chrono>

namespace Corvane {

std::int64_t SteadyMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool TFrameTap::Push(TCapturedFrame&& frame) {
    {
        std::lock_guard lock(FLock);
        if (FQueue.size() < FCapacity) {
            FQueue.push_back(std::move(frame));
            return true;
        }
    }
    FDropped.fetch_add(1, std::memory_order_relaxed);
    return false;
}

std::vector<TCapturedFrame> TFrameTap::Drain() {
    std::deque<TCapturedFrame> taken;
    {
        std::lock_guard lock(FLock);
        taken.swap(FQueue);
    }
    return {std::make_move_iterator(taken.begin()), std::make_move_iterator(taken.end())};
}

std::size_t TFrameTap::Pending() const {
    std::lock_guard lock(FLock);
    return FQueue.size();
}

} // namespace Corvane
