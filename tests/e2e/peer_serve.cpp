// "sondrel-cli serve" answering real masters over a socat link: mbpoll and a libmodbus
// client read and write every kind of item of the map file; refused requests get the right
// exception replies and the right lines in serve's log; --save writes the values that the
// masters wrote back to the file on exit (and only with --save); SIGINT and SIGTERM stop it
// promptly with exit status 0.
#include "ProgramRun.h"
#include "ServerItemFile.h"
#include "SocatLink.h"
#include "TempFolder.h"
#include "TestStopwatch.h"

#include <modbus.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <map>
#include <memory>

using namespace E2eTests;
using namespace std::chrono_literals;

namespace {

using Item = ServerItemRecord;
using File = ServerItemFile;

// The map served in every test: three coils (12 read-only), two discrete inputs, three holding
// registers (101 limited to 0..255, 102 read-only) and two input registers.
const std::vector<Item> kItems = {
    {10, File::Coil, 1, 0, 65535, 1},
    {11, File::Coil, 0, 0, 65535, 1},
    {12, File::Coil, 1, 0, 65535, 0},
    {20, File::DiscreteInput, 1, 0, 65535, 1},
    {21, File::DiscreteInput, 0, 0, 65535, 1},
    {100, File::HoldingRegister, 1234, 0, 65535, 1},
    {101, File::HoldingRegister, 50, 0, 255, 1},
    {102, File::HoldingRegister, 7, 0, 65535, 0},
    {200, File::InputRegister, 4321, 0, 65535, 1},
    {201, File::InputRegister, 99, 0, 65535, 1},
};

class ServeTest : public ::testing::Test {
protected:
    void SetUp() override { File::Write(ItemsPath, kItems); }

    // Starts serve on end A of the link and waits until its port is open.
    void StartServe(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> argv = {kCliProgram, "serve",  "--items",
                                         ItemsPath,   "--port", Link.EndA()};
        argv.insert(argv.end(), extra.begin(), extra.end());
        Serve = std::make_unique<TestSupport::ChildProcess>(
            argv, TestSupport::ChildProcess::ErrorOutput::Capture);
        ASSERT_TRUE(Serve->WaitForLine("Modbus connection has been successfully opened.", 10s))
            << Serve->Output();
    }

    // Sends the signal and waits for serve to end; its exit status and how long it took.
    std::pair<int, long long> StopServe(int signal) {
        TestSupport::Stopwatch watch;
        Serve->Signal(signal);
        const int status = Serve->Wait(5s);
        return {status, watch.ElapsedMs()};
    }

    // The lines of serve's log that report a refused request, in order.
    std::vector<std::string> RequestErrorLines() const {
        std::vector<std::string> errors;
        for (const std::string& text : LogTexts(Serve->Output())) {
            if (text.rfind("[Read Request Error]", 0) == 0 ||
                text.rfind("[Write Request Error]", 0) == 0) {
                errors.push_back(text);
            }
        }
        return errors;
    }

    // Waits until serve has logged the line (its log is written before the reply is sent,
    // but reaches the pipe on its own schedule).
    bool ServeLogged(const std::string& text) { return Serve->WaitForLine(text, 3s); }

