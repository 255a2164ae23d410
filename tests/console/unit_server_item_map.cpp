// The local server's item map: record layout, list order, file I/O, server answers, editor.
#include "ConsoleFileError.h"
#include "ConsoleTestSupport.h"
#include "ServerItemAnswers.h"
#include "ServerItemMap.h"
#include "ServerItemValidation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace Sondrel;
using ConsoleTest::ReadAll;
using ConsoleTest::TTempFolder;
using ConsoleTest::WriteAll;
using ::testing::ElementsAre;

namespace {

TServerItem Item(TServerItemKind kind, std::uint16_t address, std::uint16_t value = 0,
                 std::uint16_t min = 0, std::uint16_t max = 65535, std::uint8_t writeable = 1) {
    TServerItem item = NewServerItem(kind);
    item.Address = address;
    item.Value = value;
    item.Min = min;
    item.Max = max;
    item.Writeable = writeable;
    return item;
}

std::string Record(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) {
        s += static_cast<char>(b);
    }
    return s;
}

std::vector<std::string> RowKeys(const TServerItemMap& map) {
    std::vector<std::string> keys;
    for (std::size_t r = 0; r < map.RowCount(); ++r) {
        keys.push_back(std::to_string(map.Row(r).Kind) + ":" + std::to_string(map.Row(r).Address));
    }
    return keys;
}

} // namespace

TEST(ServerItemRecord, BytesAreLittleEndianInFieldOrder) {
    const auto bytes =
        ServerItemToBytes(Item(ikHoldingRegister, 0x1234, 0xBEEF, 0x0102, 0xA0B0, 0));
    EXPECT_THAT(bytes, ElementsAre(0x34, 0x12, 2, 0xEF, 0xBE, 0x02, 0x01, 0xB0, 0xA0, 0));
    EXPECT_TRUE(SameServerItem(ServerItemFromBytes(bytes),
                               Item(ikHoldingRegister, 0x1234, 0xBEEF, 0x0102, 0xA0B0, 0)));
}

TEST(ServerItemRecord, NewItemIsFullRangeAndWriteable) {
    EXPECT_THAT(ServerItemToBytes(NewServerItem(ikInputRegister)),
                ElementsAre(0, 0, 3, 0, 0, 0, 0, 0xFF, 0xFF, 1));
}

TEST(ServerItemRows, ColumnTextsFollowTheKind) {
    EXPECT_THAT(RowTexts(Item(ikCoil, 5, 1)),
                ElementsAre("5", "Coil", "On", "N/A", "N/A", "Read/Write"));
    EXPECT_THAT(RowTexts(Item(ikDiscreteInput, 6, 0)),
                ElementsAre("6", "Discrete Input", "Off", "N/A", "N/A", "Read-Only"));
    EXPECT_THAT(RowTexts(Item(ikHoldingRegister, 7, 300, 10, 500, 0)),
                ElementsAre("7", "Holding Register", "300", "10", "500", "Read-Only"));
    EXPECT_THAT(RowTexts(Item(ikInputRegister, 65535, 9, 0, 65535, 1)),
                ElementsAre("65535", "Input Register", "9", "0", "65535", "Read-Only"));
}

TEST(ServerItemMapOrder, RowsAreKindsThenAddresses) {
    TServerItemMap map;
    map.AddOrOverwrite(Item(ikInputRegister, 1));
    map.AddOrOverwrite(Item(ikCoil, 900));
    map.AddOrOverwrite(Item(ikHoldingRegister, 3));
    map.AddOrOverwrite(Item(ikCoil, 2));
    map.AddOrOverwrite(Item(ikDiscreteInput, 0));
    EXPECT_THAT(RowKeys(map), ElementsAre("0:2", "0:900", "1:0", "2:3", "3:1"));
    EXPECT_LT(CompareServerItems(Item(ikCoil, 65535), Item(ikDiscreteInput, 0)), 0);
    EXPECT_EQ(CompareServerItems(Item(ikCoil, 4, 1), Item(ikCoil, 4, 0)), 0);
}

