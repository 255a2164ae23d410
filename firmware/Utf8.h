// UTF-8 helpers of the RTF reader. Pure functions; any thread.
#pragma once

#include <string>
#include <string_view>

namespace Sondrel {

// Appends the code point as UTF-8; surrogates and values above U+10FFFF become U+FFFD.
void AppendUtf8(std::string& out, char32_t codePoint);

// True when text is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view text);

} // namespace Sondrel
