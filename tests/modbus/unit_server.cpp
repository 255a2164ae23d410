// The server's request processing on buffers alone, with no line: a request message built in
// a buffer, ProcessRequest (or the library's dispatch) called on it, the reply message compared
// byte for byte. Golden vectors per function, the exception rules, and the same requests
// through the framing as wire frames in both modes.
#include "MapServer.h"
#include "OfflineLink.h"

#include "CorvaneError.h"
#include "Framing.h"
#include "ModbusServer.h"
#include "ModbusTransaction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Corvane;
using namespace TestSupport;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReplyOf(const TModbusTransaction& t) {
    return Bytes(t.Reply.Data(), t.Reply.Data() + t.Reply.Size());
}

class ServerRequests : public ::testing::Test {
protected:
    void SetUp() override { A.Server.SetConnection(&Link); }

    // Processes a request (address, function, data) and returns the reply message (no check:
    // the framing adds it on the wire); empty when nothing is to be sent.
    Bytes Process(const Bytes& body, TModbusServer& server) {
        TModbusTransaction t(Link.QueryBufferSize());
        for (auto b : body) {
            t.Query.WriteByte(b);
        }
        t.Info.ServerAddress = body[0];
        server.ProcessRequest(t);
        return Bytes(t.Reply.Data(), t.Reply.Data() + t.Reply.Size());
    }
    Bytes Process(const Bytes& body) { return Process(body, A.Server); }

    TOfflineLink Link;
    MapServer A;
};

} // namespace

TEST_F(ServerRequests, WithoutAnAcceptHandlerEveryCommandIsIllegal) {
    TModbusServer bare;
    bare.SetConnection(&Link);
    EXPECT_EQ(Process({0x01, 0x03, 0, 0, 0, 1}, bare), (Bytes{0x01, 0x83, 0x01}));
}

TEST_F(ServerRequests, UnservedFunctionsAreRefusedWithoutAsking) {
    bool asked = false;
    A.Server.OnAcceptCommand = [&](TModbusServer&, std::uint8_t, bool& accept) {
        asked = true;
        accept = true;
    };
    EXPECT_EQ(Process({0x01, 0x07}), (Bytes{0x01, 0x87, 0x01}));
    EXPECT_EQ(Process({0x01, 0x11}), (Bytes{0x01, 0x91, 0x01}));
    EXPECT_FALSE(asked);
}

TEST_F(ServerRequests, ReadCountAndRangeRules) {
    A.Registers = {{0, 5}, {65535, 9}};
    EXPECT_EQ(Process({0x01, 0x03, 0, 0, 0, 0}), (Bytes{0x01, 0x83, 0x03}));
    EXPECT_EQ(Process({0x01, 0x03, 0, 0, 0, 129}), (Bytes{0x01, 0x83, 0x03}));
    EXPECT_EQ(Process({0x01, 0x03, 0xFF, 0xFF, 0, 2}), (Bytes{0x01, 0x83, 0x02}));
    EXPECT_EQ(Process({0x01, 0x03, 0xFF, 0xFF, 0, 1}), (Bytes{0x01, 0x03, 0x02, 0x00, 0x09}));
    EXPECT_EQ(Process({0x01, 0x03, 0, 0}), (Bytes{0x01, 0x83, 0x03}))
        << "a request shorter than its fields";
}

TEST_F(ServerRequests, RefusedThirdCoilAsksNoValue) {
    A.Coils = {{10, true}, {11, false}};
    EXPECT_EQ(Process({0x01, 0x01, 0, 10, 0, 3}), (Bytes{0x01, 0x81, 0x02}));
    for (const std::string& e : A.Events) {
        EXPECT_EQ(e.rfind("get-coil", 0), std::string::npos) << e;
    }
    A.Events.clear();
    EXPECT_EQ(Process({0x01, 0x01, 0, 10, 0, 2}), (Bytes{0x01, 0x01, 0x01, 0x01}));
}

TEST_F(ServerRequests, LargestReadsFillTheBuffer) {
    for (std::uint16_t a = 0; a < 128; ++a) {
        A.Registers[a] = a;
    }
    const Bytes reply = Process({0x01, 0x03, 0, 0, 0, 128});
    ASSERT_EQ(reply.size(), 3u + 256u);
    EXPECT_EQ(reply[2], 0x00) << "256 data bytes: the byte count carries its low 8 bits";
    EXPECT_EQ(reply[3 + 2 * 127 + 1], 127);
}

