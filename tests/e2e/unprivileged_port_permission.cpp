// A serial port that the user may not open, met as an unprivileged user meets it: this program
// runs as nobody when the test run is root's (tests/support/run-unprivileged), on a
// pseudo-terminal whose device node has lost every permission, so that open() really fails
// with EACCES. The library, the command-line tool and the window each say that permission was
// refused and name the group that grants access, instead of a bare "Could not open serial
// port".
#include "ProgramRun.h"
#include "WindowFixture.h"

#include "PtyPair.h"

#include "CorvaneError.h"
#include "SerialLine.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace ConsoleTest;
using namespace E2eTests;

namespace {

class PortPermission : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ASSERT_NE(geteuid(), 0u) << "run through tests/support/run-unprivileged: root may open "
                                    "any device whatever its permissions";
        // The device node belongs to whoever made the pair: this user takes its own access away.
        ASSERT_EQ(chmod(Pty.SlavePath().c_str(), 0), 0);
    }

    std::string Expected() const {
        return "Could not open serial port " + Pty.SlavePath() +
               ": permission denied. Only members of the group \"dialout\" may open it: check "
               "with \"id -nG\" that this user is one, or add the user with \"sudo usermod -aG "
               "dialout $USER\" and log in again.";
    }

    TestSupport::PtyPair Pty;
};

} // namespace

TEST_F(PortPermission, TheLibrarySaysPermissionWasRefusedUnderTheOpenErrorsId) {
    try {
        Corvane::OpenSerialLine(Pty.SlavePath());
        FAIL() << "opened a device without permission";
    } catch (const Corvane::ECorvaneError& e) {
        EXPECT_EQ(e.MessageId(), Corvane::msgCouldNotOpenPort);
        EXPECT_EQ(e.what(), Expected());
    }
}

TEST_F(PortPermission, TheCommandLineToolPrintsTheExplanationOnceAndFails) {
    const ProgramRun run = ProgramRun::Run(
        {kCliProgram, "read-holding-registers", "1", "1", "--port", Pty.SlavePath()},
        std::chrono::seconds(20));
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, Expected() + "\n");
}

TEST_F(PortPermission, TheWindowShowsTheExplanationAndStaysClosed) {
    StoreSetting("SerialPort1", QString::fromStdString(Pty.SlavePath()));
    auto& window = Start();
    window.Connect1Click();
    EXPECT_FALSE(window.ModbusConnection1.Active());
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_EQ(Dialogs.Errors[0].toStdString(), Expected());
    EXPECT_EQ(Panel(0), "Modbus connection: Closed");
}