    TempFolder Folder;
    std::string ItemsPath = Folder / "ServerItems.dat";
    TestSupport::SocatLink Link;
    std::unique_ptr<TestSupport::ChildProcess> Serve;
};

// --- mbpoll ------------------------------------------------------------------------------

// mbpoll once in RTU at 9600 8N1, PDU (0-based) addresses, one second time-out; type is its
// -t value (0 coils, 1 discrete inputs, 3 input registers, 4 holding registers). Reads count
// items, or writes the values when there are any.
ProgramRun Mbpoll(const std::string& device, const std::string& type, int start, int count,
                  const std::vector<std::string>& values = {}) {
    std::vector<std::string> argv = {SONDREL_MBPOLL_PROGRAM,
                                     "-m",
                                     "rtu",
                                     "-b",
                                     "9600",
                                     "-P",
                                     "none",
                                     "-a",
                                     "1",
                                     "-0",
                                     "-1",
                                     "-o",
                                     "1",
                                     "-t",
                                     type,
                                     "-r",
                                     std::to_string(start)};
    if (values.empty()) {
        argv.insert(argv.end(), {"-c", std::to_string(count)}); // a write counts its values
    }
    argv.push_back(device);
    argv.insert(argv.end(), values.begin(), values.end());
    return ProgramRun::Run(argv, 10s);
}

// The values mbpoll printed, by address ("[100]: \t1234").
std::map<int, int> PolledValues(const ProgramRun& run) {
    std::map<int, int> values;
    for (const std::string& line : Lines(run.Out)) {
        const auto close = line.find("]:");
        if (line.empty() || line[0] != '[' || close == std::string::npos) {
            continue;
        }
        values[std::stoi(line.substr(1, close - 1))] = std::stoi(line.substr(close + 2));
    }
    return values;
}

using ServeAnswersMbpoll = ServeTest;

TEST_F(ServeAnswersMbpoll, ReadsCoilsDiscreteInputsHoldingAndInputRegisters) {
    StartServe();
    const std::string& device = Link.EndB();

    const ProgramRun coils = Mbpoll(device, "0", 10, 3);
    EXPECT_EQ(coils.Status, 0) << coils.Err;
    EXPECT_EQ(PolledValues(coils), (std::map<int, int>{{10, 1}, {11, 0}, {12, 1}}));

    const ProgramRun inputs = Mbpoll(device, "1", 20, 2);
    EXPECT_EQ(inputs.Status, 0) << inputs.Err;
    EXPECT_EQ(PolledValues(inputs), (std::map<int, int>{{20, 1}, {21, 0}}));

    const ProgramRun holding = Mbpoll(device, "4", 100, 3);
    EXPECT_EQ(holding.Status, 0) << holding.Err;
    EXPECT_EQ(PolledValues(holding), (std::map<int, int>{{100, 1234}, {101, 50}, {102, 7}}));

    const ProgramRun registers = Mbpoll(device, "3", 200, 2);
    EXPECT_EQ(registers.Status, 0) << registers.Err;
    EXPECT_EQ(PolledValues(registers), (std::map<int, int>{{200, 4321}, {201, 99}}));
    EXPECT_TRUE(RequestErrorLines().empty());
}

TEST_F(ServeAnswersMbpoll, WritesCoilsAndHoldingRegistersThatReadBackChanged) {
    StartServe();
    const std::string& device = Link.EndB();
    struct Write {
        std::string Type;
        int Start;
        std::vector<std::string> Values;
        std::map<int, int> ReadBack; // the items around the write afterwards
    };
    // One value is a single write (function 05 or 06), two a multiple write (15 or 16).
    const std::vector<Write> writes = {
        {"0", 11, {"1"}, {{10, 1}, {11, 1}, {12, 1}}},
        {"0", 10, {"0", "0"}, {{10, 0}, {11, 0}, {12, 1}}},
        {"4", 100, {"4660"}, {{100, 4660}, {101, 50}, {102, 7}}},
        {"4", 100, {"1", "255"}, {{100, 1}, {101, 255}, {102, 7}}},
    };
    for (const Write& w : writes) {
        const ProgramRun write = Mbpoll(device, w.Type, w.Start, 0, w.Values);
        EXPECT_EQ(write.Status, 0) << write.Err;
        EXPECT_NE(write.Out.find("Written " + std::to_string(w.Values.size()) + " references."),
                  std::string::npos)
            << write.Out;
        const int first = w.ReadBack.begin()->first;
        EXPECT_EQ(PolledValues(Mbpoll(device, w.Type, first, 3)), w.ReadBack)
            << "after writing " << w.Values.size() << " at " << w.Start;
    }
    EXPECT_TRUE(RequestErrorLines().empty());
}

TEST_F(ServeAnswersMbpoll, RefusedRequestsFailWithTheirExceptionAndAreLogged) {
    StartServe();
    const std::string& device = Link.EndB();
    struct Refusal {
        std::string Type;
        int Address;
        std::vector<std::string> Values;
        std::string Exception;
        std::string LogLine;
    };
    const std::vector<Refusal> refusals = {
        {"0",
         13,
         {},
         "Illegal data address",
         "[Read Request Error] No coil found at local server address 13."},
        {"1",
         22,
         {},
         "Illegal data address",
         "[Read Request Error] No discrete input found at local server address 22."},
        {"4",
         150,
         {},
         "Illegal data address",
         "[Read Request Error] No holding register found at local server address 150."},
        {"3",
         100,
         {},
         "Illegal data address",
         "[Read Request Error] No input register found at local server address 100."},
        {"0",
         12,
         {"0"},
         "Illegal data address",
         "[Write Request Error] No writeable coil found at local server address 12."},
        {"4",
         102,
         {"1"},
         "Illegal data address",
         "[Write Request Error] No writeable holding register found at local server address 102."},
        {"4",
         101,
         {"300"},
         "Illegal data value",
         "[Write Request Error] Illegal value (300) for holding register at local server address "
         "101."},
    };
    std::vector<std::string> expectedLog;
    for (const Refusal& r : refusals) {
        const ProgramRun run = Mbpoll(device, r.Type, r.Address, 1, r.Values);
        EXPECT_NE(run.Status, 0) << r.LogLine;
        EXPECT_NE(run.Err.find(r.Exception), std::string::npos) << r.LogLine << ": " << run.Err;
        EXPECT_TRUE(ServeLogged(r.LogLine)) << r.LogLine;
        expectedLog.push_back(r.LogLine);
    }
    EXPECT_EQ(RequestErrorLines(), expectedLog);
    // Nothing refused was changed.
    EXPECT_EQ(PolledValues(Mbpoll(device, "4", 101, 2)), (std::map<int, int>{{101, 50}, {102, 7}}));
    EXPECT_EQ(PolledValues(Mbpoll(device, "0", 12, 1)), (std::map<int, int>{{12, 1}}));
}

// --- libmodbus client --------------------------------------------------------------------

// A libmodbus RTU master on a device at 9600 8N1, talking to server address 1.
class LibmodbusMaster {
public:
    explicit LibmodbusMaster(const std::string& device)
        : FContext(modbus_new_rtu(device.c_str(), 9600, 'N', 8, 1)) {
        if (FContext == nullptr || modbus_set_slave(FContext, 1) != 0 ||
            modbus_set_response_timeout(FContext, 1, 0) != 0 || modbus_connect(FContext) != 0) {
            throw std::runtime_error("libmodbus master on " + device + ": " +
                                     modbus_strerror(errno));
        }
    }
    ~LibmodbusMaster() {
        modbus_close(FContext);
        modbus_free(FContext);
    }
    LibmodbusMaster(const LibmodbusMaster&) = delete;
    LibmodbusMaster& operator=(const LibmodbusMaster&) = delete;

