// TDeadline: a point on the monotonic clock that a wait must not pass, and the timeout that is
// left until it (for poll() on POSIX, WaitForMultipleObjects on Windows). Waits recompute the
// remaining time after every wake-up instead of sleeping a fixed amount, so that EINTR,
// spurious wake-ups and partial progress never stretch a time limit. Used by one thread at a
// time.
#pragma once

#include <chrono>
#include <cstdint>

namespace Corvane {

class TDeadline {
public:
    using TClock = std::chrono::steady_clock;

    // A deadline timeoutMs from now; kUnlimited never expires.
    static constexpr std::uint32_t kUnlimited = 0xFFFFFFFF;

    explicit TDeadline(std::uint32_t timeoutMs)
        : FUnlimited(timeoutMs == kUnlimited),
          FEnd(TClock::now() + std::chrono::milliseconds(FUnlimited ? 0 : timeoutMs)) {}

    bool Unlimited() const { return FUnlimited; }

    bool Expired() const { return !FUnlimited && TClock::now() >= FEnd; }

    // Milliseconds left, rounded up so that a wait never ends before the deadline, and
    // capped at capMs; -1 (poll's "no limit") for an unlimited deadline without a cap.
    int RemainingMs(int capMs = -1) const {
        if (FUnlimited) {
            return capMs;
        }
        const auto left = FEnd - TClock::now();
        if (left <= TClock::duration::zero()) {
            return 0;
        }
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        const long long capped = capMs >= 0 && ms > capMs ? capMs : ms;
        return capped > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(capped);
    }

private:
    bool FUnlimited;
    TClock::time_point FEnd;
};

} // namespace Corvane