TEST_F(ServerRequests, SingleCoilValueMustBeOnOrOff) {
    A.Coils = {{4, false}};
    EXPECT_EQ(Process({0x01, 0x05, 0, 4, 0x12, 0x34}), (Bytes{0x01, 0x85, 0x03}));
    EXPECT_TRUE(A.Events.empty() || A.Events.back().rfind("can-write", 0) != 0)
        << "the permission was not asked";
    EXPECT_EQ(Process({0x01, 0x05, 0, 4, 0xFF, 0x00}), (Bytes{0x01, 0x05, 0, 4, 0xFF, 0x00}));
    EXPECT_TRUE(A.Coils[4]);
}

TEST_F(ServerRequests, WriteStatusesMapToExceptionCodes) {
    A.Registers = {{1, 0}};
    EXPECT_EQ(Process({0x01, 0x06, 0, 2, 0, 1}), (Bytes{0x01, 0x86, 0x02}));
    EXPECT_EQ(Process({0x01, 0x06, 0, 1, 0x10, 0}), (Bytes{0x01, 0x86, 0x03}));
    EXPECT_EQ(Process({0x01, 0x06, 0, 1, 0, 7}), (Bytes{0x01, 0x06, 0, 1, 0, 7}));
    EXPECT_EQ(A.Registers[1], 7);
}

TEST_F(ServerRequests, FailingSecondSetAnswers04AndKeepsTheFirst) {
    A.Registers = {{0, 0}, {1, 0}};
    A.ThrowOnSetNumber = 1;
    EXPECT_EQ(Process({0x01, 0x10, 0, 0, 0, 2, 4, 0, 11, 0, 22}), (Bytes{0x01, 0x90, 0x04}));
    EXPECT_EQ(A.Registers[0], 11);
    EXPECT_EQ(A.Registers[1], 0);
}

TEST_F(ServerRequests, MultipleWriteShorterThanItsQuantityIsRefused) {
    A.Registers = {{0, 0}, {1, 0}, {2, 0}};
    EXPECT_EQ(Process({0x01, 0x10, 0, 0, 0, 3, 6, 0, 1, 0, 2}), (Bytes{0x01, 0x90, 0x03}));
    EXPECT_EQ(A.Registers[0], 0) << "nothing was written";
    EXPECT_EQ(Process({0x01, 0x10, 0, 0, 0, 127, 254}), (Bytes{0x01, 0x90, 0x03}));
    A.Coils = {{0, false}, {1, false}};
    EXPECT_EQ(Process({0x01, 0x0F, 0, 0, 0, 2, 1, 0x03}), (Bytes{0x01, 0x0F, 0, 0, 0, 2}));
    EXPECT_TRUE(A.Coils[0] && A.Coils[1]);
}

TEST_F(ServerRequests, BroadcastRunsInEveryServerAndSendsNothing) {
    MapServer b;
    b.Server.SetAddress(2);
    b.Server.SetConnection(&Link);
    A.Registers = {{3, 0}};
    b.Registers = {{3, 0}};
    const auto t = Link.Dispatch({0x00, 0x06, 0, 3, 0, 5});
    EXPECT_EQ(A.Registers[3], 5);
    EXPECT_EQ(b.Registers[3], 5);
    EXPECT_EQ(t->Reply.Size(), 0);

    // A refused broadcast raises no exception event either.
    A.Events.clear();
    const auto refused = Link.Dispatch({0x00, 0x06, 0, 9, 0, 5});
    EXPECT_EQ(refused->Reply.Size(), 0);
    EXPECT_TRUE(A.Events.empty());
}

TEST_F(ServerRequests, AddressRangeOfTheServer) {
    for (int bad : {0, 248}) {
        try {
            A.Server.SetAddress(static_cast<std::uint8_t>(bad));
            FAIL();
        } catch (const ECorvaneError& e) {
            EXPECT_STREQ(e.what(), "SSS Value must be between 1 and 247");
        }
    }
    EXPECT_EQ(A.Server.Address(), 1);
}

TEST_F(ServerRequests, DispatchGoesToTheFirstServerOfTheAddressOnly) {
    MapServer second;
    second.Server.SetConnection(&Link);
    MapServer other;
    other.Server.SetAddress(9);
    other.Server.SetConnection(&Link);
    A.Registers = {{0, 1}};
    second.Registers = {{0, 2}};
    EXPECT_EQ(ReplyOf(*Link.Dispatch({0x01, 0x03, 0, 0, 0, 1})),
              (Bytes{0x01, 0x03, 0x02, 0x00, 0x01}))
        << "the first server registered at address 1 answers";
    EXPECT_EQ(Link.Dispatch({0x05, 0x03, 0, 0, 0, 1})->Reply.Size(), 0)
        << "no server at address 5: nothing to send";
}

