// The Windows programs against Linux peers over a null-modem pair: sondrel-cli.exe under Wine
// reads and writes the registers of the libmodbus instrument and downloads from the Linux
// sondrel-sim, and sondrel-sim.exe under Wine answers the Linux sondrel-cli. The rows of a
// download are compared with the simulator's own model of its log, as in the e2e tests.
#include "WineFixture.h"

#include "DownloadFixture.h"
#include "LibmodbusRtuServer.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

using namespace E2eTests;
using namespace WineTests;
using namespace std::chrono_literals;

namespace {

constexpr PeerTests::MappingLayout kLayout{
    .CoilStart = 0,
    .CoilCount = 16,
    .HoldingRegisterStart = 1000,
    .HoldingRegisterCount = 20,
    .InputRegisterStart = 3000,
    .InputRegisterCount = 4,
};

class CliExeAgainstLibmodbus : public WineFixture {
protected:
    void SetUp() override {
        WineFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        Server = std::make_unique<PeerTests::LibmodbusRtuServer>(LinuxEnd(), kLayout, 1, 9600, 'N');
    }
    void TearDown() override {
        Server.reset();
        WineFixture::TearDown();
    }

    ProgramRun Cli(std::vector<std::string> args) {
        args.insert(args.end(), {"--port", "COM1", "--timeout", "500"});
        return RunWindows("sondrel-cli.exe", args, 60s);
    }

    std::unique_ptr<PeerTests::LibmodbusRtuServer> Server;
};

// Downloads and the simulator: the Linux and the Windows program on the two ends.
class DownloadsAcrossWine : public WineFixture {
protected:
    static constexpr std::chrono::seconds kRunTimeout{120};

