// "sondrel-cli collect" as a site runs it: three simulated instruments with growing logs, two
// sharing one pseudo-terminal line at addresses 1 and 2 and one on a second line, collected
// round after round into SQLite and into PostgreSQL (a server of the test's own). Every record
// of each instrument is archived once and equals the simulator's own model of its log; an
// instrument that stops answering in the middle of a round is reported while the others are
// collected, and is complete after it comes back; two collectors writing the same instruments
// into one database at once store every record once; the password stands in no process's
// command line and in no output; the JSON lines are read by Python's json module.
#include "ProgramRun.h"
#include "TempFolder.h"

#include "ArchiveError.h"
#include "OpenArchive.h"
#include "PostgresServer.h"

#include "InstrumentLog.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

using namespace E2eTests;
using namespace Sondrel;

namespace {

using namespace std::chrono_literals;

// The simulators' logs: record `current` stamped at this minute, `filled` records before it.
constexpr const char* kTime = "2024-03-07 09:05";
constexpr int kFilled = 200;
constexpr int kCurrent = 199;
constexpr const char* kFirstRecords = "30";

// "09:05" and `minutes` later, the same day.
std::string TimeAfter(int minutes) {
    const int total = 9 * 60 + 5 + minutes;
    char text[32];
    std::snprintf(text, sizeof text, "2024-03-07 %02d:%02d", total / 60 % 24, total % 60);
    return text;
}

// sondrel-sim on a new pseudo-terminal, its log growing a record every sampleMs; `later`
// records on from the log of kCurrent at kTime (an instrument that kept sampling while it was
// off the line).
struct Simulator {
    Simulator(std::uint64_t seed, const std::string& addresses, int sampleMs, int later = 0)
        : Seed(seed),
          Process({SONDREL_SIM_PROGRAM, "--pty", "--seed", std::to_string(seed), "--addresses",
                   addresses, "--current", std::to_string(kCurrent + later), "--filled",
                   std::to_string(kFilled + later), "--time", TimeAfter(later), "--sample-ms",
                   std::to_string(sampleMs), "--baud", "115200", "--timing", "standard"},
                  TestSupport::ChildProcess::ErrorOutput::Capture) {
        if (!Process.WaitForLine("/dev/", 10s)) {
            throw std::runtime_error("sondrel-sim printed no device path");
        }
        Port = Process.Output().substr(0, Process.Output().find('\n'));
    }
    std::uint64_t Seed;
    std::chrono::steady_clock::time_point Started = std::chrono::steady_clock::now();
    TestSupport::ChildProcess Process;
    std::string Port;
};

// The simulator's log of the instrument with that seed, grown to the record given.
std::map<int, std::vector<std::uint16_t>> ModelUpTo(std::uint64_t seed, int newest) {
    SondrelSim::TInstrumentLog log(seed, kCurrent, kFilled, *SondrelSim::TRecordTime::Parse(kTime));
    while (log.CurrentRecord() != newest && log.CurrentRecord() < SondrelSim::kLastRecordNumber) {
        log.AppendSample();
    }
    std::map<int, std::vector<std::uint16_t>> blocks;
    for (int r = 0; r <= newest; ++r) {
        if (log.IsFilled(r)) {
            const auto block = log.Block(r);
            blocks[r] = std::vector<std::uint16_t>(block.begin(), block.end());
        }
    }
    return blocks;
}

// What an archive holds of one instrument, by record number; a record stored twice fails.
std::map<int, std::vector<std::uint16_t>> Archived(IArchiveStore& archive,
                                                   const std::string& name) {
    std::map<int, std::vector<std::uint16_t>> records;
    for (const TInstrumentSummary& instrument : archive.Instruments()) {
        if (instrument.Name != name) {
            continue;
        }
        TRecordQuery query;
        query.InstrumentId = instrument.Id;
        for (const TStoredRecord& r : archive.ReadRecords(query, 0, 1000000)) {
            EXPECT_TRUE(records.emplace(r.RecordNumber, r.Registers).second)
                << name << ": record " << r.RecordNumber << " stored twice";
        }
    }
    return records;
}

// Every record of the instrument from the first one collected to the newest is archived, once,
// as the simulator's log holds it.
void ExpectComplete(IArchiveStore& archive, const std::string& name, std::uint64_t seed,
                    int atLeastUpTo) {
    const auto records = Archived(archive, name);
    ASSERT_FALSE(records.empty()) << name;
    const int first = records.begin()->first;
    const int newest = records.rbegin()->first;
    EXPECT_GE(newest, atLeastUpTo) << name;
    EXPECT_EQ(static_cast<int>(records.size()), newest - first + 1)
        << name << ": records missing between " << first << " and " << newest;
    const auto model = ModelUpTo(seed, newest);
    for (const auto& [number, registers] : records) {
        const auto expected = model.find(number);
        ASSERT_NE(expected, model.end()) << name << ": record " << number;
        EXPECT_EQ(registers, expected->second) << name << ": record " << number;
    }
}

// Python's json module reads the lines: "name outcome records_added" for each.
std::vector<std::string> JsonReports(const std::string& output, const std::string& folder) {
    const std::string file = folder + "/output.jsonl";
    std::ofstream(file) << output;
    const ProgramRun python = ProgramRun::Run(
        {"python3", "-c",
         "import json,sys\n"
         "for line in open(sys.argv[1]):\n"
         "    r = json.loads(line)\n"
         "    assert set(r) == {'round','name','line','address','outcome','records_added',"
         "'duration_s','reason'}, r\n"
         "    print(r['name'], r['outcome'], r['records_added'], r['address'])\n",
         file},
        30s);
    EXPECT_EQ(python.Status, 0) << python.Err;
    return Lines(python.Out);
}

// The command line of a process, its arguments joined by spaces.
std::string CommandLineOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (char& c : text) {
        c = c == '\0' ? ' ' : c;
    }
    return text;
}