    modbus_t* operator*() const { return FContext; }

    // Sends the PDU (address and check added by libmodbus) and returns the reply's bytes
    // without its check, or nothing when none came.
    std::vector<std::uint8_t> Raw(std::vector<std::uint8_t> pdu) {
        pdu.insert(pdu.begin(), 1);
        std::uint8_t reply[MODBUS_RTU_MAX_ADU_LENGTH];
        if (modbus_send_raw_request(FContext, pdu.data(), static_cast<int>(pdu.size())) < 0) {
            return {};
        }
        const int n = modbus_receive_confirmation(FContext, reply);
        return n < 0 ? std::vector<std::uint8_t>{}
                     : std::vector<std::uint8_t>(reply, reply + std::max(0, n - 2));
    }

private:
    modbus_t* FContext;
};

std::vector<int> Bits(const std::vector<std::uint8_t>& bits) {
    return std::vector<int>(bits.begin(), bits.end());
}

// The call failed with the exception; errno tells which.
::testing::AssertionResult Refused(int result, int exception) {
    const int error = errno;
    if (result != -1) {
        return ::testing::AssertionFailure() << "the request succeeded";
    }
    if (error != static_cast<int>(MODBUS_ENOBASE) + exception) {
        return ::testing::AssertionFailure() << "failed with " << modbus_strerror(error);
    }
    return ::testing::AssertionSuccess();
}

using ServeAnswersLibmodbus = ServeTest;

TEST_F(ServeAnswersLibmodbus, ReadsAndWritesEveryKindOfItem) {
    StartServe();
    LibmodbusMaster master(Link.EndB());
    std::vector<std::uint8_t> bits(3);
    std::vector<std::uint16_t> regs(3);

    ASSERT_EQ(modbus_read_bits(*master, 10, 3, bits.data()), 3);
    EXPECT_EQ(Bits(bits), (std::vector<int>{1, 0, 1}));
    ASSERT_EQ(modbus_read_input_bits(*master, 20, 2, bits.data()), 2);
    EXPECT_EQ(Bits({bits[0], bits[1]}), (std::vector<int>{1, 0}));
    ASSERT_EQ(modbus_read_registers(*master, 100, 3, regs.data()), 3);
    EXPECT_EQ(regs, (std::vector<std::uint16_t>{1234, 50, 7}));
    ASSERT_EQ(modbus_read_input_registers(*master, 200, 2, regs.data()), 2);
    EXPECT_EQ(regs[0], 4321);
    EXPECT_EQ(regs[1], 99);

    EXPECT_EQ(modbus_write_bit(*master, 11, 1), 1);
    const std::uint8_t twoBits[] = {0, 0};
    EXPECT_EQ(modbus_write_bits(*master, 10, 2, twoBits), 2);
    EXPECT_EQ(modbus_write_register(*master, 101, 255), 1);
    const std::uint16_t twoRegs[] = {65535, 0};
    EXPECT_EQ(modbus_write_registers(*master, 100, 2, twoRegs), 2);

    ASSERT_EQ(modbus_read_bits(*master, 10, 3, bits.data()), 3);
    EXPECT_EQ(Bits(bits), (std::vector<int>{0, 0, 1}));
    ASSERT_EQ(modbus_read_registers(*master, 100, 3, regs.data()), 3);
    EXPECT_EQ(regs, (std::vector<std::uint16_t>{65535, 0, 7}));
    EXPECT_TRUE(RequestErrorLines().empty());
}

TEST_F(ServeAnswersLibmodbus, RefusedRequestsGetTheirExceptionRepliesAndLogLines) {
    StartServe();
    LibmodbusMaster master(Link.EndB());
    std::vector<std::uint16_t> regs(2);
    std::uint8_t bit = 0;

    // Illegal function: functions the server does not serve (07, 17 by raw request; 22 mask
    // write through libmodbus). The server refuses them itself: no item was asked, no line.
    EXPECT_EQ(master.Raw({0x07}), (std::vector<std::uint8_t>{1, 0x87, 0x01}));
    EXPECT_EQ(master.Raw({0x11}), (std::vector<std::uint8_t>{1, 0x91, 0x01}));
    EXPECT_TRUE(Refused(modbus_mask_write_register(*master, 100, 0x00FF, 0x0100),
                        MODBUS_EXCEPTION_ILLEGAL_FUNCTION));

    // Illegal data address: no such item, or not a writeable one.
    EXPECT_TRUE(Refused(modbus_read_registers(*master, 102, 2, regs.data()),
                        MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS));
    EXPECT_TRUE(Refused(modbus_read_input_registers(*master, 202, 1, regs.data()),
                        MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS));
    EXPECT_TRUE(Refused(modbus_read_input_bits(*master, 10, 1, &bit),
                        MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS));
    EXPECT_TRUE(Refused(modbus_write_bit(*master, 12, 0), MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS));
    EXPECT_TRUE(
        Refused(modbus_write_register(*master, 200, 1), MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS));

    // Illegal data value: above the register's maximum; a single-coil value that is
    // neither 0000h nor FF00h (refused by the server before any item is asked).
    EXPECT_TRUE(
        Refused(modbus_write_register(*master, 101, 300), MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE));
    EXPECT_EQ(master.Raw({0x05, 0x00, 11, 0x12, 0x34}), (std::vector<std::uint8_t>{1, 0x85, 0x03}));

    ASSERT_TRUE(ServeLogged("Illegal value (300)"));
    EXPECT_EQ(RequestErrorLines(),
              (std::vector<std::string>{
                  "[Read Request Error] No holding register found at local server address 103.",
                  "[Read Request Error] No input register found at local server address 202.",
                  "[Read Request Error] No discrete input found at local server address 10.",
                  "[Write Request Error] No writeable coil found at local server address 12.",
                  "[Write Request Error] No writeable holding register found at local server "
                  "address 200.",
                  "[Write Request Error] Illegal value (300) for holding register at local server "
                  "address 101.",
              }));
    // The refused writes changed nothing.
    ASSERT_EQ(modbus_read_registers(*master, 100, 2, regs.data()), 2);
    EXPECT_EQ(regs, (std::vector<std::uint16_t>{1234, 50}));
    ASSERT_EQ(modbus_read_bits(*master, 11, 1, &bit), 1);
    EXPECT_EQ(bit, 0);
}

// --- stopping and saving -----------------------------------------------------------------

using ServeStops = ServeTest;

TEST_F(ServeStops, OnSigtermWithSaveTheRemotelyWrittenValuesReachTheFile) {
    StartServe({"--save"});
    {
        LibmodbusMaster master(Link.EndB());
        ASSERT_EQ(modbus_write_bit(*master, 11, 1), 1);
        ASSERT_EQ(modbus_write_register(*master, 101, 200), 1);
    }
    const auto [status, ms] = StopServe(SIGTERM);
    EXPECT_EQ(status, 0) << Serve->Errors();
    EXPECT_LT(ms, 2000);
    std::vector<Item> expected = kItems;
    expected[1].Value = 1;   // coil 11
    expected[6].Value = 200; // holding register 101
    EXPECT_EQ(File::Read(ItemsPath), expected);
}

TEST_F(ServeStops, OnSigintWithoutSaveTheFileIsUntouched) {
    const std::string before = File::Bytes(ItemsPath);
    StartServe();
    {
        LibmodbusMaster master(Link.EndB());
        ASSERT_EQ(modbus_write_bit(*master, 11, 1), 1);
        ASSERT_EQ(modbus_write_register(*master, 101, 200), 1);
    }
    const auto [status, ms] = StopServe(SIGINT);
    EXPECT_EQ(status, 0) << Serve->Errors();
    EXPECT_LT(ms, 2000);
    EXPECT_EQ(File::Bytes(ItemsPath), before);
}

TEST_F(ServeStops, OnSigtermWithSaveAndNoWritesTheFileKeepsItsRecords) {
    StartServe({"--save"});
    const auto [status, ms] = StopServe(SIGTERM);
    EXPECT_EQ(status, 0) << Serve->Errors();
    EXPECT_LT(ms, 2000);
    EXPECT_EQ(File::Read(ItemsPath), kItems);
}

} // namespace