TEST_F(ServerRequests, ProcessingNeedsAnActiveConnection) {
    Link.SetActive(false);
    TModbusTransaction t(Link.QueryBufferSize());
    for (auto x : Bytes{0x01, 0x03, 0, 0, 0, 1}) {
        t.Query.WriteByte(x);
    }
    t.Info.ServerAddress = 1;
    try {
        A.Server.ProcessRequest(t);
        FAIL();
    } catch (const ECorvaneError& e) {
        EXPECT_STREQ(e.what(), "There is no active connection");
    }
    EXPECT_EQ(t.Reply.Size(), 0);
    TModbusServer detached;
    EXPECT_THROW(detached.ProcessRequest(t), ECorvaneError);
}

// --- Golden vectors: one row per function and per exception rule ---------------------------

namespace {

struct Golden {
    const char* Case;
    Bytes Request; // address, function, data
    Bytes Reply;   // address, function, data; empty: nothing is sent
};

// The items of the server that every row below is answered from.
void FillItems(MapServer& s) {
    s.Coils = {{0x13, true},  {0x14, false}, {0x15, true}, {0x16, true}, {0x17, false},
               {0x18, false}, {0x19, true},  {0x1A, true}, {0x1B, true}, {0x1C, false}};
    s.Inputs = {{0xC4, false}, {0xC5, false}, {0xC6, true}};
    s.Registers = {{0x6B, 0x022B}, {0x6C, 0x0000}, {0x6D, 0x0064}, {0x01, 0x0000}};
    s.InputRegisters = {{0x08, 0x000A}};
}

const std::vector<Golden>& GoldenTable() {
    static const std::vector<Golden> table = {
        {"01 ten coils from 0x13",
         {0x11, 0x01, 0x00, 0x13, 0x00, 0x0A},
         {0x11, 0x01, 0x02, 0xCD, 0x01}},
        {"02 three inputs from 0xC4",
         {0x11, 0x02, 0x00, 0xC4, 0x00, 0x03},
         {0x11, 0x02, 0x01, 0x04}},
        {"03 three registers from 0x6B",
         {0x11, 0x03, 0x00, 0x6B, 0x00, 0x03},
         {0x11, 0x03, 0x06, 0x02, 0x2B, 0x00, 0x00, 0x00, 0x64}},
        {"04 one input register at 8",
         {0x11, 0x04, 0x00, 0x08, 0x00, 0x01},
         {0x11, 0x04, 0x02, 0x00, 0x0A}},
        {"05 coil 0x14 on is echoed",
         {0x11, 0x05, 0x00, 0x14, 0xFF, 0x00},
         {0x11, 0x05, 0x00, 0x14, 0xFF, 0x00}},
        {"06 register 1 := 3 is echoed",
         {0x11, 0x06, 0x00, 0x01, 0x00, 0x03},
         {0x11, 0x06, 0x00, 0x01, 0x00, 0x03}},
        {"15 ten coils from 0x13",
         {0x11, 0x0F, 0x00, 0x13, 0x00, 0x0A, 0x02, 0xCD, 0x01},
         {0x11, 0x0F, 0x00, 0x13, 0x00, 0x0A}},
        {"16 two registers from 0x6B",
         {0x11, 0x10, 0x00, 0x6B, 0x00, 0x02, 0x04, 0x00, 0x0A, 0x01, 0x02},
         {0x11, 0x10, 0x00, 0x6B, 0x00, 0x02}},
        {"07 is not served", {0x11, 0x07}, {0x11, 0x87, 0x01}},
        {"22 is not served", {0x11, 0x16, 0x00, 0x01, 0x00, 0xF2, 0x00, 0x25}, {0x11, 0x96, 0x01}},
        {"03 of an item that is not there",
         {0x11, 0x03, 0x00, 0x70, 0x00, 0x01},
         {0x11, 0x83, 0x02}},
        {"04 for 129 registers", {0x11, 0x04, 0x00, 0x00, 0x00, 0x81}, {0x11, 0x84, 0x03}},
        {"02 for 0 inputs", {0x11, 0x02, 0x00, 0xC4, 0x00, 0x00}, {0x11, 0x82, 0x03}},
        {"01 past address 65535", {0x11, 0x01, 0xFF, 0xFF, 0x00, 0x02}, {0x11, 0x81, 0x02}},
        {"05 with neither on nor off", {0x11, 0x05, 0x00, 0x14, 0x00, 0x01}, {0x11, 0x85, 0x03}},
        {"06 value refused", {0x11, 0x06, 0x00, 0x01, 0x10, 0x00}, {0x11, 0x86, 0x03}},
        {"15 for 2017 coils", {0x11, 0x0F, 0x00, 0x00, 0x07, 0xE1, 0x00}, {0x11, 0x8F, 0x03}},
        {"16 for 127 registers", {0x11, 0x10, 0x00, 0x00, 0x00, 0x7F, 0xFE}, {0x11, 0x90, 0x03}},
        {"16 with a value missing",
         {0x11, 0x10, 0x00, 0x6B, 0x00, 0x02, 0x04, 0x00, 0x0A},
         {0x11, 0x90, 0x03}},
        {"06 without its value", {0x11, 0x06, 0x00, 0x01}, {0x11, 0x86, 0x03}},
        {"function code alone", {0x11, 0x03}, {0x11, 0x83, 0x03}},
        {"broadcast 06 is acted on, never answered", {0x00, 0x06, 0x00, 0x01, 0x00, 0x07}, {}},
        {"broadcast 03 is never answered", {0x00, 0x03, 0x00, 0x6B, 0x00, 0x01}, {}},
        {"broadcast refused: no exception reply", {0x00, 0x07}, {}},
    };
    return table;
}

} // namespace

