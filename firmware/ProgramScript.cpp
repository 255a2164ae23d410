#include "ProgramScript.h"

#include "FirmwarePaths.h"

#include <charconv>
#include <stdexcept>

namespace Sondrel {

const std::string_view FinishedText =
    "Finished.  Restart the device to complete the upgrade.  Please try again if the update "
    "failed or contact Aquenta at 800-555-0199 if you need support.";

namespace {

constexpr std::string_view CrLf = "\r\n";
constexpr std::string_view IspTool = "lpc21isp";
constexpr std::string_view CrystalKHz = "12000";

bool StartsWithCom(std::string_view text) {
    return text.size() >= 3 && (text[0] == 'C' || text[0] == 'c') &&
           (text[1] == 'O' || text[1] == 'o') && (text[2] == 'M' || text[2] == 'm');
}

std::string AsciiUpper(std::string_view text) {
    std::string result(text);
    for (auto& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

// Characters that cmd.exe acts on even in the middle of a word.
void RequireBatchSafe(std::string_view text, const char* what) {
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F || c == '"' || c == '&' || c == '%' || c == '^' || c == '|' ||
            c == '<' || c == '>') {
            throw std::invalid_argument(std::string("The ") + what +
                                        " holds a character the batch file cannot carry.");
        }
    }
}

void RequireNoNul(std::string_view text, const char* what) {
    if (text.find('\0') != std::string_view::npos) {
        throw std::invalid_argument(std::string("The ") + what + " holds a NUL character.");
    }
}

} // namespace

int FirmwareBaudValue(TFirmwareBaud baud) {
    return baud == fb38400 ? 38400 : 19200;
}

std::string BatchPortNumber(std::string_view portText) {
    return std::string(StartsWithCom(portText) ? portText.substr(3) : portText);
}

std::string IspCommand(const TProgramJob& job) {
    const std::string path = AsciiUpper(job.HexPath);
    return "FM COM(" + BatchPortNumber(job.PortText) + ", " +
           std::to_string(FirmwareBaudValue(job.Baud)) + ") " + "DEVICE(LPC2148, 12.000000) " +
           "HARDWARE(BOOTEXEC, 50, 100) " + "ERASEUSED(" + path + ", PROTECTISP) " + "HEXFILE(" +
           path + ", NOCHECKSUMS, NOFILL, PROTECTISP)";
}

std::string ProgramBatchText(const TProgramJob& job) {
    RequireBatchSafe(job.HexPath, "hex file path");
    RequireBatchSafe(job.ProgramFolder, "program folder");
    RequireBatchSafe(job.PortText, "port name");
    const std::string lines[] = {
        "@ECHO OFF",
        "CD " + WithTrailingSeparator(job.ProgramFolder, '\\'),
        "@ECHO ON",
        IspCommand(job),
        "@ECHO OFF",
        "ECHO.",
        "ECHO " + std::string(FinishedText),
        "ECHO.",
        "Pause",
        "@ECHO ON",
    };
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += CrLf;
    }
    return text;
}

std::string ShellQuote(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    quoted += '\'';
    return quoted;
}

std::string IspPortDevice(std::string_view portText) {
    if (!portText.empty() && portText.front() == '/') {
        return std::string(portText);
    }
    if (StartsWithCom(portText) && portText.size() > 3 && portText.size() <= 12) {
        const auto digits = portText.substr(3);
        long long n = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
        if (error == std::errc() && end == digits.data() + digits.size() && n >= 1) {
            return "/dev/ttyS" + std::to_string(n - 1);
        }
    }
    return "/dev/" + std::string(portText);
}

std::vector<std::string> Lpc21ispArguments(const TProgramJob& job) {
    std::string hexPath = job.HexPath;
    if (!hexPath.empty() && hexPath.front() == '-') {
        hexPath = "./" + hexPath;
    }
    return {"-hex",
            "-control",
            hexPath,
            IspPortDevice(job.PortText),
            std::to_string(FirmwareBaudValue(job.Baud)),
            std::string(CrystalKHz)};
}

std::string ProgramShellScriptText(const TProgramJob& job) {
    RequireNoNul(job.HexPath, "hex file path");
    RequireNoNul(job.ProgramFolder, "program folder");
    RequireNoNul(job.PortText, "port name");
    std::string command(IspTool);
    for (const auto& argument : Lpc21ispArguments(job)) {
        command += ' ';
        command += ShellQuote(argument);
    }
    std::string text;
    text += "#!/bin/sh\n";
    text += "# Programs the instrument's controller. Written and deleted by Sondrel.\n";
    text += "cd " + ShellQuote(WithTrailingSeparator(job.ProgramFolder, '/')) + " || exit 1\n";
    // Show the command before running it, as the batch file does with its ECHO ON.
    text += "printf '%s\\n' " + ShellQuote(command) + "\n";
    text += command + "\n";
    text += "status=$?\n";
    text += "echo\n";
    text += "printf '%s\\n' " + ShellQuote(FinishedText) + "\n";
    text += "echo\n";
    text += "exit $status\n";
    return text;
}

std::string ProgramScriptText(const TProgramJob& job, TScriptKind kind) {
    return kind == skWindowsBatch ? ProgramBatchText(job) : ProgramShellScriptText(job);
}

std::string ProgramScriptFileName(TScriptKind kind) {
    return kind == skWindowsBatch ? "Program.bat" : "Program.sh";
}

} // namespace Sondrel
