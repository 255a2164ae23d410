// Frame timing of RTU frames: the gaps of the classic and the standard timing, and the
// lengths by which a frame ends before its silence.
#include "Checksum.h"
#include "FrameLength.h"
#include "FrameTiming.h"
#include "Framing.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Corvane;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes WithCrc(Bytes body) {
    const std::uint16_t crc = CRC16(body.data(), body.size());
    body.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    body.push_back(static_cast<std::uint8_t>(crc >> 8));
    return body;
}

TFrameGaps Gaps(TFrameTiming timing, std::uint32_t baud, TParityScheme parity = psNone,
                TTransmissionMode mode = tmRTU, std::uint32_t silentInterval = 4) {
    return ComputeFrameGaps(timing, mode, baud, db8, parity, sb1, silentInterval);
}

std::int32_t Reply(std::uint8_t requestFunction, const Bytes& b) {
    return ExpectedReplyLength(requestFunction, b.data(), static_cast<std::int32_t>(b.size()));
}

std::int32_t Request(const Bytes& b) {
    return ExpectedRequestLength(b.data(), static_cast<std::int32_t>(b.size()));
}

std::int32_t Complete(const TLengthRule& rule, const Bytes& b) {
    return CompleteFrameLength(rule, b.data(), static_cast<std::int32_t>(b.size()));
}

TLengthRule ReplyRule(std::uint8_t function) {
    TLengthRule rule;
    rule.Kind = TLengthRule::lkReply;
    rule.RequestFunction = function;
    return rule;
}

} // namespace

TEST(FrameGaps, ClassicKeepsTheSilentTimeInWholeMillisecondsWithItsFloor) {
    EXPECT_EQ(Gaps(ftClassic, 1200, psEven), (TFrameGaps{34000, 0}));
    EXPECT_EQ(Gaps(ftClassic, 115200), (TFrameGaps{16000, 0}));
    EXPECT_EQ(Gaps(ftClassic, 9600, psNone, tmASCII, 1000), (TFrameGaps{1000000, 0}));
    EXPECT_EQ(Gaps(ftClassic, 1200, psEven).SilentMs(),
              ComputeSilentTime(tmRTU, 1200, db8, psEven, sb1, 4));
}

TEST(FrameGaps, StandardCountsCharactersUpTo19200AndIsFixedAbove) {
    // 9600 8N1: a character is 10 bits, 1041.7 us.
    EXPECT_EQ(Gaps(ftStandard, 9600), (TFrameGaps{3646, 1563}));
    // 19200 8E1: 11 bits, 572.9 us; still counted at exactly 19200.
    EXPECT_EQ(Gaps(ftStandard, 19200, psEven), (TFrameGaps{2006, 860}));
    for (std::uint32_t baud : {19201u, 38400u, 115200u, 256000u}) {
        EXPECT_EQ(Gaps(ftStandard, baud), (TFrameGaps{1750, 750})) << baud;
    }
    EXPECT_EQ(Gaps(ftStandard, 115200).SilentMs(), 2u) << "rounded up, never down";
    EXPECT_EQ(Gaps(ftStandard, 1200).SilentUs, 29167u) << "no 16 ms floor, no upper cap";
}

TEST(FrameGaps, StandardLeavesAsciiAsItIs) {
    EXPECT_EQ(Gaps(ftStandard, 115200, psNone, tmASCII, 1000),
              Gaps(ftClassic, 115200, psNone, tmASCII, 1000));
    EXPECT_EQ(BitsPerCharacter(db7, psEven, sb2), 11u);
    EXPECT_EQ(BitsPerCharacter(db8, psNone, sb1), 10u);
}

TEST(FrameLength, RepliesAreSizedByTheRequestsFunctionAndTheirByteCount) {
    // Reads and the functions with a byte count: 5 + byte count, once the count has arrived.
    for (std::uint8_t f : {0x01, 0x02, 0x03, 0x04, 0x11, 0x17}) {
        EXPECT_EQ(Reply(f, {0x01, f}), kLengthNeedsMore) << int(f);
        EXPECT_EQ(Reply(f, {0x01, f, 20}), 25) << int(f);
    }
    EXPECT_EQ(Reply(0x03, {0x01, 0x03, 208}), 213) << "one record block of 104 registers";
    for (std::uint8_t f : {0x05, 0x06, 0x0F, 0x10, 0x08}) {
        EXPECT_EQ(Reply(f, {0x01, f}), 8) << int(f);
    }
    EXPECT_EQ(Reply(0x07, {0x01, 0x07}), 5);
    EXPECT_EQ(Reply(0x16, {0x01, 0x16}), 10);
    EXPECT_EQ(Reply(0x03, {0x01}), kLengthNeedsMore);
}

