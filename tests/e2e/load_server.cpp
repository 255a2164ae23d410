// Server mode under load: a libmodbus RTU master sends request after request, as fast as the
// replies come, a seeded mix of the eight served functions (reads of coils, discrete inputs,
// holding and input registers; single and multiple writes of coils and holding registers), to
// the window's local server and to "sondrel-cli serve", each over a socat link. Every reply
// must be the right one (reads compared with a model of the map that follows every write), the
// final values of the map must be the ones written, and the server's resident memory must stay
// flat between an early sample and the end.
//
// Every RTU request costs the server its silent gap (at least 16 ms) before it can answer, so
// the count is SONDREL_LOAD_REQUESTS (default 1000, about 17 s a server); the figures of a
// 10 000-request run are taken with SONDREL_LOAD_REQUESTS=10000. Memory is compared, never time.
#include "EventLoopWait.h"
#include "ProgramRun.h"
#include "ServerItemFile.h"
#include "TempFolder.h"
#include "WindowFixture.h"

#include "ProcessStatus.h"
#include "SocatLink.h"

#include "ServerItemMap.h"

#include <modbus.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <random>
#include <thread>

using namespace E2eTests;
using namespace std::chrono_literals;

namespace {

using Item = ServerItemRecord;
using File = ServerItemFile;

// 64 items of each kind: coils at 0.., discrete inputs at 100.., holding registers at 200..,
// input registers at 300...
constexpr int kItems = 64;
constexpr int kCoilStart = 0;
constexpr int kInputStart = 100;
constexpr int kHoldingStart = 200;
constexpr int kInputRegisterStart = 300;
// Memory may grow by this much between the early sample and the end.
constexpr long kGrowthLimitKb = 3 * 1024;

int RequestCount() {
    const char* text = std::getenv("SONDREL_LOAD_REQUESTS");
    const int count = text != nullptr ? std::atoi(text) : 0;
    return count > 0 ? count : 1000;
}

// The values of the map as the master has made them.
struct ItemValues {
    std::vector<std::uint8_t> Coils = std::vector<std::uint8_t>(kItems);
    std::vector<std::uint8_t> Inputs = std::vector<std::uint8_t>(kItems);
    std::vector<std::uint16_t> Holding = std::vector<std::uint16_t>(kItems);
    std::vector<std::uint16_t> InputRegisters = std::vector<std::uint16_t>(kItems);

    ItemValues() {
        for (int i = 0; i < kItems; ++i) {
            Coils[i] = static_cast<std::uint8_t>(i % 3 == 0);
            Inputs[i] = static_cast<std::uint8_t>(i % 5 < 2);
            Holding[i] = static_cast<std::uint16_t>(i * 1021 + 7);
            InputRegisters[i] = static_cast<std::uint16_t>(65535 - i * 313);
        }
    }

    // The map file's records in the map's order (kind, then address).
    std::vector<Item> Records() const {
        std::vector<Item> items;
        for (int i = 0; i < kItems; ++i) {
            items.push_back(
                {static_cast<std::uint16_t>(kCoilStart + i), File::Coil, Coils[i], 0, 65535, 1});
        }
        for (int i = 0; i < kItems; ++i) {
            items.push_back({static_cast<std::uint16_t>(kInputStart + i), File::DiscreteInput,
                             Inputs[i], 0, 65535, 1});
        }
        for (int i = 0; i < kItems; ++i) {
            items.push_back({static_cast<std::uint16_t>(kHoldingStart + i), File::HoldingRegister,
                             Holding[i], 0, 65535, 1});
        }
        for (int i = 0; i < kItems; ++i) {
            items.push_back({static_cast<std::uint16_t>(kInputRegisterStart + i),
                             File::InputRegister, InputRegisters[i], 0, 65535, 1});
        }
        return items;
    }
};

// A libmodbus RTU master on one end of the link, talking to server address 1.
class Master {
public:
    explicit Master(const std::string& device)
        : FContext(modbus_new_rtu(device.c_str(), 115200, 'N', 8, 1)) {
        if (FContext == nullptr || modbus_set_slave(FContext, 1) != 0 ||
            modbus_set_response_timeout(FContext, 1, 0) != 0 || modbus_connect(FContext) != 0) {
            throw std::runtime_error("libmodbus master on " + device + ": " +
                                     modbus_strerror(errno));
        }
    }
    ~Master() {
        modbus_close(FContext);
        modbus_free(FContext);
    }
    Master(const Master&) = delete;
    Master& operator=(const Master&) = delete;

