#include "CollectCommand.h"

#include "CollectConfig.h"
#include "CollectReport.h"
#include "LineCollector.h"
#include "LineProcess.h"

#include "CommandLine.h"
#include "LineOptions.h"

#include "ArchiveLocation.h"
#include "OpenArchive.h"

#include "MainThreadBridge.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <poll.h>
#include <set>
#include <sstream>
#include <unistd.h>

namespace SondrelCli {

using SondrelOptions::EUsageError;

namespace {

// A configuration file larger than this is no configuration file.
constexpr std::streamsize kMaxConfigBytes = 1 << 20;

volatile std::sig_atomic_t gStopSignal = 0;
std::atomic<bool> gStop{false};

extern "C" void OnStopSignal(int signal) {
    gStopSignal = signal;
    gStop = true;
}
extern "C" void OnChildSignal(int) {}

void WriteWhole(int fd, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        written += static_cast<std::size_t>(n);
    }
}

std::string ReadConfigFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw EUsageError("--config: " + path + " cannot be read");
    }
    std::string text(static_cast<std::size_t>(kMaxConfigBytes) + 1, '\0');
    in.read(text.data(), kMaxConfigBytes + 1);
    if (in.gcount() > kMaxConfigBytes) {
        throw EUsageError("--config: " + path + " is larger than 1 MiB");
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

// --instrument VALUE and --instrument=VALUE, taken out of the arguments (the command line
// keeps one value per option; this one repeats).
std::vector<std::string> TakeInstrumentOptions(std::vector<std::string>& args) {
    std::vector<std::string> instruments;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--instrument") {
            if (i + 1 == args.size()) {
                throw EUsageError("--instrument needs NAME=PORT@ADDRESS");
            }
            instruments.push_back(args[++i]);
        } else if (args[i].rfind("--instrument=", 0) == 0) {
            instruments.push_back(args[i].substr(13));
        } else {
            rest.push_back(args[i]);
        }
    }
    args = std::move(rest);
    return instruments;
}

// The text that hands the archive on to a line's process.
std::string ArchiveForJob(const Sondrel::TArchiveLocation& location) {
    return location.Backend == "postgresql" ? location.Connection : "sqlite:" + location.Path;
}

struct TCollectSettings {
    TCollectPlan Plan;
    Sondrel::TArchiveLocation Archive;
    bool Once = false;
    std::uint32_t EveryMinutes = 0;
    bool Json = false;
};

TCollectSettings ParseCollectSettings(std::vector<std::string> args) {
    const std::vector<std::string> instruments = TakeInstrumentOptions(args);
    std::set<std::string> valueOptions = SondrelOptions::LineOptionNames();
    valueOptions.insert({"config", "every", "archive", "first-records"});
    const SondrelOptions::TCommandLine line(args, valueOptions, {"once", "json"});
    if (line.Positional().size() != 1) {
        throw EUsageError("collect takes no arguments besides its options");
    }
    TCollectSettings settings;
    settings.Once = line.Flag("once");
    settings.Json = line.Flag("json");
    if (const auto config = line.Value("config")) {
        if (!instruments.empty()) {
            throw EUsageError("give the instruments in --config or with --instrument, not both");
        }
        std::set<std::string> fileKeys = SondrelOptions::LineOptionNames();
        fileKeys.insert("first-records");
        for (const std::string& name : fileKeys) {
            if (line.Has(name)) {
                throw EUsageError("--" + name + " goes into the --config file");
            }
        }
        try {
            settings.Plan = ParseCollectConfig(ReadConfigFile(*config), *config);
        } catch (const ECollectConfigError& e) {
            throw EUsageError(e.what());
        }
    } else {
        if (instruments.empty()) {
            throw EUsageError("collect needs --config FILE or --instrument NAME=PORT@ADDRESS");
        }
        for (const char* name : {"port", "address"}) {
            if (line.Has(name)) {
                throw EUsageError(std::string("--") + name +
                                  " is given by each --instrument NAME=PORT@ADDRESS");
            }
        }
        std::map<std::string, std::string> lineSettings;
        for (const std::string& name : SondrelOptions::LineOptionNames()) {
            if (const auto value = line.Value(name)) {
                lineSettings[name] = *value;
            }
        }
        const auto first = line.Value("first-records");
        settings.Plan =
            PlanOfInstrumentOptions(instruments, lineSettings,
                                    first ? static_cast<std::int32_t>(SondrelOptions::ParseInteger(
                                                *first, 1, 62000, "--first-records"))
                                          : 62000);
    }
    const char* environment = std::getenv("SONDREL_ARCHIVE");
    settings.Archive = Sondrel::ResolveArchiveLocation(
        line.Value("archive").value_or(settings.Plan.Archive.value_or("")),
        environment != nullptr ? environment : "", "");
    if (settings.Archive.Backend == "postgresql" ? !Sondrel::PostgresAvailable()
        : settings.Archive.Backend == "sqlite"   ? !Sondrel::ArchivesAvailable()
                                                 : true) {
        throw EUsageError("the archive " + settings.Archive.Text +
                          " cannot be kept by this build of the program");
    }
    settings.EveryMinutes = settings.Plan.EveryMinutes;
    if (const auto every = line.Value("every")) {
        settings.EveryMinutes =
            static_cast<std::uint32_t>(SondrelOptions::ParseInteger(*every, 1, 10080, "--every"));
    }
    if (!settings.Once && settings.EveryMinutes == 0) {
        throw EUsageError("collect needs --once, or --every MINUTES (or every-minutes in the "
                          "file)");
    }
    return settings;
}

