// The Windows API for the library's Win32 files, included in one way: without the rarely used
// parts of <windows.h> (whose macros such as SetPort would rename our own members) and without
// its min/max macros.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
