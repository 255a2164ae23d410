// The demo mode of the program: "sondrel --demo" starts sondrel-sim as its child, keeps the
// simulator's port out of the stored settings, and stops the simulator when it is ended by a
// termination signal.
#include "ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// The first process whose parent is `parent`, or -1.
pid_t ChildOf(pid_t parent) {
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        if (!number) {
            continue;
        }
        std::ifstream stat("/proc/" + entry.toStdString() + "/stat");
        std::string line;
        std::getline(stat, line);
        // pid (comm) state ppid ...: the command may hold spaces, the last ')' ends it.
        const auto close = line.rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        std::istringstream rest(line.substr(close + 1));
        char state = 0;
        pid_t ppid = 0;
        rest >> state >> ppid;
        if (ppid == parent) {
            return pid;
        }
    }
    return -1;
}

// True while the process exists and is not a zombie.
bool Alive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return false;
    }
    const auto close = line.rfind(')');
    return close != std::string::npos && line.find(" Z ", close) != close + 1;
}

#ifdef SONDREL_PROGRAM
TEST(DemoMode, StartsTheSimulatorAndStopsItOnATerminationSignal) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString settings = folder.filePath(QStringLiteral("Main.conf"));
    TestSupport::ChildProcess program(
        {SONDREL_PROGRAM, "--demo", "--program-folder", folder.path().toStdString(),
         "--settings-file", settings.toStdString(), "--archive",
         folder.filePath(QStringLiteral("archive.sqlite")).toStdString()});

    pid_t simulator = -1;
    for (int i = 0; i < 100 && simulator < 0; ++i) {
        QThread::msleep(100);
        simulator = ChildOf(program.Pid());
    }
    ASSERT_GT(simulator, 0) << "no simulator was started";
    std::ifstream commandLine("/proc/" + std::to_string(simulator) + "/cmdline");
    std::string command;
    std::getline(commandLine, command, '\0');
    EXPECT_NE(command.find("sondrel-sim"), std::string::npos) << command;
    // Let the window come up before it is ended.
    QThread::msleep(1500);

    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(std::chrono::seconds(10)), 0);
    bool gone = false;
    for (int i = 0; i < 50 && !gone; ++i) {
        gone = !Alive(simulator);
        QThread::msleep(100);
    }
    EXPECT_TRUE(gone) << "the simulator outlived the program";

    // The port of this run is not kept.
    QFile stored(settings);
    if (stored.open(QIODevice::ReadOnly)) {
        EXPECT_FALSE(stored.readAll().contains("/dev/pts")) << "the demo port was stored";
    }
}

#endif

} // namespace
