// The fault counters and the command line of sondrel-sim.
#include "FaultInjector.h"
#include "SimulatorOptions.h"
#include "WireTime.h"

#include "FrameTiming.h"

#include "CommandLine.h"

#include "Framing.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace SondrelSim;

TEST(FaultInjector, DropsEveryKthRequestAndCorruptsEveryKthReplySeparately) {
    TFaultInjector faults({3, 2, 0, {}});
    std::string pattern;
    for (int i = 0; i < 7; ++i) {
        if (faults.DropNextRequest()) {
            pattern += 'd';
        } else {
            pattern += faults.CorruptNextReply() ? 'c' : '.';
        }
    }
    // Replies are counted only when sent: requests 1, 2, 4, 5, 7 are replies 1..5.
    EXPECT_EQ(pattern, ".cd.cd.");
}

TEST(FaultInjector, ZeroTurnsAFaultOff) {
    TFaultInjector faults({});
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(faults.DropNextRequest());
        EXPECT_FALSE(faults.CorruptNextReply());
    }
}

TEST(FaultInjector, AStartMovesTheFirstFaultAndTheRateGoesOnFromThere) {
    TFaultSettings settings;
    settings.DropEvery = 4;
    settings.DropStart = 2;
    settings.CorruptEvery = 3;
    settings.CorruptStart = 1;
    TFaultInjector faults(settings);
    std::string drops;
    std::string corruptions;
    for (int i = 0; i < 10; ++i) {
        drops += faults.DropNextRequest() ? 'd' : '.';
        corruptions += faults.CorruptNextReply() ? 'c' : '.';
    }
    EXPECT_EQ(drops, ".d...d...d");
    EXPECT_EQ(corruptions, "c..c..c..c");
}

namespace {

// The request made of these bytes (address, function, data), as the dispatch hands it over.
std::unique_ptr<Corvane::TModbusBuffer> Query(std::initializer_list<std::uint8_t> bytes) {
    auto query = std::make_unique<Corvane::TModbusBuffer>(32);
    for (std::uint8_t b : bytes) {
        query->WriteByte(b);
    }
    return query;
}

// Whether the injector drops the request made of these bytes as its chosen one.
bool Chosen(TFaultInjector& faults, std::initializer_list<std::uint8_t> bytes) {
    return faults.IsChosenDrop(*Query(bytes));
}

// Whether the injector silences the request made of these bytes.
bool Silenced(const TFaultInjector& faults, std::initializer_list<std::uint8_t> bytes) {
    return faults.IsSilenced(*Query(bytes));
}

} // namespace

TEST(FaultInjector, DropsExactlyTheChosenOccurrenceOfOneRequest) {
    TFaultSettings settings;
    settings.DropRequest = TRequestMatch{0x03, 2, 2};
    TFaultInjector faults(settings);
    EXPECT_FALSE(Chosen(faults, {1, 0x03, 0x00, 0x03, 0x00, 0x01})) << "register 3";
    EXPECT_FALSE(Chosen(faults, {1, 0x06, 0x00, 0x02, 0x00, 0x01})) << "a write";
    EXPECT_FALSE(Chosen(faults, {1, 0x03, 0x00, 0x02, 0x00, 0x01})) << "the first is answered";
    EXPECT_TRUE(Chosen(faults, {1, 0x03, 0x00, 0x02, 0x00, 0x01})) << "the second is chosen";
    EXPECT_FALSE(Chosen(faults, {1, 0x03, 0x00, 0x02, 0x00, 0x01})) << "exactly one is dropped";
    EXPECT_FALSE(Chosen(faults, {1, 0x03, 0x00})) << "too short to name a register";
    TFaultInjector none({});
    EXPECT_FALSE(Chosen(none, {1, 0x03, 0x00, 0x02, 0x00, 0x01}));
}

TEST(WireTime, RequestReplyAndTheGapAtTheLinesSpeed) {
    // A 10-register read at 115200 8N1: 8 + 25 characters and 3.5 of silence, 10 bits each.
    EXPECT_EQ(WireTime(Corvane::tmRTU, 6, 23, 115200, 10), std::chrono::microseconds(3169));
    // A record block at 9600 8N1: 8 + 213 + 3.5 characters.
    EXPECT_EQ(WireTime(Corvane::tmRTU, 6, 211, 9600, 10), std::chrono::microseconds(233855));
    EXPECT_EQ(Corvane::WireCharacters(Corvane::tmASCII, 6), 17) << "':', 7 bytes in hex, CR LF";
    EXPECT_EQ(Corvane::WireCharacters(Corvane::tmRTU, 0), 0) << "no reply, no characters";
}

