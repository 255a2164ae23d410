// The programming script of the firmware update, built as text.
//
// Windows: the batch file "Program.bat", ten lines ended by CR LF, that changes into the
// program's folder and calls the ISP tool's "FM" command:
//   FM COM(<n>, <baud>) DEVICE(LPC2148, 12.000000) HARDWARE(BOOTEXEC, 50, 100)
//      ERASEUSED(<PATH>, PROTECTISP) HEXFILE(<PATH>, NOCHECKSUMS, NOFILL, PROTECTISP)
// (one line; <PATH> is the hex file path in upper case, ASCII letters only).
//
// Linux and other POSIX systems: the shell script "Program.sh" that does the same with the
// lpc21isp tool (Debian package lpc21isp), found on PATH:
//   lpc21isp -hex -control '<hex path>' '<device>' '<baud>' '12000'
//   FM argument                          lpc21isp equivalent
//   COM(n, baud)                         '<device>' '<baud>'; "COMn" is the device /dev/ttyS(n-1)
//                                        (n >= 1), a path beginning with "/" is used as it is,
//                                        any other name is looked up under /dev ("ttyUSB0")
//   DEVICE(LPC2148, 12.000000)           '12000' (crystal in kHz; the part is detected)
//   HARDWARE(BOOTEXEC, 50, 100)          -control: reset through DTR, boot loader through RTS,
//                                        the program is started after the download
//   ERASEUSED / HEXFILE(path, ...)       -hex '<path>' (Intel hex; only the sectors used are
//                                        erased, which is lpc21isp's default)
//   verify                               not used, as in the batch file
// The path keeps its case (POSIX file names are case-sensitive); a relative path that begins
// with "-" is given as "./-..." so that the tool cannot read it as an option. Every argument is
// single-quoted, embedded single quotes written as '\'', so spaces, quotes, backticks and
// "$(...)" reach the tool literally. The script then prints the "Finished..." text and exits
// with the tool's status. There is no "Pause": the output is shown in the program's window.
//
// Pure functions; any thread may call them. Invalid input raises std::invalid_argument.
#pragma once

#include "FirmwarePlatform.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Sondrel {

enum TFirmwareBaud : std::uint8_t { fb19200, fb38400 };

// 19200 or 38400.
int FirmwareBaudValue(TFirmwareBaud baud);

// What one programming run needs.
struct TProgramJob {
    std::string PortText; // the firmware port picker's text: "COM3", or a device path
    TFirmwareBaud Baud = fb19200;
    std::string HexPath;       // the hex file path as checked by the firmware page
    std::string ProgramFolder; // the program's folder; a trailing separator is added if missing
};

// The text both scripts print at the end, and the text of the information box afterwards.
extern const std::string_view FinishedText;

// The port number of the FM command: the characters after a leading "COM" (any case), or the
// whole text when it does not begin with "COM".
std::string BatchPortNumber(std::string_view portText);

// Line 4 of the batch file, without its CR LF.
std::string IspCommand(const TProgramJob& job);

// The ten lines of "Program.bat". Refuses (std::invalid_argument) a hex path or program folder
// holding a control character or one of " & % ^ | < > that the command interpreter would act on.
std::string ProgramBatchText(const TProgramJob& job);

// text as one single-quoted shell word.
std::string ShellQuote(std::string_view text);

// The serial device lpc21isp opens for the port picker's text (see the table above).
std::string IspPortDevice(std::string_view portText);

// The lpc21isp arguments, unquoted, in order.
std::vector<std::string> Lpc21ispArguments(const TProgramJob& job);

// The text of "Program.sh". Refuses (std::invalid_argument) a NUL character in any field.
std::string ProgramShellScriptText(const TProgramJob& job);

std::string ProgramScriptText(const TProgramJob& job, TScriptKind kind);
// "Program.bat" or "Program.sh".
std::string ProgramScriptFileName(TScriptKind kind);

} // namespace Sondrel
