// A check that a written .xlsx package is whole, before it replaces the user's file.
//
// libxlsxwriter stages every part of the workbook in temporary files and does not check the
// writes to them: when the disk fills up (or a file size limit is hit) it still reports
// success and zips truncated parts. This check reads the package back: the zip's central
// directory, every entry inflated with its CRC-32 and size compared, and every XML part
// (".xml", ".rels") ending with the closing tag of its root element. A truncated part lacks
// that tag, since the closing tag is always written last.
//
// Threads: any.
#pragma once

#include <string>

namespace Sondrel {

// Throws EExportError naming the first entry that is not whole, or the package's fault.
void CheckXlsxPackage(const std::string& path);

} // namespace Sondrel
