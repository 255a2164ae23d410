// The length of an RTU frame told by its first bytes, so that a receive can end a frame as soon
// as it is complete instead of waiting for the silence after it (frame timing ftStandard).
//
// A reply's length follows from its request's function code and, where the reply has one,
// its byte count; a request's length from its own fields. A frame ends by length only when
// all of it has arrived and its CRC checks; otherwise the silence rule decides, so a wrong
// guess costs time, never a frame. Pure functions over plain bytes.
#pragma once

#include <cstdint>

namespace Corvane {

// Results of the length functions besides a length (> 0, CRC included).
inline constexpr std::int32_t kLengthNeedsMore = 0; // the bytes so far do not tell it yet
inline constexpr std::int32_t kLengthUnknown = -1;  // these bytes cannot be sized

// The wire length of a reply to a request of function code requestFunction, from the reply's
// first count bytes: 01 to 04, 17 and 23: 5 + byte count; 05, 06, 15, 16: 8; 07: 5; 08: 8;
// 22: 10; an exception reply (the request's code with bit 7 set): 5. Any other code, or a
// reply whose function byte is neither the request's nor its exception form: kLengthUnknown.
std::int32_t ExpectedReplyLength(std::uint8_t requestFunction, const std::uint8_t* reply,
                                 std::int32_t count);

// The wire length of a request received in server mode, from its first count bytes: 01 to 06
// and 08: 8; 07, 11, 12, 17: 4; 15, 16: 9 + byte count; 20, 21: 5 + byte count; 22: 10; 23:
// 13 + byte count. Any other code: kLengthUnknown.
std::int32_t ExpectedRequestLength(const std::uint8_t* request, std::int32_t count);

// What a receive sizes its frame by.
struct TLengthRule {
    enum TKind : std::uint8_t { lkNone, lkReply, lkRequest };
    TKind Kind = lkNone;
    // lkReply: the function code of the request that the reply answers.
    std::uint8_t RequestFunction = 0;
    // On a line that echoes every sent frame (EchoQueryBeforeReply): the frame that was sent.
    // Received bytes that begin with it are sized after it, as echo and reply together.
    const std::uint8_t* Echo = nullptr;
    std::int32_t EchoLength = 0;
};

// The length at which the received bytes hold a complete frame whose CRC checks (echo
// included): > 0 when they do (bytes beyond it are not part of the frame), kLengthNeedsMore
// while the frame is still short, kLengthUnknown when the rule cannot end this frame (lkNone,
// a frame it cannot size, a complete length whose CRC does not check).
std::int32_t CompleteFrameLength(const TLengthRule& rule, const std::uint8_t* data,
                                 std::int32_t count);

} // namespace Corvane