// The processes whose parent is pid.
std::vector<pid_t> ChildrenOf(pid_t pid) {
    std::vector<pid_t> children;
    std::ifstream in("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    for (pid_t child = 0; in >> child;) {
        children.push_back(child);
    }
    return children;
}

class Collect : public ::testing::Test {
protected:
    std::vector<std::string> CollectArgs(const std::string& archive, bool json = true) const {
        return CollectArgs(archive, json, Shared.Port, Alone->Port);
    }
    static std::vector<std::string> CollectArgs(const std::string& archive, bool json,
                                                const std::string& sharedPort,
                                                const std::string& alonePort) {
        std::vector<std::string> args = {kCliProgram, "collect",         "--once",     "--archive",
                                         archive,     "--baud",          "115200",     "--timing",
                                         "standard",  "--first-records", kFirstRecords};
        if (json) {
            args.push_back("--json");
        }
        for (const std::string& instrument :
             {"north=" + sharedPort + "@1", "south=" + sharedPort + "@2",
              "east=" + alonePort + "@1"}) {
            args.insert(args.end(), {"--instrument", instrument});
        }
        return args;
    }

    // Collects until each instrument has one more round's worth; the reports of each run.
    void Rounds(const std::string& archive, int rounds) {
        for (int round = 0; round < rounds; ++round) {
            const ProgramRun run = ProgramRun::Run(CollectArgs(archive), 90s);
            ASSERT_EQ(run.Status, 0) << run.Out << run.Err;
            const auto reports = JsonReports(run.Out, Folder / "");
            ASSERT_EQ(reports.size(), 3U) << run.Out;
            for (const std::string& report : reports) {
                EXPECT_NE(report.find(" collected "), std::string::npos) << report;
                Added[report.substr(0, report.find(' '))] +=
                    std::stoi(report.substr(report.find(" collected ") + 11));
            }
            std::this_thread::sleep_for(1500ms); // the logs grow meanwhile
        }
    }

    TempFolder Folder;
    Simulator Shared{21, "1,2", 400}; // north (seed 21) and south (22)
    std::unique_ptr<Simulator> Alone = std::make_unique<Simulator>(31, "1", 400); // east
    std::map<std::string, int> Added;
};

} // namespace

TEST_F(Collect, RoundsIntoSqliteArchiveEveryRecordOfEachInstrumentOnceAndReportTheirAdditions) {
    const std::string path = Folder / "site.sqlite";
    Rounds("sqlite:" + path, 3);
    auto archive = OpenArchive(*ParseArchiveLocation(path));
    ExpectComplete(*archive, "north", 21, kCurrent);
    ExpectComplete(*archive, "south", 22, kCurrent);
    ExpectComplete(*archive, "east", 31, kCurrent);
    // What the reports said was added is what the archive holds.
    for (const auto& [name, added] : Added) {
        EXPECT_EQ(static_cast<int>(Archived(*archive, name).size()), added) << name;
    }
    EXPECT_TRUE(archive->Check().Sound());
}

