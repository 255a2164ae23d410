// The access panel's write lists, edit range checks and address prompts, without widgets.
#include "CoilWriteList.h"
#include "EditRangeCheck.h"
#include "RegisterWriteList.h"
#include "ServerAddressPrompt.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace Sondrel;
using ::testing::ElementsAre;

namespace {

std::vector<std::string> Labels(const TCoilWriteList& list) {
    std::vector<std::string> labels;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        labels.push_back(list.Row(i).Text);
    }
    return labels;
}

std::vector<std::string> Labels(const TRegisterWriteList& list) {
    std::vector<std::string> labels;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        labels.push_back(list.Row(i).AddressText);
    }
    return labels;
}

std::vector<std::string> ValueTexts(const TRegisterWriteList& list) {
    std::vector<std::string> values;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        values.push_back(list.Row(i).Value);
    }
    return values;
}

} // namespace

TEST(EditRange, FirstBadEditIsTheOneReported) {
    const auto check = CheckEditRanges({{"0", 0, 65535}, {"2009", 1, 2008}, {"x", 1, 5}});
    EXPECT_FALSE(check.Ok);
    EXPECT_EQ(check.FailedEdit, 1U);
    EXPECT_EQ(check.Error, "Value must be between 1 and 2008");

    const auto notNumber = CheckEditRanges({{"12abc", 0, 65535}, {"2009", 1, 2008}});
    EXPECT_EQ(notNumber.FailedEdit, 0U);
    EXPECT_EQ(notNumber.Error, "'12abc' is not a valid integer value");
}

TEST(EditRange, BoundsAreInclusiveAndValuesComeBackInOrder) {
    const auto check = CheckEditRanges({{"65535", 0, 65535}, {" 1 ", 1, 2008}});
    ASSERT_TRUE(check.Ok);
    EXPECT_THAT(check.Values, ElementsAre(65535, 1));
    EXPECT_FALSE(CheckEditRange("-1", 0, 65535).Ok);
    EXPECT_FALSE(CheckEditRange("65536", 0, 65535).Ok);
}

TEST(EditRange, EqualBoundsAcceptAnyIntegerButNotText) {
    EXPECT_TRUE(CheckEditRange("99999", 7, 7).Ok);
    EXPECT_TRUE(CheckEditRange("-5", 7, 7).Ok);
    EXPECT_EQ(CheckEditRange("seven", 7, 7).Error, "'seven' is not a valid integer value");
}

TEST(CoilWriteList, RowsFollowTheCountAndAreLabelledFromTheStart) {
    TCoilWriteList list;
    ASSERT_TRUE(list.Rebuild("10", "3").Ok);
    EXPECT_THAT(Labels(list), ElementsAre("Coil 10", "Coil 11", "Coil 12"));
    ASSERT_TRUE(list.Rebuild("65535", "2").Ok);
    EXPECT_THAT(Labels(list), ElementsAre("Coil 65535", "Coil 65536"));
    EXPECT_EQ(list.Address(1), 65536);
    EXPECT_EQ(list.StartAddress(), 65535);
}

TEST(CoilWriteList, RebuildKeepsCheckStatesOfExistingRowsAndAddsUnchecked) {
    TCoilWriteList list;
    ASSERT_TRUE(list.Rebuild("0", "3").Ok);
    list.SetChecked(0, true);
    list.SetChecked(2, true);
    ASSERT_TRUE(list.Rebuild("100", "5").Ok);
    EXPECT_THAT(list.CheckStates(), ElementsAre(true, false, true, false, false));
    ASSERT_TRUE(list.Rebuild("100", "2").Ok);
    EXPECT_THAT(list.CheckStates(), ElementsAre(true, false));
    ASSERT_TRUE(list.Rebuild("100", "4").Ok);
    EXPECT_THAT(list.CheckStates(), ElementsAre(true, false, false, false));
}

TEST(CoilWriteList, BadEditLeavesTheRowsAlone) {
    TCoilWriteList list;
    ASSERT_TRUE(list.Rebuild("5", "2").Ok);
    list.SetChecked(1, true);
    const auto badStart = list.Rebuild("65536", "1977");
    EXPECT_EQ(badStart.FailedEdit, TCoilWriteList::StartEdit);
    EXPECT_EQ(badStart.Error, "Value must be between 0 and 65535");
    const auto badCount = list.Rebuild("0", "1977");
    EXPECT_EQ(badCount.FailedEdit, TCoilWriteList::CountEdit);
    EXPECT_EQ(badCount.Error, "Value must be between 1 and 1976");
    EXPECT_EQ(list.Rebuild("0", "0").FailedEdit, TCoilWriteList::CountEdit);
    EXPECT_THAT(Labels(list), ElementsAre("Coil 5", "Coil 6"));
    EXPECT_THAT(list.CheckStates(), ElementsAre(false, true));
    EXPECT_TRUE(list.Rebuild("0", "1976").Ok);
    EXPECT_EQ(list.Count(), 1976U);
}

