// Closing the program's window while it works: the real sondrel program, as a child process on
// a virtual X display (Xvfb), driven as an operator drives it: xdotool clicks the tool bar's
// buttons, and the close request is the one a window manager sends when the operator clicks
// the title bar's close button (WM_DELETE_WINDOW). The program must end at once with status 0
// (under the sanitizer build a leak turns the status non-zero), in the middle of a download
// (once the operator answered Yes to the "Stop Downloading?" question that closing then asks)
// and in the middle of answering a Modbus master as a server.
//
// The window fills the 1280 x 800 screen (the program gives it the screen when no window
// manager maximises it), so its tool bar's buttons stand where the layout puts them: connect
// at (22, 40), "Retrieve Data" at (140, 40). What the program does is read from its
// transaction log file, which the console settings file turns on.
#include "ChildProcess.h"
#include "SocatLink.h"
#include "TestStopwatch.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <unistd.h>

#if defined(SONDREL_PROGRAM) && defined(SONDREL_XVFB_PROGRAM)
// Last: Xlib defines macros (Status, Bool, None) that other headers must not see.
#include <X11/Xlib.h>

namespace {

using namespace std::chrono_literals;

std::size_t Occurrences(const std::string& text, const std::string& word) {
    std::size_t count = 0;
    for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        ++count;
    }
    return count;
}

// The program ends within this time of the close request; generous for a shared machine and
// the sanitizer builds (ending takes well under a second).
constexpr long long kExitWithinMs = 15000;

