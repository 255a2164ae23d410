#include "ArchiveCommands.h"

#include "ArchiveOptions.h"
#include "ArchiveRange.h"
#include "CommandLine.h"
#include "ExcursionCommands.h"
#include "ExportOptions.h"

#include "ArchiveError.h"
#include "ArchiveRecordRows.h"
#include "OpenArchive.h"

#include "ExportError.h"
#include "LogExporter.h"

#include <iostream>

namespace SondrelCli {

using namespace Sondrel;
using namespace SondrelOptions;

namespace {

int List(IArchiveStore& store) {
    std::cout << "ID\tRecords\tFirst\tLast\tPort\tAddress\tName\tIdentity\n";
    for (const TInstrumentSummary& i : store.Instruments()) {
        std::cout << i.Id << '\t' << i.Records << '\t' << i.First << '\t' << i.Last << '\t'
                  << i.Port << '\t' << i.Address << '\t' << i.Name << '\t' << i.Identity << '\n';
    }
    return 0;
}

int Check(IArchiveStore& store) {
    const TArchiveCheck check = store.Check();
    for (const std::string& message : check.IntegrityMessages) {
        std::cout << "Integrity: " << message << '\n';
    }
    std::cout << "Schema version: " << check.SchemaVersion << '\n'
              << "Instruments: " << check.Instruments << '\n'
              << "Downloads: " << check.Downloads << '\n'
              << "Records: " << check.Records << '\n'
              << "Damaged records: " << check.DamagedRecords << '\n'
              << "Excursion acknowledgements: " << check.ExcursionAcks << '\n'
              << "Damaged acknowledgements: " << check.DamagedExcursionAcks << '\n';
    if (!check.Sound()) {
        std::cerr << "sondrel-cli: the archive \"" << store.Location() << "\" is damaged\n";
        return 1;
    }
    return 0;
}

int Export(IArchiveStore& store, const TCommandLine& line) {
    const std::vector<TExportRequest> exports = ParseExportOptions(line);
    if (exports.empty()) {
        throw EUsageError("archive export needs --csv, --xlsx or --html FILE");
    }
    TRecordQuery query;
    if (const auto from = line.Value("from")) {
        query.From = RangeEnd(*from, false, "--from");
    }
    if (const auto to = line.Value("to")) {
        query.To = RangeEnd(*to, true, "--to");
    }
    if (const auto instrument = line.Value("instrument")) {
        query.InstrumentId = FindInstrument(store, *instrument);
    }
    TArchiveRecordRows rows(store);
    rows.SetQuery(query);
    if (const auto error = rows.TakeError()) {
        std::cerr << "sondrel-cli: " << *error << "\n";
        return 1;
    }
    bool written = true;
    for (const TExportRequest& request : exports) {
        try {
            // The archive's records are all-data records: the spreadsheet has the list's
            // columns.
            TLogExporter(rows, true).Export(request.Kind, request.Path);
            if (const auto error = rows.TakeError()) {
                throw EExportError(*error);
            }
            std::cout << "Exported " << rows.Count() << " records to " << request.Path << ".\n";
        } catch (const EExportError& e) {
            std::cerr << "sondrel-cli: " << e.what() << "\n";
            written = false;
        }
    }
    return written ? 0 : 1;
}

} // namespace

bool IsArchiveCommand(const std::string& command) {
    return command == "archive";
}

std::string ArchiveCommandsHelp() {
    return std::string("Archive (every download is kept in it; see download --new):\n"
                       "  archive list            instruments, record counts, first/last date\n"
                       "  archive export [--from DATE] [--to DATE] [--instrument ID]\n"
                       "                 --csv|--xlsx|--html FILE\n"
                       "                          the records of the range in date-time order;\n"
                       "                          DATE is YYYY-MM-DD or \"YYYY-MM-DD HH:MM\", ID\n"
                       "                          the instrument's id, name or identity\n"
                       "  archive check           integrity, counts, every record's checksum\n"
                       "  archive excursions [--from DATE] [--to DATE] [--instrument ID]\n"
                       "                 [--limits FILE] [--json]\n"
                       "                          the runs of records beyond the instruments'\n"
                       "                          alert and action limits, with who acknowledged\n"
                       "                          them; --json: a JSON array\n"
                       "  archive limits --instrument ID [--limits FILE]\n"
                       "                 [--set KEY=VALUE,...] [--clear KEY,...]\n"
                       "                          the instrument's limits, set or cleared first;\n"
                       "                          KEY is SERIES.KIND, e.g. counts1.alert_high,\n"
                       "                          total_ppb.action_high, flow_rate.alert_low\n"
                       "  archive report --from DATE --to DATE --pdf FILE [--instrument ID]\n"
                       "                 [--limits FILE] [--groups counts,ppb,health]\n"
                       "                          the trend report of the range as a PDF: the\n"
                       "                          instrument, its downloads, the limits, a chart\n"
                       "                          per group (all three by default), the\n"
                       "                          excursions with their acknowledgements and the\n"
                       "                          statistics; ID may be left out when the archive\n"
                       "                          holds one instrument (builds with the window)\n"
                       "  --limits FILE           the limits (default: limits.dat in the data\n"
                       "                          folder, shared with the window)\n") +
           ArchiveOptionsHelp();
}

int RunArchiveCommand(const std::vector<std::string>& args) {
    std::set<std::string> valueOptions = ArchiveValueOptions();
    valueOptions.insert({"from", "to", "instrument", "limits", "set", "clear", "pdf", "groups"});
    valueOptions.insert(ExportOptionNames().begin(), ExportOptionNames().end());
    const TCommandLine line(args, valueOptions, {"json"});
    const std::set<std::string> actions = {"list", "export", "check", "excursions", "limits"};
    if (line.Positional().size() != 2) {
        throw EUsageError("archive needs one of list, export, check, excursions, limits");
    }
    const std::string action = line.Positional()[1];
    if (action == "report") {
        // The report's charts and pages are drawn with Qt, which this build was made without.
        std::cerr << "sondrel-cli: archive report is not available in this build of the program "
                     "(it was built without Qt)\n";
        return 1;
    }
    if (actions.count(action) == 0) {
        throw EUsageError("archive: unknown action '" + action +
                          "' (list, export, check, excursions, limits)");
    }
    // The options and the actions they apply to.
    const std::vector<std::pair<std::string, std::set<std::string>>> applies = {
        {"from", {"export", "excursions"}},
        {"to", {"export", "excursions"}},
        {"instrument", {"export", "excursions", "limits"}},
        {"csv", {"export"}},
        {"xlsx", {"export"}},
        {"html", {"export"}},
        {"limits", {"excursions", "limits"}},
        {"json", {"excursions"}},
        {"set", {"limits"}},
        {"clear", {"limits"}}};
    for (const auto& [name, where] : applies) {
        if (line.Has(name) && where.count(action) == 0) {
            std::string list;
            for (const std::string& a : where) {
                list += (list.empty() ? "archive " : " and archive ") + a;
            }
            throw EUsageError("--" + name + " applies to " + list + " only");
        }
    }
    const std::optional<TArchiveLocation> location = ParseArchiveOption(line);
    if (!location) {
        std::cerr << "sondrel-cli: this build of the program keeps no archive (it has no "
                     "SQLite)\n";
        return 1;
    }
    try {
        TArchiveOpenOptions options;
        options.ReadOnly = true;
        const std::unique_ptr<IArchiveStore> store = OpenArchive(*location, options);
        if (action == "list") {
            return List(*store);
        }
        if (action == "check") {
            return Check(*store);
        }
        if (action == "excursions") {
            return ArchiveExcursions(*store, line);
        }
        if (action == "limits") {
            return ArchiveLimits(*store, line);
        }
        return Export(*store, line);
    } catch (const EArchiveError& e) {
        std::cerr << "sondrel-cli: " << e.what() << "\n";
        return 1;
    }
}

} // namespace SondrelCli
