// The client on buffers alone, with no line: the request message each operation builds
// (golden vectors), and the completion of each function fed a reply message as the worker
// would leave it: a reply that does not match its request is rsUnmatched and still reported,
// while a fault of ours (a transaction whose own request is malformed) is an error, not a
// peer's mismatch.
#include "OfflineLink.h"

#include "CorvaneError.h"
#include "FunctionCodes.h"
#include "ModbusClient.h"
#include "ModbusTransaction.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace Corvane;
using namespace TestSupport;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes MessageOf(const TModbusBuffer& b) {
    return Bytes(b.Data(), b.Data() + b.Size());
}

void Fill(TModbusBuffer& b, const Bytes& bytes) {
    b.SetSize(0);
    for (auto x : bytes) {
        b.WriteByte(x);
    }
}

// What the completion events reported, in order.
struct Reported {
    std::vector<std::string> Events;
    TTransactionInfo Info{};
    TBitValues Bits;
    TRegValues Registers;
    std::uint16_t Result = 0xFFFF;
    std::int32_t Count = -1;
};

class ClientOnBuffers : public ::testing::Test {
protected:
    void SetUp() override {
        Client.SetConnection(&Link);
        auto bits = [this](const char* name) {
            return [this, name](TModbusClient&, const TTransactionInfo& info, std::uint16_t,
                                std::uint16_t, const TBitValues& v) {
                Note(name, info);
                Got.Bits = v;
            };
        };
        auto registers = [this](const char* name) {
            return [this, name](TModbusClient&, const TTransactionInfo& info, std::uint16_t,
                                std::uint16_t, const TRegValues& v) {
                Note(name, info);
                Got.Registers = v;
            };
        };
        Client.OnCoilsRead = bits("coils");
        Client.OnDiscreteInputsRead = bits("inputs");
        Client.OnMultipleCoilsWrite = bits("coils written");
        Client.OnHoldingRegistersRead = registers("holding");
        Client.OnInputRegistersRead = registers("input registers");
        Client.OnMultipleRegistersWrite = registers("registers written");
        Client.OnSingleCoilWrite = [this](TModbusClient&, const TTransactionInfo& info,
                                          std::uint16_t, bool) { Note("coil", info); };
        Client.OnSingleRegisterWrite = [this](TModbusClient&, const TTransactionInfo& info,
                                              std::uint16_t,
                                              std::uint16_t) { Note("register", info); };
        Client.OnSingleRegisterMaskWrite = [this](TModbusClient&, const TTransactionInfo& info,
                                                  std::uint16_t, std::uint16_t,
                                                  std::uint16_t) { Note("mask", info); };
        Client.OnMultipleRegistersReadWrite =
            [this](TModbusClient&, const TTransactionInfo& info, std::uint16_t, std::uint16_t,
                   const TRegValues& read, std::uint16_t, std::uint16_t, const TRegValues&) {
                Note("read/write", info);
                Got.Registers = read;
            };
        Client.OnExceptionStatusRead = [this](TModbusClient&, const TTransactionInfo& info,
                                              const TExceptionStatusValues& v) {
            Note("exception status", info);
            Got.Bits = v;
        };
        Client.OnDiagnostics = [this](TModbusClient&, const TTransactionInfo& info,
                                      TDiagnosticAction, std::uint16_t result) {
            Note("diagnostics", info);
            Got.Result = result;
        };
        Client.OnServerIdentificationReport = [this](TModbusClient&, const TTransactionInfo& info,
                                                     std::int32_t count,
                                                     const TServerIdentificationData&) {
            Note("identification", info);
            Got.Count = count;
        };
        Client.OnFileRecordRead = [this](TModbusClient&, const TTransactionInfo& info,
                                         const TModbusFileRecordList& records) {
            Note("file read", info);
            Got.Count = records.Count();
            Got.Registers = records.Count() > 0 ? records.Items(0).RegValues : TRegValues{};
        };
        Client.OnTransactionProcessed = [this](TModbusClient&, const TTransactionInfo&,
                                               std::uint8_t,
                                               bool) { Got.Events.push_back("processed"); };
    }