// A virtual X display for the test's lifetime. Display numbers are tried from a high one
// picked by the process id, because the machine is shared: an Xvfb that finds its number taken
// ends at once, and the next is tried. The display counts once a client can connect to it.
class VirtualDisplay {
public:
    VirtualDisplay() {
        const int first = 100 + static_cast<int>(getpid() % 800);
        for (int n = first; n < first + 20 && !FServer; ++n) {
            const std::string name = ":" + std::to_string(n);
            auto server = std::make_unique<TestSupport::ChildProcess>(std::vector<std::string>{
                SONDREL_XVFB_PROGRAM, name, "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
            for (int wait = 0; wait < 100 && server->Running(); ++wait) {
                if (::Display* display = XOpenDisplay(name.c_str())) {
                    XCloseDisplay(display);
                    FServer = std::move(server);
                    FName = name;
                    break;
                }
                QThread::msleep(100);
            }
        }
        if (!FServer) {
            throw std::runtime_error("Xvfb did not start");
        }
    }
    const std::string& Name() const { return FName; }

private:
    std::unique_ptr<TestSupport::ChildProcess> FServer;
    std::string FName;
};

class ProgramClose : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Folder.isValid());
        // Every log line also goes to "TransactionLog.txt", where the test reads it.
        WriteFile("CorvaneDemo.dat", "[General]\nLogTransactionsToFile=1\n" + ExtraSettings);
    }

    void WriteFile(const QString& name, const std::string& text) {
        std::ofstream out(Folder.filePath(name).toStdString(), std::ios::trunc);
        out << text;
    }
    std::string LogFile() const {
        std::ifstream in(Folder.filePath(QStringLiteral("TransactionLog.txt")).toStdString());
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Starts the program on the virtual display with its files in the temporary folder.
    // Under the sanitizer build the leak check runs when it ends; the D-Bus library that the
    // X11 platform loads keeps one buffer to the end by design, and that one is let pass.
    void StartProgram(const std::vector<std::string>& options) {
        WriteFile(QStringLiteral("lsan.supp"), "leak:libdbus-1.so\n");
        const std::string suppressions = Folder.filePath(QStringLiteral("lsan.supp")).toStdString();
        std::vector<std::string> argv = {
            "/usr/bin/env",
            "QT_QPA_PLATFORM=xcb",
            "DISPLAY=" + XServer.Name(),
            "LSAN_OPTIONS=print_suppressions=0:suppressions=" + suppressions,
            SONDREL_PROGRAM,
            "--program-folder",
            Folder.path().toStdString(),
            "--settings-file",
            Folder.filePath(QStringLiteral("Main.conf")).toStdString(),
            "--archive",
            Folder.filePath(QStringLiteral("archive.sqlite")).toStdString()};
        argv.insert(argv.end(), options.begin(), options.end());
        Program = std::make_unique<TestSupport::ChildProcess>(
            argv, TestSupport::ChildProcess::ErrorOutput::Capture);
        ASSERT_TRUE(WaitUntil(
            [&] {
                return !Xdotool({"search", "--onlyvisible", "--name", "^Sondrel$"}).empty();
            },
            20s))
            << "the window did not appear";
        Window = std::stoul(Xdotool({"search", "--onlyvisible", "--name", "^Sondrel$"}));
        // Let the window settle (its first show closes the connection, lists the ports).
        QThread::msleep(1000);
    }

    // Runs xdotool on the display; its standard output.
    std::string Xdotool(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"/usr/bin/env", "DISPLAY=" + XServer.Name(), SONDREL_XDOTOOL_PROGRAM});
        TestSupport::ChildProcess tool(args);
        tool.Wait(10s);
        return tool.Output();
    }
    void Click(int x, int y) {
        Xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"});
    }

    // What a window manager sends when the operator clicks the window's close button.
    bool RequestClose() {
        ::Display* display = XOpenDisplay(XServer.Name().c_str());
        if (display == nullptr) {
            return false;
        }
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = Window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] =
            static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        const Status sent = XSendEvent(display, Window, False, NoEventMask, &event);
        XFlush(display);
        XCloseDisplay(display);
        return sent != 0;
    }

    template <typename F>
    static bool WaitUntil(F&& done, std::chrono::milliseconds timeout) {
        const TestSupport::Stopwatch watch;
        while (!done()) {
            if (watch.ElapsedMs() > timeout.count()) {
                return false;
            }
            QThread::msleep(100);
        }
        return true;
    }

    // Closes the window and waits for the program to end; how long it took.
    long long CloseAndWait(int& status) {
        EXPECT_TRUE(RequestClose());
        return WaitForEnd(status);
    }
    long long WaitForEnd(int& status) {
        const TestSupport::Stopwatch watch;
        status = Program->Wait(std::chrono::milliseconds(kExitWithinMs));
        return watch.ElapsedMs();
    }

    // The windows named "Sondrel" other than the main window: the program's message boxes.
    std::vector<unsigned long> Boxes() {
        std::vector<unsigned long> boxes;
        std::istringstream ids(Xdotool({"search", "--onlyvisible", "--name", "^Sondrel$"}));
        for (unsigned long id = 0; ids >> id;) {
            if (id != Window) {
                boxes.push_back(id);
            }
        }
        return boxes;
    }
    // Answers the question box that is up with its default button (Return).
    bool AnswerTheQuestionWithItsDefault() {
        if (!WaitUntil([&] { return !Boxes().empty(); }, 10s)) {
            return false;
        }
        const std::string box = std::to_string(Boxes().front());
        Xdotool({"windowfocus", "--sync", box});
        Xdotool({"key", "--clearmodifiers", "Return"});
        return true;
    }

    // Connects and starts "Retrieve Data"; returns while it reads records.
    void StartDownloadInTheMiddle();
    // The program ended in time, and the download was stopped rather than run to a false end.
    void ExpectStoppedDownload(int status, long long ms);

    std::string ExtraSettings;
    QTemporaryDir Folder;
    VirtualDisplay XServer;
    std::unique_ptr<TestSupport::ChildProcess> Program;
    unsigned long Window = 0;
};

void ProgramClose::StartDownloadInTheMiddle() {
    // The demo mode's own simulator, reached at 115200 bit/s with the fast delay; the window
    // downloads its default 100 records (about half a minute).
    StartProgram({"--demo"});
    Click(22, 40); // connect
    ASSERT_TRUE(
        WaitUntil([&] { return LogFile().find("successfully opened") != std::string::npos; }, 10s))
        << LogFile();
    Click(140, 40); // "Retrieve Data"
    ASSERT_TRUE(WaitUntil(
        [&] { return LogFile().find("Updating List... Please Wait...") != std::string::npos; },
        30s))
        << LogFile();
    QThread::msleep(1000); // in the middle of the record pass
}

