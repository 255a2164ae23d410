// Turns a TRtfDocument into an HTML page for a rich-text view (QTextBrowser): one <p> per
// paragraph, one <span> per run with its weight, slant, underline, size and colour. Text is
// escaped; white space is kept as the document has it (white-space: pre-wrap).
// Pure function; any thread.
#pragma once

#include "RtfDocument.h"

#include <string>

namespace Sondrel {

// A Damaged document gives an empty text.
std::string RtfToHtml(const TRtfDocument& document);

} // namespace Sondrel
