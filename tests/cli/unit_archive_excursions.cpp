// "archive excursions" and "archive limits" run in-process on a SQLite archive filled through
// the store and a limits file written through TLimitsFile; the JSON is read back by Python's
// own parser.
#include "ArchiveCommands.h"

#include "ExportTestSupport.h"
#include "TrendTestSupport.h"

#include "CommandLine.h"
#include "LimitsFile.h"
#include "SqliteArchive.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <sstream>

using namespace Sondrel;
using TrendTest::TSample;

#ifdef _WIN32
#define popen _popen
#define pclose _pclose
#endif

namespace {

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

class ArchiveExcursionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TSqliteArchive archive(Archive, Archive);
        CounterId = archive.EnsureInstrument({"server id 01:AB", "counter \"A\"", "01", "p", 1});
        OtherId = archive.EnsureInstrument({"name other", "other", "", "p", 2});
        // Counts 1 crosses the alert limit (100) at +1 and the action limit (200) at +2 and +6;
        // the flow rate drops below its alert limit (27) at +8.
        const std::vector<std::uint32_t> counts = {10, 150, 250, 120, 10, 10, 300, 10, 10, 10};
        const std::vector<TArchivedRecord> records = TrendTest::ArchivedRecords(
            TrendTest::Minutely(counts.size(), 0, [&counts](std::size_t i, TSample& sample) {
                sample.Counts1 = counts[i];
                sample.FlowRate = i == 8 ? 20 : 28;
            }));
        TDownloadRecord download;
        download.InstrumentId = CounterId;
        download.Kind = kDownloadRecent;
        archive.AddRecords(CounterId, archive.BeginDownload(download), records);
        download.InstrumentId = OtherId;
        archive.AddRecords(OtherId, archive.BeginDownload(download), records);

        TInstrumentLimits limits;
        limits.Of(TTrendSeries::Counts1).Set(TLimitKind::AlertHigh, 100);
        limits.Of(TTrendSeries::Counts1).Set(TLimitKind::ActionHigh, 200);
        limits.Of(TTrendSeries::FlowRate).Set(TLimitKind::AlertLow, 27);
        TLimitsFile(Limits).Write("server id 01:AB", limits);
    }

    TRun Run(std::vector<std::string> args) {
        args.insert(args.begin(), "archive");
        args.insert(args.end(), {"--archive", Archive});
        std::ostringstream out;
        std::ostringstream err;
        std::streambuf* oldOut = std::cout.rdbuf(out.rdbuf());
        std::streambuf* oldErr = std::cerr.rdbuf(err.rdbuf());
        TRun run;
        try {
            run.Status = SondrelCli::RunArchiveCommand(args);
        } catch (const SondrelOptions::EUsageError& e) {
            run.Status = 2;
            err << e.what();
        }
        std::cout.rdbuf(oldOut);
        std::cerr.rdbuf(oldErr);
        run.Out = out.str();
        run.Err = err.str();
        return run;
    }

    // The JSON as Python reads it: a line per object of the chosen fields, "|" between them.
    std::string ParsedJson(const std::string& json,
                           const std::string& keys = "\"instrument_id\", \"series\", "
                                                     "\"limit_kind\", \"start\", \"end\", "
                                                     "\"peak\", \"limit\", \"records\", "
                                                     "\"acknowledged\", \"acknowledged_by\", "
                                                     "\"comment\"") {
        const std::string file = Folder.File("excursions.json");
        ExportTest::WriteFile(file, json);
        const std::string command = "python3 -c 'import json,sys\n"
                                    "for e in json.load(open(sys.argv[1], encoding=\"utf-8\")):\n"
                                    "  print(\"|\".join(repr(e[k]) for k in (" +
                                    keys + ")))' '" + file + "' 2>&1";
        std::string output;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[4096];
            while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
                output += buffer;
            }
            pclose(pipe);
        }
        return output;
    }

    ExportTest::TTempFolder Folder;
    std::string Archive = Folder.File("archive.sqlite");
    std::string Limits = Folder.File("limits.dat");
    std::int64_t CounterId = 0;
    std::int64_t OtherId = 0;
};

} // namespace