TEST(CoilWriteList, WriteSingleIsEnabledExactlyForOneRow) {
    TCoilWriteList list;
    EXPECT_FALSE(list.WriteSingleEnabled());
    EXPECT_FALSE(list.StartAddress().has_value());
    ASSERT_TRUE(list.Rebuild("0", "1").Ok);
    EXPECT_TRUE(list.WriteSingleEnabled());
    ASSERT_TRUE(list.Rebuild("0", "2").Ok);
    EXPECT_FALSE(list.WriteSingleEnabled());
}

TEST(RegisterWriteList, LabelsAreNotLimitedTo16Bits) {
    TRegisterWriteList list;
    ASSERT_TRUE(list.Rebuild("65535", "3").Ok);
    EXPECT_THAT(Labels(list), ElementsAre("Register 65535", "Register 65536", "Register 65537"));
    EXPECT_EQ(list.Address(2), 65537);
    EXPECT_EQ(list.StartAddress(), 65535);
}

TEST(RegisterWriteList, NewRowsReadZeroAndExistingRowsKeepTheirValues) {
    TRegisterWriteList list;
    ASSERT_TRUE(list.Rebuild("0", "2").Ok);
    ASSERT_FALSE(list.EditValue(0, "1234").has_value());
    ASSERT_FALSE(list.EditValue(1, "77").has_value());
    ASSERT_TRUE(list.Rebuild("40", "4").Ok);
    EXPECT_THAT(ValueTexts(list), ElementsAre("1234", "77", "0", "0"));
    EXPECT_THAT(Labels(list),
                ElementsAre("Register 40", "Register 41", "Register 42", "Register 43"));
    ASSERT_TRUE(list.Rebuild("40", "1").Ok);
    ASSERT_TRUE(list.Rebuild("40", "3").Ok);
    EXPECT_THAT(list.Values(), ElementsAre(1234, 0, 0));
    EXPECT_EQ(list.Rebuild("0", "124").Error, "Value must be between 1 and 123");
    EXPECT_EQ(list.Count(), 3U);
}

TEST(RegisterWriteList, EditedIntegersWrapToTheirLow16BitsUnsigned) {
    TRegisterWriteList list;
    ASSERT_TRUE(list.Rebuild("0", "1").Ok);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"70000", "4464"}, {"-1", "65535"}, {"65536", "0"},     {"+12", "12"},
        {"-65536", "0"},   {" 42 ", "42"},  {"-32768", "32768"}};
    for (const auto& [typed, stored] : cases) {
        EXPECT_FALSE(list.EditValue(0, typed).has_value()) << typed;
        EXPECT_EQ(list.Row(0).Value, stored) << typed;
    }
    EXPECT_EQ(RegisterValueText(INT64_MIN), "0");
}

TEST(RegisterWriteList, InvalidValueKeepsTheOldOneAndNamesTheAddressCell) {
    TRegisterWriteList list;
    ASSERT_TRUE(list.Rebuild("300", "2").Ok);
    ASSERT_FALSE(list.EditValue(1, "9").has_value());
    for (const char* bad : {"abc", "", "1.5", "0x10", "99999999999999999999"}) {
        EXPECT_EQ(list.EditValue(1, bad), "You've entered an invalid value for 'Register 301'")
            << bad;
        EXPECT_EQ(list.Row(1).Value, "9");
    }
}

TEST(RegisterWriteList, WriteSingleFollowsTheRowCountOnlyWhileConnected) {
    TRegisterWriteList list;
    ASSERT_TRUE(list.Rebuild("0", "1").Ok);
    EXPECT_EQ(list.WriteSingleEnabled(true), true);
    EXPECT_EQ(list.WriteSingleEnabled(false), std::nullopt);
    ASSERT_TRUE(list.Rebuild("0", "5").Ok);
    EXPECT_EQ(list.WriteSingleEnabled(true), false);
    EXPECT_EQ(list.WriteSingleEnabled(false), std::nullopt);
}

TEST(AddressPrompt, IntegerAnswersKeepTheirLow8Bits) {
    EXPECT_EQ(ParseServerAddressAnswer("17").Address, 17);
    EXPECT_EQ(ParseServerAddressAnswer("257").Address, 1);
    EXPECT_EQ(ParseServerAddressAnswer("-1").Address, 255);
    const auto zero = ParseServerAddressAnswer("0");
    EXPECT_TRUE(zero.Ok);
    EXPECT_EQ(zero.Address, 0);
}

TEST(AddressPrompt, TextIsNotAServerAddress) {
    const auto answer = ParseServerAddressAnswer("twelve");
    EXPECT_FALSE(answer.Ok);
    EXPECT_EQ(answer.Error, "'twelve' is not a valid server address.");
    EXPECT_EQ(ParseServerAddressAnswer("").Error, "'' is not a valid server address.");
}
