#include "ReportCommand.h"

#include "ArchiveOptions.h"
#include "ArchiveRange.h"
#include "CommandLine.h"

#include "ArchiveError.h"
#include "OpenArchive.h"

#include "LimitsFile.h"
#include "ReportChart.h"
#include "ReportContent.h"
#include "ReportWriter.h"

#include "ConsoleFileError.h"

#include <QApplication>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <sstream>

namespace SondrelCli {

using namespace Sondrel;
using namespace SondrelOptions;

namespace {

const std::set<std::string>& ReportValueOptions() {
    static const std::set<std::string> options = [] {
        std::set<std::string> names = ArchiveValueOptions();
        names.insert({"from", "to", "pdf", "instrument", "limits", "groups"});
        return names;
    }();
    return options;
}

// "counts,ppb,health" in any order and any subset; each once.
std::vector<TSeriesGroup> ParseGroups(const std::string& text) {
    std::vector<TSeriesGroup> groups;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        std::optional<TSeriesGroup> group;
        for (TSeriesGroup candidate : AllSeriesGroups()) {
            std::string name = GroupName(candidate);
            for (char& c : name) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            if (name == item) {
                group = candidate;
            }
        }
        if (!group) {
            throw EUsageError("--groups: '" + item + "' is none of counts, ppb, health");
        }
        if (std::find(groups.begin(), groups.end(), *group) != groups.end()) {
            throw EUsageError("--groups: '" + item + "' is named twice");
        }
        groups.push_back(*group);
    }
    if (groups.empty()) {
        throw EUsageError("--groups: name at least one of counts, ppb, health");
    }
    return groups;
}

// The instrument named, or the archive's only one.
std::int64_t ReportInstrument(IArchiveStore& store, const TCommandLine& line) {
    if (const auto instrument = line.Value("instrument")) {
        return FindInstrument(store, *instrument);
    }
    const std::vector<TInstrumentSummary> instruments = store.Instruments();
    if (instruments.size() == 1) {
        return instruments.front().Id;
    }
    if (instruments.empty()) {
        throw EUsageError("the archive \"" + store.Location() + "\" holds no instrument");
    }
    throw EUsageError("--instrument: the archive holds " + std::to_string(instruments.size()) +
                      " instruments; name one (see sondrel-cli archive list)");
}

// The charts need a QApplication; without a display it draws offscreen.
int WriteWithQt(const TReportContent& content, const std::string& path) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "sondrel-cli";
    static char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    return TReportWriter(ReportChartImage).Write(content, QString::fromStdString(path));
}

} // namespace

bool IsArchiveReportCommand(const std::vector<std::string>& args) {
    try {
        const TCommandLine line(args, ReportValueOptions(), ArchiveFlags());
        return line.Positional().size() >= 2 && line.Positional()[0] == "archive" &&
               line.Positional()[1] == "report";
    } catch (const EUsageError&) {
        return false; // cli_core's archive command names what is wrong
    }
}

int RunArchiveReportCommand(const std::vector<std::string>& args) {
    const TCommandLine line(args, ReportValueOptions(), ArchiveFlags());
    if (line.Positional().size() != 2) {
        throw EUsageError("archive report takes no further arguments");
    }
    for (const char* name : {"from", "to", "pdf"}) {
        if (!line.Has(name)) {
            throw EUsageError("archive report needs --" + std::string(name));
        }
    }
    TArchiveReportRequest request;
    request.From = RangeEnd(*line.Value("from"), false, "--from");
    request.To = RangeEnd(*line.Value("to"), true, "--to");
    if (request.To < request.From) {
        throw EUsageError("--to: the range ends before it begins");
    }
    if (const auto groups = line.Value("groups")) {
        request.Groups = ParseGroups(*groups);
    }
    const std::string pdf = *line.Value("pdf");
    const TLimitsFile limitsFile(line.Has("limits") ? std::filesystem::path(*line.Value("limits"))
                                                    : TLimitsFile::DefaultPath());
    const std::optional<TArchiveLocation> location = ParseArchiveOption(line);
    if (!location) {
        std::cerr << "sondrel-cli: this build of the program keeps no archive (it has no "
                     "SQLite)\n";
        return 1;
    }
    TReportContent content;
    try {
        TArchiveOpenOptions options;
        options.ReadOnly = true;
        const std::unique_ptr<IArchiveStore> store = OpenArchive(*location, options);
        request.InstrumentId = ReportInstrument(*store, line);
        std::string identity;
        for (const TInstrumentSummary& instrument : store->Instruments()) {
            if (instrument.Id == request.InstrumentId) {
                identity = instrument.Identity;
            }
        }
        const TLimitsRead limits = limitsFile.Read(identity);
        for (const std::string& problem : limits.Problems) {
            std::cerr << "sondrel-cli: " << limitsFile.Path().string() << ": " << problem << "\n";
        }
        request.Limits = limits.Limits;
        content = ArchiveReportContent(*store, request);
    } catch (const EArchiveError& e) {
        std::cerr << "sondrel-cli: " << e.what() << "\n";
        return 1;
    } catch (const EConsoleFileError& e) {
        std::cerr << "sondrel-cli: " << e.what() << "\n";
        return 1;
    }
    try {
        const int pages = WriteWithQt(content, pdf);
        std::cout << "Wrote the report of " << content.Data.PointCount() << " records to " << pdf
                  << " (" << pages << (pages == 1 ? " page" : " pages") << ").\n";
        return 0;
    } catch (const EReportError& e) {
        std::cerr << "sondrel-cli: " << e.what() << "\n";
        return 1;
    }
}

} // namespace SondrelCli