TEST(ServerItemMapAdd, SameAddressAndKindOverwritesAllBytes) {
    TServerItemMap map;
    map.AddOrOverwrite(Item(ikCoil, 5, 0));
    map.AddOrOverwrite(Item(ikHoldingRegister, 5, 1));
    const auto result = map.AddOrOverwrite(Item(ikCoil, 5, 1, 0, 65535, 0));
    EXPECT_FALSE(result.Added);
    EXPECT_EQ(map.RowCount(), 2u);
    EXPECT_TRUE(SameServerItem(map.Row(result.Row), Item(ikCoil, 5, 1, 0, 65535, 0)));
}

TEST(ServerItemMapAdd, UnknownKindIsRefused) {
    TServerItemMap map;
    EXPECT_THROW(map.AddOrOverwrite(Item(static_cast<TServerItemKind>(4), 1)),
                 std::invalid_argument);
}

TEST(ServerItemMapEdit, EditKeepsAddressAndKindAndRemoveDropsTheRow) {
    TServerItemMap map;
    map.AddOrOverwrite(Item(ikHoldingRegister, 1));
    map.AddOrOverwrite(Item(ikHoldingRegister, 2));
    map.EditRow(0, Item(ikCoil, 99, 7, 1, 9, 0));
    EXPECT_TRUE(SameServerItem(map.Row(0), Item(ikHoldingRegister, 1, 7, 1, 9, 0)));
    map.RemoveRow(0);
    EXPECT_THAT(RowKeys(map), ElementsAre("2:2"));
    EXPECT_THROW(map.RemoveRow(1), std::out_of_range);
    map.RemoveAll();
    EXPECT_EQ(map.RowCount(), 0u);
}

TEST(ServerItemMapFile, TwentyFiveByteFileLoadsTwoItems) {
    TTempFolder dir;
    WriteAll(dir / "ServerItems.dat", Record({5, 0, 2, 44, 1, 0, 0, 255, 255, 1}) +
                                          Record({3, 0, 0, 1, 0, 0, 0, 255, 255, 1}) +
                                          Record({9, 9, 9, 9, 9}));
    TServerItemMap map;
    map.LoadServerItems(dir / "ServerItems.dat");
    ASSERT_EQ(map.RowCount(), 2u);
    EXPECT_THAT(RowTexts(map.Row(0)), ElementsAre("3", "Coil", "On", "N/A", "N/A", "Read/Write"));
    EXPECT_THAT(RowTexts(map.Row(1)),
                ElementsAre("5", "Holding Register", "300", "0", "65535", "Read/Write"));
}

TEST(ServerItemMapFile, MissingFileGivesAnEmptyMap) {
    TTempFolder dir;
    TServerItemMap map;
    map.AddOrOverwrite(Item(ikCoil, 1));
    map.LoadServerItems(dir / "none.dat");
    EXPECT_EQ(map.RowCount(), 0u);
}

TEST(ServerItemMapFile, SaveThenLoadRoundTripsByteExactInListOrder) {
    TTempFolder dir;
    TServerItemMap map;
    map.AddOrOverwrite(Item(ikInputRegister, 513, 4, 1, 9, 1));
    map.AddOrOverwrite(Item(ikCoil, 258, 1, 0, 65535, 0));
    map.SaveServerItems(dir / "ServerItems.dat");
    const std::string bytes = ReadAll(dir / "ServerItems.dat");
    EXPECT_EQ(bytes,
              Record({2, 1, 0, 1, 0, 0, 0, 255, 255, 0}) + Record({1, 2, 3, 4, 0, 1, 0, 9, 0, 1}));
    TServerItemMap loaded;
    loaded.LoadServerItems(dir / "ServerItems.dat");
    loaded.SaveServerItems(dir / "again.dat");
    EXPECT_EQ(ReadAll(dir / "again.dat"), bytes);
}

