#include "ExportOptions.h"

#include "ExportCommands.h"
#include "ExportError.h"
#include "LogExporter.h"

namespace SondrelCli {

using namespace Sondrel;
using namespace SondrelOptions;

namespace {

struct TExportOption {
    const char* Name;
    TExportKind Kind;
};

constexpr TExportOption kExportOptions[] = {{"csv", ekCsv}, {"xlsx", ekXlsx}, {"html", ekHtml}};

} // namespace

const std::set<std::string>& ExportOptionNames() {
    static const std::set<std::string> names = {"csv", "xlsx", "html"};
    return names;
}

const char* ExportOptionsHelp() {
    return "  download and download-all export the finished download with any of:\n"
           "    --csv FILE     the list as shown, comma separated, CR LF lines\n"
           "    --xlsx FILE    an .xlsx workbook with typed cells (after download-all: the\n"
           "                   count column set without data rows, as the window writes it)\n"
           "    --html FILE    an HTML page with the list as a table\n"
           "  A file is replaced only by a complete export. An export that fails, or a\n"
           "  download that did not finish, gives exit status 1.\n";
}

std::vector<TExportRequest> ParseExportOptions(const TCommandLine& line) {
    std::vector<TExportRequest> requests;
    for (const TExportOption& option : kExportOptions) {
        if (const auto path = line.Value(option.Name)) {
            if (path->empty()) {
                throw EUsageError(std::string("--") + option.Name + " needs a file name");
            }
            requests.push_back({option.Kind, *path});
        }
    }
    return requests;
}

bool WriteExports(const std::vector<TExportRequest>& requests, const TRecordList& list,
                  bool allDataMode, std::ostream& err) {
    if (requests.empty()) {
        return true;
    }
    if (list.Count() == 0) {
        err << "sondrel-cli: " << EmptyListMessage << "\n";
        return false;
    }
    bool allWritten = true;
    const TLogExporter exporter(list, allDataMode);
    for (const TExportRequest& request : requests) {
        try {
            exporter.Export(request.Kind, request.Path);
        } catch (const EExportError& e) {
            err << "sondrel-cli: " << e.what() << "\n";
            allWritten = false;
        }
    }
    return allWritten;
}

} // namespace SondrelCli
