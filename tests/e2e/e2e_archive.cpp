// The archive as an operator uses it: "download --new" from sondrel-sim again and again while
// its log grows, a download killed with SIGKILL (and one whose simulator went away) resumed by
// the next run, a reader of the archive while sondrel-cli writes it, and the archive commands.
// Each archive is compared with the simulator's own model of its log.
#include "DownloadFixture.h"
#include "TempFolder.h"

#include "ArchiveTypes.h"
#include "SqliteArchive.h"

#include <algorithm>
#include <csignal>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

using namespace E2eTests;
using namespace Sondrel;

namespace {

constexpr int kSpace = SondrelSim::kRecordCount;

// sondrel-sim on a new pseudo-terminal with the log of `settings`, its errors captured (with
// --verbose: one time-stamped line per request).
struct GrowingSimulator {
    GrowingSimulator(const SondrelSim::TInstrumentSettings& settings,
                     const std::vector<std::string>& extra)
        : Log(settings) {
        std::vector<std::string> argv = {SONDREL_SIM_PROGRAM, "--pty"};
        for (const std::string& arg : Log.SimulatorArguments()) {
            argv.push_back(arg);
        }
        // The model's own arguments keep the log still; a growing one replaces that.
        for (std::size_t i = 0; i + 1 < argv.size(); ++i) {
            if (argv[i] == "--sample-period" && !extra.empty() && extra[0] == "--sample-ms") {
                argv.erase(argv.begin() + static_cast<std::ptrdiff_t>(i),
                           argv.begin() + static_cast<std::ptrdiff_t>(i) + 2);
                break;
            }
        }
        argv.insert(argv.end(), extra.begin(), extra.end());
        Process = std::make_unique<TestSupport::ChildProcess>(
            argv, TestSupport::ChildProcess::ErrorOutput::Capture);
        if (!Process->WaitForLine("/dev/", std::chrono::seconds(10))) {
            throw std::runtime_error("sondrel-sim printed no device path");
        }
        At.Port = Process->Output().substr(0, Process->Output().find('\n'));
    }

    SimulatedLog Log;
    std::unique_ptr<TestSupport::ChildProcess> Process;
    SimulatedInstrument At{Log.Settings(), std::string()};
};

class ArchiveDownload : public DownloadTest {
protected:
    std::vector<std::string> WithArchive(std::vector<std::string> args) const {
        args.insert(args.end(), {"--archive", ArchivePath});
        return args;
    }

    // Record number -> registers, of everything archived.
    std::map<int, std::vector<std::uint16_t>> Archived() const {
        TSqliteArchiveOptions readOnly;
        readOnly.ReadOnly = true;
        TSqliteArchive archive(ArchivePath, ArchivePath, readOnly);
        std::map<int, std::vector<std::uint16_t>> records;
        for (const TStoredRecord& r : archive.ReadRecords({}, 0, 1000000)) {
            EXPECT_TRUE(records.emplace(r.RecordNumber, r.Registers).second)
                << "record " << r.RecordNumber << " stored twice";
        }
        return records;
    }

    // The model's blocks of the filled records of a log.
    static std::map<int, std::vector<std::uint16_t>> Model(const SondrelSim::TInstrumentLog& log) {
        std::map<int, std::vector<std::uint16_t>> records;
        for (int r = 0; r < kSpace; ++r) {
            if (log.IsFilled(r)) {
                const auto block = log.Block(r);
                records[r] = std::vector<std::uint16_t>(block.begin(), block.end());
            }
        }
        return records;
    }
    static std::map<int, std::vector<std::uint16_t>> Model(const SondrelSim::TInstrumentLog& log,
                                                           const std::vector<int>& only) {
        std::map<int, std::vector<std::uint16_t>> records;
        for (int r : only) {
            const auto block = log.Block(r);
            records[r] = std::vector<std::uint16_t>(block.begin(), block.end());
        }
        return records;
    }

    static int CurrentRecordOf(const ProgramRun& run) {
        for (const std::string& text : LogTexts(run.Out)) {
            if (text.rfind("Current Record: ", 0) == 0) {
                return std::stoi(text.substr(16));
            }
        }
        return -1;
    }

    TempFolder Folder;
    std::string ArchivePath = Folder / "archive.sqlite";
};

// Milliseconds since local midnight, as the simulator's log stamps its lines.
std::int64_t LocalMsOfDay() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    return ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 + ms;
}

