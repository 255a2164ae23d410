// RTU and ASCII framing: golden vectors, rejection rules, reply classification, silent time.
#include "CorvaneError.h"
#include "Framing.h"
#include "ModbusBuffer.h"
#include "ModbusTransaction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Corvane;

namespace {

using Bytes = std::vector<std::uint8_t>;

void Fill(TModbusBuffer& b, const Bytes& bytes) {
    b.SetSize(0);
    for (auto x : bytes) {
        b.WriteByte(x);
    }
}

Bytes Encode(TTransmissionMode mode, const Bytes& bytes) {
    TModbusBuffer b(QueryBufferSize(mode));
    Fill(b, bytes);
    Bytes raw(static_cast<std::size_t>(FrameBufferSize(mode)));
    raw.resize(static_cast<std::size_t>(
        EncodeFrame(mode, b, raw.data(), static_cast<std::int32_t>(raw.size()))));
    return raw;
}

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

bool Decode(TTransmissionMode mode, TConnectionMode cm, const Bytes& raw, TModbusBuffer& out) {
    return DecodeFrame(mode, cm, raw.data(), static_cast<std::int32_t>(raw.size()), out);
}

} // namespace

TEST(Framing, SizesByMode) {
    EXPECT_EQ(CheckSize(tmRTU), 2);
    EXPECT_EQ(CheckSize(tmASCII), 1);
    EXPECT_EQ(QueryBufferSize(tmRTU), 261);
    EXPECT_EQ(QueryBufferSize(tmASCII), 260);
    EXPECT_EQ(FrameBufferSize(tmRTU), 261);
    EXPECT_EQ(FrameBufferSize(tmASCII), 523);
    EXPECT_EQ(MinFrameSize(tmRTU, cmClient), 5);
    EXPECT_EQ(MinFrameSize(tmASCII, cmClient), 4);
    EXPECT_EQ(MinFrameSize(tmRTU, cmServer), 4);
    EXPECT_EQ(MinFrameSize(tmASCII, cmServer), 3);
}

TEST(Framing, GoldenEncodingsAddTheCheckOnTheWire) {
    EXPECT_EQ(Encode(tmRTU, {0x01, 0x03, 0x00, 0x00, 0x00, 0x01}),
              (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}));
    EXPECT_EQ(Encode(tmASCII, {0x01, 0x03, 0x00, 0x00, 0x00, 0x01}), Text(":010300000001FB\r\n"));
    EXPECT_TRUE(Encode(tmASCII, {}).empty());
    EXPECT_TRUE(Encode(tmRTU, {}).empty());
}

TEST(Framing, EncodeThenDecodeRoundTripsTheMessageWithoutItsCheckInBothModes) {
    for (TTransmissionMode mode : {tmRTU, tmASCII}) {
        TModbusBuffer q(QueryBufferSize(mode));
        Fill(q, {0x11, 0x03, 0x00, 0x6B, 0x00, 0x03});
        Bytes raw(523);
        const auto n = EncodeFrame(mode, q, raw.data(), 523);
        raw.resize(static_cast<std::size_t>(n));
        TModbusBuffer out(QueryBufferSize(mode));
        ASSERT_TRUE(Decode(mode, cmClient, raw, out)) << mode;
        EXPECT_EQ(out.Size(), q.Size());
        EXPECT_EQ(Bytes(out.Data(), out.Data() + out.Size()), Bytes(q.Data(), q.Data() + q.Size()));
    }
}

TEST(Framing, EncodeRefusesATooSmallDestination) {
    TModbusBuffer b(16);
    Fill(b, {1, 2, 3});
    std::uint8_t raw[10];
    for (auto [mode, size] : {std::pair{tmASCII, 10}, std::pair{tmRTU, 4}}) {
        try {
            EncodeFrame(mode, b, raw, size);
            FAIL() << mode;
        } catch (const ECorvaneError& e) {
            EXPECT_STREQ(e.what(), "Failed to encode frame");
        }
    }
    EXPECT_EQ(EncodeFrame(tmRTU, b, raw, 5), 5) << "the message and its CRC fit exactly";
}

TEST(Framing, LargestMessageFillsTheFrameBufferExactly) {
    for (TTransmissionMode mode : {tmRTU, tmASCII}) {
        const Bytes message(static_cast<std::size_t>(QueryBufferSize(mode) - CheckSize(mode)),
                            0x5A);
        EXPECT_EQ(Encode(mode, message).size(), static_cast<std::size_t>(FrameBufferSize(mode)))
            << mode;
    }
}

