#include "LineTiming.h"

#include "CorvaneError.h"

#include <mutex>

namespace Corvane {

#define CORVANE_LOCKED_PROPERTY(Name, Type, Field)                                                 \
    Type TLineTiming::Name() const {                                                               \
        std::shared_lock lock(FLock);                                                              \
        return Field;                                                                              \
    }                                                                                              \
    void TLineTiming::Set##Name(Type value) {                                                      \
        std::unique_lock lock(FLock);                                                              \
        Field = value;                                                                             \
    }
CORVANE_LOCKED_PROPERTY(ReceiveTimeout, std::uint32_t, FReceiveTimeout)
CORVANE_LOCKED_PROPERTY(RefetchDelay, std::uint32_t, FRefetchDelay)
CORVANE_LOCKED_PROPERTY(RTSHoldDelay, std::uint32_t, FRTSHoldDelay)
CORVANE_LOCKED_PROPERTY(SendTimeout, std::uint32_t, FSendTimeout)
CORVANE_LOCKED_PROPERTY(TurnaroundDelay, std::uint32_t, FTurnaroundDelay)
CORVANE_LOCKED_PROPERTY(EchoQueryBeforeReply, bool, FEchoQueryBeforeReply)
CORVANE_LOCKED_PROPERTY(FrameTiming, TFrameTiming, FFrameTiming)
#undef CORVANE_LOCKED_PROPERTY

TFrameGaps TLineTiming::FrameGaps() const {
    std::shared_lock lock(FLock);
    return FFrameGaps;
}

void TLineTiming::SetFrameGaps(const TFrameGaps& value) {
    std::unique_lock lock(FLock);
    FFrameGaps = value;
}

std::uint32_t TLineTiming::MaxRetries() const {
    std::shared_lock lock(FLock);
    return FMaxRetries;
}

void TLineTiming::SetMaxRetries(std::uint32_t value) {
    std::unique_lock lock(FLock);
    if (value == FMaxRetries) {
        return;
    }
    if (value == 0) {
        throw ECorvaneError(msgValueMustBeBetweenSSS, {std::int64_t{1}, std::int64_t{4294967295}});
    }
    FMaxRetries = value;
}

} // namespace Corvane