TEST(FaultInjector, CorruptionChangesTheCheckByteOnly) {
    Corvane::TModbusBuffer reply(16);
    for (std::uint8_t b : {0x01, 0x06, 0x00, 0xF6, 0x00, 0x0A}) {
        reply.WriteByte(b);
    }
    for (Corvane::TTransmissionMode mode : {Corvane::tmRTU, Corvane::tmASCII}) {
        std::vector<std::uint8_t> frame(64);
        const std::int32_t length = Corvane::EncodeFrame(mode, reply, frame.data(),
                                                         static_cast<std::int32_t>(frame.size()));
        frame.resize(static_cast<std::size_t>(length));
        std::vector<std::uint8_t> corrupted = frame;
        TFaultInjector::CorruptCheck(mode, corrupted.data(), length);
        // RTU: the CRC's high byte, last on the wire; ASCII: the two LRC digits before CR LF.
        const std::size_t first = frame.size() - (mode == Corvane::tmRTU ? 1 : 4);
        const std::size_t changed = mode == Corvane::tmRTU ? 1 : 2;
        for (std::size_t i = 0; i < frame.size(); ++i) {
            if (i >= first && i < first + changed) {
                EXPECT_NE(corrupted[i], frame[i]) << mode << " byte " << i;
            } else {
                EXPECT_EQ(corrupted[i], frame[i]) << mode << " byte " << i;
            }
        }
        Corvane::TModbusBuffer decoded(16);
        EXPECT_FALSE(
            Corvane::DecodeFrame(mode, Corvane::cmClient, corrupted.data(), length, decoded))
            << mode;
    }
    // The last check byte has every bit inverted, as a damaged byte on the line would.
    std::uint8_t ascii[] = {':', '0', '1', 'F', '0', '\r', '\n'};
    TFaultInjector::CorruptCheck(Corvane::tmASCII, ascii, 7);
    EXPECT_EQ(ascii[3], '0');
    EXPECT_EQ(ascii[4], 'F');
}

TEST(FaultInjector, SilencesOnlyWritesThatReachTheSilentRegister) {
    TFaultSettings settings;
    settings.SilentRegister = 246;
    const TFaultInjector faults(settings);
    // Function 06 at 246 and at its neighbours.
    EXPECT_TRUE(Silenced(faults, {1, 0x06, 0x00, 0xF6, 0x00, 0x0A}));
    EXPECT_FALSE(Silenced(faults, {1, 0x06, 0x00, 0xF5, 0x00, 0x55}));
    EXPECT_FALSE(Silenced(faults, {1, 0x06, 0x00, 0xF7, 0x00, 0x0A}));
    // Function 16 over 244..246 holds it, 247..248 and 243..245 do not.
    EXPECT_TRUE(Silenced(faults, {1, 0x10, 0x00, 0xF4, 0x00, 0x03, 6, 0, 0, 0, 0, 0, 10}));
    EXPECT_FALSE(Silenced(faults, {1, 0x10, 0x00, 0xF7, 0x00, 0x02, 4, 0, 0, 0, 0}));
    EXPECT_FALSE(Silenced(faults, {1, 0x10, 0x00, 0xF3, 0x00, 0x03, 6, 0, 0, 0, 0, 0, 0}));
    // A read of the register is answered; a request too short to name a register too.
    EXPECT_FALSE(Silenced(faults, {1, 0x03, 0x00, 0xF6, 0x00, 0x01}));
    EXPECT_FALSE(Silenced(faults, {1, 0x06, 0x00}));
}

