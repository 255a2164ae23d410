// The collector's plan: the TOML file, the --instrument options, the job a line's process gets,
// and the report lines.
#include "CollectConfig.h"
#include "CollectReport.h"

#include "CommandLine.h"

#include <gtest/gtest.h>

using namespace SondrelCli;

namespace {

const char* const kSite = R"(
archive = "postgresql://collector@db/site"
every-minutes = 15

[[line]]
name = "bay-1"
port = "/dev/ttyUSB0"
baud = 115200
timing = "standard"
retries = 2

  [[line.instrument]]
  name = "north"
  address = 1

  [[line.instrument]]
  name = "south"
  address = 2
  pacing = "slow"
  first-records = 500

[[line]]
port = "/dev/ttyUSB1"
parity = "even"

  [[line.instrument]]
  name = "east"
  address = 247
)";

// The message of a file that must be refused.
std::string Refusal(const std::string& text) {
    try {
        ParseCollectConfig(text, "site.toml");
    } catch (const ECollectConfigError& e) {
        return e.what();
    }
    ADD_FAILURE() << "accepted:\n" << text;
    return "";
}

const std::string kLine = "[[line]]\nport = \"/dev/ttyUSB0\"\n";
const std::string kInstrument = "[[line.instrument]]\nname = \"north\"\naddress = 1\n";

} // namespace

TEST(CollectConfig, FileGivesTheArchiveScheduleLinesAndTheirInstrumentsInOrder) {
    const TCollectPlan plan = ParseCollectConfig(kSite, "site.toml");
    EXPECT_EQ(plan.Archive, "postgresql://collector@db/site");
    EXPECT_EQ(plan.EveryMinutes, 15U);
    ASSERT_EQ(plan.Lines.size(), 2U);
    const TCollectLine& bay = plan.Lines[0];
    EXPECT_EQ(bay.Name, "bay-1");
    EXPECT_EQ(bay.Line.Port, "/dev/ttyUSB0");
    EXPECT_EQ(bay.Line.Baud, 115200U);
    EXPECT_EQ(bay.Line.Timing, Corvane::ftStandard);
    EXPECT_EQ(bay.Line.Retries, 2U);
    ASSERT_EQ(bay.Instruments.size(), 2U);
    EXPECT_EQ(bay.Instruments[0].Name, "north");
    EXPECT_EQ(bay.Instruments[0].Pacing, Sondrel::dmLine);
    EXPECT_EQ(bay.Instruments[0].FirstRecords, 62000);
    EXPECT_EQ(bay.Instruments[1].Address, 2);
    EXPECT_EQ(bay.Instruments[1].Pacing, Sondrel::dmSlow);
    EXPECT_EQ(bay.Instruments[1].FirstRecords, 500);
    // A line without a name is named by its port.
    EXPECT_EQ(plan.Lines[1].Name, "/dev/ttyUSB1");
    EXPECT_EQ(plan.Lines[1].Line.Parity, Corvane::psEven);
    EXPECT_EQ(plan.Lines[1].Instruments[0].Address, 247);
}

TEST(CollectConfig, BadFileIsRefusedNamingTheFileTheLineAndTheKey) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"archive = \"a\"\n[[line]\n", "site.toml:2:"},
        {"archive = 5\n" + kLine + kInstrument, "site.toml: key \"archive\": must be a text"},
        {"colour = true\n" + kLine + kInstrument, "key \"colour\": is not a key of the file"},
        {"every-minutes = 0\n" + kLine + kInstrument, "key \"every-minutes\": must be 1..10080"},
        {"archive = \"x\"\n", "lists no line"},
        {kLine + "baud = \"fast\"\n" + kInstrument, "line \"/dev/ttyUSB0\": key \"baud\": "},
        {kLine + "parity = \"purple\"\n" + kInstrument, "line \"/dev/ttyUSB0\": key \"parity\":"},
        {kLine + "address = 3\n" + kInstrument, "key \"address\": is not a line option"},
        {"[[line]]\nname = \"bay\"\n" + kInstrument, "line 1: has no \"port\""},
        {kLine, "line \"/dev/ttyUSB0\": has no instruments"},
        {kLine + "[[line.instrument]]\naddress = 1\n", "instrument 1: has no \"name\""},
        {kLine + "[[line.instrument]]\nname = \"north\"\n", "instrument \"north\": has no"},
        {kLine + "[[line.instrument]]\nname = \"north\"\naddress = 248\n",
         "instrument \"north\": key \"address\": must be 1..247"},
        {kLine + "[[line.instrument]]\nname = \"a\\nb\"\naddress = 1\n", "printable"},
        {kLine + kInstrument + "pacing = \"warp\"\n",
         "instrument \"north\": key \"pacing\": \"warp\" is not one of"},
        {kLine + kInstrument + "speed = 3\n", "instrument \"north\": key \"speed\": is not a key"},
        {kLine + kInstrument + "[[line.instrument]]\nname = \"south\"\naddress = 1\n",
         "instrument \"south\": key \"address\": 1 is another instrument's"},
        {kLine + kInstrument + "[[line]]\nport = \"/dev/ttyUSB1\"\n" + kInstrument,
         "line \"/dev/ttyUSB1\": instrument \"north\": the name is another instrument's"},
    };
    for (const auto& [text, expected] : cases) {
        const std::string message = Refusal(text);
        EXPECT_NE(message.find(expected), std::string::npos) << "file:\n"
                                                             << text << "\nmessage: " << message;
        EXPECT_EQ(message.rfind("site.toml", 0), 0U) << message;
    }
}

