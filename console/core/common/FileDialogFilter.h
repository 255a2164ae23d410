// QtFileFilter: a file dialog filter written the Windows way ("Hex Files (*.hex)|*.hex|All
// Files (*.*)|*.*": description and patterns in turn, separated by "|", patterns by ";")
// turned into Qt's filter text ("Hex Files (*.hex);;All Files (*)").
//
// Qt reads the patterns from the parentheses at the end of each description, so every entry
// ends with its patterns there: a description that already ends with "(" + patterns + ")"
// has that part replaced, any other gets " (patterns)" appended. "*.*" (all files on Windows,
// only names with a dot elsewhere) becomes "*". A description without patterns (an odd last
// entry) and empty entries are dropped.
//
// Pure function; any thread.
#pragma once

#include <string>
#include <string_view>

namespace Sondrel {

std::string QtFileFilter(std::string_view windowsFilter);

} // namespace Sondrel