    modbus_t* Context() const { return FContext; }

private:
    modbus_t* FContext;
};

// What a run of the master found, and the memory samples taken along the way.
struct LoadRun {
    int Sent = 0;
    int Failed = 0; // no reply, an exception reply or a reply of the wrong size
    int Wrong = 0;  // a read whose values differ from the model
    std::string FirstProblem;
    long EarlyKb = -1;
    long EndKb = -1;
    int EarlyFds = -1;
    int EndFds = -1;
};

// The seeded mix of requests, checked against the model as it goes.
class MixedLoad {
public:
    MixedLoad(modbus_t* master, ItemValues& values, std::uint32_t seed)
        : FMaster(master), FValues(values), FRandom(seed) {}

    // Sends count requests, or fewer once abort is set; samples the server's memory and
    // descriptors (of pid, 0 for this process) after earlySample requests and at the end.
    LoadRun Run(int count, int earlySample, pid_t pid, const std::atomic<bool>& abort) {
        LoadRun run;
        for (int i = 0; i < count && !abort; ++i) {
            Step(run);
            ++run.Sent;
            if (run.Sent == earlySample) {
                run.EarlyKb = TestSupport::ResidentKb(pid);
                run.EarlyFds = TestSupport::OpenFileCount(pid);
            }
        }
        run.EndKb = TestSupport::ResidentKb(pid);
        run.EndFds = TestSupport::OpenFileCount(pid);
        return run;
    }

    // Reads every item back; true when all equal the model.
    bool ReadBackAll(std::string& problem) {
        std::vector<std::uint8_t> bits(kItems);
        std::vector<std::uint16_t> regs(kItems);
        const bool ok =
            modbus_read_bits(FMaster, kCoilStart, kItems, bits.data()) == kItems &&
            Same(bits, FValues.Coils, "coils", problem) &&
            modbus_read_input_bits(FMaster, kInputStart, kItems, bits.data()) == kItems &&
            Same(bits, FValues.Inputs, "discrete inputs", problem) &&
            modbus_read_registers(FMaster, kHoldingStart, kItems, regs.data()) == kItems &&
            Same(regs, FValues.Holding, "holding registers", problem) &&
            modbus_read_input_registers(FMaster, kInputRegisterStart, kItems, regs.data()) ==
                kItems &&
            Same(regs, FValues.InputRegisters, "input registers", problem);
        if (!ok && problem.empty()) {
            problem = std::string("read back failed: ") + modbus_strerror(errno);
        }
        return ok;
    }

private:
    template <typename T>
    static bool Same(const std::vector<T>& got, const std::vector<T>& model, const char* what,
                     std::string& problem) {
        if (got != model) {
            problem = std::string(what) + " differ from the values written";
            return false;
        }
        return true;
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(FRandom); }

    void Problem(LoadRun& run, int& counter, const std::string& text) {
        ++counter;
        if (run.FirstProblem.empty()) {
            run.FirstProblem = "request " + std::to_string(run.Sent) + ": " + text + " (" +
                               modbus_strerror(errno) + ")";
        }
    }

