// Where a received RTU frame ends, on a scripted line with a clock of its own: the pauses
// between bursts are exactly what the script says, so the silence, the inter-character limit
// and the end by length are judged without a scheduler in the way. (The same cases on a
// pseudo-terminal, where a busy machine can hide a pause, are in engine_frame_timing.cpp.)
#include "Checksum.h"
#include "FrameIO.h"
#include "FrameLength.h"
#include "FrameTiming.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

using namespace Corvane;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A line whose characters arrive at scripted times of a virtual clock that only its waits
// move on.
class ScriptedLine final : public TSerialLine {
public:
    struct Burst {
        std::chrono::microseconds At;
        Bytes Data;
    };

    explicit ScriptedLine(std::vector<Burst> script) : FScript(std::move(script)) {}

    std::chrono::microseconds Now() const { return FNow; }

    TWaitResult WaitForDataFor(std::chrono::microseconds timeout) override {
        if (FNext < FScript.size() && FScript[FNext].At <= FNow) {
            return wrData;
        }
        if (FNext < FScript.size() && FScript[FNext].At <= FNow + timeout) {
            FNow = FScript[FNext].At;
            return wrData;
        }
        FNow += timeout;
        return wrTimeout;
    }

    std::int32_t ReadAvailable(std::uint8_t* dest, std::int32_t count) override {
        std::int32_t n = 0;
        while (FNext < FScript.size() && FScript[FNext].At <= FNow) {
            Bytes& data = FScript[FNext].Data;
            const auto take =
                std::min<std::size_t>(data.size(), static_cast<std::size_t>(count - n));
            std::copy_n(data.begin(), take, dest + n);
            n += static_cast<std::int32_t>(take);
            data.erase(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(take));
            if (!data.empty()) {
                break;
            }
            ++FNext;
        }
        return n;
    }

    void Configure(const TLineSettings&) override {}
    void SetBufferSizes(std::int32_t, std::int32_t) override {}
    bool Write(const std::uint8_t*, std::int32_t, std::uint32_t) override { return true; }
    void Drain() override {}
    void Purge(bool, bool) override {}
    void SetRTS(bool) override {}
    void ClearErrors() override {}
    void RequestStop() override {}
    bool LineLost() const override { return false; }

private:
    std::vector<Burst> FScript;
    std::size_t FNext = 0;
    std::chrono::microseconds FNow{0};
};

Bytes WithCrc(Bytes body) {
    const std::uint16_t crc = CRC16(body.data(), body.size());
    body.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    body.push_back(static_cast<std::uint8_t>(crc >> 8));
    return body;
}

// A function, not a constant: the CRC table is built during static initialisation too.
const Bytes& Reply() {
    static const Bytes reply = WithCrc({0x01, 0x03, 0x04, 0x11, 0x11, 0x22, 0x22});
    return reply;
}

TRtuFrameEnd Standard() {
    TRtuFrameEnd end;
    end.Gaps = ComputeFrameGaps(ftStandard, tmRTU, 115200, db8, psNone, sb1, 4);
    end.Length.Kind = TLengthRule::lkReply;
    end.Length.RequestFunction = 0x03;
    return end;
}

TRtuFrameEnd Classic() {
    TRtuFrameEnd end;
    end.Gaps = ComputeFrameGaps(ftClassic, tmRTU, 115200, db8, psNone, sb1, 4);
    return end;
}

struct Outcome {
    Bytes Frame;
    bool Incomplete;
    std::chrono::microseconds EndedAt;
};

Outcome Receive(std::vector<ScriptedLine::Burst> script, const TRtuFrameEnd& end) {
    ScriptedLine line(std::move(script));
    TFrameIO io(line);
    Bytes raw(261);
    const TReceivedFrame frame = io.ReceiveRTUFrame(raw.data(), 261, end, 1000);
    raw.resize(static_cast<std::size_t>(frame.Count));
    return {raw, frame.Incomplete, line.Now()};
}

// The reply in two bursts, the second `gap` after the first.
std::vector<ScriptedLine::Burst> Split(std::chrono::microseconds gap) {
    return {{100us, Bytes(Reply().begin(), Reply().begin() + 4)},
            {100us + gap, Bytes(Reply().begin() + 4, Reply().end())}};
}

} // namespace

TEST(FrameEnd, StandardEndsACompleteReplyAtOnceWithoutWaitingForTheSilence) {
    const Outcome o = Receive({{100us, Reply()}}, Standard());
    EXPECT_EQ(o.Frame, Reply());
    EXPECT_FALSE(o.Incomplete);
    EXPECT_EQ(o.EndedAt, 100us) << "no silence waited after the last byte";
    const Outcome classic = Receive({{100us, Reply()}}, Classic());
    EXPECT_EQ(classic.Frame, Reply());
    EXPECT_EQ(classic.EndedAt, 16100us) << "classic waits out its 16 ms";
}

TEST(FrameEnd, PausesShorterThanTheInterCharacterLimitKeepOneFrame) {
    const Outcome o = Receive(Split(300us), Standard());
    EXPECT_EQ(o.Frame, Reply());
    EXPECT_FALSE(o.Incomplete);
    EXPECT_EQ(o.EndedAt, 400us);
}

TEST(FrameEnd, APauseBetweenTheTwoLimitsMakesTheFrameIncomplete) {
    const Outcome o = Receive(Split(1200us), Standard());
    EXPECT_EQ(o.Frame, Reply()) << "every byte is taken, up to its end";
    EXPECT_TRUE(o.Incomplete);
}

TEST(FrameEnd, APauseOfTheSilenceEndsTheFrameThereUnlikeClassic) {
    const Outcome o = Receive(Split(2000us), Standard());
    EXPECT_EQ(o.Frame, Bytes(Reply().begin(), Reply().begin() + 4));
    EXPECT_FALSE(o.Incomplete);
    EXPECT_EQ(o.EndedAt, 1850us) << "1.75 ms after the last byte";
    EXPECT_EQ(Receive(Split(2000us), Classic()).Frame, Reply());
    EXPECT_EQ(Receive(Split(15000us), Classic()).Frame, Reply());
    EXPECT_EQ(Receive(Split(17000us), Classic()).Frame.size(), 4u);
}

TEST(FrameEnd, NoiseRightBehindACompleteReplyIsNotPartOfIt) {
    Bytes noisy = Reply();
    noisy.insert(noisy.end(), {0xFF, 0x00, 0x55});
    EXPECT_EQ(Receive({{100us, noisy}}, Standard()).Frame, Reply());
    EXPECT_EQ(Receive({{100us, noisy}}, Classic()).Frame, noisy);
}

TEST(FrameEnd, AShortOrDamagedReplyEndsAtTheSilence) {
    const Bytes cut(Reply().begin(), Reply().end() - 1);
    const Outcome shortReply = Receive({{100us, cut}}, Standard());
    EXPECT_EQ(shortReply.Frame, cut);
    EXPECT_EQ(shortReply.EndedAt, 1850us);
    Bytes damaged = Reply();
    damaged[3] ^= 1;
    const Outcome bad = Receive({{100us, damaged}, {1000us, {0x77}}}, Standard());
    EXPECT_EQ(bad.Frame.size(), damaged.size() + 1) << "a bad CRC leaves the end to the silence";
}

TEST(FrameEnd, WithoutALengthRuleTheStandardGapsStillApply) {
    TRtuFrameEnd end = Standard();
    end.Length = TLengthRule{};
    const Outcome o = Receive({{100us, Reply()}}, end);
    EXPECT_EQ(o.Frame, Reply());
    EXPECT_EQ(o.EndedAt, 1850us);
}
