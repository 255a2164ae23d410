// The fault counters and the command line of sondrel-sim.
#include "FaultInjector.h"
#include "SimulatorOptions.h"

#include "CommandLine.h"

#include <gtest/gtest.h>

using namespace SondrelSim;

TEST(FaultInjector, DropsEveryKthRequestAndCorruptsEveryKthReplySeparately) {
    TFaultInjector faults({3, 2, 0});
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

TEST(FaultInjector, CorruptionChangesTheCheckByteOnly) {
    Corvane::TModbusBuffer reply(16);
    for (std::uint8_t b : {0x01, 0x06, 0x00, 0xF6, 0x00, 0x0A, 0x12, 0x34}) {
        reply.WriteByte(b);
    }
    TFaultInjector::Corrupt(reply);
    EXPECT_EQ(reply.Size(), 8);
    EXPECT_EQ(reply.Data()[6], 0x12);
    EXPECT_NE(reply.Data()[7], 0x34);
}

TEST(SimulatorOptions, DefaultsAndValues) {
    const TSimulatorOptions d = ParseSimulatorOptions({"--pty"});
    EXPECT_TRUE(d.UsePty);
    EXPECT_EQ(d.Address, 1);
    EXPECT_EQ(d.Instrument.CurrentRecord, 10);
    EXPECT_EQ(d.Instrument.FilledCount, 62001);
    EXPECT_EQ(d.Line.Baud, 9600u);
    EXPECT_EQ(d.SamplePeriodSeconds, 60u);

    const TSimulatorOptions o = ParseSimulatorOptions(
        {"--port",          "ttyUSB0", "--address",  "247",   "--current",    "62000",
         "--filled",        "0",       "--seed",     "99",    "--time",       "2014-03-07 09:05",
         "--mode",          "ascii",   "--baud",     "19200", "--drop-every", "4",
         "--corrupt-every", "5",       "--delay-ms", "200",   "--verbose"});
    EXPECT_EQ(o.Line.Port, "ttyUSB0");
    EXPECT_EQ(o.Address, 247);
    EXPECT_EQ(o.Instrument.CurrentRecord, 62000);
    EXPECT_EQ(o.Instrument.FilledCount, 0);
    EXPECT_EQ(o.Instrument.Seed, 99u);
    EXPECT_EQ(o.Instrument.CurrentTime, TRecordTime::FromCalendar(2014, 3, 7, 9, 5));
    EXPECT_EQ(o.Line.Mode, Corvane::tmASCII);
    EXPECT_EQ(o.Line.Baud, 19200u);
    EXPECT_EQ(o.Faults.DropEvery, 4u);
    EXPECT_EQ(o.Faults.CorruptEvery, 5u);
    EXPECT_EQ(o.Faults.DelayMs, 200u);
    EXPECT_TRUE(o.Verbose);
}

TEST(SimulatorOptions, BadUsageIsRefused) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--pty", "--port", "/dev/ttyS0"},
        {"--pty", "--address", "0"},
        {"--pty", "--address", "248"},
        {"--pty", "--current", "62001"},
        {"--pty", "--filled", "62002"},
        {"--pty", "--time", "2014-02-30 10:00"},
        {"--pty", "--time", "yesterday"},
        {"--pty", "--delay-ms", "60001"},
        {"--pty", "--timeout", "5"},
        {"--pty", "extra"},
    };
    for (const auto& args : bad) {
        std::string joined;
        for (const auto& a : args) {
            joined += a + " ";
        }
        EXPECT_THROW(ParseSimulatorOptions(args), SondrelCli::EUsageError) << joined;
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
