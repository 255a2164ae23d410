// The instrument's holding registers: record pointer and block window, the channel size
// table selection, the date search, the write checks and acquisition.
#include "ChannelSizeTable.h"
#include "InstrumentModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace SondrelSim;

namespace {

TInstrumentSettings Settings(int current = 10, int filled = kRecordCount) {
    TInstrumentSettings s;
    s.Seed = 5;
    s.CurrentRecord = current;
    s.FilledCount = filled;
    s.CurrentTime = *TRecordTime::FromCalendar(2024, 3, 7, 9, 5);
    return s;
}

void MustWrite(TInstrumentModel& model, std::uint16_t reg, std::uint16_t value) {
    ASSERT_EQ(model.CheckWrite(reg, value), wcAccepted) << reg << " := " << value;
    model.Write(reg, value);
}

std::uint16_t ReadOne(const TInstrumentModel& model, std::uint16_t reg) {
    return model.Read(reg, 1).at(0);
}

// The caption rule the download applies to the size table (i = 0..8, columns 0-based; only
// the count columns 5..13 are shown here).
std::vector<std::string> Captions(const std::vector<std::uint16_t>& s) {
    std::vector<std::string> columns(14);
    for (int k = 1; k <= 9; ++k) {
        columns[static_cast<std::size_t>(k + 4)] = "Cnts " + std::to_string(k);
    }
    for (std::size_t i = 0; i <= 8; ++i) {
        const int a = s[17 + 2 * i], u = s[18 + 2 * i], b = s[19 + 2 * i];
        if (a > 0 && b > 0) {
            columns[i + 5] = std::to_string(a) + "-" + std::to_string(b) + " cnts";
        } else if (i < 8 && a > 0 && b == 0) {
            columns[i + 5] = std::to_string(a) + "-" + std::to_string(u) + " cnts";
            columns[i + 6] = "> " + std::to_string(u) + " cnts";
        }
    }
    return {columns.begin() + 5, columns.end()};
}

} // namespace

TEST(InstrumentRegisters, PointerSelectsTheRecordOfTheBlockWindow) {
    TInstrumentModel model(Settings());
    for (std::uint16_t r : {0, 9, 10, 62000}) {
        MustWrite(model, kRegRecordPointer, r);
        const std::vector<std::uint16_t> block = model.Read(256, 104);
        ASSERT_EQ(block.size(), 104u);
        const TRecordBlock expected = model.Log().Block(r);
        EXPECT_TRUE(std::equal(block.begin(), block.end(), expected.begin())) << r;
        EXPECT_EQ(block[kRecordNumber], r);
        EXPECT_EQ(model.Read(256 + kMinute, 1).at(0), expected[kMinute]) << "offset read";
    }
    EXPECT_EQ(model.CheckWrite(kRegRecordPointer, 62001), wcIllegalValue);
    EXPECT_EQ(model.CheckWrite(kRegRecordPointer, 65535), wcIllegalValue);
}

TEST(InstrumentRegisters, ReadableUpToTheEndOfTheBlockWindowOnly) {
    EXPECT_TRUE(TInstrumentModel::IsReadable(0));
    EXPECT_TRUE(TInstrumentModel::IsReadable(359));
    EXPECT_FALSE(TInstrumentModel::IsReadable(360));
    const TInstrumentModel model(Settings());
    EXPECT_EQ(ReadOne(model, 100), 0);
    EXPECT_EQ(ReadOne(model, kRegCommand), kCommandStartAcquisition) << "acquiring at start";
}

TEST(SizeTable, OnlyAn88RegisterReadWithOutputSelectionOneAndZero) {
    TInstrumentModel model(Settings());
    MustWrite(model, kRegRecordPointer, 9);
    const TSizeTableRegisters table = TChannelSizeTable::Registers();
    const std::vector<std::uint16_t> tableValues(table.begin(), table.end());

    // The Log Data download's selection (243 = 5, 244 = 0) and the idle one give records.
    MustWrite(model, kRegOutputB, 0);
    MustWrite(model, kRegOutputA, 5);
    EXPECT_NE(model.Read(256, 88), tableValues);
    MustWrite(model, kRegOutputA, 1);
    EXPECT_EQ(model.Read(256, 88), tableValues);
    EXPECT_EQ(model.Read(256, 104).at(kRecordNumber), 9) << "a record read in the same mode";
    EXPECT_NE(model.Read(256, 87), std::vector<std::uint16_t>(table.begin(), table.end() - 1));
    MustWrite(model, kRegOutputB, 65535);
    EXPECT_NE(model.Read(256, 88), tableValues);
}

TEST(SizeTable, CaptionsReadAsChannelBoundsWithAnOpenTopChannel) {
    const TSizeTableRegisters table = TChannelSizeTable::Registers();
    EXPECT_EQ(Captions({table.begin(), table.end()}),
              (std::vector<std::string>{"300-500 cnts", "500-700 cnts", "700-1000 cnts",
                                        "1000-2000 cnts", "2000-3000 cnts", "3000-5000 cnts",
                                        "5000-7000 cnts", "7000-10000 cnts", "> 10000 cnts"}));
    for (std::size_t i = 45; i < table.size(); ++i) {
        EXPECT_EQ(table[i], 0) << "register " << i << " beyond the used 45";
    }
}

