#include "ArchiveCommands.h"

#include "ArchiveOptions.h"
#include "CommandLine.h"
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

bool AllDigits(const std::string& text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) {
        return false;
    }
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    return true;
}

} // namespace

std::string ArchiveRangeEnd(const std::string& text, bool last, const std::string& what) {
    const bool date = text.size() >= 10 && AllDigits(text, 0, 4) && text[4] == '-' &&
                      AllDigits(text, 5, 2) && text[7] == '-' && AllDigits(text, 8, 2);
    if (date && text.size() == 10) {
        return text + (last ? " 23:59" : " 00:00");
    }
    if (date && text.size() == 16 && (text[10] == ' ' || text[10] == 'T') &&
        AllDigits(text, 11, 2) && text[13] == ':' && AllDigits(text, 14, 2)) {
        return text.substr(0, 10) + " " + text.substr(11);
    }
    throw EUsageError(what + ": '" + text + "' is not a date YYYY-MM-DD or \"YYYY-MM-DD HH:MM\"");
}

std::int64_t FindArchiveInstrument(IArchiveStore& store, const std::string& text) {
    for (const TInstrumentSummary& instrument : store.Instruments()) {
        if (std::to_string(instrument.Id) == text || instrument.Name == text ||
            instrument.Identity == text) {
            return instrument.Id;
        }
    }
    throw EUsageError("--instrument: the archive has no instrument '" + text +
                      "' (see sondrel-cli archive list)");
}

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
        query.From = ArchiveRangeEnd(*from, false, "--from");
    }
    if (const auto to = line.Value("to")) {
        query.To = ArchiveRangeEnd(*to, true, "--to");
    }
    if (const auto instrument = line.Value("instrument")) {
        query.InstrumentId = FindArchiveInstrument(store, *instrument);
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
    return std::string(
               "Archive (every download is kept in it; see download --new):\n"
               "  archive list            instruments, record counts, first/last date\n"
               "  archive export [--from DATE] [--to DATE] [--instrument ID]\n"
               "                 --csv|--xlsx|--html FILE\n"
               "                          the records of the range in date-time order;\n"
               "                          DATE is YYYY-MM-DD or \"YYYY-MM-DD HH:MM\", ID\n"
               "                          the instrument's id, name or identity\n"
               "  archive check           integrity, counts, every record's checksum\n"
               "  archive report --from DATE --to DATE --pdf FILE [--instrument ID]\n"
               "                 [--limits FILE] [--groups counts,ppb,health]\n"
               "                          the trend report of the range as a PDF: the\n"
               "                          instrument, its downloads, the limits, a chart\n"
               "                          per group (all three by default), the\n"
               "                          excursions with their acknowledgements and the\n"
               "                          statistics; --instrument may be left out when\n"
               "                          the archive holds one; --limits FILE instead of\n"
               "                          the user's limits file (builds with the window)\n") +
           ArchiveOptionsHelp();
}

int RunArchiveCommand(const std::vector<std::string>& args) {
    std::set<std::string> valueOptions = ArchiveValueOptions();
    valueOptions.insert({"from", "to", "instrument", "pdf", "limits", "groups"});
    valueOptions.insert(ExportOptionNames().begin(), ExportOptionNames().end());
    const TCommandLine line(args, valueOptions, {});
    if (line.Positional().size() != 2) {
        throw EUsageError("archive needs one of list, export, check");
    }
    const std::string action = line.Positional()[1];
    if (action == "report") {
        // The report's charts and pages are drawn with Qt, which this build was made without.
        std::cerr << "sondrel-cli: archive report is not available in this build of the program "
                     "(it was built without Qt)\n";
        return 1;
    }
    if (action != "list" && action != "export" && action != "check") {
        throw EUsageError("archive: unknown action '" + action + "' (list, export, check)");
    }
    if (action != "export") {
        for (const char* name : {"from", "to", "instrument", "csv", "xlsx", "html"}) {
            if (line.Has(name)) {
                throw EUsageError("--" + std::string(name) + " applies to archive export only");
            }
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
        return Export(*store, line);
    } catch (const EArchiveError& e) {
        std::cerr << "sondrel-cli: " << e.what() << "\n";
        return 1;
    }
}

} // namespace SondrelCli
