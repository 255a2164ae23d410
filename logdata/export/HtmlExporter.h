// The HTML export: a page with one table, the title row first, as the export engine's built-in
// page lays it out. Every line ends with CR LF:
//
//   <html>
//   <head>
//   <meta http-equiv="Content-Type"
//   content="text/html; charset=windows-1252">
//   <meta name="GENERATOR" content="Sondrel 0.1.0">      (the program's name and version)
//   <title>Data exported by Sondrel</title>
//   </head>
//   (empty)
//   <body bgcolor="#FFFFFF">
//   <table border="1">                                  (column and row lines on)
//   then per line of the export: "<tr>", one line per cell, "</tr>"; the title row's cells
//   are "<th>title</th>", the data cells "<td>value</td>"
//   </table>
//   (empty)
//   </body>
//   </html>
//
// Cell texts are HTML-escaped (& < > ") and written in Windows-1252, as the page declares;
// characters that the code page lacks are written as numeric references.
//
// Threads: the engine's thread. The stream is borrowed.
#pragma once

#include "ExportDataEngine.h"
#include "ExportProgress.h"

#include <ostream>
#include <string>
#include <string_view>

namespace Sondrel {

class THtmlExporter {
public:
    // Throws EExportError when the stream fails; what was written up to then stays in it.
    static void Write(TExportDataEngine& engine, std::ostream& out,
                      const TExportProgress& progress = {});

    // A cell text as the page holds it: escaped and in Windows-1252.
    static std::string CellText(std::string_view text);
};

} // namespace Sondrel