TEST(ServerGolden, EveryRequestGetsExactlyItsReplyMessage) {
    for (const Golden& row : GoldenTable()) {
        TOfflineLink link;
        MapServer server;
        server.Server.SetAddress(0x11);
        server.Server.SetConnection(&link);
        FillItems(server);
        const auto t = link.Dispatch(row.Request);
        EXPECT_EQ(ReplyOf(*t), row.Reply) << row.Case;
    }
}

TEST(ServerGolden, WritesReachTheItemsBeforeTheReply) {
    TOfflineLink link;
    MapServer server;
    server.Server.SetAddress(0x11);
    server.Server.SetConnection(&link);
    FillItems(server);
    link.Dispatch({0x11, 0x10, 0x00, 0x6B, 0x00, 0x02, 0x04, 0x00, 0x0A, 0x01, 0x02});
    EXPECT_EQ(server.Registers[0x6B], 0x000A);
    EXPECT_EQ(server.Registers[0x6C], 0x0102);
    link.Dispatch({0x11, 0x0F, 0x00, 0x13, 0x00, 0x0A, 0x02, 0x00, 0x02});
    for (std::uint16_t a = 0x13; a <= 0x1C; ++a) {
        EXPECT_EQ(server.Coils[a], a == 0x1C) << a;
    }
    link.Dispatch({0x00, 0x06, 0x00, 0x01, 0x00, 0x07});
    EXPECT_EQ(server.Registers[0x01], 7) << "a broadcast write is acted on";
}

// The same processing between the framing's decode and encode: the bytes on the wire, check
// included, are those of the Modbus serial line standard (checks computed independently).
TEST(ServerGolden, WireFramesInAndOutInBothModes) {
    struct Wire {
        TTransmissionMode Mode;
        std::string Request;
        std::string Reply;
    };
    auto hex = [](const Bytes& b) { return std::string(b.begin(), b.end()); };
    const std::vector<Wire> rows = {
        {tmRTU, hex({0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}),
         hex({0x01, 0x03, 0x02, 0x12, 0x34, 0xB5, 0x33})},
        {tmRTU, hex({0x01, 0x03, 0x00, 0x05, 0x00, 0x01, 0x94, 0x0B}),
         hex({0x01, 0x83, 0x02, 0xC0, 0xF1})},
        {tmASCII, ":010300000001FB\r\n", ":0103021234B4\r\n"},
        {tmASCII, ":010300050001F6\r\n", ":0183027A\r\n"},
    };
    for (const Wire& row : rows) {
        TOfflineLink link(row.Mode);
        MapServer server;
        server.Server.SetConnection(&link);
        server.Registers = {{0, 0x1234}};
        TModbusTransaction t(link.QueryBufferSize());
        const Bytes in(row.Request.begin(), row.Request.end());
        ASSERT_TRUE(DecodeFrame(row.Mode, cmServer, in.data(), static_cast<std::int32_t>(in.size()),
                                t.Query))
            << row.Request;
        t.Info.ServerAddress = FrameAddress(t.Query);
        DispatchRequest({&server.Server}, t);
        Bytes out(static_cast<std::size_t>(FrameBufferSize(row.Mode)));
        out.resize(static_cast<std::size_t>(
            EncodeFrame(row.Mode, t.Reply, out.data(), static_cast<std::int32_t>(out.size()))));
        EXPECT_EQ(std::string(out.begin(), out.end()), row.Reply) << row.Request;
    }
}