TEST_F(Collect, InstrumentKilledMidRoundIsReportedAndCompleteWhenItComesBack) {
    const std::string path = Folder / "site.sqlite";
    TestSupport::ChildProcess collector(CollectArgs("sqlite:" + path, false),
                                        TestSupport::ChildProcess::ErrorOutput::Capture);
    // east is killed while the round reads its records.
    std::this_thread::sleep_for(1500ms);
    Alone->Process.Signal(SIGKILL);
    const ProgramRun first = ProgramRun::Finish(collector, 90s);
    EXPECT_EQ(first.Status, 1) << first.Out << first.Err;
    const auto lines = Lines(first.Out);
    ASSERT_EQ(lines.size(), 3U) << first.Out;
    int failed = 0;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find('\033'), std::string::npos) << "colour on a pipe: " << line;
        if (line.find(" east failed ") != std::string::npos) {
            ++failed;
        } else {
            EXPECT_NE(line.find(" collected "), std::string::npos) << line;
        }
    }
    EXPECT_EQ(failed, 1) << first.Out;

    // It comes back (on a new pseudo-terminal) with the records it sampled meanwhile.
    const auto off = std::chrono::steady_clock::now() - Alone->Started;
    Alone = std::make_unique<Simulator>(
        31, "1", 400,
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(off).count() / 400));
    Rounds("sqlite:" + path, 1);
    auto archive = OpenArchive(*ParseArchiveLocation(path));
    ExpectComplete(*archive, "east", 31, kCurrent);
    ExpectComplete(*archive, "north", 21, kCurrent);
}

TEST_F(Collect, SigtermStopsTheRunningDownloadsKeepsWhatTheyReadAndStartsNoOther) {
    const std::string path = Folder / "site.sqlite";
    std::vector<std::string> args = CollectArgs("sqlite:" + path, false);
    // Long first downloads, so that the signal comes while they run.
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "--first-records") {
            args[i + 1] = "190";
        }
    }
    TestSupport::ChildProcess collector(args, TestSupport::ChildProcess::ErrorOutput::Capture);
    // The signal comes once north's download has stored records.
    TArchiveOpenOptions readOnly;
    readOnly.ReadOnly = true;
    for (int look = 0; look < 300; ++look) {
        try {
            if (!Archived(*OpenArchive(*ParseArchiveLocation(path), readOnly), "north").empty()) {
                break;
            }
        } catch (const EArchiveError&) {
            // not made yet
        }
        std::this_thread::sleep_for(100ms);
    }
    collector.Signal(SIGTERM);
    const ProgramRun run = ProgramRun::Finish(collector, 60s);
    EXPECT_EQ(run.Status, 1) << "--once with instruments not collected";
    const auto lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), 3U) << run.Out << run.Err;
    // north and east were running: what each says it added is what the archive keeps; south,
    // behind north on its line, never started.
    auto archive = OpenArchive(*ParseArchiveLocation(path));
    for (const std::string& line : lines) {
        const auto at = line.find(" stopped ");
        ASSERT_NE(at, std::string::npos) << line;
        const std::string name = line.substr(8, line.find(' ', 8) - 8); // "round 1 NAME ..."
        EXPECT_EQ(std::stoi(line.substr(at + 9)), static_cast<int>(Archived(*archive, name).size()))
            << line;
    }
    EXPECT_FALSE(Archived(*archive, "north").empty());
    EXPECT_TRUE(Archived(*archive, "south").empty());
    EXPECT_TRUE(archive->Check().Sound());
    // The next run completes them.
    Rounds("sqlite:" + path, 1);
    ExpectComplete(*archive, "north", 21, kCurrent);
    ExpectComplete(*archive, "south", 22, kCurrent);
}

class CollectPostgres : public Collect {
protected:
    void SetUp() override {
        if (!Server.Available()) {
            GTEST_SKIP() << Server.SkipReason();
        }
        Database = Server.CreateDatabase("site");
    }
    TestSupport::TPostgresServer& Server = TestSupport::TPostgresServer::Shared();
    std::string Database;
};