TEST_F(ArchiveExcursionsTest, ExcursionsOfEachLimitAreListedWithTheirAcknowledgementAsText) {
    {
        TSqliteArchive archive(Archive, Archive);
        archive.AcknowledgeExcursion({CounterId, "counts1", "action high", "2024-01-01 00:02",
                                      "Zoë", "2024-01-03T10:00:00Z", "filter\tchanged\nok"});
    }
    const TRun run = Run({"excursions", "--limits", Limits});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::string instrument = std::to_string(CounterId) + " (counter \"A\")\t";
    EXPECT_EQ(run.Out, "Instrument " + std::to_string(OtherId) +
                           " (other): no limits set (see sondrel-cli archive limits)\n"
                           "Instrument\tSeries\tLimit kind\tStart\tEnd\tPeak\tLimit\tRecords\t"
                           "Acknowledgement\n" +
                           instrument +
                           "Cnts 1\talert high\t2024-01-01 00:01\t2024-01-01 00:03\t250\t100\t3\t"
                           "not acknowledged\n" +
                           instrument +
                           "Cnts 1\taction high\t2024-01-01 00:02\t2024-01-01 00:02\t250\t200\t1\t"
                           "acknowledged by Zoë at 2024-01-03T10:00:00Z: filter changed ok\n" +
                           instrument +
                           "Cnts 1\talert high\t2024-01-01 00:06\t2024-01-01 00:06\t300\t100\t1\t"
                           "not acknowledged\n" +
                           instrument +
                           "Cnts 1\taction high\t2024-01-01 00:06\t2024-01-01 00:06\t300\t200\t1\t"
                           "not acknowledged\n" +
                           instrument +
                           "Flow Rate\talert low\t2024-01-01 00:08\t2024-01-01 00:08\t20\t27\t1\t"
                           "not acknowledged\n");

    // The range cuts the records read; one instrument by its name.
    const TRun range = Run({"excursions", "--limits", Limits, "--from", "2024-01-01 00:05", "--to",
                            "2024-01-01 00:07", "--instrument", "counter \"A\""});
    ASSERT_EQ(range.Status, 0) << range.Err;
    EXPECT_EQ(std::count(range.Out.begin(), range.Out.end(), '\n'), 3) << range.Out;
    EXPECT_EQ(range.Out.find("no limits set"), std::string::npos);
}

