#include "ClientCommands.h"

#include "CliTraffic.h"
#include "CommandLine.h"
#include "ConnectionLogBinding.h"
#include "ConsoleCompletionReporter.h"
#include "ConsoleReports.h"
#include "LineOptions.h"
#include "RegisterFormat.h"
#include "StdoutLogView.h"
#include "StopSignals.h"

#include "CorvaneError.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <optional>

namespace SondrelCli {

using namespace Corvane;
using namespace Sondrel;
using namespace SondrelOptions;

namespace {

constexpr std::array<const char*, 15> kDiagnosticNames = {
    "return-query-data",
    "restart-comms-option",
    "restart-comms-option-and-clear-event-log",
    "return-diagnostic-register",
    "force-listen-only-mode",
    "clear-counters-and-diagnostic-register",
    "return-bus-message-count",
    "return-bus-comm-error-count",
    "return-bus-exception-error-count",
    "return-server-message-count",
    "return-server-no-reply-count",
    "return-server-negative-acknowledge-count",
    "return-server-busy-count",
    "return-bus-character-overrun-count",
    "clear-overrun-counter-and-flag",
};

// What one command needs: how many arguments, whether it may broadcast, and how it issues
// its request (returning the transaction ID).
struct TSession;
using TIssue = std::function<std::int32_t(TSession&, const std::vector<std::string>&)>;

// What a command's values are: --format and --word-order apply to register values only, and
// --count and --interval to the reads.
enum TValueKind : std::uint8_t { vkNone, vkBits, vkRegisters };

struct TCommandSpec {
    std::size_t MinArgs;
    std::size_t MaxArgs; // SIZE_MAX: any number
    bool CanBroadcast;
    std::string_view Name;
    TIssue Issue;
    // The values read (for polling) and the values written (for --format).
    TValueKind Reads = vkNone;
    TValueKind Writes = vkNone;
};

struct TSession {
    TModbusConnection Connection;
    TModbusClient Client;
    bool Broadcast = false;
    bool Completed = false;
    TTransactionInfo Info;
    std::vector<std::string> Values;
    // The registers a read returned, for --format.
    TRegValues ReadRegisters;
    TRegisterFormat Format = rfUnsigned;
    TWordOrder Order = woABCD;
};

std::uint16_t Word(const std::string& text, const char* what) {
    return static_cast<std::uint16_t>(ParseInteger(text, 0, 65535, what));
}

std::uint16_t Count(const std::string& text) {
    return static_cast<std::uint16_t>(ParseInteger(text, 0, 65535, "COUNT"));
}

TBitValues Bits(const std::string& text) {
    TBitValues bits;
    for (char c : text) {
        if (c != '0' && c != '1') {
            throw EUsageError("BITS: '" + text + "' must be written with 0 and 1 only (like 1011)");
        }
        bits.push_back(c == '1');
    }
    return bits;
}

// The registers of the values typed from args[from] on: 16-bit decimal words by default,
// else each value in the session's format and word order (one to four registers each).
TRegValues Registers(const TSession& s, const std::vector<std::string>& args, std::size_t from) {
    TRegValues values;
    for (std::size_t i = from; i < args.size(); ++i) {
        if (s.Format == rfUnsigned && s.Order == woABCD) {
            values.push_back(Word(args[i], "VALUE"));
            continue;
        }
        const TParsedValue parsed = ParseValue(s.Format, s.Order, args[i]);
        if (!parsed.Registers) {
            throw EUsageError("VALUE: " + parsed.Error);
        }
        values.insert(values.end(), parsed.Registers->begin(), parsed.Registers->end());
    }
    return values;
}

const std::map<std::string, TCommandSpec>& Commands() {
    static const std::map<std::string, TCommandSpec> commands = {
        {"read-coils",
         {2, 2, false, kReadCoilsName,
          [](TSession& s, const auto& a) {
              return s.Client.ReadCoils(Word(a[0], "START"), Count(a[1]), 0);
          },
          vkBits}},
        {"read-discrete-inputs",
         {2, 2, false, kReadDiscreteInputsName,
          [](TSession& s, const auto& a) {
              return s.Client.ReadDiscreteInputs(Word(a[0], "START"), Count(a[1]), 0);
          },
          vkBits}},
        {"read-holding-registers",
         {2, 2, false, kReadHoldingRegistersName,
          [](TSession& s, const auto& a) {
              return s.Client.ReadHoldingRegisters(Word(a[0], "START"), Count(a[1]), 0);
          },
          vkRegisters}},
        {"read-input-registers",
         {2, 2, false, kReadInputRegistersName,
          [](TSession& s, const auto& a) {
              return s.Client.ReadInputRegisters(Word(a[0], "START"), Count(a[1]), 0);
          },
          vkRegisters}},
        {"write-single-coil",
         {2, 2, true, kWriteSingleCoilName,
          [](TSession& s, const auto& a) {
              if (a[1] != "on" && a[1] != "off") {
                  throw EUsageError("VALUE: '" + a[1] + "' must be on or off");
              }
              const bool on = a[1] == "on";
              return s.Broadcast ? s.Connection.BroadcastSingleCoilWrite(Word(a[0], "ADDR"), on, 0)
                                 : s.Client.WriteSingleCoil(Word(a[0], "ADDR"), on, 0);
          }}},
        {"write-single-register",
         {2, 2, true, kWriteSingleRegisterName,
          [](TSession& s, const auto& a) {
              const auto address = Word(a[0], "ADDR");
              const TRegValues values = Registers(s, a, 1);
              if (values.size() != 1) {
                  throw EUsageError("write-single-register writes one register; a " +
                                    FormatName(s.Format) +
                                    " value takes more (use write-multiple-registers)");
              }
              return s.Broadcast ? s.Connection.BroadcastSingleRegisterWrite(address, values[0], 0)
                                 : s.Client.WriteSingleRegister(address, values[0], 0);
          },
          vkNone, vkRegisters}},
        {"write-multiple-coils",
         {2, 2, true, kWriteMultipleCoilsName,
          [](TSession& s, const auto& a) {
              const auto start = Word(a[0], "START");
              const TBitValues bits = Bits(a[1]);
              return s.Broadcast ? s.Connection.BroadcastMultipleCoilsWrite(start, bits, 0)
                                 : s.Client.WriteMultipleCoils(start, bits, 0);
          }}},
        {"write-multiple-registers",
         {2, SIZE_MAX, true, kWriteMultipleRegistersName,
          [](TSession& s, const auto& a) {
              const auto start = Word(a[0], "START");
              const TRegValues values = Registers(s, a, 1);
              return s.Broadcast ? s.Connection.BroadcastMultipleRegistersWrite(start, values, 0)
                                 : s.Client.WriteMultipleRegisters(start, values, 0);
          },
          vkNone, vkRegisters}},
        {"mask-write-register",
         {3, 3, false, kMaskWriteRegisterName,
          [](TSession& s, const auto& a) {
              return s.Client.MaskWriteSingleRegister(Word(a[0], "ADDR"), Word(a[1], "AND"),
                                                      Word(a[2], "OR"), 0);
          }}},
        {"read-write-multiple-registers",
         {4, SIZE_MAX, false, kReadWriteMultipleRegistersName,
          [](TSession& s, const auto& a) {
              return s.Client.ReadWriteMultipleRegisters(
                  Word(a[0], "RSTART"), Count(a[1]), Word(a[2], "WSTART"), Registers(s, a, 3), 0);
          },
          vkRegisters, vkRegisters}},
        {"diagnostics",
         {1, 1, false, kDiagnosticsName,
          [](TSession& s, const auto& a) {
              for (std::size_t i = 0; i < kDiagnosticNames.size(); ++i) {
                  if (a[0] == kDiagnosticNames[i]) {
                      return s.Client.Diagnostics(static_cast<TDiagnosticAction>(i), 0);
                  }
              }
              throw EUsageError("ACTION: '" + a[0] + "' is not a diagnostics action (see --help)");
          }}},
        {"read-exception-status",
         {0, 0, false, kReadExceptionStatusName,
          [](TSession& s, const auto&) { return s.Client.ReadExceptionStatus(0); }}},
        {"report-server-id",
         {0, 0, false, kReportServerIDName,
          [](TSession& s, const auto&) { return s.Client.ReportServerID(0); }}},
    };
    return commands;
}

template <typename T>
void AddValues(std::vector<std::string>& out, const T& values) {
    for (const auto v : values) {
        out.push_back(std::to_string(static_cast<unsigned>(v)));
    }
}

// Keeps the values of a normal response for printing after the log lines; the reporter's
// own handler (set by Bind) runs first.
void CaptureValues(TSession& s) {
    auto done = [&s](const TTransactionInfo& info) {
        s.Completed = true;
        s.Info = info;
    };
    auto chain = [](auto& slot, auto capture) {
        auto inner = slot;
        slot = [inner, capture](auto&&... args) {
            inner(args...);
            capture(args...);
        };
    };
    auto bits = [&s, done](TModbusClient&, const TTransactionInfo& info, std::uint16_t,
                           std::uint16_t, const TBitValues& v) {
        done(info);
        if (info.Status == rsNormalResponse) {
            AddValues(s.Values, v);
        }
    };
    auto regs = [&s, done](TModbusClient&, const TTransactionInfo& info, std::uint16_t,
                           std::uint16_t, const TRegValues& v) {
        done(info);
        if (info.Status == rsNormalResponse) {
            AddValues(s.Values, v);
            s.ReadRegisters = v;
        }
    };
    chain(s.Client.OnCoilsRead, bits);
    chain(s.Client.OnDiscreteInputsRead, bits);
    chain(s.Client.OnHoldingRegistersRead, regs);
    chain(s.Client.OnInputRegistersRead, regs);
    chain(s.Client.OnMultipleRegistersReadWrite,
          [&s, done](TModbusClient&, const TTransactionInfo& info, std::uint16_t, std::uint16_t,
                     const TRegValues& read, std::uint16_t, std::uint16_t, const TRegValues&) {
              done(info);
              if (info.Status == rsNormalResponse) {
                  AddValues(s.Values, read);
                  s.ReadRegisters = read;
              }
          });
    chain(s.Client.OnExceptionStatusRead, [&s, done](TModbusClient&, const TTransactionInfo& info,
                                                     const TExceptionStatusValues& v) {
        done(info);
        if (info.Status == rsNormalResponse) {
            AddValues(s.Values, v);
        }
    });
    chain(s.Client.OnServerIdentificationReport,
          [&s, done](TModbusClient&, const TTransactionInfo& info, std::int32_t,
                     const TServerIdentificationData& d) {
              done(info);
              AddValues(s.Values, d);
          });
    chain(s.Client.OnDiagnostics, [&s, done](TModbusClient&, const TTransactionInfo& info,
                                             TDiagnosticAction, std::uint16_t result) {
        done(info);
        if (info.Status == rsNormalResponse) {
            s.Values.push_back(std::to_string(result));
        }
    });
    s.Client.OnTransactionProcessed = [done](TModbusClient&, const TTransactionInfo& info,
                                             std::uint8_t, bool) { done(info); };
}

// Runs the main thread's work until pred holds or the deadline passes.
template <typename Pred>
bool PumpUntil(Pred pred, std::chrono::milliseconds limit) {
    auto& bridge = TMainThreadBridge::Instance();
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        bridge.WaitAndDrain(std::chrono::milliseconds(20));
    }
    return true;
}

} // namespace

