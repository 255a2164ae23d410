#include "DownloadCommands.h"

#include "ArchiveOptions.h"
#include "CliArchive.h"
#include "CliDownloadHost.h"
#include "CommandLine.h"
#include "ConnectionLogBinding.h"
#include "DownloadProgress.h"
#include "ExportOptions.h"
#include "LineOptions.h"
#include "StdoutLogView.h"

#include "ClientDownloadCompletions.h"
#include "ClientDownloadRequests.h"
#include "DownloadEngine.h"

#include "CorvaneError.h"

#include <cstdio>
#include <iostream>
#include <map>
#include <unistd.h>

namespace SondrelCli {

using namespace Corvane;
using namespace Sondrel;
using namespace SondrelOptions;

namespace {

const std::set<std::string> kDownloadFlags = {"following", "previous", "erase",     "yes",
                                              "quiet",     "new",      "no-archive"};

// The most recent records that "download --new" reads when the archive knows nothing of what
// the instrument holds: as many as a download reads.
constexpr const char* kNewRecordsFallback = "62000";

// "MM/DD" or "HH:MM": two numbers around the separator.
std::pair<std::string, std::string> SplitPair(const std::string& text, char separator,
                                              const std::string& what) {
    const auto at = text.find(separator);
    if (at == std::string::npos || at == 0 || at + 1 == text.size()) {
        throw EUsageError(what + ": '" + text + "' must be written as two numbers around '" +
                          separator + "'");
    }
    return {text.substr(0, at), text.substr(at + 1)};
}

TDownloadInputs ParseInputs(const TCommandLine& line) {
    TDownloadInputs inputs;
    if (line.Flag("new")) {
        for (const char* name : {"date", "time", "records", "interval", "following", "previous"}) {
            if (line.Has(name)) {
                throw EUsageError("--new cannot be combined with --" + std::string(name));
            }
        }
        inputs.IntervalText = "1";
        inputs.RecordsText = line.Value("recent").value_or(kNewRecordsFallback);
        ParseInteger(inputs.RecordsText, 1, 62000, "--recent");
        return inputs;
    }
    inputs.IntervalText = line.Value("interval").value_or("1");
    ParseInteger(inputs.IntervalText, 1, 62000, "--interval");
    if (const auto recent = line.Value("recent")) {
        ParseInteger(*recent, 1, 62000, "--recent");
        inputs.RecentChecked = true;
        inputs.RecordsText = *recent;
        if (line.Has("date") || line.Has("time")) {
            throw EUsageError("--recent cannot be combined with --date/--time");
        }
        return inputs;
    }
    const auto date = line.Value("date");
    const auto time = line.Value("time");
    const auto records = line.Value("records");
    if (!date || !time || !records) {
        throw EUsageError(
            "download needs --recent N, or --date MM/DD --time HH:MM --records N with "
            "--following or --previous");
    }
    if (line.Flag("following") == line.Flag("previous")) {
        throw EUsageError("give exactly one of --following and --previous");
    }
    inputs.RecentChecked = false;
    std::tie(inputs.MonthText, inputs.DayText) = SplitPair(*date, '/', "--date");
    std::tie(inputs.HourText, inputs.MinuteText) = SplitPair(*time, ':', "--time");
    ParseInteger(inputs.MonthText, 1, 12, "--date month");
    ParseInteger(inputs.DayText, 1, 31, "--date day");
    ParseInteger(inputs.HourText, 0, 23, "--time hour");
    ParseInteger(inputs.MinuteText, 0, 59, "--time minute");
    ParseInteger(*records, 1, 62000, "--records");
    inputs.RecentDateText = *records;
    inputs.RecordsText = *records;
    inputs.PrevFollIndex = line.Flag("following") ? 1 : 0;
    return inputs;
}

TDelayMenuChoice ParseDelay(const TCommandLine& line) {
    static const std::map<std::string, TDelayMenuChoice> choices = {
        {"fast", dmFast}, {"default", dmDefault}, {"slow", dmSlow}, {"line", dmLine}};
    const std::string text = line.Value("delay").value_or("slow");
    const auto it = choices.find(text);
    if (it == choices.end()) {
        throw EUsageError("--delay: '" + text + "' is not one of fast|default|slow|line");
    }
    return it->second;
}

// The record list as the window's list shows it: the captions, then one line per item,
// values separated by "," and lines ended by CR LF.
void PrintTable(const TRecordList& list) {
    std::string out;
    auto line = [&](auto cell) {
        for (std::int32_t c = 0; c < TRecordList::ColumnCount; ++c) {
            out += cell(c);
            if (c + 1 < TRecordList::ColumnCount) {
                out += ',';
            }
        }
        out += "\r\n";
    };
    line([&](std::int32_t c) { return list.ColumnCaption(c); });
    for (std::int32_t row = 0; row < list.Count(); ++row) {
        line([&](std::int32_t c) { return list.Text(row, c); });
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

} // namespace

bool IsDownloadCommand(const std::string& command) {
    return command == "download" || command == "download-all" || command == "erase";
}

std::string DownloadCommandsHelp() {
    return std::string(
               "Log download (the window's procedures; steps as the log writes them, then the\n"
               "table as the list shows it):\n"
               "  download --recent N [--interval I] [--delay fast|default|slow|line]\n"
               "  download --date MM/DD --time HH:MM --following|--previous --records N\n"
               "           [--interval I] [--delay ...]\n"
               "  download --new [--recent N]\n"
               "                            the records that the archive lacks: those written\n"
               "                            since the last one, and what a cut download missed;\n"
               "                            when the archive knows none of the instrument's\n"
               "                            records, the N most recent (default 62000); always\n"
               "                            at the speed of the line (--delay line)\n"
               "  --delay: the waits after each request (default slow); line ends each wait as\n"
               "           soon as its request is answered (with --timing standard, the\n"
               "           fastest the line allows)\n"
               "  --quiet: print only the table (and errors); otherwise the progress of each\n"
               "           pass goes to standard error, one updating line on a terminal, a\n"
               "           line every 10 % elsewhere\n"
               "  download-all [--erase]    the whole log with the size table; --erase answers\n"
               "                            the erase question with Yes (default No)\n"
               "  erase --yes               erase the instrument's log memory\n"
               "  The estimate question is answered Yes. Exit status 0 only when the download\n"
               "  finished without a failure line (a download that could not be archived\n"
               "  writes one).\n"
               "  Every download is kept in the archive; the instrument is known by its Report\n"
               "  Server ID reply, else by --name NAME (default: its address and port).\n") +
           ArchiveOptionsHelp() + ExportOptionsHelp();
}

int RunDownloadCommand(const std::vector<std::string>& args) {
    std::set<std::string> valueOptions = LineOptionNames();
    valueOptions.insert({"recent", "date", "time", "records", "interval", "delay", "name"});
    valueOptions.insert(ExportOptionNames().begin(), ExportOptionNames().end());
    valueOptions.insert(ArchiveValueOptions().begin(), ArchiveValueOptions().end());
    const TCommandLine line(args, valueOptions, kDownloadFlags);
    const std::string command = line.Positional().at(0);
    if (line.Positional().size() != 1) {
        throw EUsageError(command + " takes no arguments besides its options");
    }
    const std::vector<TExportRequest> exports = ParseExportOptions(line);
    if (command == "erase" && !exports.empty()) {
        throw EUsageError("--csv, --xlsx and --html apply to download and download-all");
    }
    TDownloadInputs inputs;
    if (command == "download") {
        inputs = ParseInputs(line);
    } else if (command == "erase" && !line.Flag("yes")) {
        throw EUsageError("erase needs --yes: it PERMANENTLY erases all log data");
    }
    if (line.Flag("new") && command != "download") {
        throw EUsageError("--new applies to download only");
    }
    const std::optional<TArchiveLocation> archive =
        command == "erase" ? std::nullopt : ParseArchiveOption(line);
    if (line.Flag("new") && !archive) {
        throw EUsageError("download --new needs the archive");
    }
    const TDelayMenuChoice delay = ParseDelay(line);
    const TLineOptions options = ParseLineOptions(line);

    const bool quiet = line.Flag("quiet");
    TDownloadProgress progress(std::cerr, quiet                   ? TDownloadProgress::psQuiet
                                          : isatty(STDERR_FILENO) ? TDownloadProgress::psTerminal
                                                                  : TDownloadProgress::psPlain);
    TStdoutLogView view;
    view.Silent = quiet;
    view.BeforeLine = [&progress] { progress.BreakLine(); };
    TTransactionLog log(view);
    TModbusConnection connection;
    ApplyLineOptions(options, connection);
    TModbusClient client;
    client.SetConnection(&connection);
    client.SetServerAddress(options.Address);
    BindConnectionLog(connection, log);

    TCliDownloadHost host(log, inputs, connection.BaudRate(), delay);
    host.AnswerEraseWithYes = line.Flag("erase") || line.Flag("yes");
    host.Quiet = quiet;
    host.Progress = &progress;
    TClientDownloadRequests requests(client);
    TDownloadEngine engine(host, requests, progress);
    const TClientDownloadCompletions completions(client, engine);
    engine.UpdateCommunicationDelays();

    try {
        connection.SetActive(true);
    } catch (const ECorvaneError& e) {
        std::cerr << LineFailureText(e) << "\n";
        return 1;
    }
    std::unique_ptr<TCliArchive> recording;
    if (archive) {
        recording = std::make_unique<TCliArchive>(*archive, host, client, connection,
                                                  line.Value("name").value_or(""), log);
        engine.SetArchive(&recording->Recorder());
    }
    if (command == "download" && line.Flag("new")) {
        engine.newRecordsButtonClick();
    } else if (command == "download") {
        engine.startButtonClick();
    } else if (command == "download-all") {
        engine.downloadButtonClick();
    } else {
        engine.EraseSampleDatafromMemory1Click();
    }
    engine.SetArchive(nullptr);
    recording.reset(); // what is pending is committed before the line closes
    connection.SetActive(false);
    progress.BreakLine();
    bool failed = host.FailureReported() || engine.State().DownloadFailed;
    const bool finished = !engine.State().DownloadFailed && engine.ExportReady();
    if (command != "erase" && !engine.State().DownloadFailed) {
        PrintTable(engine.List());
    }
    if (!exports.empty() && !finished) {
        std::cerr << "sondrel-cli: nothing exported: the download did not finish\n";
        failed = true;
    } else if (!WriteExports(exports, engine.List(), engine.State().AllDataMode, std::cerr)) {
        failed = true;
    }
    return failed ? 1 : 0;
}

} // namespace SondrelCli
