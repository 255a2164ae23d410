// The one place where the firmware update picks its platform: which programming script is
// written and run, and which path separator the program's folders use.
//
// Windows writes the batch file that calls the ISP tool's "FM" command; every other platform
// writes a POSIX shell script that calls the lpc21isp tool (see ProgramScript.h).
#pragma once

#include <cstdint>

namespace Sondrel {

enum TScriptKind : std::uint8_t { skWindowsBatch, skPosixShell };

#ifdef _WIN32
inline constexpr TScriptKind NativeScriptKind = skWindowsBatch;
inline constexpr char PathSeparator = '\\';
#else
inline constexpr TScriptKind NativeScriptKind = skPosixShell;
inline constexpr char PathSeparator = '/';
#endif

} // namespace Sondrel