TEST(FaultInjector, NoSilentRegisterSilencesNothing) {
    const TFaultInjector faults({});
    EXPECT_FALSE(Silenced(faults, {1, 0x06, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_FALSE(Silenced(faults, {1, 0x06, 0x00, 0xF6, 0x00, 0x0A}));
}

TEST(SimulatorOptions, DefaultsAndValues) {
    const TSimulatorOptions d = ParseSimulatorOptions({"--pty"});
    EXPECT_TRUE(d.UsePty);
    EXPECT_EQ(d.Addresses, std::vector<std::uint8_t>{1});
    EXPECT_EQ(d.Instrument.CurrentRecord, 10);
    EXPECT_EQ(d.Instrument.FilledCount, 62001);
    EXPECT_EQ(d.Line.Baud, 9600u);
    EXPECT_EQ(d.Line.Timing, Corvane::ftClassic);
    EXPECT_EQ(d.SamplePeriodMs, 60000u);
    EXPECT_TRUE(d.AnswersServerId);
    EXPECT_FALSE(d.Faults.SilentRegister);

    const TSimulatorOptions o = ParseSimulatorOptions({"--port",
                                                       "ttyUSB0",
                                                       "--address",
                                                       "247",
                                                       "--current",
                                                       "62000",
                                                       "--filled",
                                                       "0",
                                                       "--seed",
                                                       "99",
                                                       "--time",
                                                       "2014-03-07 09:05",
                                                       "--mode",
                                                       "ascii",
                                                       "--timing",
                                                       "standard",
                                                       "--baud",
                                                       "19200",
                                                       "--drop-every",
                                                       "4",
                                                       "--corrupt-every",
                                                       "5",
                                                       "--delay-ms",
                                                       "200",
                                                       "--verbose",
                                                       "--silent-register",
                                                       "0",
                                                       "--drop-start",
                                                       "3",
                                                       "--corrupt-start",
                                                       "2",
                                                       "--drop-request",
                                                       "3:230:2",
                                                       "--wire-time"});
    EXPECT_EQ(o.Line.Port, "ttyUSB0");
    EXPECT_EQ(o.Addresses, std::vector<std::uint8_t>{247});
    EXPECT_EQ(o.Instrument.CurrentRecord, 62000);
    EXPECT_EQ(o.Instrument.FilledCount, 0);
    EXPECT_EQ(o.Instrument.Seed, 99u);
    EXPECT_EQ(o.Instrument.CurrentTime, TRecordTime::FromCalendar(2014, 3, 7, 9, 5));
    EXPECT_EQ(o.Line.Mode, Corvane::tmASCII);
    EXPECT_EQ(o.Line.Timing, Corvane::ftStandard);
    EXPECT_EQ(o.Line.Baud, 19200u);
    EXPECT_EQ(o.Faults.DropEvery, 4u);
    EXPECT_EQ(o.Faults.CorruptEvery, 5u);
    EXPECT_EQ(o.Faults.DelayMs, 200u);
    EXPECT_TRUE(o.Verbose);
    EXPECT_EQ(o.Faults.SilentRegister, std::optional<std::uint16_t>(0));
    EXPECT_EQ(o.Faults.DropStart, 3u);
    EXPECT_EQ(o.Faults.CorruptStart, 2u);
    EXPECT_EQ(o.Faults.DropRequest, (TRequestMatch{3, 230, 2}));
    EXPECT_TRUE(o.WireTime);
    EXPECT_FALSE(d.WireTime);
    EXPECT_FALSE(d.Faults.DropRequest);
    EXPECT_EQ(ParseSimulatorOptions({"--pty", "--drop-request", "6:246"}).Faults.DropRequest,
              (TRequestMatch{6, 246, 1}));
    EXPECT_EQ(ParseSimulatorOptions({"--pty", "--addresses", "3,1,247"}).Addresses,
              (std::vector<std::uint8_t>{3, 1, 247}));
}

TEST(SimulatorOptions, BadUsageIsRefused) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--pty", "--port", "/dev/ttyS0"},
        {"--pty", "--address", "0"},
        {"--pty", "--address", "248"},
        {"--pty", "--addresses", "1,,2"},
        {"--pty", "--addresses", "1,2,1"},
        {"--pty", "--addresses", "1,248"},
        {"--pty", "--addresses", "1", "--address", "2"},
        {"--pty", "--current", "62001"},
        {"--pty", "--filled", "62002"},
        {"--pty", "--time", "2014-02-30 10:00"},
        {"--pty", "--time", "yesterday"},
        {"--pty", "--delay-ms", "60001"},
        {"--pty", "--silent-register", "65536"},
        {"--pty", "--silent-register", "-1"},
        {"--pty", "--timeout", "5"},
        {"--pty", "--timing", "fast"},
        {"--pty", "--drop-request", "3"},
        {"--pty", "--drop-request", "3:2:0"},
        {"--pty", "--drop-request", "0:2"},
        {"--pty", "--drop-request", "3:65536"},
        {"--pty", "--drop-request", "3:2:1:1"},
        {"--pty", "--drop-request", "3:x"},
        {"--pty", "extra"},
    };
    for (const auto& args : bad) {
        std::string joined;
        for (const auto& a : args) {
            joined += a + " ";
        }
        EXPECT_THROW(ParseSimulatorOptions(args), SondrelOptions::EUsageError) << joined;
    }
}

TEST(RecordTime, CalendarFieldsRoundTripAndImpossibleDatesAreRefused) {
    const auto t = TRecordTime::FromCalendar(2024, 2, 29, 23, 59);
    ASSERT_TRUE(t);
    EXPECT_EQ((*t + 1).Month(), 3);
    EXPECT_EQ((*t + 1).Day(), 1);
    EXPECT_EQ((*t + 1).Hour(), 0);
    EXPECT_EQ(TRecordTime::FromCalendar(1969, 12, 31, 23, 59)->Minutes(), -1);
    EXPECT_EQ(TRecordTime(-1).Year(), 1969);
    EXPECT_EQ(TRecordTime(-1).Minute(), 59);
    EXPECT_FALSE(TRecordTime::FromCalendar(2023, 2, 29, 0, 0));
    EXPECT_FALSE(TRecordTime::FromCalendar(2024, 4, 31, 0, 0));
    EXPECT_FALSE(TRecordTime::FromCalendar(2024, 1, 1, 24, 0));
    EXPECT_EQ(TRecordTime::Parse("2024-02-29T23:59"), t);
    EXPECT_FALSE(TRecordTime::Parse("2024-02-29 23:59 "));
}