void ProgramClose::ExpectStoppedDownload(int status, long long ms) {
    EXPECT_EQ(status, 0) << Program->Errors();
    EXPECT_LT(ms, kExitWithinMs);
    // The download was stopped, not run to a false end.
    const std::string log = LogFile();
    const auto stopped = log.find("Stopping Download...");
    EXPECT_NE(stopped, std::string::npos) << log;
    EXPECT_NE(log.find("** RETRIEVE LOG DATA FAILED **", stopped), std::string::npos) << log;
    EXPECT_EQ(log.find("Timed out before retrieving all records"), std::string::npos) << log;
    EXPECT_EQ(log.find("Download Complete!"), std::string::npos)
        << "the download ran to its end after the program was told to end";
}

TEST_F(ProgramClose, DuringADownloadAsksToStopAndOnYesEndsAtOnceWithStatusZero) {
    StartDownloadInTheMiddle();
    ASSERT_TRUE(RequestClose());
    // "Stop Downloading?", Yes being its default: the program is still there until answered.
    ASSERT_TRUE(AnswerTheQuestionWithItsDefault()) << "no question came up";
    int status = -1;
    const long long ms = WaitForEnd(status);
    ExpectStoppedDownload(status, ms);
    std::printf("[ measured ] closed during a download: ended in %lld ms, status %d\n", ms, status);
}

TEST_F(ProgramClose, TerminationSignalDuringADownloadStopsItAndEndsWithStatusZero) {
    StartDownloadInTheMiddle();
    Program->Signal(SIGTERM);
    const TestSupport::Stopwatch watch;
    const int status = Program->Wait(std::chrono::milliseconds(kExitWithinMs));
    const long long ms = watch.ElapsedMs();
    ExpectStoppedDownload(status, ms);
    std::printf("[ measured ] SIGTERM during a download: ended in %lld ms, status %d\n", ms,
                status);
}

class ProgramCloseServer : public ProgramClose {
protected:
    ProgramCloseServer() {
        // Server mode; its port is the link's first end, given as the device port setting.
        ExtraSettings = "[ModbusConnection1]\nConnectionMode=1\n";
    }
    TestSupport::SocatLink Link;
};

TEST_F(ProgramCloseServer, DuringServerDispatchEndsAtOnceWithStatusZero) {
    {
        QSettings store(Folder.filePath(QStringLiteral("Main.conf")), QSettings::IniFormat);
        store.setValue(QStringLiteral("Settings/SerialPort1"), QString::fromStdString(Link.EndA()));
    }
    StartProgram({});
    Click(22, 40); // connect: the server listens
    ASSERT_TRUE(
        WaitUntil([&] { return LogFile().find("successfully opened") != std::string::npos; }, 10s))
        << LogFile();

    // A Modbus master polling ten holding registers every 20 ms, without end. The window's
    // server holds no items, so each request is dispatched and answered with exception 02.
    TestSupport::ChildProcess master({SONDREL_MBPOLL_PROGRAM,
                                      "-m",
                                      "rtu",
                                      "-a",
                                      "1",
                                      "-b",
                                      "9600",
                                      "-P",
                                      "none",
                                      "-t",
                                      "4",
                                      "-r",
                                      "1",
                                      "-c",
                                      "10",
                                      "-l",
                                      "20",
                                      "-o",
                                      "0.5",
                                      Link.EndB()},
                                     TestSupport::ChildProcess::ErrorOutput::Capture);
    ASSERT_TRUE(WaitUntil(
        [&] {
            master.Wait(50ms); // reads what it wrote
            return Occurrences(master.Errors(), "Illegal data address") >= 5;
        },
        10s))
        << master.Output() << master.Errors();
    QThread::msleep(500);

    int status = -1;
    const long long ms = CloseAndWait(status);
    EXPECT_EQ(status, 0) << Program->Errors();
    EXPECT_LT(ms, kExitWithinMs);
    std::printf("[ measured ] closed while serving a master: ended in %lld ms, status %d\n", ms,
                status);
}

} // namespace

#endif