bool IsClientCommand(const std::string& command) {
    return Commands().count(command) != 0;
}

const char* ClientCommandsHelp() {
    return "Console operations (one request each; log lines, then the values read):\n"
           "  read-coils START COUNT               read-discrete-inputs START COUNT\n"
           "  read-holding-registers START COUNT   read-input-registers START COUNT\n"
           "  write-single-coil ADDR on|off        write-single-register ADDR VALUE\n"
           "  write-multiple-coils START BITS      (BITS like 1011, first bit at START)\n"
           "  write-multiple-registers START V...  mask-write-register ADDR AND OR\n"
           "  read-write-multiple-registers RSTART RCOUNT WSTART V...\n"
           "  diagnostics ACTION                   read-exception-status   report-server-id\n"
           "  --broadcast on the four writes sends to address 0 (no reply is awaited).\n"
           "  --count N and --interval MS on the four reads poll N times (0: until SIGINT or\n"
           "  SIGTERM), MS apart (default 1000): one line per poll, then the line statistics.\n"
           "  --trace prints every frame sent and received as the window's Traffic view does.\n"
           "  --format unsigned|signed|hex|binary|uint32|int32|float32|float64 and\n"
           "  --word-order ABCD|CDAB|BADC|DCBA for register values read and written (32 and\n"
           "  64-bit values over consecutive registers; default unsigned ABCD).\n"
           "Diagnostics actions: return-query-data, restart-comms-option,\n"
           "  restart-comms-option-and-clear-event-log, return-diagnostic-register,\n"
           "  force-listen-only-mode, clear-counters-and-diagnostic-register,\n"
           "  return-bus-message-count, return-bus-comm-error-count,\n"
           "  return-bus-exception-error-count, return-server-message-count,\n"
           "  return-server-no-reply-count, return-server-negative-acknowledge-count,\n"
           "  return-server-busy-count, return-bus-character-overrun-count,\n"
           "  clear-overrun-counter-and-flag\n"
           "Exit status: 0 normal response (or broadcast sent), 1 failure, 2 usage error.\n";
}