    static std::vector<std::vector<std::string>> DataRows(const ProgramRun& run) {
        auto rows = TableRows(run.Out);
        if (!rows.empty()) {
            rows.erase(rows.begin());
        }
        return rows;
    }
    static std::vector<std::vector<std::string>> Expected(const SimulatedLog& log, int firstRecord,
                                                          int count) {
        std::vector<std::vector<std::string>> rows;
        for (int k = 0; k < count; ++k) {
            rows.push_back(log.Row((firstRecord + 1 + k) % SondrelSim::kRecordCount, firstRecord));
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    static std::vector<std::string> FastLine() { return {"--baud", "115200", "--delay", "fast"}; }
    // The Linux simulator holding the log, on the Linux end of the pair.
    std::unique_ptr<TestSupport::ChildProcess> StartLinuxSimulator(const SimulatedLog& log) {
        std::vector<std::string> argv = {SONDREL_SIM_PROGRAM, "--port", LinuxEnd(), "--baud",
                                         "115200"};
        const auto extra = log.SimulatorArguments();
        argv.insert(argv.end(), extra.begin(), extra.end());
        auto simulator = std::make_unique<TestSupport::ChildProcess>(argv);
        if (!simulator->WaitForLine(LinuxEnd(), 10s)) {
            throw std::runtime_error("sondrel-sim printed no port");
        }
        return simulator;
    }
};

} // namespace

TEST_F(CliExeAgainstLibmodbus, ReadHoldingRegistersReportsTheExchangeAndPrintsTheValues) {
    Server->WithMapping([](modbus_mapping_t& m) {
        m.tab_registers[2] = 0;
        m.tab_registers[3] = 4660;
        m.tab_registers[4] = 65535;
        return 0;
    });
    const ProgramRun run = Cli({"read-holding-registers", "1002", "3"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    const std::vector<std::string> log = LogTexts(run.Out);
    EXPECT_TRUE(
        InOrder(log, {"Opening Modbus connection on COM1...",
                      "Modbus connection has been successfully opened.",
                      "INIT: Read Holding Registers (code $03) [ID: 0]",
                      "DONE: Read Holding Registers (code $03) [ID: 0]", "SUCCESS: Normal response",
                      "3 holding registers were processed.", "Modbus Connection has been closed."}))
        << run.Out;
    EXPECT_EQ(PrintedValues(run.Out), (std::vector<std::string>{"0", "4660", "65535"}));
}

TEST_F(CliExeAgainstLibmodbus, WritesReachTheInstrumentsTables) {
    const ProgramRun run = Cli({"write-multiple-registers", "1010", "7", "65535", "300"});
    EXPECT_EQ(run.Status, 0) << run.Out << run.Err;
    EXPECT_EQ(Server->WithMapping([](modbus_mapping_t& m) {
        return std::vector<int>{m.tab_registers[10], m.tab_registers[11], m.tab_registers[12]};
    }),
              (std::vector<int>{7, 65535, 300}));
    const ProgramRun coils = Cli({"write-multiple-coils", "3", "1011"});
    EXPECT_EQ(coils.Status, 0) << coils.Out << coils.Err;
    EXPECT_EQ(Server->WithMapping([](modbus_mapping_t& m) {
        return std::vector<int>{m.tab_bits[3], m.tab_bits[4], m.tab_bits[5], m.tab_bits[6]};
    }),
              (std::vector<int>{1, 0, 1, 1}));
}

TEST_F(CliExeAgainstLibmodbus, AnExceptionReplyIsReportedAndExitsWith1) {
    const ProgramRun run = Cli({"read-input-registers", "10", "1"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_TRUE(InOrder(LogTexts(run.Out), {"FAILURE: Modbus exception response",
                                            "Server exception: Illegal data address"}))
        << run.Out;
}

TEST_F(CliExeAgainstLibmodbus, AnotherAddressIsNotAnsweredAndEveryAttemptTimesOut) {
    const ProgramRun run =
        Cli({"read-holding-registers", "1000", "1", "--address", "7", "--retries", "2"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_TRUE(Contains(LogTexts(run.Out), "FAILURE: Response timeout expired")) << run.Out;
    EXPECT_EQ(Server->RequestsServed(), 0);
}

TEST_F(CliExeAgainstLibmodbus, APortThatDoesNotExistIsReportedWithTheSystemsReason) {
    const ProgramRun run =
        RunWindows("sondrel-cli.exe", {"read-coils", "0", "1", "--port", "COM42"}, 30s);
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err.rfind("Could not open serial port (", 0), 0u) << run.Err;
}

TEST_F(DownloadsAcrossWine, CliExeDownloadsFromTheLinuxSimulatorAndExportsEveryKind) {
    const SimulatedLog log(Instrument(10));
    const auto simulator = StartLinuxSimulator(log);

    std::vector<std::string> args = {"download",
                                     "--recent",
                                     "20",
                                     "--port",
                                     "COM1",
                                     "--csv",
                                     WindowsFile("log.csv"),
                                     "--xlsx",
                                     WindowsFile("log.xlsx"),
                                     "--html",
                                     WindowsFile("log.html")};
    const auto fast = FastLine();
    args.insert(args.end(), fast.begin(), fast.end());
    const ProgramRun run = RunWindows("sondrel-cli.exe", args, kRunTimeout);
    EXPECT_EQ(run.Status, 0) << run.Out << run.Err;
    EXPECT_TRUE(InOrder(LogTexts(run.Out), {"Current Record: 10", "First Record: 61991",
                                            "List Count: 20", "Download Complete!"}))
        << run.Out;
    EXPECT_EQ(DataRows(run), Expected(log, 61991, 20));

    // The files written by the Windows program, read here.
    std::ifstream csv(LinuxFile("log.csv"), std::ios::binary);
    const std::string csvText((std::istreambuf_iterator<char>(csv)), {});
    EXPECT_NE(csvText.find("\r\n"), std::string::npos) << "CSV lines end in CR LF";
    EXPECT_GT(std::filesystem::file_size(LinuxFile("log.html")), 1000u);
    const std::string reader = std::string(SONDREL_TEST_PYTHON) + " '" + SONDREL_TEST_XLSX_READER +
                               "' '" + LinuxFile("log.xlsx") + "'";
    FILE* pipe = popen(reader.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string sheet;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        sheet.append(buffer, n);
    }
    EXPECT_EQ(pclose(pipe), 0) << sheet;
    int rows = 0;
    for (const std::string& line : Lines(sheet)) {
        rows += line.rfind("row ", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(rows, 21) << "the caption row and the twenty records";
}

TEST_F(DownloadsAcrossWine, SimExeAnswersTheLinuxCliAndItsLogIsTheModelsLog) {
    const SimulatedLog log(Instrument(200));
    std::vector<std::string> args = {"--port", "COM2", "--baud", "115200"};
    const auto simArgs = log.SimulatorArguments();
    args.insert(args.end(), simArgs.begin(), simArgs.end());
    const auto simulator = StartWindows("sondrel-sim.exe", args);
    ASSERT_TRUE(simulator->WaitForLine("COM2", 30s)) << simulator->Errors();

    std::vector<std::string> cli = {
        E2eTests::kCliProgram, "download", "--recent", "10", "--port", LinuxEnd()};
    const auto fast = FastLine();
    cli.insert(cli.end(), fast.begin(), fast.end());
    const ProgramRun run = ProgramRun::Run(cli, kRunTimeout);
    EXPECT_EQ(run.Status, 0) << run.Out << run.Err;
    EXPECT_TRUE(InOrder(LogTexts(run.Out),
                        {"Current Record: 200", "First Record: 190", "Download Complete!"}))
        << run.Out;
    EXPECT_EQ(DataRows(run), Expected(log, 190, 10));

    // The console commands too.
    const ProgramRun read = ProgramRun::Run(
        {E2eTests::kCliProgram, "read-holding-registers", "0", "2", "--port", LinuxEnd()}, 30s);
    EXPECT_EQ(read.Status, 0) << read.Out << read.Err;
    EXPECT_TRUE(simulator->Running()) << "the simulator serves on after its clients left";
}

TEST_F(DownloadsAcrossWine, APulledCableEndsTheDownloadWithItsFailureLinesInSeconds) {
    const SimulatedLog log(Instrument(10));
    const auto simulator = StartLinuxSimulator(log);

    std::vector<std::string> args = {"download", "--recent", "100", "--port", "COM1"};
    const auto fast = FastLine();
    args.insert(args.end(), fast.begin(), fast.end());
    const auto cli = StartWindows("sondrel-cli.exe", args);
    ASSERT_TRUE(cli->WaitForLine("Updating List... Please Wait...", 60s)) << cli->Output();
    std::this_thread::sleep_for(1500ms);
    const auto pulled = std::chrono::steady_clock::now();
    PullCable();
    const ProgramRun run = ProgramRun::Finish(*cli, 240s);
    const auto endedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - pulled)
                             .count();
    ASSERT_NE(run.Status, -1) << "still running four minutes after the line went away";
    EXPECT_EQ(run.Status, 1) << run.Err;
    const std::vector<std::string> texts = LogTexts(run.Out);
    EXPECT_FALSE(Contains(texts, "Download Complete!"));
    EXPECT_TRUE(TableRows(run.Out).empty()) << "a failed download printed a table";
    if (!Contains(texts, "** RETRIEVE LOG DATA FAILED ** The serial line is gone.")) {
        GTEST_SKIP() << "Wine's serial driver reports no error on a hung-up pseudo-terminal, so "
                        "the line is not seen as gone: the download ran on through its passes "
                        "and ended after "
                     << endedMs << " ms";
    }
    EXPECT_LT(endedMs, 30000);
    std::printf("[ measured ] download under Wine ended %lld ms after the cable was pulled\n",
                static_cast<long long>(endedMs));
}

using FirmwareUnderWine = WineFixture;

TEST_F(FirmwareUnderWine, ProgramBatCallsTheIspToolFromTheProgramFolderAndIsDeletedAfterwards) {
    // The ISP tool's stand-in: FM.bat in the program folder records its command line.
    std::ofstream(LinuxFile("FM.bat"), std::ios::binary)
        << "@echo %*> \"" << WindowsFile("fm-args.txt") << "\"\r\n";
    std::ofstream(LinuxFile("fw.hex")) << ":00000001FF\n";
    const ProgramRun run =
        RunWindows("sondrel-cli.exe",
                   {"firmware", "--port", "COM1", "--hex", WindowsFile("fw.hex"), "--firmware-baud",
                    "38400", "--program-folder", WindowsFile("")},
                   60s);
    EXPECT_EQ(run.Status, 0) << run.Out << run.Err;
    EXPECT_NE(run.Out.find("Finished.  Restart the device to complete the upgrade."),
              std::string::npos)
        << run.Out;
    std::ifstream recorded(LinuxFile("fm-args.txt"));
    std::string arguments;
    std::getline(recorded, arguments);
    while (!arguments.empty() && (arguments.back() == '\r' || arguments.back() == ' ')) {
        arguments.pop_back();
    }
    std::string hex = WindowsFile("fw.hex");
    for (char& c : hex) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(arguments, "COM(1, 38400) DEVICE(LPC2148, 12.000000) HARDWARE(BOOTEXEC, 50, 100) "
                         "ERASEUSED(" +
                             hex + ", PROTECTISP) HEXFILE(" + hex +
                             ", NOCHECKSUMS, NOFILL, PROTECTISP)");
    EXPECT_FALSE(std::filesystem::exists(LinuxFile("Program.bat")));
}

TEST_F(FirmwareUnderWine, APortThatDoesNotExistGetsTheUnavailableTextAndNoBatchFile) {
    std::ofstream(LinuxFile("fw.hex")) << ":00000001FF\n";
    const ProgramRun run = RunWindows("sondrel-cli.exe",
                                      {"firmware", "--port", "COM42", "--hex",
                                       WindowsFile("fw.hex"), "--program-folder", WindowsFile("")},
                                      60s);
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("Serial Port (COM42) is currently unavailable."), std::string::npos)
        << run.Err;
    EXPECT_FALSE(std::filesystem::exists(LinuxFile("Program.bat")));
}

using NoPseudoTerminals = WineFixture;

TEST_F(NoPseudoTerminals, TheSimulatorAndTheDemoModeRefuseThemWithTheReason) {
    const ProgramRun sim = RunWindows("sondrel-sim.exe", {"--pty"}, 30s);
    EXPECT_EQ(sim.Status, 1);
    EXPECT_NE(sim.Err.find("Windows has no pseudo-terminals; serve on a port with --port COMn"),
              std::string::npos)
        << sim.Err;
    const ProgramRun demo =
        RunWindows("sondrel-cli.exe", {"--demo", "download", "--recent", "5"}, 30s);
    EXPECT_EQ(demo.Status, 1);
    EXPECT_NE(demo.Err.find("the demo mode needs a pseudo-terminal, which Windows does not have"),
              std::string::npos)
        << demo.Err;
}