// Waits in one system call until a descriptor has data, the time is up or a signal came
// (the stop and child signals are blocked everywhere else).
void WaitForEvents(std::vector<pollfd>& fds, std::chrono::milliseconds timeout,
                   const sigset_t& unblocked) {
    const auto ms = std::max<std::int64_t>(0, timeout.count());
    timespec wait{static_cast<time_t>(ms / 1000), static_cast<long>((ms % 1000) * 1000000)};
    ppoll(fds.data(), fds.size(), &wait, &unblocked);
}

// One round: every line's process, until all of them ended. True when every instrument was
// collected.
bool RunRound(const TCollectSettings& settings, std::uint32_t round, bool colour,
              const sigset_t& unblocked) {
    struct TRunning {
        const TCollectLine* Line;
        std::unique_ptr<TLineProcess> Process;
        std::vector<bool> Reported;
    };
    std::vector<TRunning> running;
    bool allCollected = true;
    auto print = [](const std::string& text) { WriteWhole(STDOUT_FILENO, text + "\n"); };
    auto reportAll = [&](const TCollectLine& line, const std::vector<bool>& reported,
                         const std::string& reason) {
        for (std::size_t i = 0; i < line.Instruments.size(); ++i) {
            if (i < reported.size() && reported[i]) {
                continue;
            }
            TInstrumentReport r;
            r.Round = round;
            r.Name = line.Instruments[i].Name;
            r.Line = line.Name;
            r.Address = line.Instruments[i].Address;
            r.Outcome = gStop ? TCollectOutcome::Stopped : TCollectOutcome::Failed;
            r.Reason = gStop ? "asked to stop" : reason;
            print(settings.Json ? ReportJson(r) : ReportText(r, colour));
        }
    };
    for (const TCollectLine& line : settings.Plan.Lines) {
        TLineJob job;
        job.Line = line;
        job.Archive = ArchiveForJob(settings.Archive);
        job.Json = settings.Json;
        job.Colour = colour;
        job.Round = round;
        TRunning entry{&line, nullptr, std::vector<bool>(line.Instruments.size(), false)};
        try {
            const std::size_t index = running.size();
            entry.Process = std::make_unique<TLineProcess>(
                LineJobText(job),
                [&running, index, print](std::size_t instrument, const std::string& text) {
                    auto& reported = running[index].Reported;
                    if (instrument < reported.size() && !reported[instrument]) {
                        reported[instrument] = true;
                        print(text);
                    }
                });
        } catch (const std::exception& e) {
            reportAll(line, {}, e.what());
            allCollected = false;
            continue;
        }
        running.push_back(std::move(entry));
    }
    bool stopForwarded = false;
    for (;;) {
        if (gStop && !stopForwarded) {
            stopForwarded = true;
            for (auto& r : running) {
                r.Process->Signal(SIGTERM);
            }
        }
        std::vector<pollfd> fds;
        bool waiting = false;
        for (auto& r : running) {
            if (r.Process->OutputFd() >= 0) {
                fds.push_back({r.Process->OutputFd(), POLLIN, 0});
            }
            waiting = waiting || !r.Process->Ended();
        }
        if (!waiting) {
            break;
        }
        WaitForEvents(fds, std::chrono::milliseconds(1000), unblocked);
        for (auto& r : running) {
            if (r.Process->OutputFd() >= 0) {
                for (const pollfd& fd : fds) {
                    if (fd.fd == r.Process->OutputFd() && fd.revents != 0) {
                        r.Process->ReadAvailable();
                    }
                }
            }
            // Reaped only once its output is read to the end.
            if (r.Process->OutputFd() < 0 && !r.Process->Ended() && r.Process->TryReap()) {
                const int status = r.Process->ExitStatus();
                if (status != 0) {
                    allCollected = false;
                    reportAll(
                        *r.Line, r.Reported,
                        status > 128
                            ? "the line's process ended by signal " + std::to_string(status - 128)
                            : "the line's process failed (status " + std::to_string(status) + ")");
                }
            }
        }
    }
    return allCollected;
}

} // namespace