TEST(FrameLength, ExceptionsAreFiveBytesAndOtherFunctionsCannotBeSized) {
    EXPECT_EQ(Reply(0x03, {0x01, 0x83}), 5);
    EXPECT_EQ(Reply(0x10, {0x01, 0x90}), 5);
    EXPECT_EQ(Reply(0x03, {0x01, 0x84}), kLengthUnknown) << "the exception of another function";
    EXPECT_EQ(Reply(0x03, {0x01, 0x04, 2}), kLengthUnknown) << "a reply to another function";
    EXPECT_EQ(Reply(0x14, {0x01, 0x14, 6}), kLengthUnknown) << "not sized: the silence decides";
    EXPECT_EQ(Reply(0x2B, {0x01, 0x2B}), kLengthUnknown);
}

TEST(FrameLength, RequestsAreSizedByTheirOwnFields) {
    for (std::uint8_t f : {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x08}) {
        EXPECT_EQ(Request({0x01, f}), 8) << int(f);
    }
    for (std::uint8_t f : {0x07, 0x0B, 0x0C, 0x11}) {
        EXPECT_EQ(Request({0x01, f}), 4) << int(f);
    }
    EXPECT_EQ(Request({0x01, 0x10, 0x00, 0xFE, 0x00, 0x01}), kLengthNeedsMore);
    EXPECT_EQ(Request({0x01, 0x10, 0x00, 0xFE, 0x00, 0x01, 2}), 11);
    EXPECT_EQ(Request({0x01, 0x0F, 0x00, 0x00, 0x00, 0x0A, 2}), 11);
    EXPECT_EQ(Request({0x01, 0x14, 7}), 12);
    EXPECT_EQ(Request({0x01, 0x16}), 10);
    EXPECT_EQ(Request({0x01, 0x17, 0, 0, 0, 1, 0, 5, 0, 1, 2}), 15);
    EXPECT_EQ(Request({0x01, 0x2B, 0x0E}), kLengthUnknown);
}

TEST(FrameLength, AFrameEndsByLengthOnlyWhenItsCrcChecks) {
    const TLengthRule rule = ReplyRule(0x03);
    const Bytes reply = WithCrc({0x01, 0x03, 0x04, 0x00, 0x0A, 0x01, 0x02});
    EXPECT_EQ(Complete(rule, Bytes(reply.begin(), reply.end() - 1)), kLengthNeedsMore);
    EXPECT_EQ(Complete(rule, reply), 9);
    Bytes noisy = reply;
    noisy.insert(noisy.end(), {0xFF, 0x00, 0x55});
    EXPECT_EQ(Complete(rule, noisy), 9) << "bytes after the frame are not part of it";
    Bytes damaged = reply;
    damaged[4] ^= 0x10;
    EXPECT_EQ(Complete(rule, damaged), kLengthUnknown) << "the silence must decide";
    // A byte count that promises more than came: the frame is still short.
    const Bytes overlong = WithCrc({0x01, 0x03, 0x06, 0x00, 0x0A, 0x01, 0x02});
    EXPECT_EQ(Complete(rule, overlong), kLengthNeedsMore);
    // A byte count that promises less: the CRC does not check at that length.
    const Bytes short_count = WithCrc({0x01, 0x03, 0x02, 0x00, 0x0A, 0x01, 0x02});
    EXPECT_EQ(Complete(rule, short_count), kLengthUnknown);
    EXPECT_EQ(Complete(TLengthRule{}, reply), kLengthUnknown) << "no rule: classic timing";
}

TEST(FrameLength, AnEchoOfTheSentFrameIsSizedWithTheReplyBehindIt) {
    const Bytes request = WithCrc({0x01, 0x03, 0x00, 0x00, 0x00, 0x02});
    const Bytes reply = WithCrc({0x01, 0x03, 0x04, 0x00, 0x0A, 0x01, 0x02});
    TLengthRule rule = ReplyRule(0x03);
    rule.Echo = request.data();
    rule.EchoLength = static_cast<std::int32_t>(request.size());
    EXPECT_EQ(Complete(rule, Bytes(request.begin(), request.begin() + 5)), kLengthNeedsMore);
    EXPECT_EQ(Complete(rule, request), kLengthNeedsMore) << "the echo alone is no reply";
    Bytes both = request;
    both.insert(both.end(), reply.begin(), reply.end());
    EXPECT_EQ(Complete(rule, both), 17);
    EXPECT_EQ(Complete(rule, reply), 9) << "no echo came: the reply is sized on its own";
    Bytes request_request = WithCrc({0x01, 0x10, 0x00, 0xFE, 0x00, 0x01, 0x02, 0x00, 0x05});
    TLengthRule requests;
    requests.Kind = TLengthRule::lkRequest;
    EXPECT_EQ(Complete(requests, request_request), 11);
}
