#include "HtmlExporter.h"

#include "AnsiText.h"
#include "ExportStream.h"
#include "ProgramVersion.h"

namespace Sondrel {

namespace {

constexpr const char* kLineEnd = "\r\n";

std::string PageHead() {
    const std::string name = ProgramName;
    std::string head;
    for (const std::string& line :
         {std::string("<html>"), std::string("<head>"),
          std::string("<meta http-equiv=\"Content-Type\""),
          std::string("content=\"text/html; charset=windows-1252\">"),
          "<meta name=\"GENERATOR\" content=\"" + name + " " + ProgramVersion + "\">",
          "<title>Data exported by " + name + "</title>", std::string("</head>"), std::string(),
          std::string("<body bgcolor=\"#FFFFFF\">"), std::string("<table border=\"1\">")}) {
        head += line + kLineEnd;
    }
    return head;
}

} // namespace

std::string THtmlExporter::CellText(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return Utf8ToWindows1252(escaped, umNumericReference);
}

void THtmlExporter::Write(TExportDataEngine& engine, std::ostream& out,
                          const TExportProgress& progress) {
    engine.Open();
    const auto columnCount = static_cast<std::int32_t>(engine.Columns().size());
    std::string block;
    auto addCell = [&](const char* tag, const std::string& text) {
        block += "<";
        block += tag;
        block += ">";
        block += CellText(text);
        block += "</";
        block += tag;
        block += ">";
        block += kLineEnd;
    };

    block = PageHead();
    block += std::string("<tr>") + kLineEnd;
    for (const TExportColumn& column : engine.Columns()) {
        addCell("th", column.Title);
    }
    block += std::string("</tr>") + kLineEnd;
    PutText(out, block);

    const std::int32_t total = engine.RowCount();
    TProgressTicker ticker(progress, total);
    engine.First();
    for (std::int32_t row = 1; row <= total; ++row) {
        block = std::string("<tr>") + kLineEnd;
        for (std::int32_t c = 0; c < columnCount; ++c) {
            addCell("td", engine.Value(c));
        }
        block += std::string("</tr>") + kLineEnd;
        PutText(out, block);
        engine.Next();
        ticker.RowWritten(row);
    }
    PutText(out, std::string("</table>") + kLineEnd + kLineEnd + "</body>" + kLineEnd + "</html>" +
                     kLineEnd);
    FlushText(out);
}

} // namespace Sondrel