    void Note(const char* name, const TTransactionInfo& info) {
        Got.Events.emplace_back(name);
        Got.Info = info;
    }

    // The request the operation submitted, as a message.
    Bytes Request(const std::function<void()>& operation) {
        operation();
        EXPECT_EQ(Link.Submitted().size(), 1u);
        return MessageOf(Link.Submitted().back()->Query);
    }

    // Runs the operation, then completes its transaction with the reply message and status the
    // worker would have left.
    Reported Complete(const std::function<void()>& operation, const Bytes& reply,
                      TReplyStatus status = rsNormalResponse) {
        operation();
        std::unique_ptr<TModbusTransaction> t = Link.Take();
        Fill(t->Reply, reply);
        t->Info.Status = status;
        Got = Reported{};
        Link.Complete(*t);
        return Got;
    }

    TOfflineLink Link;
    TModbusClient Client;
    Reported Got;
};

} // namespace

TEST_F(ClientOnBuffers, EveryOperationBuildsItsGoldenRequestMessage) {
    Client.SetServerAddress(0x11);
    struct Row {
        const char* Case;
        std::function<void()> Operation;
        Bytes Message;
    };
    const std::vector<Row> rows = {
        {"01", [&] { Client.ReadCoils(0x13, 0x25, 0); }, {0x11, 0x01, 0x00, 0x13, 0x00, 0x25}},
        {"02",
         [&] { Client.ReadDiscreteInputs(0xC4, 0x16, 0); },
         {0x11, 0x02, 0x00, 0xC4, 0x00, 0x16}},
        {"03",
         [&] { Client.ReadHoldingRegisters(0x6B, 3, 0); },
         {0x11, 0x03, 0x00, 0x6B, 0x00, 0x03}},
        {"04",
         [&] { Client.ReadInputRegisters(0x08, 1, 0); },
         {0x11, 0x04, 0x00, 0x08, 0x00, 0x01}},
        {"05",
         [&] { Client.WriteSingleCoil(0xAC, true, 0); },
         {0x11, 0x05, 0x00, 0xAC, 0xFF, 0x00}},
        {"06", [&] { Client.WriteSingleRegister(1, 3, 0); }, {0x11, 0x06, 0x00, 0x01, 0x00, 0x03}},
        {"07", [&] { Client.ReadExceptionStatus(0); }, {0x11, 0x07}},
        {"08",
         [&] { Client.Diagnostics(daRestartCommsOptionAndClearEventLog, 0); },
         {0x11, 0x08, 0x00, 0x01, 0xFF, 0x00}},
        {"08 query data",
         [&] { Client.Diagnostics(daReturnQueryData, 0); },
         {0x11, 0x08, 0x00, 0x00, 0xA5, 0x37}},
        {"15",
         [&] {
             Client.WriteMultipleCoils(
                 0x13, {true, false, true, true, false, false, true, true, true, false}, 0);
         },
         {0x11, 0x0F, 0x00, 0x13, 0x00, 0x0A, 0x02, 0xCD, 0x01}},
        {"16",
         [&] {
             Client.WriteMultipleRegisters(1, {0x000A, 0x0102}, 0);
         },
         {0x11, 0x10, 0x00, 0x01, 0x00, 0x02, 0x04, 0x00, 0x0A, 0x01, 0x02}},
        {"17", [&] { Client.ReportServerID(0); }, {0x11, 0x11}},
        {"22",
         [&] { Client.MaskWriteSingleRegister(4, 0xF2, 0x25, 0); },
         {0x11, 0x16, 0x00, 0x04, 0x00, 0xF2, 0x00, 0x25}},
        {"23",
         [&] {
             Client.ReadWriteMultipleRegisters(3, 6, 14, {0xFF, 0xFF, 0xFF}, 0);
         },
         {0x11, 0x17, 0x00, 0x03, 0x00, 0x06, 0x00, 0x0E, 0x00, 0x03, 0x06, 0x00, 0xFF, 0x00, 0xFF,
          0x00, 0xFF}},
    };
    std::int32_t id = 0;
    for (const Row& row : rows) {
        EXPECT_EQ(Request(row.Operation), row.Message) << row.Case;
        const auto t = Link.Take();
        EXPECT_EQ(t->Info.ID, id++) << row.Case;
        EXPECT_EQ(t->Info.ServerAddress, 0x11) << row.Case;
        EXPECT_EQ(t->Client, &Client) << row.Case;
    }
}