TEST_F(CollectPostgres, RoundsIntoPostgresqlKeepThePasswordOutOfEveryCommandLineAndOutput) {
    const std::string url = Server.Url(Database);
    // A config file names the archive, with the password.
    const std::string config = Folder / "site.toml";
    std::ofstream(config) << "archive = \"" << url << "\"\n"
                          << "[[line]]\nport = \"" << Shared.Port
                          << "\"\nbaud = 115200\ntiming = \"standard\"\n"
                          << "[[line.instrument]]\nname = \"north\"\naddress = 1\n"
                          << "first-records = 30\n"
                          << "[[line.instrument]]\nname = \"south\"\naddress = 2\n"
                          << "first-records = 30\n"
                          << "[[line]]\nport = \"" << Alone->Port
                          << "\"\nbaud = 115200\ntiming = \"standard\"\n"
                          << "[[line.instrument]]\nname = \"east\"\naddress = 1\n"
                          << "first-records = 30\n";
    for (int round = 0; round < 2; ++round) {
        // Once with the file, once with the URL on the command line.
        TestSupport::ChildProcess collector(
            round == 0 ? std::vector<std::string>{kCliProgram, "collect", "--once", "--json",
                                                  "--config", config}
                       : CollectArgs(url, true),
            TestSupport::ChildProcess::ErrorOutput::Capture);
        // While it runs (its line processes started): neither the collector nor a line's
        // process shows the password.
        std::set<pid_t> seen;
        for (int look = 0; look < 30 && collector.Running(); ++look) {
            std::vector<pid_t> pids = ChildrenOf(collector.Pid());
            if (pids.empty()) {
                std::this_thread::sleep_for(50ms);
                continue;
            }
            pids.push_back(collector.Pid());
            for (const pid_t pid : pids) {
                const std::string line = CommandLineOf(pid);
                if (!line.empty()) {
                    seen.insert(pid);
                }
                EXPECT_EQ(line.find(Server.Password()), std::string::npos) << line;
            }
            std::this_thread::sleep_for(100ms);
        }
        EXPECT_GE(seen.size(), 3U) << "the collector and its two line processes";
        const ProgramRun run = ProgramRun::Finish(collector, 90s);
        ASSERT_EQ(run.Status, 0) << run.Out << run.Err;
        EXPECT_EQ(run.Out.find(Server.Password()), std::string::npos);
        EXPECT_EQ(run.Err.find(Server.Password()), std::string::npos);
        EXPECT_EQ(JsonReports(run.Out, Folder / "").size(), 3U);
        std::this_thread::sleep_for(1000ms);
    }
    // A server that refuses the login: every instrument reported failed, no password shown.
    const std::string wrong =
        "postgresql://archive:WrongPassword7@/" + Database + "?host=" + Server.SocketFolder();
    const ProgramRun refused = ProgramRun::Run(CollectArgs(wrong), 90s);
    EXPECT_EQ(refused.Status, 1);
    EXPECT_EQ(refused.Out.find("WrongPassword7"), std::string::npos) << refused.Out;
    EXPECT_EQ(refused.Err.find("WrongPassword7"), std::string::npos) << refused.Err;
    EXPECT_NE(refused.Out.find("password authentication failed"), std::string::npos) << refused.Out;

    auto archive = OpenArchive(*ParseArchiveLocation(url));
    ExpectComplete(*archive, "north", 21, kCurrent);
    ExpectComplete(*archive, "south", 22, kCurrent);
    ExpectComplete(*archive, "east", 31, kCurrent);
}

TEST_F(CollectPostgres, TwoCollectorsOfTheSameInstrumentsAtOnceStoreEveryRecordOnce) {
    // A twin of each simulator: the same logs and identities, on lines of their own, so that
    // two collectors read the same instruments' records at the same time.
    Simulator sharedTwin{21, "1,2", 400};
    Simulator aloneTwin{31, "1", 400};
    const std::string url = Server.Url(Database);
    auto argsFor = [&](const Simulator& shared, const Simulator& alone) {
        return std::vector<std::string>{kCliProgram,       "collect",
                                        "--once",          "--json",
                                        "--archive",       url,
                                        "--baud",          "115200",
                                        "--timing",        "standard",
                                        "--first-records", kFirstRecords,
                                        "--instrument",    "north=" + shared.Port + "@1",
                                        "--instrument",    "south=" + shared.Port + "@2",
                                        "--instrument",    "east=" + alone.Port + "@1"};
    };
    std::map<std::string, int> added;
    for (int round = 0; round < 2; ++round) {
        TestSupport::ChildProcess one(argsFor(Shared, *Alone),
                                      TestSupport::ChildProcess::ErrorOutput::Capture);
        TestSupport::ChildProcess two(argsFor(sharedTwin, aloneTwin),
                                      TestSupport::ChildProcess::ErrorOutput::Capture);
        for (TestSupport::ChildProcess* collector : {&one, &two}) {
            const ProgramRun run = ProgramRun::Finish(*collector, 90s);
            ASSERT_EQ(run.Status, 0) << run.Out << run.Err;
            for (const std::string& report : JsonReports(run.Out, Folder / "")) {
                std::istringstream fields(report);
                std::string name, outcome;
                int count = 0;
                fields >> name >> outcome >> count;
                added[name] += count;
            }
        }
        std::this_thread::sleep_for(1000ms);
    }
    auto archive = OpenArchive(*ParseArchiveLocation(url));
    EXPECT_EQ(archive->Instruments().size(), 3U) << "each twin is the same instrument";
    for (const auto& [name, seed] : std::vector<std::pair<std::string, std::uint64_t>>{
             {"north", 21}, {"south", 22}, {"east", 31}}) {
        ExpectComplete(*archive, name, seed, kCurrent);
        // Between them the two collectors added each record once.
        EXPECT_EQ(static_cast<int>(Archived(*archive, name).size()), added[name]) << name;
    }
    EXPECT_TRUE(archive->Check().Sound());
}
