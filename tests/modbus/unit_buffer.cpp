// Frame buffer, checks, bit packing and file records.
#include "BitPacking.h"
#include "CorvaneError.h"
#include "ModbusBuffer.h"
#include "ModbusFileRecord.h"

#include <gtest/gtest.h>

using namespace Corvane;

namespace {

template <typename F>
TCorvaneMessage ErrorOf(F&& f) {
    try {
        f();
    } catch (const ECorvaneError& e) {
        return e.MessageId();
    }
    ADD_FAILURE() << "no ECorvaneError raised";
    return msgMessageCount;
}

void WriteBytes(TModbusBuffer& b, std::initializer_list<std::uint8_t> bytes) {
    for (auto x : bytes) {
        b.WriteByte(x);
    }
}

} // namespace

TEST(Buffer, FreshBufferReadsAgainstCapacityButRefusesPositionPastSize) {
    TModbusBuffer b(261);
    EXPECT_EQ(b.Size(), 0);
    EXPECT_EQ(b.Position(), 0);
    EXPECT_NO_THROW(b.ReadByte());
    try {
        b.SetPosition(1);
        FAIL();
    } catch (const ECorvaneError& e) {
        EXPECT_STREQ(e.what(), "Buffer position is invalid (1)");
    }
}

TEST(Buffer, WordsAreBigEndianAndRawWordsLittleEndian) {
    TModbusBuffer b(8);
    b.WriteWord(0x1234);
    b.WriteRawWord(0x1234);
    EXPECT_EQ(b.Data()[0], 0x12);
    EXPECT_EQ(b.Data()[1], 0x34);
    EXPECT_EQ(b.Data()[2], 0x34);
    EXPECT_EQ(b.Data()[3], 0x12);
    b.SetPosition(0);
    EXPECT_EQ(b.ReadWord(), 0x1234);
    b.SetPosition(2);
    EXPECT_EQ(b.ReadRawWord(), 0x1234);
}

TEST(Buffer, SizeAndCursorInvariants) {
    TModbusBuffer b(16);
    for (int i = 0; i < 10; ++i) {
        b.WriteByte(static_cast<std::uint8_t>(i));
    }
    b.SetPosition(0);
    b.WriteByte(0xAA);
    EXPECT_EQ(b.Size(), 10) << "writing inside the data must not shrink the size";
    b.SetPosition(8);
    b.SetSize(3);
    EXPECT_EQ(b.Position(), 3) << "shrinking the size pulls the cursor back";
    EXPECT_EQ(ErrorOf([&] { b.SetSize(17); }), msgBufferSizeInvalid);
    EXPECT_EQ(ErrorOf([&] { b.SetSize(-1); }), msgBufferSizeInvalid);
    EXPECT_EQ(b.Size(), 3);
    b.Seek(bmStart);
    EXPECT_EQ(ErrorOf([&] { b.Seek(bmByteBack); }), msgBufferPositionInvalid);
    EXPECT_EQ(b.Position(), 0);
}

TEST(Buffer, WritesPastCapacityRaiseAndLeaveTheBufferAsItWas) {
    TModbusBuffer b(3);
    WriteBytes(b, {1, 2});
    EXPECT_EQ(ErrorOf([&] { b.WriteWord(0xFFFF); }), msgNotEnoughSpace);
    EXPECT_EQ(b.Size(), 2);
    EXPECT_EQ(b.Position(), 2);
    b.WriteByte(3);
    EXPECT_EQ(ErrorOf([&] { b.ReadByte(); }), msgNotEnoughSpace);
    std::uint8_t dest[4] = {};
    b.SetPosition(1);
    EXPECT_EQ(ErrorOf([&] { b.ReadBytes(dest, 3); }), msgNotEnoughSpace);
    EXPECT_NO_THROW(b.ReadBytes(dest, 0));
}

TEST(Checks, CrcAndLrcOfTheReadHoldingRegisterRequest) {
    TModbusBuffer b(16);
    WriteBytes(b, {0x01, 0x03, 0x00, 0x00, 0x00, 0x01});
    EXPECT_EQ(b.CRC16(), 0x0A84);
    EXPECT_EQ(b.LRC(), 0xFB);
    b.WriteRawWord(b.CRC16());
    EXPECT_EQ(b.Data()[6], 0x84);
    EXPECT_EQ(b.Data()[7], 0x0A);
}

TEST(Bits, PackAndUnpackRoundTrip) {
    EXPECT_EQ(BitsToBytes(0), 0);
    EXPECT_EQ(BitsToBytes(8), 1);
    EXPECT_EQ(BitsToBytes(9), 2);
    TModbusBuffer b(8);
    const TBitValues values = {true, false, true, true, false, false, false, false, false, true};
    PackBits(values, 9, b);
    ASSERT_EQ(b.Size(), 2);
    EXPECT_EQ(b.Data()[0], 0x0D);
    EXPECT_EQ(b.Data()[1], 0x02);
    PackBits(values, -1, b);
    EXPECT_EQ(b.Size(), 2) << "HighIndex -1 appends nothing";

    b.WriteByte(0); // room to step past the last packed byte
    b.SetPosition(0);
    TBitValues back(10);
    UnpackBits(b, back, 9);
    EXPECT_EQ(back, values);
    EXPECT_EQ(b.Position(), 2);
}

TEST(FileRecords, RangeEndsAtRegister9999) {
    EXPECT_NO_THROW(TModbusFileRecord(1, 9990, 10));
    try {
        TModbusFileRecord r(1, 9990, 11);
        FAIL();
    } catch (const ECorvaneError& e) {
        EXPECT_STREQ(e.what(), "Starting register index is invalid (9990)");
    }
    TModbusFileRecord r(1, 0, 2);
    EXPECT_EQ(ErrorOf([&] { r.SetRegValue(2, 1); }), msgRegisterIndexInvalid);
    TModbusFileRecordList list;
    list.Add(1, 0, 1);
    list.Add(2, 5, 3);
    EXPECT_EQ(list.Count(), 2);
    list.Delete(0);
    EXPECT_EQ(list.Items(0).FileNumber, 2);
    EXPECT_EQ(list.Items(0).RegCount(), 3);
}

TEST(Messages, FormatFillsPlaceholdersInOrder) {
    EXPECT_EQ(FormatText("SSS Value must be between %d and %d", {1, 4294967295LL}),
              "SSS Value must be between 1 and 4294967295");
    EXPECT_EQ(FormatText("'%s' is not a valid integer value", {std::string("")}),
              "'' is not a valid integer value");
    EXPECT_EQ(FormatText("100%% of %d", {7}), "100% of 7");
    EXPECT_EQ(FormatText("missing %d"), "missing %d");
}
