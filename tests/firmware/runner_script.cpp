// The script runner on real processes, and the Linux programming script run end to end with a
// stand-in for lpc21isp that records what it was given.
#include "FirmwareUpdater.h"
#include "ProgramScript.h"
#include "ScriptRunner.h"
#include "ScriptedUpdateHost.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <signal.h>
#include <sstream>

using namespace Sondrel;

namespace {

int Argc = 1;
char Arg0[] = "firmware_runner_tests";
char* Argv[] = {Arg0, nullptr};

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// True once the process is gone or a zombie, waiting up to about three seconds.
bool ProcessEnds(pid_t pid) {
    for (int i = 0; i < 300; ++i) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string content;
        if (!stat || !std::getline(stat, content)) {
            return true;
        }
        const auto close = content.rfind(')');
        if (close != std::string::npos && close + 2 < content.size() && content[close + 2] == 'Z') {
            return true;
        }
        QThread::msleep(10);
    }
    return false;
}

// Files whose name begins with "pwned" anywhere below dir.
QStringList Pwned(const QString& dir) {
    QStringList found;
    QDirIterator it(dir, {QStringLiteral("pwned*")}, QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        found << it.next();
    }
    return found;
}

class ScriptRun : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Temp.isValid());
        Dir = Temp.path().toStdString() + "/";
    }

    std::string Script(const std::string& body) {
        const std::string path = Dir + "test.sh";
        WriteText(path, body);
        return path;
    }

    QCoreApplication App{Argc, Argv};
    QTemporaryDir Temp;
    std::string Dir;
    TScriptRunner Runner;
    std::vector<std::string> Lines;
    TScriptRunner::TLineCallback Collect = [this](const std::string& line) {
        Lines.push_back(line);
    };
};

// Puts a stand-in lpc21isp first on PATH for the life of the object.
class TStandInTool {
public:
    explicit TStandInTool(const std::string& dir) : FArgsFile(dir + "lpc21isp-args.txt") {
        QDir().mkpath(QString::fromStdString(dir + "bin"));
        const std::string tool = dir + "bin/lpc21isp";
        WriteText(tool, "#!/bin/sh\n"
                        "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > " +
                            ShellQuote(FArgsFile) +
                            "\n"
                            "echo 'Synchronizing (ESC to abort). OK'\n"
                            "echo 'Download Finished... taking 1 seconds' >&2\n"
                            "exit 3\n");
        QFile::setPermissions(QString::fromStdString(tool),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        FOldPath = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(dir + "bin:") + FOldPath);
    }
    ~TStandInTool() { qputenv("PATH", FOldPath); }

    std::vector<std::string> Arguments() const { return ReadLines(FArgsFile); }

private:
    std::string FArgsFile;
    QByteArray FOldPath;
};

} // namespace

TEST_F(ScriptRun, ReportsTheExitCodeAndEveryLineIncludingAnUnterminatedLast) {
    const auto result =
        Runner.Run(Script("echo one\necho two >&2\nprintf tail\nexit 7\n"), Collect);
    EXPECT_EQ(result.Status, srFinished);
    EXPECT_EQ(result.ExitCode, 7);
    EXPECT_EQ(Lines, (std::vector<std::string>{"one", "two", "tail"}));
    EXPECT_FALSE(Runner.IsRunning());
}

TEST_F(ScriptRun, RunsInTheScriptsFolder) {
    Runner.Run(Script("pwd\n"), Collect);
    ASSERT_EQ(Lines.size(), 1u);
    EXPECT_EQ(QDir(QString::fromStdString(Lines[0])).canonicalPath(),
              QDir(Temp.path()).canonicalPath());
}

TEST_F(ScriptRun, LinesArriveWhileTheScriptIsStillRunning) {
    // The script waits for a file that the callback creates when it sees the first line.
    const std::string flag = Dir + "flag";
    const auto path = Script("echo first\n"
                             "i=0\n"
                             "while [ ! -e " +
                             ShellQuote(flag) +
                             " ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done\n"
                             "if [ -e " +
                             ShellQuote(flag) + " ]; then echo second; else echo timeout; fi\n");
    Runner.Run(path, [&](const std::string& line) {
        Lines.push_back(line);
        if (line == "first") {
            WriteText(flag, "");
        }
    });
    EXPECT_EQ(Lines, (std::vector<std::string>{"first", "second"}));
}

