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