bool IsCollectCommand(const std::string& command) {
    return command == "collect" || command == "collect-line";
}

std::string CollectCommandHelp() {
    return "Unattended collection (the \"New records\" download of many instruments):\n"
           "  collect --config FILE [--once | --every MINUTES] [--json] [--archive LOCATION]\n"
           "  collect --instrument NAME=PORT@ADDRESS [--instrument ...] [line options]\n"
           "          [--archive LOCATION] [--once | --every MINUTES] [--json]\n"
           "          [--first-records N]\n"
           "                            each round collects every line at once, the\n"
           "                            instruments of a line one after the other, each at\n"
           "                            the line's speed; a failing instrument is reported and\n"
           "                            tried again next round. One line per instrument per\n"
           "                            round on standard output (--json: a JSON object).\n"
           "                            --first-records: what the first download of an\n"
           "                            instrument reads (its N most recent records; default\n"
           "                            62000).\n"
           "                            FILE: TOML, see the README. Exit status with --once: 0\n"
           "                            only when every instrument was collected. SIGTERM\n"
           "                            ends the current downloads, keeping what they read.\n";
}

int RunCollectCommand(const std::vector<std::string>& args) {
    const TCollectSettings settings = ParseCollectSettings(args);
    const bool colour = !settings.Json && isatty(STDOUT_FILENO) != 0;

    // The stop and child signals are blocked but while the collector waits (ppoll).
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    action.sa_handler = OnChildSignal;
    sigaction(SIGCHLD, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t blocked;
    sigemptyset(&blocked);
    for (const int s : {SIGTERM, SIGINT, SIGCHLD}) {
        sigaddset(&blocked, s);
    }
    sigset_t unblocked;
    sigprocmask(SIG_BLOCK, &blocked, &unblocked);
    for (const int s : {SIGTERM, SIGINT, SIGCHLD}) {
        sigdelset(&unblocked, s);
    }

    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::minutes(settings.EveryMinutes);
    bool allCollected = true;
    for (std::uint32_t round = 1; !gStop; ++round) {
        const auto started = Clock::now();
        allCollected = RunRound(settings, round, colour, unblocked) && allCollected;
        if (settings.Once) {
            break;
        }
        const auto next = started + period;
        std::vector<pollfd> none;
        while (!gStop && Clock::now() < next) {
            WaitForEvents(none, std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()),
                          unblocked);
        }
    }
    if (settings.Once) {
        return allCollected && !gStop ? 0 : 1;
    }
    return 0;
}

int RunCollectLineCommand() {
    std::stringstream job;
    job << std::cin.rdbuf();
    TLineJob parsed;
    try {
        parsed = ParseLineJob(job.str());
    } catch (const std::exception& e) {
        std::cerr << "sondrel-cli collect-line: " << e.what() << "\n";
        return 2;
    }
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    Corvane::TMainThreadBridge::Instance().AdoptCurrentThread();
    TLineCollector collector(parsed, gStop, [&parsed](const TInstrumentReport& report) {
        std::size_t index = 0;
        while (index < parsed.Line.Instruments.size() &&
               parsed.Line.Instruments[index].Name != report.Name) {
            ++index;
        }
        WriteWhole(STDOUT_FILENO,
                   std::to_string(index) + "\t" +
                       (parsed.Json ? ReportJson(report) : ReportText(report, parsed.Colour)) +
                       "\n");
    });
    return collector.Run() ? 0 : 1;
}

} // namespace SondrelCli