TEST_F(ClientOnBuffers, RepliesThatMatchAreDecodedAndThoseThatDoNotAreUnmatched) {
    struct Row {
        const char* Case;
        std::function<void()> Operation;
        Bytes Reply;
        TReplyStatus Status;
    };
    const std::vector<Row> rows = {
        {"03 normal",
         [&] { Client.ReadHoldingRegisters(0, 2, 0); },
         {0x01, 0x03, 0x04, 0x00, 0x01, 0x00, 0x02},
         rsNormalResponse},
        {"03 byte count 2 x 2 + 1 passes",
         [&] { Client.ReadHoldingRegisters(0, 2, 0); },
         {0x01, 0x03, 0x05, 0x00, 0x01, 0x00, 0x02, 0xFF},
         rsNormalResponse},
        {"03 byte count for three",
         [&] { Client.ReadHoldingRegisters(0, 2, 0); },
         {0x01, 0x03, 0x06, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03},
         rsUnmatched},
        {"03 data announced but missing",
         [&] { Client.ReadHoldingRegisters(0, 2, 0); },
         {0x01, 0x03, 0x04, 0x00, 0x01},
         rsUnmatched},
        {"03 no byte count at all",
         [&] { Client.ReadHoldingRegisters(0, 2, 0); },
         {0x01, 0x03},
         rsUnmatched},
        {"04 normal",
         [&] { Client.ReadInputRegisters(0, 1, 0); },
         {0x01, 0x04, 0x02, 0x12, 0x34},
         rsNormalResponse},
        {"01 normal",
         [&] { Client.ReadCoils(0, 10, 0); },
         {0x01, 0x01, 0x02, 0x0D, 0x02},
         rsNormalResponse},
        {"01 one data byte short",
         [&] { Client.ReadCoils(0, 10, 0); },
         {0x01, 0x01, 0x02, 0x0D},
         rsUnmatched},
        {"02 byte count for 16",
         [&] { Client.ReadDiscreteInputs(0, 8, 0); },
         {0x01, 0x02, 0x02, 0xFF, 0xFF},
         rsUnmatched},
        {"05 echo of off for on",
         [&] { Client.WriteSingleCoil(10, true, 0); },
         {0x01, 0x05, 0x00, 0x0A, 0x00, 0x00},
         rsUnmatched},
        {"05 echo cut short",
         [&] { Client.WriteSingleCoil(10, true, 0); },
         {0x01, 0x05, 0x00, 0x0A, 0xFF},
         rsUnmatched},
        {"06 echo",
         [&] { Client.WriteSingleRegister(10, 7, 0); },
         {0x01, 0x06, 0x00, 0x0A, 0x00, 0x07},
         rsNormalResponse},
        {"15 echo of another count",
         [&] { Client.WriteMultipleCoils(1, TBitValues(9, true), 0); },
         {0x01, 0x0F, 0x00, 0x01, 0x00, 0x08},
         rsUnmatched},
        {"16 echo",
         [&] {
             Client.WriteMultipleRegisters(1, {5, 6}, 0);
         },
         {0x01, 0x10, 0x00, 0x01, 0x00, 0x02},
         rsNormalResponse},
        {"22 echo of another or-mask",
         [&] { Client.MaskWriteSingleRegister(4, 0xF2, 0x25, 0); },
         {0x01, 0x16, 0x00, 0x04, 0x00, 0xF2, 0x00, 0x26},
         rsUnmatched},
        {"23 normal",
         [&] { Client.ReadWriteMultipleRegisters(0, 1, 5, {9}, 0); },
         {0x01, 0x17, 0x02, 0xAB, 0xCD},
         rsNormalResponse},
        {"23 data missing",
         [&] { Client.ReadWriteMultipleRegisters(0, 2, 5, {9}, 0); },
         {0x01, 0x17, 0x04, 0xAB, 0xCD},
         rsUnmatched},
        {"07 status byte missing",
         [&] { Client.ReadExceptionStatus(0); },
         {0x01, 0x07},
         rsUnmatched},
        {"08 another sub-function",
         [&] { Client.Diagnostics(daReturnBusMessageCount, 0); },
         {0x01, 0x08, 0x00, 0x0C, 0x00, 0x2A},
         rsUnmatched},
        {"08 data word missing",
         [&] { Client.Diagnostics(daReturnBusMessageCount, 0); },
         {0x01, 0x08, 0x00, 0x0B},
         rsUnmatched},
        {"17 fewer bytes than counted",
         [&] { Client.ReportServerID(0); },
         {0x01, 0x11, 0x03, 0x41, 0x42},
         rsUnmatched},
        {"17 normal",
         [&] { Client.ReportServerID(0); },
         {0x01, 0x11, 0x02, 0x41, 0xFF},
         rsNormalResponse},
    };
    for (const Row& row : rows) {
        const Reported got = Complete(row.Operation, row.Reply);
        ASSERT_EQ(got.Events.size(), 2u) << row.Case << ": one event, then processed";
        EXPECT_EQ(got.Events.back(), "processed") << row.Case;
        EXPECT_EQ(got.Info.Status, row.Status) << row.Case;
    }
}