    void Step(LoadRun& run) {
        const int kind = Pick(0, 7);
        const int first = Pick(0, kItems - 1);
        const int count = Pick(1, std::min(16, kItems - first));
        std::vector<std::uint8_t> bits(static_cast<std::size_t>(count));
        std::vector<std::uint16_t> regs(static_cast<std::size_t>(count));
        auto expectRead = [&](int result, auto& got, const auto& model, const char* what) {
            if (result != count) {
                Problem(run, run.Failed, std::string("read of ") + what);
                return;
            }
            for (int i = 0; i < count; ++i) {
                if (got[static_cast<std::size_t>(i)] !=
                    model[static_cast<std::size_t>(first + i)]) {
                    Problem(run, run.Wrong, std::string("wrong value in a read of ") + what);
                    return;
                }
            }
        };
        switch (kind) {
        case 0:
            expectRead(modbus_read_bits(FMaster, kCoilStart + first, count, bits.data()), bits,
                       FValues.Coils, "coils");
            break;
        case 1:
            expectRead(modbus_read_input_bits(FMaster, kInputStart + first, count, bits.data()),
                       bits, FValues.Inputs, "discrete inputs");
            break;
        case 2:
            expectRead(modbus_read_registers(FMaster, kHoldingStart + first, count, regs.data()),
                       regs, FValues.Holding, "holding registers");
            break;
        case 3:
            expectRead(modbus_read_input_registers(FMaster, kInputRegisterStart + first, count,
                                                   regs.data()),
                       regs, FValues.InputRegisters, "input registers");
            break;
        case 4: {
            const int value = Pick(0, 1);
            if (modbus_write_bit(FMaster, kCoilStart + first, value) != 1) {
                Problem(run, run.Failed, "single coil write");
            }
            FValues.Coils[static_cast<std::size_t>(first)] = static_cast<std::uint8_t>(value);
            break;
        }
        case 5: {
            const auto value = static_cast<std::uint16_t>(Pick(0, 65535));
            if (modbus_write_register(FMaster, kHoldingStart + first, value) != 1) {
                Problem(run, run.Failed, "single register write");
            }
            FValues.Holding[static_cast<std::size_t>(first)] = value;
            break;
        }
        case 6:
            for (int i = 0; i < count; ++i) {
                bits[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(Pick(0, 1));
                FValues.Coils[static_cast<std::size_t>(first + i)] =
                    bits[static_cast<std::size_t>(i)];
            }
            if (modbus_write_bits(FMaster, kCoilStart + first, count, bits.data()) != count) {
                Problem(run, run.Failed, "multiple coils write");
            }
            break;
        default:
            for (int i = 0; i < count; ++i) {
                regs[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(Pick(0, 65535));
                FValues.Holding[static_cast<std::size_t>(first + i)] =
                    regs[static_cast<std::size_t>(i)];
            }
            if (modbus_write_registers(FMaster, kHoldingStart + first, count, regs.data()) !=
                count) {
                Problem(run, run.Failed, "multiple registers write");
            }
            break;
        }
    }

    modbus_t* FMaster;
    ItemValues& FValues;
    std::mt19937 FRandom;
};

void ExpectClean(const LoadRun& run, int count) {
    EXPECT_EQ(run.Sent, count);
    EXPECT_EQ(run.Failed, 0) << run.FirstProblem;
    EXPECT_EQ(run.Wrong, 0) << run.FirstProblem;
    ASSERT_GT(run.EarlyKb, 0);
#ifndef __SANITIZE_ADDRESS__
    // (Under AddressSanitizer freed blocks stay resident in its quarantine, so resident memory
    // grows with any allocation; its leak check stands in for this bound there.)
    EXPECT_LT(run.EndKb - run.EarlyKb, kGrowthLimitKb) << "memory grew with the requests";
#endif
    EXPECT_EQ(run.EndFds, run.EarlyFds) << "descriptors grew with the requests";
}

void PrintFigures(const char* server, const LoadRun& run, int earlySample) {
    std::printf("[ figures  ] %s: %d requests, %d failed, %d wrong; VmRSS after %d: %ld kB, "
                "after %d: %ld kB (%+ld kB); fds %d -> %d\n",
                server, run.Sent, run.Failed, run.Wrong, earlySample, run.EarlyKb, run.Sent,
                run.EndKb, run.EndKb - run.EarlyKb, run.EarlyFds, run.EndFds);
}

int EarlySample(int count) {
    return std::min(1000, count / 3);
}

// --- The window's local server --------------------------------------------------------------

class WindowServerLoad : public ConsoleTest::WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        WriteProgramFile("CorvaneDemo.dat", "[ModbusConnection1]\r\nConnectionMode=1\r\n");
        File::Write((FolderPath() / "ServerItems.dat").string(), Values.Records());
        StoreSetting("SerialPort1", QString::fromStdString(Link.EndA()));
    }