TEST(CollectConfig, InstrumentOptionsShareALinePerPortInTheOrderGiven) {
    const TCollectPlan plan = PlanOfInstrumentOptions(
        {"north=/dev/ttyUSB0@1", "west=/dev/ttyUSB1@1", "south=/dev/ttyUSB0@2"},
        {{"baud", "115200"}}, 40);
    ASSERT_EQ(plan.Lines.size(), 2U);
    EXPECT_EQ(plan.Lines[0].Line.Port, "/dev/ttyUSB0");
    EXPECT_EQ(plan.Lines[0].Line.Baud, 115200U);
    ASSERT_EQ(plan.Lines[0].Instruments.size(), 2U);
    EXPECT_EQ(plan.Lines[0].Instruments[1].Name, "south");
    EXPECT_EQ(plan.Lines[0].Instruments[1].FirstRecords, 40);
    EXPECT_EQ(plan.Lines[1].Instruments[0].Name, "west");
    // A port may itself hold '@' and '=': the address follows the last '@'.
    EXPECT_EQ(PlanOfInstrumentOptions({"a=/dev/x=y@z@5"}, {}).Lines[0].Line.Port, "/dev/x=y@z");

    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"north"},
                                               {"=/dev/ttyUSB0@1"},
                                               {"north=@1"},
                                               {"north=/dev/ttyUSB0@0"},
                                               {"north=/dev/ttyUSB0@x"},
                                               {"n=/dev/a@1", "n=/dev/b@1"},
                                               {"n=/dev/a@1", "m=/dev/a@1"}}) {
        EXPECT_THROW(PlanOfInstrumentOptions(bad, {}), SondrelOptions::EUsageError) << bad[0];
    }
    EXPECT_THROW(PlanOfInstrumentOptions({"n=/dev/a@1"}, {{"baud", "-3"}}),
                 SondrelOptions::EUsageError);
}

TEST(CollectConfig, LineJobCarriesTheLineAndTheArchiveWholeToItsProcess) {
    const TCollectPlan plan = ParseCollectConfig(kSite, "site.toml");
    TLineJob job;
    job.Line = plan.Lines[0];
    job.Archive = "postgresql://collector:se\"cr et@db/site?sslmode=require";
    job.Json = true;
    job.Round = 7;
    const TLineJob back = ParseLineJob(LineJobText(job));
    EXPECT_EQ(back.Archive, job.Archive);
    EXPECT_TRUE(back.Json);
    EXPECT_FALSE(back.Colour);
    EXPECT_EQ(back.Round, 7U);
    EXPECT_EQ(back.Line.Name, "bay-1");
    EXPECT_EQ(back.Line.LineSettings, job.Line.LineSettings);
    EXPECT_EQ(back.Line.Line.Baud, 115200U);
    ASSERT_EQ(back.Line.Instruments.size(), 2U);
    EXPECT_EQ(back.Line.Instruments[1].Pacing, Sondrel::dmSlow);
    EXPECT_EQ(back.Line.Instruments[1].FirstRecords, 500);
    EXPECT_THROW(ParseLineJob("garbage = ["), ECollectConfigError);
    EXPECT_THROW(ParseLineJob(kSite + std::string("json = 1\n")), ECollectConfigError);
}

TEST(CollectReport, LinesAreTextWithColourOnlyWhenAskedOrOneJsonObject) {
    TInstrumentReport r;
    r.Round = 3;
    r.Name = "north \"A\"";
    r.Line = "/dev/ttyUSB0";
    r.Address = 2;
    r.Outcome = TCollectOutcome::Failed;
    r.RecordsAdded = 12;
    r.DurationSeconds = 1.234;
    r.Reason = "no reply\n\tat all \x01 \xff";
    EXPECT_EQ(ReportText(r, false).rfind("round 3 north \"A\" failed 12 records added in 1.23 s: "
                                         "no reply",
                                         0),
              0U);
    EXPECT_EQ(ReportText(r, false).find('\033'), std::string::npos);
    EXPECT_NE(ReportText(r, true).find("\033[31mfailed\033[0m"), std::string::npos);
    EXPECT_EQ(ReportJson(r),
              "{\"round\":3,\"name\":\"north \\\"A\\\"\",\"line\":\"/dev/ttyUSB0\",\"address\":2,"
              "\"outcome\":\"failed\",\"records_added\":12,\"duration_s\":1.23,"
              "\"reason\":\"no reply\\u000a\\u0009at all \\u0001 \\ufffd\"}");
    EXPECT_EQ(JsonString("é→😀"), "\"é→😀\"");
    EXPECT_EQ(JsonString("\xc3"), "\"\\ufffd\"");            // cut short
    EXPECT_EQ(JsonString("\xc0\xaf"), "\"\\ufffd\\ufffd\""); // an overlong '/'
}