TEST_F(ClientOnBuffers, DecodedValuesAndTheValuesOfAnUnmatchedReply) {
    EXPECT_EQ(Complete([&] { Client.ReadHoldingRegisters(0, 2, 0); },
                       {0x01, 0x03, 0x04, 0x12, 0x34, 0xAB, 0xCD})
                  .Registers,
              (TRegValues{0x1234, 0xABCD}));
    EXPECT_EQ(
        Complete([&] { Client.ReadHoldingRegisters(0, 2, 0); }, {0x01, 0x03, 0x04, 0x12, 0x34})
            .Registers,
        (TRegValues{0, 0}))
        << "nothing of a reply cut short is reported";
    EXPECT_EQ(Complete([&] { Client.ReadCoils(19, 10, 0); }, {0x01, 0x01, 0x02, 0x0D, 0x02}).Bits,
              (TBitValues{true, false, true, true, false, false, false, false, false, true}));
    EXPECT_EQ(Complete([&] { Client.ReadExceptionStatus(0); }, {0x01, 0x07, 0x81}).Bits,
              (TExceptionStatusValues{true, false, false, false, false, false, false, true}));
    EXPECT_EQ(Complete([&] { Client.Diagnostics(daReturnBusMessageCount, 0); },
                       {0x01, 0x08, 0x00, 0x0B, 0x00, 0x2A})
                  .Result,
              42);
    EXPECT_EQ(Complete([&] { Client.Diagnostics(daReturnQueryData, 0); },
                       {0x01, 0x08, 0x00, 0x00, 0x12, 0x34})
                  .Result,
              0)
        << "a wrong echo of A537h";
    const Reported timeout =
        Complete([&] { Client.ReadHoldingRegisters(0, 3, 0); }, {}, rsTimeoutExpired);
    EXPECT_EQ(timeout.Info.Status, rsTimeoutExpired);
    EXPECT_EQ(timeout.Registers, (TRegValues{0, 0, 0})) << "request-derived arguments only";
    EXPECT_EQ(
        Complete([&] { Client.ReportServerID(0); }, {0x01, 0x91, 0x01}, rsExceptionResponse).Count,
        0);
}

