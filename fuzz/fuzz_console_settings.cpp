// Arbitrary bytes as the console settings file, the way the window uses it: read into a
// connection, a client, a server and the log flag (a value a component refuses stops the
// reading, as at start), written back from those components, and read again into fresh ones.
// Checks: no crash; reading never changes the file; the second reading raises nothing and gives
// exactly the values the first one left (the write round-trips); every line of the original
// file survives the write in order, byte for byte, except the value part of a key the write
// replaced.
#include "ConsoleSettingsFile.h"
#include "LogView.h"
#include "TransactionLog.h"

#include "ModbusClient.h"
#include "ModbusConnection.h"
#include "ModbusServer.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

using namespace Corvane;
using namespace Sondrel;

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

class TNullView : public ILogView {
public:
    void AppendLine(const std::string&, const TLogStyle&) override {}
    void Clear() override {}
};

// One set of the components the file holds the settings of, at their construction defaults.
struct TTargets {
    TModbusConnection Connection;
    TModbusClient Client;
    TModbusServer Server;
    TNullView View;
    TTransactionLog Log{View};

    TConsoleSettingsTargets Get() { return {Connection, Client, Server, Log}; }
};

// Everything the settings file can set, to compare two sets of components.
struct TSnapshot {
    bool LogToFile;
    int BaudRate;
    std::uint32_t CustomBaudRate;
    int ConnectionMode, DataBits, FlowControl, Parity, StopBits, ThreadPriority, TransmissionMode;
    bool DTREnabled, EchoQueryBeforeReply, RTSEnabled;
    std::uint32_t MaxRetries, ReceiveTimeout, RefetchDelay, SendTimeout, SilentInterval,
        TurnaroundDelay;
    std::string Port;
    int ServerAddress, Address;

    static TSnapshot Of(TTargets& t) {
        const TModbusConnection& c = t.Connection;
        return {t.Log.LogTransactionsToFile(),
                c.BaudRate(),
                c.CustomBaudRate(),
                c.ConnectionMode(),
                c.DataBits(),
                c.FlowControl(),
                c.Parity(),
                c.StopBits(),
                c.ThreadPriority(),
                c.TransmissionMode(),
                c.DTREnabled(),
                c.EchoQueryBeforeReply(),
                c.RTSEnabled(),
                c.MaxRetries(),
                c.ReceiveTimeout(),
                c.RefetchDelay(),
                c.SendTimeout(),
                c.SilentInterval(),
                c.TurnaroundDelay(),
                c.Port(),
                t.Client.ServerAddress(),
                t.Server.Address()};
    }
    bool operator==(const TSnapshot&) const = default;
};

// A folder of its own for the file, on a memory file system when there is one; removed when
// the process exits (the path is never destroyed, so the exit handler can still use it).
const std::filesystem::path& WorkFolder() {
    static const std::filesystem::path* const folder = [] {
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string pattern = (base / "fuzz-console-settings-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        auto* made = new std::filesystem::path(pattern);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(WorkFolder(), ignored);
        });
        return made;
    }();
    return *folder;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The lines of a profile text as its parser cuts them: at LF, one CR before it dropped.
std::vector<std::string_view> Lines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const auto lf = bytes.find('\n');
        std::string_view line = bytes.substr(0, lf);
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
    }
    return lines;
}

// Every original line is found in the written text, in order: unchanged, or (a key line whose
// value the write replaced) with the same text up to and including the '='.
bool LinesSurvive(std::string_view before, std::string_view after) {
    const auto old = Lines(before);
    const auto now = Lines(after);
    std::size_t at = 0;
    for (const std::string_view line : old) {
        const auto equals = line.find('=');
        const std::string_view keyPart =
            equals == std::string_view::npos ? line : line.substr(0, equals + 1);
        while (at < now.size() && now[at] != line &&
               !(equals != std::string_view::npos && now[at].substr(0, equals + 1) == keyPart)) {
            ++at;
        }
        if (at == now.size()) {
            return false;
        }
        ++at;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::filesystem::path path = WorkFolder() / TConsoleSettingsFile::FileName;
    WriteFile(path, bytes);
    TConsoleSettingsFile file(path);

    TTargets first;
    try {
        file.ReadSettingsFile(first.Get());
    } catch (const std::exception&) {
        // A refused value stops the reading; what was read so far stays applied.
    }
    Check(ReadFile(path) == bytes);
    const TSnapshot read = TSnapshot::Of(first);

    file.WriteSettingsFile(first.Get());
    const std::string written = ReadFile(path);
    Check(LinesSurvive(bytes, written));

    TTargets second;
    file.ReadSettingsFile(second.Get());
    Check(TSnapshot::Of(second) == read);
    return 0;
}