TEST_F(ArchiveExcursionsTest, JsonIsAnArrayThatAParserReadsWithEveryTextIntact) {
    {
        TSqliteArchive archive(Archive, Archive);
        archive.AcknowledgeExcursion({CounterId, "flow_rate", "alert low", "2024-01-01 00:08",
                                      "ops \"night\" \\ shift", "2024-01-03T10:00:00Z",
                                      "line 1\nline 2\t\xC3\xA9"});
    }
    const TRun run = Run({"excursions", "--limits", Limits, "--json"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::string id = std::to_string(CounterId);
    EXPECT_EQ(ParsedJson(run.Out),
              id +
                  "|'counts1'|'alert high'|'2024-01-01 00:01'|'2024-01-01 00:03'|250|100|3|"
                  "False|None|None\n" +
                  id +
                  "|'counts1'|'action high'|'2024-01-01 00:02'|'2024-01-01 00:02'|250|200|"
                  "1|False|None|None\n" +
                  id +
                  "|'counts1'|'alert high'|'2024-01-01 00:06'|'2024-01-01 00:06'|300|100|"
                  "1|False|None|None\n" +
                  id +
                  "|'counts1'|'action high'|'2024-01-01 00:06'|'2024-01-01 00:06'|300|"
                  "200|1|False|None|None\n" +
                  id +
                  "|'flow_rate'|'alert low'|'2024-01-01 00:08'|'2024-01-01 00:08'|20|27|1|"
                  "True|'ops \"night\" \\\\ shift'|'line 1\\nline 2\\té'\n");

    // No limits at all: an empty array, and success.
    const TRun none = Run({"excursions", "--limits", Folder.File("none.dat"), "--json"});
    EXPECT_EQ(none.Status, 0);
    EXPECT_EQ(ParsedJson(none.Out), "");
    EXPECT_EQ(none.Out, "[]\n");
}

TEST_F(ArchiveExcursionsTest, NamesThatAreNoUtf8OrHoldControlCharactersStayValidJson) {
    {
        TSqliteArchive archive(Archive, Archive);
        archive.EnsureInstrument({"server id 01:AB",
                                  std::string("bad \xFF\xC3 \x01\x1F \"q\" \\ \xE2\x82\xAC"), "01",
                                  "p", 1});
    }
    const TRun run = Run({"excursions", "--limits", Limits, "--json", "--instrument", "1"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::string parsed = ParsedJson(run.Out, "\"instrument\", \"identity\"");
    // Python's repr: the replacement characters and the euro sign as they are, the control
    // characters escaped.
    const std::string line =
        "'bad \xEF\xBF\xBD\xEF\xBF\xBD \\x01\\x1f \"q\" \\\\ \xE2\x82\xAC'|'server id 01:AB'\n";
    std::string expected;
    for (int i = 0; i < 5; ++i) {
        expected += line;
    }
    EXPECT_EQ(parsed, expected) << run.Out;
    // The text output keeps each excursion on its line.
    const TRun text = Run({"excursions", "--limits", Limits, "--instrument", "1"});
    EXPECT_EQ(std::count(text.Out.begin(), text.Out.end(), '\n'), 6) << text.Out;
}

TEST_F(ArchiveExcursionsTest, LimitsAreShownSetAndClearedAndContradictionsLeaveTheFile) {
    const TRun shown =
        Run({"limits", "--instrument", std::to_string(CounterId), "--limits", Limits});
    ASSERT_EQ(shown.Status, 0) << shown.Err;
    EXPECT_NE(shown.Out.find("counts1.alert_high=100\ncounts1.action_high=200\n"),
              std::string::npos)
        << shown.Out;

    const TRun set =
        Run({"limits", "--instrument", "other", "--limits", Limits, "--set",
             "total_ppb.alert_high=2.5,total_ppb.action_high=4", "--clear", "counts1.alert_high"});
    ASSERT_EQ(set.Status, 0) << set.Err;
    const TInstrumentLimits other = TLimitsFile(Limits).Read("name other").Limits;
    EXPECT_EQ(other.Of(TTrendSeries::TotalPpb).Of(TLimitKind::AlertHigh), 2.5);
    EXPECT_EQ(other.Of(TTrendSeries::TotalPpb).Of(TLimitKind::ActionHigh), 4.0);
    // The counter's limits are its own.
    EXPECT_EQ(TLimitsFile(Limits)
                  .Read("server id 01:AB")
                  .Limits.Of(TTrendSeries::Counts1)
                  .Of(TLimitKind::AlertHigh),
              100.0);

    const std::string before = ExportTest::ReadFile(Limits);
    const TRun contradiction = Run(
        {"limits", "--instrument", "other", "--limits", Limits, "--set", "total_ppb.alert_high=5"});
    EXPECT_EQ(contradiction.Status, 1);
    EXPECT_NE(contradiction.Err.find("Total PPB: the alert high limit 5 is above"),
              std::string::npos)
        << contradiction.Err;
    EXPECT_EQ(ExportTest::ReadFile(Limits), before);

    const TRun cleared = Run({"limits", "--instrument", "other", "--limits", Limits, "--clear",
                              "total_ppb.alert_high,total_ppb.action_high"});
    ASSERT_EQ(cleared.Status, 0) << cleared.Err;
    EXPECT_NE(cleared.Out.find("none set"), std::string::npos) << cleared.Out;
}

TEST_F(ArchiveExcursionsTest, BadOptionsAreRefusedNamingWhatIsWrong) {
    struct TCase {
        std::vector<std::string> Args;
        const char* Named;
    };
    for (const TCase& c : std::vector<TCase>{
             {{"list", "--json"}, "--json applies to archive excursions only"},
             {{"export", "--limits", "x"}, "--limits applies to archive excursions and archive"},
             {{"excursions", "--set", "counts1.alert_high=1"}, "--set applies to archive limits"},
             {{"excursions", "--from", "yesterday"}, "--from: 'yesterday' is not a date"},
             {{"excursions", "--instrument", "nobody"}, "no instrument 'nobody'"},
             {{"excursions", "--limits", ""}, "--limits needs a file name"},
             {{"limits"}, "needs --instrument"},
             {{"limits", "--instrument", "other", "--set", "counts10.alert_high=1"},
              "'counts10.alert_high' is no limit"},
             {{"limits", "--instrument", "other", "--set", "counts1.alert_high=lots"},
              "'lots' is not a number"},
             {{"limits", "--instrument", "other", "--set", "counts1.alert_high=nan"},
              "'nan' is not a number"},
             {{"limits", "--instrument", "other", "--set", "counts1.alert_high"},
              "is not KEY=VALUE"},
             {{"limits", "--instrument", "other", "--clear", "a,,b"}, "an empty item"},
             {{"trends"}, "unknown action 'trends'"},
         }) {
        std::vector<std::string> args = c.Args;
        if (c.Args[0] == "limits" && c.Args.size() > 1) {
            args.insert(args.end(), {"--limits", Limits});
        }
        const TRun run = Run(args);
        EXPECT_EQ(run.Status, 2) << c.Named << ": " << run.Out;
        EXPECT_NE(run.Err.find(c.Named), std::string::npos) << run.Err;
    }
    // Nothing of a refused --set was written.
    EXPECT_FALSE(TLimitsFile(Limits).Read("name other").Limits.Any());
}
