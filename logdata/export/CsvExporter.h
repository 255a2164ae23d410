// The text (CSV) export: the title row, then one line per row of the engine.
//
// The settings of the window's text export: "," is written after every value but the last of a
// line; there is no text qualifier, so no value is ever put in quotes, even one that contains
// a comma or a line break (the record list's values are numbers, dates and times, which never
// do); lines end with CR LF; no end-of-file character. Texts are written in the ANSI code page
// Windows-1252: ASCII, which is all the record list holds, goes out byte for byte; other
// characters are converted from UTF-8 where the code page has them and written as '?'
// otherwise.
//
// Threads: the engine's thread. The stream is borrowed.
#pragma once

#include "ExportDataEngine.h"
#include "ExportProgress.h"

#include <ostream>

namespace Sondrel {

class TCsvExporter {
public:
    // Throws EExportError when the stream fails; what was written up to then stays in it.
    static void Write(TExportDataEngine& engine, std::ostream& out,
                      const TExportProgress& progress = {});
};

} // namespace Sondrel