// The records whose block the simulator answered, with the time of the answer (ms of the day),
// from its --verbose lines: "write 254 := N -> ..." then "read 256 x104 -> normal reply".
std::vector<std::pair<int, std::int64_t>> ServedBlocks(const std::string& errors) {
    std::vector<std::pair<int, std::int64_t>> served;
    int pointer = -1;
    for (const std::string& line : Lines(errors)) {
        if (line.size() < 14 || line[0] != '[') {
            continue;
        }
        if (const auto at = line.find("write 254 := "); at != std::string::npos) {
            pointer = std::stoi(line.substr(at + 13));
        } else if (line.find("read 256 x104 -> normal reply") != std::string::npos &&
                   pointer >= 0) {
            const std::int64_t ms =
                ((std::stoll(line.substr(1, 2)) * 60 + std::stoll(line.substr(4, 2))) * 60 +
                 std::stoll(line.substr(7, 2))) *
                    1000 +
                std::stoll(line.substr(10, 3));
            served.emplace_back(pointer, ms);
        }
    }
    return served;
}

} // namespace

TEST_F(ArchiveDownload, GrowingLogDownloadedWithNewRecordsEndsWithEveryRecordOnce) {
    // 20 records to begin with; a new one every 200 ms while the instrument acquires (it does
    // not during a download).
    GrowingSimulator sim(Instrument(100, 20), {"--sample-ms", "200"});
    // The first run reads the 40 most recent: every record with data, and some empty ones.
    int current = -1;
    for (int run = 0; run < 3; ++run) {
        const ProgramRun download =
            Cli(sim.At, WithArchive({"download", "--new", "--recent", "40"}));
        ASSERT_EQ(download.Status, 0) << download.Out << download.Err;
        const std::vector<std::string> log = LogTexts(download.Out);
        if (run == 0) {
            EXPECT_TRUE(Contains(log, "The archive holds no earlier download of new records of "
                                      "this instrument. Downloading the most recent 40 records."));
        } else {
            EXPECT_GT(CurrentRecordOf(download), current) << "the log did not grow";
        }
        EXPECT_TRUE(Contains(log, "Instrument: server id 2a Sondrel simulated particle counter, "
                                  "seed 7"));
        current = CurrentRecordOf(download);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    }
    // The log as the simulator holds it at the last download's current record.
    const int samples = (current - 100 + kSpace) % kSpace;
    const SondrelSim::TInstrumentLog log(7, current, 20 + samples,
                                         sim.Log.Settings().CurrentTime + samples);
    EXPECT_EQ(Archived(), Model(log));

    const ProgramRun list =
        ProgramRun::Run({kCliProgram, "archive", "list", "--archive", ArchivePath}, kCliTimeout);
    EXPECT_EQ(list.Status, 0) << list.Err;
    EXPECT_NE(list.Out.find("\t" + std::to_string(20 + samples) + "\t2024-03-07 08:46\t"),
              std::string::npos)
        << list.Out;
    const ProgramRun check =
        ProgramRun::Run({kCliProgram, "archive", "check", "--archive", ArchivePath}, kCliTimeout);
    EXPECT_EQ(check.Status, 0) << check.Out << check.Err;
    EXPECT_NE(check.Out.find("Integrity: ok\n"), std::string::npos) << check.Out;
    EXPECT_NE(check.Out.find("Records: " + std::to_string(20 + samples) + "\n"), std::string::npos);
}

