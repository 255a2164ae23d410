// sondrel-sim's wire time as our client sees it: a reply comes no sooner than the request and
// the reply would have crossed a real line at the simulator's speed, plus the 3.5-character
// pause; without it a pseudo-terminal answers at once.
#include "SimulatorFixture.h"

#include "TestStopwatch.h"
#include "WireTime.h"

using namespace Corvane;
using namespace SondrelSim;
using namespace SimTest;

namespace {

class WireTimeTest : public SimulatorFixture {
protected:
    void StartAt(std::uint32_t baud, bool wireTime) {
        TSimulatorOptions options;
        options.UsePty = true;
        options.Instrument = DefaultInstrument();
        options.Line.Baud = baud;
        options.Line.Timing = ftStandard;
        options.WireTime = wireTime;
        StartWith(options);
    }

    // Milliseconds one read of count registers at 256 takes, and checks that it succeeded.
    long long TimedBlockRead(std::uint16_t count) {
        TestSupport::Stopwatch watch;
        EXPECT_EQ(Read(kRegBlockStart, count).Info.Status, rsNormalResponse);
        return watch.ElapsedMs();
    }
};

} // namespace

TEST_F(WireTimeTest, ARecordBlockTakesItsLineTimeAt9600) {
    StartAt(9600, true);
    // 8 request and 213 reply characters and the pause, 10 bits each: 233.9 ms.
    const auto line = WireTime(tmRTU, 6, 211, 9600, 10);
    ASSERT_EQ(line.count(), 233855);
    for (int i = 0; i < 3; ++i) {
        EXPECT_GE(TimedBlockRead(104), 233);
    }
    EXPECT_GE(TimedBlockRead(1), 12) << "8 + 7 + 3.5 characters: 19.3 ms";
}

TEST_F(WireTimeTest, WithoutItThePseudoTerminalAnswersSoonerThanTheLineWould) {
    StartAt(9600, false);
    long long fastest = 1000000;
    for (int i = 0; i < 3; ++i) {
        fastest = std::min(fastest, TimedBlockRead(104));
    }
    EXPECT_LT(fastest, 233) << "a pty takes no wire time; the emulation is what adds it";
}
