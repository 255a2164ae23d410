// UTF-8 helpers of the RTF reader. Pure functions; any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Sondrel {

// Writes the code point as UTF-8 into out (room for 4 bytes) and returns the byte count;
// surrogates and values above U+10FFFF become U+FFFD.
std::size_t EncodeUtf8(char32_t codePoint, char* out);

// Appends the code point as UTF-8, as EncodeUtf8.
void AppendUtf8(std::string& out, char32_t codePoint);

// True when text is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view text);

} // namespace Sondrel