TEST_F(ArchiveDownload, KilledDownloadLosesAtMostTheLastSecondAndTheNextRunResumesIt) {
    GrowingSimulator sim(Instrument(5000), {"--verbose"});
    auto cli = StartCli(sim.At, WithArchive({"download", "--new", "--recent", "150"}));

    // A reader of the archive (the window, say) while the download writes it.
    std::int64_t lastCount = 0;
    std::int32_t reads = 0;
    for (int waited = 0; waited < 60000; waited += 100) {
        sim.Process->ReadFor(std::chrono::milliseconds(100));
        if (ServedBlocks(sim.Process->Errors()).size() >= 60) {
            break;
        }
        if (!std::filesystem::exists(ArchivePath)) {
            continue;
        }
        TSqliteArchiveOptions reader;
        reader.ReadOnly = true;
        reader.BusyTimeoutMs = 0;
        try {
            TSqliteArchive archive(ArchivePath, ArchivePath, reader);
            const std::int64_t count = archive.CountRecords({});
            EXPECT_GE(count, lastCount);
            lastCount = count;
            ++reads;
        } catch (const EArchiveError& e) {
            // Only before the writer made the schema may the file be no archive yet.
            EXPECT_EQ(lastCount, 0) << e.what();
        }
    }
    EXPECT_GT(reads, 5);
    cli->Signal(SIGKILL);
    const std::int64_t killedAt = LocalMsOfDay();
    EXPECT_EQ(Finish(cli).Status, 128 + SIGKILL);
    sim.Process->ReadFor(std::chrono::milliseconds(300));

    // Every record answered more than a second before the kill is in the archive (but the
    // first block: the current record read for its date and time, which the list reads again
    // in its turn).
    const auto archived = Archived();
    const auto served = ServedBlocks(sim.Process->Errors());
    int older = 0;
    for (std::size_t i = 1; i < served.size(); ++i) {
        const auto& [record, servedAt] = served[i];
        if (servedAt < killedAt - 1000) {
            ++older;
            EXPECT_EQ(archived.count(record), 1U) << "record " << record << " answered "
                                                  << killedAt - servedAt << " ms before the kill";
        }
    }
    EXPECT_GT(older, 40);
    {
        TSqliteArchive reopened(ArchivePath, ArchivePath);
        EXPECT_TRUE(reopened.Check().Sound());
    }

    // The next run fetches what is missing, and the archive is the window, once each.
    const ProgramRun resumed = Cli(sim.At, WithArchive({"download", "--new", "--recent", "150"}));
    ASSERT_EQ(resumed.Status, 0) << resumed.Out << resumed.Err;
    const std::vector<std::string> log = LogTexts(resumed.Out);
    EXPECT_TRUE(Contains(log, "The last download of new records did not complete: fetching what "
                              "it missed."));
    for (const std::string& text : log) {
        if (text.rfind("List Count: ", 0) == 0) {
            EXPECT_EQ(std::stoul(text.substr(12)), 150 - archived.size()) << "read again";
        }
    }
    EXPECT_EQ(Archived(), Model(sim.Log.Log(), Records(4851, 150)));
}

TEST_F(ArchiveDownload, DownloadCutByALostLineResumesOnTheSameInstrumentAgain) {
    auto settings = Instrument(300);
    std::size_t kept = 0;
    {
        GrowingSimulator sim(settings, {"--verbose"});
        auto cli = StartCli(sim.At, WithArchive({"download", "--new", "--recent", "80"}));
        for (int waited = 0; waited < 60000 && ServedBlocks(sim.Process->Errors()).size() < 30;
             waited += 100) {
            sim.Process->ReadFor(std::chrono::milliseconds(100));
        }
        sim.Process->Signal(SIGKILL); // the instrument's end of the line is gone
        const ProgramRun cut = Finish(cli);
        EXPECT_EQ(cut.Status, 1);
        EXPECT_TRUE(Contains(LogTexts(cut.Out), "** RETRIEVE LOG DATA FAILED **")) << cut.Out;
        kept = Archived().size();
        EXPECT_GE(kept, 20U);
        EXPECT_LT(kept, 80U);
    }
    // The same instrument back on another line.
    GrowingSimulator again(settings, {});
    const ProgramRun resumed = Cli(again.At, WithArchive({"download", "--new", "--recent", "80"}));
    ASSERT_EQ(resumed.Status, 0) << resumed.Out << resumed.Err;
    EXPECT_TRUE(Contains(LogTexts(resumed.Out), "List Count: " + std::to_string(80 - kept)));
    EXPECT_EQ(Archived(), Model(again.Log.Log(), Records(221, 80)));
}

TEST_F(ArchiveDownload, ArchiveCommandsExportARangeAndRefuseWhatIsNoArchive) {
    const SimulatedInstrument& sim = StartSimulator(Instrument(500));
    ASSERT_EQ(Cli(sim, WithArchive({"download", "--recent", "30"})).Status, 0);
    // Records 471..500 are stamped 08:36 .. 09:05 on 2024-03-07.
    const std::string csv = Folder / "range.csv";
    const ProgramRun exported = ProgramRun::Run(
        {kCliProgram, "archive", "export", "--from", "2024-03-07 08:40", "--to", "2024-03-07 08:49",
         "--instrument", "server id 2a Sondrel simulated particle counter, seed 7", "--csv", csv,
         "--archive", ArchivePath},
        kCliTimeout);
    ASSERT_EQ(exported.Status, 0) << exported.Err;
    EXPECT_EQ(exported.Out, "Exported 10 records to " + csv + ".\n");
    std::ifstream in(csv);
    std::string line;
    std::vector<std::string> records;
    while (std::getline(in, line)) {
        records.push_back(line.substr(0, line.find(',')));
    }
    EXPECT_EQ(records,
              (std::vector<std::string>{"Record Index", "00475", "00476", "00477", "00478", "00479",
                                        "00480", "00481", "00482", "00483", "00484"}));

    const std::string notes = Folder / "notes.txt";
    std::ofstream(notes) << "not an archive\n";
    const ProgramRun refused = ProgramRun::Run(
        {kCliProgram, "archive", "list", "--archive", "sqlite:" + notes}, kCliTimeout);
    EXPECT_EQ(refused.Status, 1);
    EXPECT_EQ(refused.Err, "sondrel-cli: Cannot use the archive \"sqlite:" + notes +
                               "\": it is not an archive (file is not a database)\n");
    // A download into it still works and says it could not archive.
    const ProgramRun download = Cli(sim, {"download", "--recent", "5", "--archive", notes});
    EXPECT_EQ(download.Status, 1);
    EXPECT_EQ(DataRows(download).size(), 5U);
    bool said = false;
    for (const std::string& text : LogTexts(download.Out)) {
        said = said || text.rfind("Not archived: Cannot use the archive", 0) == 0;
    }
    EXPECT_TRUE(said) << download.Out;
}

