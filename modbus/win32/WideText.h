// Conversions between the UTF-8 text of the program and the UTF-16 text of the Windows API.
// Invalid input never throws: invalid UTF-8 sequences and unpaired UTF-16 surrogates become
// U+FFFD. Pure functions; any thread.
#pragma once

#include <string>
#include <string_view>

namespace Corvane {

std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

} // namespace Corvane