namespace {

// --count and --interval: how many polls (0: until SIGINT or SIGTERM) and how far apart
// their starts are.
struct TPolling {
    bool Enabled = false;
    std::int64_t Count = 1;
    std::chrono::milliseconds Interval{1000};
};

TPolling ParsePolling(const TCommandLine& line, const TCommandSpec& spec,
                      const std::string& command) {
    TPolling polling;
    if (!line.Has("count") && !line.Has("interval")) {
        return polling;
    }
    if (spec.Reads == vkNone || spec.Writes != vkNone) {
        throw EUsageError(command + ": --count and --interval apply to the reads only");
    }
    polling.Enabled = true;
    if (const auto count = line.Value("count")) {
        polling.Count = ParseInteger(*count, 0, 1000000000, "--count");
    }
    if (const auto interval = line.Value("interval")) {
        polling.Interval =
            std::chrono::milliseconds(ParseInteger(*interval, 0, 86400000, "--interval"));
    }
    return polling;
}

void ParseValueFormat(const TCommandLine& line, const TCommandSpec& spec,
                      const std::string& command, TSession& session) {
    if (!line.Has("format") && !line.Has("word-order")) {
        return;
    }
    if (spec.Reads != vkRegisters && spec.Writes != vkRegisters) {
        throw EUsageError(command + ": --format and --word-order apply to register values only");
    }
    if (const auto name = line.Value("format")) {
        const auto format = FormatFromName(*name);
        if (!format) {
            throw EUsageError("--format: '" + *name +
                              "' is not one of unsigned, signed, hex, binary, uint32, int32, "
                              "float32, float64");
        }
        session.Format = *format;
    }
    if (const auto name = line.Value("word-order")) {
        const auto order = WordOrderFromName(*name);
        if (!order) {
            throw EUsageError("--word-order: '" + *name + "' is not one of ABCD, CDAB, BADC, DCBA");
        }
        session.Order = *order;
    }
}

// The values of the last completion as printed: the registers in the chosen format, else as
// the console always printed them.
std::vector<std::string> PrintedValues(const TSession& session, const TCommandSpec& spec) {
    if (spec.Reads == vkRegisters && (session.Format != rfUnsigned || session.Order != woABCD)) {
        return FormatValues(session.Format, session.Order, session.ReadRegisters);
    }
    return session.Values;
}

std::chrono::milliseconds CompletionLimit(const TLineOptions& options) {
    return std::chrono::milliseconds(
        static_cast<std::int64_t>(options.Retries) * (options.TimeoutMs + 2000) + 2000);
}

// The polls of a read, one line each, then the statistics. 0 when every poll had a normal
// response.
int RunPolls(TSession& session, const TCommandSpec& spec, const std::vector<std::string>& operands,
             const TPolling& polling, const TLineOptions& options, TCliTraffic& traffic) {
    // SIGINT and SIGTERM end the run after the poll in progress.
    InstallStopSignals();
    bool allNormal = true;
    for (std::int64_t n = 1; polling.Count == 0 || n <= polling.Count; ++n) {
        if (StopRequested()) {
            break;
        }
        const auto started = std::chrono::steady_clock::now();
        session.Completed = false;
        session.Values.clear();
        session.ReadRegisters.clear();
        spec.Issue(session, operands);
        const bool completed = PumpUntil(
            [&] {
                traffic.Drain();
                return session.Completed;
            },
            CompletionLimit(options));
        std::string line =
            "[" + FormatLogTime(LocalLogTime()) + "] poll " + std::to_string(n) + ":";
        if (!completed) {
            line += " no completion arrived in time";
            allNormal = false;
        } else if (session.Info.Status != rsNormalResponse) {
            line += " " + std::string(OutcomeText(session.Info.Status));
            allNormal = false;
        } else {
            for (const std::string& value : PrintedValues(session, spec)) {
                line += " " + value;
            }
        }
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        if (!completed || n == polling.Count) {
            break;
        }
        PumpUntil(
            [&] {
                traffic.Drain();
                return StopRequested();
            },
            std::chrono::duration_cast<std::chrono::milliseconds>(
                started + polling.Interval - std::chrono::steady_clock::now()));
    }
    RestoreStopSignals();
    session.Connection.SetActive(false);
    traffic.Drain();
    traffic.PrintStatistics();
    return allNormal ? 0 : 1;
}

} // namespace

