// Writing text to an export's output stream, shared by the text and HTML writers.
//
// Threads: any.
#pragma once

#include "ExportError.h"

#include <ostream>
#include <string_view>

namespace Sondrel {

// Writes text; throws EExportError when the stream has failed.
inline void PutText(std::ostream& out, std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) {
        throw EExportError("the output could not be written");
    }
}

// Flushes; throws EExportError when the stream has failed.
inline void FlushText(std::ostream& out) {
    out.flush();
    if (!out) {
        throw EExportError("the output could not be written");
    }
}

} // namespace Sondrel