TEST_F(ArchiveDownload, LimitsSetFromTheCommandLineFindTheExcursionsOfTheArchivedRecords) {
    const SimulatedInstrument& sim = StartSimulator(Instrument(500));
    ASSERT_EQ(Cli(sim, WithArchive({"download", "--recent", "30"})).Status, 0);
    // The records as exported, in date-time order: Cnts 1 of each.
    const std::string csv = Folder / "all.csv";
    ASSERT_EQ(
        ProgramRun::Run({kCliProgram, "archive", "export", "--csv", csv, "--archive", ArchivePath},
                        kCliTimeout)
            .Status,
        0);
    std::ifstream in(csv);
    std::string line;
    std::getline(in, line);
    std::vector<std::string> header;
    for (std::stringstream cells(line); std::getline(cells, line, ',');) {
        header.push_back(line);
    }
    const auto column = std::find(header.begin(), header.end(), "Cnts 1") - header.begin();
    ASSERT_LT(column, static_cast<long>(header.size()));
    std::vector<long> counts;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        for (std::stringstream row(line); std::getline(row, line, ',');) {
            cells.push_back(line);
        }
        counts.push_back(std::stol(cells.at(static_cast<std::size_t>(column))));
    }
    ASSERT_EQ(counts.size(), 30U);
    // The median as the alert limit: some records beyond it, some not.
    std::vector<long> sorted = counts;
    std::sort(sorted.begin(), sorted.end());
    const long limit = sorted[15];
    // The runs beyond it, as "records:peak".
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < counts.size();) {
        if (counts[i] <= limit) {
            ++i;
            continue;
        }
        long peak = 0;
        std::size_t n = 0;
        for (; i < counts.size() && counts[i] > limit; ++i, ++n) {
            peak = std::max(peak, counts[i]);
        }
        expected.push_back(std::to_string(n) + ":" + std::to_string(peak));
    }
    ASSERT_FALSE(expected.empty());

    const std::string identity = "server id 2a Sondrel simulated particle counter, seed 7";
    const std::string limits = Folder / "limits.dat";
    const ProgramRun set = ProgramRun::Run(
        {kCliProgram, "archive", "limits", "--instrument", identity, "--limits", limits, "--set",
         "counts1.alert_high=" + std::to_string(limit), "--archive", ArchivePath},
        kCliTimeout);
    ASSERT_EQ(set.Status, 0) << set.Err;
    EXPECT_NE(set.Out.find("counts1.alert_high=" + std::to_string(limit) + "\n"), std::string::npos)
        << set.Out;

    const ProgramRun found = ProgramRun::Run({kCliProgram, "archive", "excursions", "--limits",
                                              limits, "--json", "--archive", ArchivePath},
                                             kCliTimeout);
    ASSERT_EQ(found.Status, 0) << found.Err;
    const std::string json = Folder / "excursions.json";
    std::ofstream(json) << found.Out;
    const ProgramRun parsed =
        ProgramRun::Run({"/usr/bin/python3", "-c",
                         "import json,sys\n"
                         "for e in json.load(open(sys.argv[1])):\n"
                         "  assert e['series'] == 'counts1' and e['limit_kind'] == 'alert high'\n"
                         "  assert not e['acknowledged'] and e['acknowledged_by'] is None\n"
                         "  print('%d:%d' % (e['records'], e['peak']))",
                         json},
                        kCliTimeout);
    ASSERT_EQ(parsed.Status, 0) << parsed.Err << found.Out;
    EXPECT_EQ(Lines(parsed.Out), expected) << found.Out;
}