TEST_F(ScriptRun, TheCallersEventsKeepBeingProcessed) {
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    Runner.Run(Script("sleep 0.3\n"), Collect);
    EXPECT_GT(ticks, 0);
}

TEST_F(ScriptRun, CancelStopsTheScriptAndWhatItStarted) {
    const auto path = Script("sleep 30 &\necho $!\nwait\n");
    pid_t child = 0;
    const auto result = Runner.Run(path, [&](const std::string& line) {
        child = static_cast<pid_t>(std::stol(line));
        Runner.Cancel();
    });
    EXPECT_EQ(result.Status, srCancelled);
    ASSERT_GT(child, 0);
    EXPECT_TRUE(ProcessEnds(child));
}

TEST_F(ScriptRun, ApplicationQuitEndsTheWaitAsCancelled) {
    TScriptRunResult result;
    pid_t child = 0;
    QTimer::singleShot(0, [&] {
        result = Runner.Run(Script("sleep 30 &\necho $!\nwait\n"), [&](const std::string& line) {
            child = static_cast<pid_t>(std::stol(line));
            QCoreApplication::quit();
        });
    });
    App.exec();
    EXPECT_EQ(result.Status, srCancelled);
    ASSERT_GT(child, 0);
    EXPECT_TRUE(ProcessEnds(child));
}

TEST_F(ScriptRun, ASecondRunWhileOneWaitsIsRefused) {
    TScriptRunResult nested;
    Runner.Run(Script("echo go\n"),
               [&](const std::string&) { nested = Runner.Run(Dir + "test.sh", Collect); });
    EXPECT_EQ(nested.Status, srFailedToStart);
    EXPECT_TRUE(Lines.empty());
}

TEST_F(ScriptRun, ProgrammingScriptHandsHostilePathsToTheToolLiterally) {
    TStandInTool tool(Dir);
    const std::string programFolder = Dir + "prog 'dir' $(touch pwned0)";
    QDir().mkpath(QString::fromStdString(programFolder));
    const std::string hexPath = Dir + "fw dir/a `touch pwned1` $(touch pwned2) \"q\" 'x'.hex";
    const TProgramJob job{"COM3", fb38400, hexPath, programFolder};
    const std::string script = programFolder + "/Program.sh";
    WriteText(script, ProgramShellScriptText(job));

    const auto result = Runner.Run(script, Collect);

    EXPECT_EQ(result.Status, srFinished);
    EXPECT_EQ(result.ExitCode, 3);
    const std::vector<std::string> expected = {"-hex",       "-control", hexPath,
                                               "/dev/ttyS2", "38400",    "12000"};
    EXPECT_EQ(tool.Arguments(), expected);
    EXPECT_TRUE(Pwned(Temp.path()).isEmpty()) << Pwned(Temp.path()).join(' ').toStdString();
    EXPECT_TRUE(Pwned(QDir::currentPath()).isEmpty());
    EXPECT_TRUE(Contains(Lines, "Synchronizing (ESC to abort). OK"));
    EXPECT_TRUE(Contains(Lines, "Download Finished... taking 1 seconds"));
    EXPECT_TRUE(Contains(Lines, std::string(FinishedText)));
}

TEST_F(ScriptRun, UpdaterRunsTheScriptThroughTheRunnerAndDeletesIt) {
    TStandInTool tool(Dir);
    TScriptedUpdateHost host;
    host.OnRun = [&](const std::string& path) { return RunProgramScript(Runner, path, Collect); };
    // Quotes, a backtick and spaces pass the name check and must reach the tool unchanged.
    const std::string hexPath = Dir + "my fw/it's `touch pwned3` \"v2\".hex";
    TFirmwareUpdater updater(host, Dir, skPosixShell);
    updater.Start("/dev/ttyUSB0", hexPath, fb19200);

    EXPECT_EQ(host.Calls.back(), "info:" + std::string(FinishedText));
    const std::vector<std::string> expected = {"-hex",         "-control", hexPath,
                                               "/dev/ttyUSB0", "19200",    "12000"};
    EXPECT_EQ(tool.Arguments(), expected);
    EXPECT_TRUE(Pwned(Temp.path()).isEmpty());
    EXPECT_TRUE(Contains(Lines, "Synchronizing (ESC to abort). OK"));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Dir + "Program.sh")));
}
