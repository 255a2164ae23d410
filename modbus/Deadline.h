// TDeadline: a point on the monotonic clock that a wait must not pass, and the time that is
// left until it (in milliseconds for poll() and WaitForMultipleObjects, to the nanosecond for
// ppoll()). Waits recompute the remaining time after every wake-up instead of sleeping a fixed
// amount, so that EINTR, spurious wake-ups and partial progress never stretch a time limit,
// and a limit below a millisecond (the gaps of the Modbus serial line standard at high speeds)
// is kept as it is where the platform's timer allows. Used by one thread at a
// time.
#pragma once

#include <chrono>
#include <cstdint>

namespace Corvane {

class TDeadline {
public:
    using TClock = std::chrono::steady_clock;

    // A limit in milliseconds of kUnlimited, or in microseconds of kNoLimit, never expires.
    static constexpr std::uint32_t kUnlimited = 0xFFFFFFFF;
    static constexpr std::chrono::microseconds kNoLimit = std::chrono::microseconds::max();

    // A deadline timeoutMs from now.
    explicit TDeadline(std::uint32_t timeoutMs)
        : TDeadline(timeoutMs == kUnlimited
                        ? kNoLimit
                        : std::chrono::microseconds(std::chrono::milliseconds(timeoutMs))) {}

    // A deadline timeout from now.
    explicit TDeadline(std::chrono::microseconds timeout)
        : FUnlimited(timeout == kNoLimit),
          FEnd(TClock::now() + (FUnlimited ? std::chrono::microseconds(0) : timeout)) {}

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

    // The time left, never negative, capped at cap; TClock::duration::max() for an
    // unlimited deadline whose cap is that too.
    TClock::duration Remaining(TClock::duration cap = TClock::duration::max()) const {
        if (FUnlimited) {
            return cap;
        }
        const auto left = FEnd - TClock::now();
        if (left <= TClock::duration::zero()) {
            return TClock::duration::zero();
        }
        return left < cap ? left : cap;
    }

private:
    bool FUnlimited;
    TClock::time_point FEnd;
};

} // namespace Corvane
