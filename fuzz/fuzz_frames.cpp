// Frame decoding of bytes from the line, in both transmission modes and both connection
// modes, the sizing of RTU frames by their length, and the bit unpacking of coil data. The
// first input byte picks the mode.
#include "BitPacking.h"
#include "CorvaneError.h"
#include "FrameLength.h"
#include "Framing.h"
#include "ModbusBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace Corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const auto mode = (data[0] & 1) ? tmASCII : tmRTU;
    const auto connectionMode = (data[0] & 2) ? cmServer : cmClient;
    const std::uint8_t* raw = data + 1;
    const auto count = static_cast<std::int32_t>(size - 1);
    TModbusBuffer buffer(QueryBufferSize(mode));
    try {
        const bool ok = DecodeFrame(mode, connectionMode, raw, count, buffer);
        if (ok) {
            // A frame that decodes re-encodes to the same wire bytes (ASCII: uppercase only).
            std::uint8_t again[600];
            const std::int32_t n = EncodeFrame(mode, buffer, again, sizeof again);
            if (mode == tmRTU && (n != count || std::memcmp(again, raw, n) != 0)) {
                std::abort();
            }
            // RTU counts bytes; the ASCII bound counts characters, so a 7-character frame
            // decodes to 2 bytes and the LRC alone decides. The check is not kept.
            if (mode == tmRTU &&
                (buffer.Size() != count - CheckSize(mode) ||
                 buffer.Size() + CheckSize(mode) < MinFrameSize(mode, connectionMode))) {
                std::abort();
            }
            FrameAddress(buffer);
            FunctionCode(buffer);
            IsExceptionReply(buffer);
        }
    } catch (const ECorvaneError& e) {
        // Only a frame that cannot fit the buffer may raise.
        if (e.MessageId() != msgFailedToDecodeFrame) {
            std::abort();
        }
    }
    // Sized by length as the standard frame timing ends a frame: a length it finds complete
    // lies within what arrived, and those bytes decode (their CRC checks). The second input
    // byte is taken as the request's function code, and the input after it as an echo too.
    if (mode == tmRTU && count >= 1) {
        TLengthRule rule;
        rule.Kind = connectionMode == cmServer ? TLengthRule::lkRequest : TLengthRule::lkReply;
        rule.RequestFunction = raw[0];
        for (const bool echo : {false, true}) {
            rule.Echo = echo ? raw : nullptr;
            rule.EchoLength = echo ? std::min<std::int32_t>(count, 8) : 0;
            const std::int32_t complete = CompleteFrameLength(rule, raw, count);
            if (complete > count || complete < kLengthUnknown) {
                std::abort();
            }
            const std::int32_t frame = complete - rule.EchoLength;
            if (complete > 0 && frame > 0 && frame <= QueryBufferSize(mode) &&
                !DecodeFrame(mode, connectionMode == cmServer ? cmServer : cmClient,
                             raw + rule.EchoLength, frame, buffer) &&
                frame >= MinFrameSize(mode, connectionMode)) {
                std::abort();
            }
        }
    }
    // Unpack as many bits as the bytes hold (and one value more than a byte boundary).
    TModbusBuffer bits(300);
    for (std::int32_t i = 0; i < count && i < 256; ++i) {
        bits.WriteByte(raw[i]);
    }
    bits.WriteByte(0);
    bits.SetPosition(0);
    const std::int32_t values = std::min(count, 256) * 8;
    TBitValues out(static_cast<std::size_t>(values > 0 ? values : 1));
    try {
        UnpackBits(bits, out, values - 1);
    } catch (const ECorvaneError&) {
        std::abort();
    }
    return 0;
}