TEST(ServerItemMapFile, DuplicatesInTheFileAreKeptAndTheFirstIsFound) {
    TServerItemMap map;
    map.LoadRecords(Record({7, 0, 0, 0, 0, 0, 0, 0, 0, 1}) +
                    Record({7, 0, 0, 1, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(map.RowCount(), 2u);
    EXPECT_EQ(map.FindServerItem(7, ikCoil), 0u);
    EXPECT_EQ(map.Row(0).Value, 0) << "file order is kept among equal rows";
}

TEST(ServerItemMapFile, UnknownKindsAreCarriedButNeverShownOrServed) {
    TServerItemMap map;
    const std::string odd = Record({1, 0, 9, 5, 0, 0, 0, 0, 0, 1});
    map.LoadRecords(odd + Record({1, 0, 0, 1, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(map.RowCount(), 1u);
    EXPECT_EQ(map.HiddenRecordCount(), 1u);
    EXPECT_FALSE(map.FindServerItem(1, static_cast<TServerItemKind>(9)));
    map.RemoveAll();
    EXPECT_EQ(map.Records(), odd);
}

TEST(ServerItemMapFile, UnreadableFileRaisesNamingThePath) {
    TTempFolder dir;
    std::filesystem::create_directory(dir / "ServerItems.dat");
    TServerItemMap map;
    try {
        map.LoadServerItems(dir / "ServerItems.dat");
        FAIL();
    } catch (const EConsoleFileError& e) {
        EXPECT_NE(std::string(e.what()).find("ServerItems.dat"), std::string::npos);
    }
    EXPECT_EQ(map.RowCount(), 0u);
}

TEST(ServerItemMapFile, SaveIntoUnwritableLocationRaisesAndKeepsOldFileAndMemory) {
    TTempFolder dir;
    const std::string old = Record({1, 0, 0, 1, 0, 0, 0, 0, 0, 1});
    WriteAll(dir / "ServerItems.dat", old);
    TServerItemMap map;
    map.LoadServerItems(dir / "ServerItems.dat");
    map.AddOrOverwrite(Item(ikCoil, 2));
    // A folder where the file should be: neither a temporary file beside it nor the rename
    // can replace the old file by a new one.
    EXPECT_THROW(map.SaveServerItems(dir / "no-folder" / "ServerItems.dat"), EConsoleFileError);
    std::filesystem::create_directory(dir / "taken");
    std::filesystem::create_directory(dir / "taken" / "ServerItems.dat");
    WriteAll(dir / "taken" / "ServerItems.dat" / "inside", "x");
    EXPECT_THROW(map.SaveServerItems(dir / "taken" / "ServerItems.dat"), EConsoleFileError);
    EXPECT_EQ(ConsoleTest::FileNames(dir / "taken").size(), 1u) << "temporary file removed";
    EXPECT_EQ(ReadAll(dir / "ServerItems.dat"), old);
    EXPECT_EQ(map.RowCount(), 2u);
}

TEST(ServerItemAnswers, AcceptsDataAccessCommandsOnly) {
    std::vector<int> accepted;
    for (int c = 0; c < 256; ++c) {
        if (AcceptCommand(static_cast<std::uint8_t>(c))) {
            accepted.push_back(c);
        }
    }
    EXPECT_THAT(accepted, ElementsAre(1, 2, 3, 4, 5, 6, 15, 16));
}

TEST(ServerItemAnswers, ReadsOfMissingItemsAreRefusedWithTheirLine) {
    TServerItemMap map;
    map.AddOrOverwrite(Item(ikDiscreteInput, 4));
    EXPECT_TRUE(AnswerCanRead(map, ikDiscreteInput, 4).Allow);
    const auto refused = AnswerCanRead(map, ikInputRegister, 4);
    EXPECT_FALSE(refused.Allow);
    EXPECT_EQ(refused.LogLine,
              "[Read Request Error] No input register found at local server address 4.");
}

TEST(ServerItemAnswers, ValueAboveMaxIsRefusedWithTheValueInTheLine) {
    TServerItemMap map;
    map.AddOrOverwrite(Item(ikHoldingRegister, 20, 0, 0, 255, 1));
    const auto refused = AnswerCanWriteHoldingRegister(map, 20, 300);
    EXPECT_EQ(refused.Status, Corvane::iwsIllegalValue);
    EXPECT_EQ(refused.LogLine, "[Write Request Error] Illegal value (300) for holding register "
                               "at local server address 20.");
    EXPECT_EQ(AnswerCanWriteHoldingRegister(map, 20, 255).Status, Corvane::iwsAllowWrite);
    EXPECT_FALSE(AnswerCanWriteHoldingRegister(map, 20, 255).LogLine);
}

TEST(ServerItemAnswers, ReadOnlyItemsAreNotWriteable) {
    TServerItemMap map;
    map.AddOrOverwrite(Item(ikHoldingRegister, 8, 0, 0, 65535, 0));
    map.AddOrOverwrite(Item(ikCoil, 8, 0, 0, 65535, 0));
    const auto reg = AnswerCanWriteHoldingRegister(map, 8, 1);
    EXPECT_EQ(reg.Status, Corvane::iwsIllegalAddress);
    EXPECT_EQ(reg.LogLine, "[Write Request Error] No writeable holding register found at local "
                           "server address 8.");
    const auto coil = AnswerCanWriteCoil(map, 8);
    EXPECT_EQ(coil.Status, Corvane::iwsIllegalAddress);
    EXPECT_EQ(coil.LogLine,
              "[Write Request Error] No writeable coil found at local server address 8.");
    EXPECT_EQ(AnswerCanWriteCoil(map, 9).Status, Corvane::iwsIllegalAddress);
}

TEST(ServerItemAnswers, ValuesAreServedAndStoredAndReportTheChangedRow) {
    TServerItemMap map;
    map.AddOrOverwrite(Item(ikCoil, 1, 0));
    map.AddOrOverwrite(Item(ikHoldingRegister, 1, 77));
    EXPECT_EQ(AnswerGetBitValue(map, ikCoil, 1), false);
    EXPECT_FALSE(AnswerGetBitValue(map, ikDiscreteInput, 1)) << "no item: leave the value";
    EXPECT_EQ(AnswerGetRegisterValue(map, ikHoldingRegister, 1), 77);
    EXPECT_FALSE(AnswerGetRegisterValue(map, ikInputRegister, 1));

    EXPECT_EQ(StoreCoilValue(map, 1, true), 0u);
    EXPECT_EQ(map.Row(0).Value, 1);
    EXPECT_EQ(AnswerGetBitValue(map, ikCoil, 1), true);
    EXPECT_EQ(StoreHoldingRegisterValue(map, 1, 12345), 1u);
    EXPECT_EQ(AnswerGetRegisterValue(map, ikHoldingRegister, 1), 12345);
    EXPECT_FALSE(StoreCoilValue(map, 2, true));
}

TEST(ServerItemEditor, ChecksRunInOrderAndStopAtTheFirstFailure) {
    TItemEditorInput input{"70000", "x", "x", "x"};
    auto check = CheckServerItemEditor(ikHoldingRegister, input);
    EXPECT_EQ(check.Field, efAddress);
    EXPECT_EQ(check.Error, "Value must be between 0 and 65535");

    input.Address = "12";
    check = CheckServerItemEditor(ikHoldingRegister, input);
    EXPECT_EQ(check.Field, efMinValue);
    EXPECT_EQ(check.Error, "'x' is not a valid integer value");

    input = {"12", "5", "10", "9"};
    check = CheckServerItemEditor(ikInputRegister, input);
    EXPECT_EQ(check.Field, efMaxValue);
    EXPECT_EQ(check.Error, "Value must be between 10 and 65535");

    input = {"12", "5", "10", "20"};
    check = CheckServerItemEditor(ikInputRegister, input);
    EXPECT_EQ(check.Field, efValue);
    EXPECT_EQ(check.Error, "Value must be between 10 and 20");
}

TEST(ServerItemEditor, EqualBoundsAcceptOnlyThatValue) {
    EXPECT_EQ(CheckServerItemEditor(ikHoldingRegister, {"0", "10", "10", "10"}).Field, efNone);
    const auto check = CheckServerItemEditor(ikHoldingRegister, {"0", "11", "10", "10"});
    EXPECT_EQ(check.Field, efValue);
    EXPECT_EQ(check.Error, "Value must be between 10 and 10");
}

TEST(ServerItemEditor, BitItemsCheckTheAddressOnlyAndWriteBackTheirBoxes) {
    TItemEditorInput input{"65535", "junk", "junk", "junk", true, false};
    EXPECT_EQ(CheckServerItemEditor(ikCoil, input).Field, efNone);
    const TServerItem coil = ApplyServerItemEditor(NewServerItem(ikCoil), input);
    EXPECT_TRUE(SameServerItem(coil, Item(ikCoil, 65535, 1, 0, 65535, 0)));
    const TServerItem input_ = ApplyServerItemEditor(NewServerItem(ikDiscreteInput), input);
    EXPECT_EQ(input_.Writeable, 1) << "the writeable flag of a discrete input stays";

    const TServerItem reg = ApplyServerItemEditor(NewServerItem(ikHoldingRegister),
                                                  {"3", "15", "10", "20", false, false});
    EXPECT_TRUE(SameServerItem(reg, Item(ikHoldingRegister, 3, 15, 10, 20, 0)));
}