namespace {

// A finished transaction built by hand (Read File Record has no operation that builds it):
// the request and reply messages as given, a normal response from address 1.
std::unique_ptr<TModbusTransaction> Finished(TOfflineLink& link, TModbusClient& client,
                                             const Bytes& request, const Bytes& reply) {
    auto t = std::make_unique<TModbusTransaction>(link.QueryBufferSize());
    Fill(t->Query, request);
    Fill(t->Reply, reply);
    t->Client = &client;
    t->Info.ServerAddress = 1;
    t->Info.Status = rsNormalResponse;
    return t;
}

} // namespace

TEST_F(ClientOnBuffers, FileRecordReadChecksEveryRecordOfTheReply) {
    // One sub-request: file 4, record 1, two registers.
    const Bytes request = {
        0x01, FunctionCodes::ReadFileRecord, 0x07, 0x06, 0x00, 0x04, 0x00, 0x01, 0x00, 0x02};
    auto good =
        Finished(Link, Client, request, {0x01, 0x14, 0x06, 0x05, 0x06, 0x0D, 0xFE, 0x00, 0x20});
    Link.Complete(*good);
    EXPECT_EQ(Got.Info.Status, rsNormalResponse);
    EXPECT_EQ(Got.Count, 1);
    EXPECT_EQ(Got.Registers, (TRegValues{0x0DFE, 0x0020}));

    Got = Reported{};
    auto wrongType =
        Finished(Link, Client, request, {0x01, 0x14, 0x06, 0x05, 0x07, 0x0D, 0xFE, 0x00, 0x20});
    Link.Complete(*wrongType);
    EXPECT_EQ(Got.Info.Status, rsUnmatched) << "reference type 7";
    EXPECT_EQ(Got.Registers, (TRegValues{0, 0}));

    Got = Reported{};
    auto short_ = Finished(Link, Client, request, {0x01, 0x14, 0x06, 0x05, 0x06, 0x0D});
    Link.Complete(*short_);
    EXPECT_EQ(Got.Info.Status, rsUnmatched) << "the record's words did not arrive";
}

TEST_F(ClientOnBuffers, AMalformedRequestOfOursIsAnInternalErrorNotAnUnmatchedReply) {
    // The byte count announces one sub-request, whose fields are not in the request: nothing
    // the peer sent is wrong, the transaction itself is. The reply is one that would match.
    auto t = Finished(Link, Client, {0x01, FunctionCodes::ReadFileRecord, 0x07},
                      {0x01, 0x14, 0x06, 0x05, 0x06, 0x0D, 0xFE, 0x00, 0x20});
    try {
        Link.Complete(*t);
        FAIL() << "no error";
    } catch (const ECorvaneError& e) {
        EXPECT_EQ(e.MessageId(), msgInternalError);
        EXPECT_STREQ(e.what(), "Internal error");
    }
    EXPECT_TRUE(Got.Events.empty()) << "no completion event pretends the peer was at fault";
    EXPECT_EQ(t->Info.Status, rsNormalResponse);

    // The same for a function the client builds, with a request cut short by hand.
    auto registers = Finished(Link, Client, {0x01, FunctionCodes::ReadHoldingRegisters, 0x00},
                              {0x01, 0x03, 0x02, 0x00, 0x01});
    EXPECT_THROW(Link.Complete(*registers), ECorvaneError);
    EXPECT_TRUE(Got.Events.empty());
}

TEST_F(ClientOnBuffers, RequestsNeedAnActiveConnection) {
    Link.SetActive(false);
    try {
        Client.ReadCoils(0, 1, 0);
        FAIL();
    } catch (const ECorvaneError& e) {
        EXPECT_STREQ(e.what(), "There is no active connection");
    }
    EXPECT_TRUE(Link.Submitted().empty());
}