    ItemValues Values;
    TestSupport::SocatLink Link;
};

TEST_F(WindowServerLoad, AnswersEveryRequestOfAFastMasterWithFlatMemory) {
    auto& window = Start();
    ASSERT_EQ(window.ServerItems().RowCount(), static_cast<std::size_t>(4 * kItems));
    window.Connect1Click();
    ASSERT_TRUE(window.ModbusConnection1.Active()) << Dialogs.Errors.join(';').toStdString();
    const qsizetype linesBefore = LogLines().size();

    // The master runs on its own thread: the server answers on this one, in the event loop.
    const int count = RequestCount();
    LoadRun run;
    std::string readBackProblem;
    bool readBack = false;
    std::atomic<bool> finished{false};
    std::atomic<bool> abort{false};
    std::thread master([&] {
        try {
            Master m(Link.EndB());
            MixedLoad load(m.Context(), Values, 20240307);
            run = load.Run(count, EarlySample(count), 0, abort);
            readBack = load.ReadBackAll(readBackProblem);
        } catch (const std::exception& e) {
            readBackProblem = e.what();
        }
        finished = true;
    });
    const bool done =
        ConsoleTest::RunEventLoopUntil([&] { return finished.load(); }, count * 100 + 30000);
    if (!done) {
        abort = true;
        window.Disconnect1Click(); // the request in progress times out
    }
    master.join();
    ASSERT_TRUE(done) << "the master did not finish";

    ExpectClean(run, count);
    EXPECT_TRUE(readBack) << readBackProblem;
    // The map in memory holds what was written.
    const Sondrel::TServerItemMap& map = window.ServerItems();
    std::vector<Item> inMemory;
    for (std::size_t row = 0; row < map.RowCount(); ++row) {
        const Sondrel::TServerItem& item = map.Row(row);
        inMemory.push_back({item.Address, static_cast<std::uint8_t>(item.Kind), item.Value,
                            item.Min, item.Max, item.Writeable});
    }
    EXPECT_EQ(inMemory, Values.Records());
    // Nothing was refused, no frame was discarded: the log did not grow.
    EXPECT_EQ(LogLines().size(), linesBefore)
        << LogLines().mid(linesBefore).join('|').toStdString();
    PrintFigures("window server", run, EarlySample(count));
}

// --- sondrel-cli serve -----------------------------------------------------------------------

TEST(ServeLoad, AnswersEveryRequestOfAFastMasterWithFlatMemory) {
    TempFolder folder;
    const std::string items = folder / "ServerItems.dat";
    ItemValues values;
    File::Write(items, values.Records());
    TestSupport::SocatLink link;
    TestSupport::ChildProcess serve({kCliProgram, "serve", "--items", items, "--port", link.EndA(),
                                     "--baud", "115200", "--save"},
                                    TestSupport::ChildProcess::ErrorOutput::Capture);
    ASSERT_TRUE(serve.WaitForLine("Modbus connection has been successfully opened.", 10s))
        << serve.Output();

    const int count = RequestCount();
    LoadRun run;
    std::string problem;
    bool readBack = false;
    {
        Master master(link.EndB());
        MixedLoad load(master.Context(), values, 20240307);
        run = load.Run(count, EarlySample(count), serve.Pid(), std::atomic<bool>{false});
        readBack = load.ReadBackAll(problem);
    }
    serve.Signal(SIGTERM);
    EXPECT_EQ(serve.Wait(5s), 0) << serve.Errors();

    ExpectClean(run, count);
    EXPECT_TRUE(readBack) << problem;
    // --save wrote the values that the master wrote.
    EXPECT_EQ(File::Read(items), values.Records());
    // Nothing was refused or discarded: serve logged only its connection lines.
    for (const std::string& text : LogTexts(serve.Output())) {
        EXPECT_EQ(text.find("Error]"), std::string::npos) << text;
        EXPECT_EQ(text.find("Invalid frame"), std::string::npos) << text;
    }
    PrintFigures("sondrel-cli serve", run, EarlySample(count));
}

} // namespace