int RunClientCommand(const std::vector<std::string>& args) {
    std::set<std::string> valueOptions = LineOptionNames();
    valueOptions.insert({"count", "interval", "format", "word-order"});
    const TCommandLine line(args, valueOptions, {"broadcast", "trace"});
    const std::vector<std::string>& positional = line.Positional();
    const auto& spec = Commands().at(positional.at(0));
    const std::vector<std::string> operands(positional.begin() + 1, positional.end());
    if (operands.size() < spec.MinArgs || operands.size() > spec.MaxArgs) {
        throw EUsageError(positional[0] + ": wrong number of arguments (see --help)");
    }
    if (line.Flag("broadcast") && !spec.CanBroadcast) {
        throw EUsageError(positional[0] + " cannot be broadcast");
    }
    const TLineOptions options = ParseLineOptions(line);
    const TPolling polling = ParsePolling(line, spec, positional[0]);

    TStdoutLogView view;
    // A polling run prints one line per poll instead of the log.
    view.Silent = polling.Enabled;
    TTransactionLog log(view);
    TSession session;
    session.Broadcast = line.Flag("broadcast");
    ParseValueFormat(line, spec, positional[0], session);
    ApplyLineOptions(options, session.Connection);
    session.Client.SetConnection(&session.Connection);
    session.Client.SetServerAddress(options.Address);
    BindConnectionLog(session.Connection, log);
    TConsoleCompletionReporter reporter(log, session.Client);
    reporter.Bind();
    reporter.ConsoleRegisterAccess = true;
    reporter.FullHoldingRegisterReports = true;
    CaptureValues(session);
    std::optional<TCliTraffic> traffic;
    if (polling.Enabled || line.Flag("trace")) {
        traffic.emplace(session.Connection, line.Flag("trace"));
    }
    const auto drain = [&traffic] {
        if (traffic) {
            traffic->Drain();
        }
    };

    try {
        session.Connection.SetActive(true);
    } catch (const ECorvaneError& e) {
        std::cerr << LineFailureText(e) << "\n";
        return 1;
    }

    std::int32_t id = 0;
    try {
        if (polling.Enabled) {
            return RunPolls(session, spec, operands, polling, options, *traffic);
        }
        id = spec.Issue(session, operands);
    } catch (const ECorvaneError& e) {
        // The client's own argument checks: a usage error in the library's words.
        std::cerr << e.what() << "\n";
        return 2;
    }
    LogTransactionInit(log, id, spec.Name);
    const bool broadcast = session.Broadcast || options.Address == 0;
    if (broadcast) {
        LogBroadcastNotice(log);
        PumpUntil(
            [&] {
                drain();
                return session.Connection.PendingTransactionCount() == 0;
            },
            std::chrono::seconds(10));
        session.Connection.SetActive(false); // waits for the send and the turnaround pause
        drain();
        return 0;
    }
    if (!PumpUntil(
            [&] {
                drain();
                return session.Completed;
            },
            CompletionLimit(options))) {
        std::cerr << "No completion arrived in time\n";
        return 1;
    }
    session.Connection.SetActive(false);
    drain();
    for (const std::string& value : PrintedValues(session, spec)) {
        std::cout << value << "\n";
    }
    return session.Info.Status == rsNormalResponse ? 0 : 1;
}

} // namespace SondrelCli
