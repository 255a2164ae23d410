#include "TrafficCapture.h"

#include "FileContents.h"

namespace Sondrel {

namespace {

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') {
            quoted += '"';
        }
        quoted += c;
    }
    return quoted + '"';
}

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), ' ');
    }
    return text;
}

std::string OptionalUs(std::int64_t us) {
    return us < 0 ? std::string() : std::to_string(us);
}

} // namespace

std::string TrafficCsvHeader() {
    return "Time,Direction,Bytes,Meaning,Status,Gap (us),Response (us)";
}

std::string TrafficCsvLine(const TTrafficRow& row) {
    return CsvField(TrafficTimeText(row)) + ',' + CsvField(TrafficDirectionText(row)) + ',' +
           CsvField(TrafficBytesText(row)) + ',' + CsvField(row.Meaning.Text) + ',' +
           CsvField(TrafficStatusText(row)) + ',' + OptionalUs(row.GapUs) + ',' +
           OptionalUs(row.ResponseUs);
}

std::string TrafficTextLine(const TTrafficRow& row) {
    std::string line = TrafficTimeText(row) + "  " + Padded(TrafficDirectionText(row), 9) + ' ' +
                       Padded(TrafficStatusText(row), 12) + ' ' + TrafficBytesText(row);
    if (!row.Meaning.Text.empty() && row.Role != trNoReply) {
        line += "  | " + row.Meaning.Text;
    }
    if (row.GapUs >= 0) {
        line += "  | gap " + TrafficMicrosecondsText(row.GapUs);
    }
    if (row.ResponseUs >= 0) {
        line += "  | response " + TrafficMicrosecondsText(row.ResponseUs);
    }
    return line;
}

std::string TrafficCapture(const TTrafficStore& store, TTrafficCaptureFormat format) {
    std::string text;
    if (format == tcfCsv) {
        text = TrafficCsvHeader() + "\r\n";
    }
    for (std::size_t i = 0; i < store.Count(); ++i) {
        const TTrafficRow& row = store.Row(i);
        text += format == tcfCsv ? TrafficCsvLine(row) + "\r\n" : TrafficTextLine(row) + '\n';
    }
    return text;
}

void SaveTrafficCapture(const std::filesystem::path& path, const TTrafficStore& store,
                        TTrafficCaptureFormat format) {
    ReplaceFileContents(path, TrafficCapture(store, format));
}

} // namespace Sondrel
