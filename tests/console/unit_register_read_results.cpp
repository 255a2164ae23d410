// The rows of the Modbus Access tab's results table: a read's registers in address order above
// every earlier read, the oldest rows dropped beyond the limit, the cell texts.
#include "RegisterReadResults.h"

#include <gtest/gtest.h>

using namespace Sondrel;

namespace {

const TLogTime kNine{9, 5, 7, 42};
const TLogTime kTen{10, 0, 0, 1};

std::vector<std::uint32_t> Addresses(const TRegisterReadResults& results) {
    std::vector<std::uint32_t> addresses;
    for (std::int32_t i = 0; i < results.Count(); ++i) {
        addresses.push_back(results.Row(i).Address);
    }
    return addresses;
}

} // namespace

TEST(RegisterReadResults, TheNewestReadGoesOnTopInItsOwnAddressOrder) {
    TRegisterReadResults results;
    results.Prepend(rkHolding, 3, {7999}, kNine);
    results.Prepend(rkInput, 10, {1, 2, 3}, kTen);
    EXPECT_EQ(Addresses(results), (std::vector<std::uint32_t>{10, 11, 12, 3}));
    EXPECT_EQ(results.Row(0).Value, 1);
    EXPECT_EQ(results.Row(2).Value, 3);
    EXPECT_EQ(results.Row(3).Value, 7999);
    EXPECT_EQ(TRegisterReadResults::KindText(results.Row(0)), "Input");
    EXPECT_EQ(TRegisterReadResults::KindText(results.Row(3)), "Holding");
    EXPECT_EQ(TRegisterReadResults::TimeText(results.Row(0)), "10:00:00.001");
    EXPECT_EQ(TRegisterReadResults::TimeText(results.Row(3)), "09:05:07.042");
    EXPECT_EQ(TRegisterReadResults::AddressText(results.Row(3)), "3");
    EXPECT_EQ(TRegisterReadResults::ValueText(results.Row(3)), "7999");
}

TEST(RegisterReadResults, AReadAtTheTopOfTheAddressSpaceKeepsItsAddressesAndFullWordValues) {
    TRegisterReadResults results;
    results.Prepend(rkHolding, 65534, {65535, 0}, kNine);
    EXPECT_EQ(Addresses(results), (std::vector<std::uint32_t>{65534, 65535}));
    EXPECT_EQ(TRegisterReadResults::ValueText(results.Row(0)), "65535");
}

TEST(RegisterReadResults, BeyondTheLimitTheOldestRowsAreDroppedFromTheEnd) {
    TRegisterReadResults results;
    const Corvane::TRegValues block(125, 7);
    for (int read = 0; read < 80; ++read) {
        results.Prepend(rkHolding, 0, block, kNine);
        results.TrimToLimit();
    }
    EXPECT_EQ(results.Count(), TRegisterReadResults::MaxRows);
    results.Prepend(rkHolding, 1000, {42}, kTen);
    EXPECT_EQ(results.Excess(), 1);
    results.TrimToLimit();
    EXPECT_EQ(results.Excess(), 0);
    EXPECT_EQ(results.Count(), TRegisterReadResults::MaxRows);
    EXPECT_EQ(results.Row(0).Address, 1000U);
    results.Clear();
    EXPECT_EQ(results.Count(), 0);
}

TEST(RegisterReadResults, ValuesOverSeveralRegistersStartAtTheirReadsFirstRegister) {
    TRegisterReadResults results;
    // An older read of three registers, then a newer one of two: 1.5 as a float is 3FC0 0000.
    results.Prepend(rkHolding, 10, {0x3FC0, 0x0000, 0x4000}, kNine);
    results.Prepend(rkInput, 20, {0x0000, 0x3FC0}, kTen);
    const auto texts = [&](TRegisterFormat format, TWordOrder order) {
        std::vector<std::string> cells;
        for (std::int32_t i = 0; i < results.Count(); ++i) {
            cells.push_back(results.FormattedValueText(i, format, order));
        }
        return cells;
    };
    // Rows: 20, 21 (newer read), 10, 11, 12 (older). A value never takes registers of two
    // reads: register 12 makes no whole float.
    const auto cdab = texts(rfFloat32, woCDAB);
    EXPECT_EQ(cdab[0], "1.5");
    EXPECT_EQ(cdab[1], "");
    EXPECT_EQ(cdab[3], "");
    EXPECT_EQ(cdab[4], "-");
    EXPECT_EQ(texts(rfFloat32, woABCD)[2], "1.5");
    EXPECT_EQ(texts(rfFloat64, woABCD), (std::vector<std::string>{"-", "", "-", "", ""}));
    EXPECT_EQ(texts(rfUnsigned, woABCD),
              (std::vector<std::string>{"0", "16320", "16320", "0", "16384"}));
    EXPECT_EQ(texts(rfHex, woBADC)[1], "0xC03F");
    EXPECT_EQ(texts(rfSigned, woABCD)[4], "16384");
}