TEST(DateSearch, FindsTheRecordOfTheWrittenMinute) {
    TInstrumentModel model(Settings(10));
    EXPECT_EQ(ReadOne(model, kRegSearchResult), kNotFound) << "nothing written yet";
    MustWrite(model, kRegSearchMinute, 5);
    MustWrite(model, kRegSearchHour, 9);
    MustWrite(model, kRegSearchDay, 7);
    MustWrite(model, kRegSearchMonth, 3);
    EXPECT_EQ(ReadOne(model, kRegSearchResult), 10) << "the current record's minute";
    MustWrite(model, kRegSearchMinute, 54);
    MustWrite(model, kRegSearchHour, 8);
    EXPECT_EQ(ReadOne(model, kRegSearchResult), 62000) << "11 minutes back, across the wrap";
    MustWrite(model, kRegSearchMinute, 6);
    MustWrite(model, kRegSearchHour, 9);
    EXPECT_EQ(ReadOne(model, kRegSearchResult), kNotFound) << "a minute after the current one";
}

TEST(DateSearch, TakesLastYearForADateAfterTheCurrentRecord) {
    TInstrumentSettings s = Settings(100);
    s.CurrentTime = *TRecordTime::FromCalendar(2025, 1, 2, 0, 30);
    TInstrumentModel model(s);
    MustWrite(model, kRegSearchMonth, 12);
    MustWrite(model, kRegSearchDay, 31);
    MustWrite(model, kRegSearchHour, 23);
    MustWrite(model, kRegSearchMinute, 30);
    // 31 Dec 2024 23:30 is 25 hours before the current record.
    EXPECT_EQ(ReadOne(model, kRegSearchResult), (100 - 25 * 60 + kRecordCount) % kRecordCount);
}

TEST(DateSearch, NotFoundBeforeTheOldestRecordOrOnADateThatDoesNotExist) {
    TInstrumentModel model(Settings(10, 60)); // records from 08:06 to 09:05
    MustWrite(model, kRegSearchMonth, 3);
    MustWrite(model, kRegSearchDay, 7);
    MustWrite(model, kRegSearchHour, 8);
    MustWrite(model, kRegSearchMinute, 6);
    EXPECT_EQ(ReadOne(model, kRegSearchResult), (10 - 59 + kRecordCount) % kRecordCount);
    MustWrite(model, kRegSearchMinute, 5);
    EXPECT_EQ(ReadOne(model, kRegSearchResult), kNotFound);
    MustWrite(model, kRegSearchMonth, 2);
    MustWrite(model, kRegSearchDay, 30);
    EXPECT_EQ(ReadOne(model, kRegSearchResult), kNotFound);
}

TEST(Writes, ProceduresValuesAcceptedOthersRefused) {
    const TInstrumentModel model(Settings());
    struct Case {
        std::uint16_t Reg;
        std::uint16_t Value;
        TWriteCheck Expected;
    };
    const Case cases[] = {
        {246, 10, wcAccepted},     {246, 11, wcAccepted},      {246, 12, wcIllegalValue},
        {245, 85, wcAccepted},     {245, 84, wcIllegalValue},  {243, 65535, wcAccepted},
        {243, 5, wcAccepted},      {243, 1, wcAccepted},       {243, 0, wcAccepted},
        {244, 65535, wcAccepted},  {244, 0, wcAccepted},       {255, 0, wcAccepted},
        {255, 1, wcAccepted},      {255, 50, wcAccepted},      {254, 0, wcAccepted},
        {254, 62000, wcAccepted},  {253, 59, wcAccepted},      {253, 60, wcIllegalValue},
        {252, 23, wcAccepted},     {252, 24, wcIllegalValue},  {251, 1, wcAccepted},
        {251, 0, wcIllegalValue},  {251, 31, wcAccepted},      {251, 32, wcIllegalValue},
        {250, 12, wcAccepted},     {250, 13, wcIllegalValue},  {250, 0, wcIllegalValue},
        {249, 1, wcAccepted},      {249, 0, wcIllegalValue},   {2, 0, wcIllegalAddress},
        {3, 0, wcIllegalAddress},  {230, 0, wcIllegalAddress}, {256, 0, wcIllegalAddress},
        {247, 0, wcIllegalAddress}};
    for (const Case& c : cases) {
        EXPECT_EQ(model.CheckWrite(c.Reg, c.Value), c.Expected) << c.Reg << " := " << c.Value;
    }
}

TEST(Writes, RefusedWriteChangesNothing) {
    TInstrumentModel model(Settings());
    MustWrite(model, kRegRecordPointer, 7);
    model.Write(kRegRecordPointer, 62001);
    model.Write(kRegErase, 2);
    EXPECT_EQ(ReadOne(model, kRegRecordPointer), 7);
    EXPECT_EQ(model.Log().CurrentRecord(), 10);
}

TEST(Acquisition, StopAndStartCommandsSwitchItAndReadBack) {
    TInstrumentModel model(Settings());
    EXPECT_TRUE(model.Acquiring());
    MustWrite(model, kRegCommand, kCommandStopAcquisition);
    EXPECT_FALSE(model.Acquiring());
    EXPECT_EQ(ReadOne(model, kRegCommand), 10);
    MustWrite(model, kRegCommand, kCommandStartAcquisition);
    EXPECT_TRUE(model.Acquiring());
    EXPECT_FALSE(model.ModbusMode());
    MustWrite(model, kRegModbusMode, kModbusModeValue);
    EXPECT_TRUE(model.ModbusMode());
}