TEST(Framing, AsciiDecodeRejections) {
    TModbusBuffer out(260);
    EXPECT_FALSE(Decode(tmASCII, cmClient, Text(":010300000001fb\r\n"), out))
        << "lowercase hex decodes to wrong nibbles and fails the LRC";
    EXPECT_TRUE(Decode(tmASCII, cmClient, Text(":010300000001FB\r\n"), out));
    EXPECT_FALSE(Decode(tmASCII, cmClient, Text(":010300000001FB0\r\n"), out)) << "even length";
    EXPECT_FALSE(Decode(tmASCII, cmClient, Text("0010300000001FB\r\n"), out)) << "no colon";
    EXPECT_FALSE(Decode(tmASCII, cmClient, Text(":010300000001FB\n\n"), out)) << "no CR";
    EXPECT_FALSE(Decode(tmASCII, cmClient, Text(":01\r\n"), out)) << "shorter than 7 characters";
    EXPECT_EQ(out.Size(), 0) << "a frame rejected before decoding leaves the buffer empty";
}

TEST(Framing, AsciiFrameLargerThanTheBufferRaises) {
    std::string s = ":";
    for (int i = 0; i < 300; ++i) {
        s += "00";
    }
    s += "\r\n";
    TModbusBuffer out(260);
    EXPECT_THROW(Decode(tmASCII, cmClient, Text(s), out), ECorvaneError);
}

TEST(Framing, RtuMinimumSizesDependOnTheConnectionMode) {
    const Bytes frame = Encode(tmRTU, {0x01, 0x07});
    ASSERT_EQ(frame.size(), 4u);
    TModbusBuffer out(261);
    EXPECT_FALSE(Decode(tmRTU, cmClient, frame, out)) << "4 bytes is too short for a reply";
    EXPECT_TRUE(Decode(tmRTU, cmServer, frame, out)) << "but a valid request";
    Bytes corrupt = frame;
    corrupt[1] ^= 0x40;
    EXPECT_FALSE(Decode(tmRTU, cmServer, corrupt, out));
    Bytes huge(262, 0);
    EXPECT_THROW(Decode(tmRTU, cmClient, huge, out), ECorvaneError);
}

TEST(Framing, ExceptionReplyClassification) {
    TModbusBuffer reply(261);
    Fill(reply, {0x01, 0x83, 0x02});
    EXPECT_TRUE(IsExceptionReply(reply));
    TTransactionInfo info;
    ExtractException(reply, info);
    EXPECT_EQ(info.ExceptionCode, 2);
    EXPECT_EQ(info.Exception, seIllegalDataAddress);

    Fill(reply, {0x01, 0x83, 0x02, 0x00});
    EXPECT_FALSE(IsExceptionReply(reply)) << "one more data byte";

    Fill(reply, {0x01, 0x80, 0x02});
    EXPECT_FALSE(IsExceptionReply(reply)) << "0x80 exactly is not an exception";

    Fill(reply, {0x01, 0x83, 0x0B});
    ExtractException(reply, info);
    EXPECT_EQ(info.Exception, seUnknown);
    EXPECT_EQ(info.ExceptionCode, 0x0B);
}

TEST(Framing, AddressFunctionAndEchoTests) {
    TModbusBuffer q(261), r(261);
    Fill(q, {0x05, 0x03, 0, 0, 0, 1});
    Fill(r, {0x05, 0x83, 2});
    EXPECT_TRUE(IsSameAddress(q, r));
    EXPECT_TRUE(IsMatchingFunction(q, r)) << "bit 7 is ignored";
    Fill(r, {0x06, 0x04, 2});
    EXPECT_FALSE(IsSameAddress(q, r));
    EXPECT_FALSE(IsMatchingFunction(q, r));

    const Bytes sent = {1, 2, 3};
    const Bytes echoAndReply = {1, 2, 3, 9, 9};
    const Bytes other = {1, 2, 4, 9};
    EXPECT_TRUE(IsEcho(sent.data(), 3, echoAndReply.data(), 5));
    EXPECT_FALSE(IsEcho(sent.data(), 3, other.data(), 4));
    EXPECT_FALSE(IsEcho(sent.data(), 3, echoAndReply.data(), 2)) << "shorter than the frame sent";
}

TEST(SilentTime, RtuCountsCharacterTimesWithA16msFloor) {
    EXPECT_EQ(ComputeSilentTime(tmRTU, 1200, db8, psEven, sb1, 4), 34u);
    EXPECT_EQ(ComputeSilentTime(tmRTU, 19200, db8, psEven, sb1, 4), 16u);
    EXPECT_EQ(ComputeSilentTime(tmRTU, 300, db7, psNone, sb2, 4), 120u);
    EXPECT_EQ(ComputeSilentTime(tmASCII, 19200, db7, psEven, sb1, 1000), 1000u);
    EXPECT_EQ(ComputeSilentTime(tmASCII, 19200, db7, psEven, sb1, 4), 16u);
}
