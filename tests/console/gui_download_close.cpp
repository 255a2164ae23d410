// Closing the window during a download, with sondrel-sim answering: the window asks what Stop
// asks and stays on No, the download going on; on Yes the download ends through its failure
// path, which restarts acquisition on the instrument before its failure box waits for the
// operator, and the window closes.
#include "SimulatorWindowFixture.h"

#include "DownloadController.h"
#include "LogDataPage.h"
#include "ui_LogDataPage.h"

#include <QTimer>

#include <algorithm>

namespace {

using namespace ConsoleTest;

class DownloadClose : public SimulatorWindowFixture {
protected:
    Ui::TLogDataPage& Page() { return Window().LogDataPage().Form(); }
};

TEST_F(DownloadClose, ClosingAsksToStopAndTheInstrumentSamplesAgainBeforeTheFailureBox) {
    SondrelSim::TInstrumentSettings instrument;
    instrument.CurrentRecord = 500;
    instrument.CurrentTime = *SondrelSim::TRecordTime::FromCalendar(2024, 3, 7, 9, 5);
    const E2eTests::SimulatedLog log(instrument);
    const std::string port = StartSimulator(log);
    ASSERT_FALSE(port.empty());
    ASSERT_TRUE(StartConnected(port)) << Dialogs.Errors.join(';').toStdString();
    Page().recentRadioButton->setChecked(true);
    Page().recordsEdit->setText(QStringLiteral("30"));
    Page().intervalEdit->setText(QStringLiteral("1"));

    // What the log said when the failure box came up.
    QStringList linesAtBox;
    Dialogs.OnError = [&](const QString&) { linesAtBox = LogLines(); };

    // Once the records are being read: close answered No, then close answered Yes.
    bool closedOnNo = true;
    bool shownAfterNo = false;
    bool closedOnYes = false;
    int questionsBeforeYes = 0;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!LogLines().contains(QStringLiteral("Updating List... Please Wait..."))) {
            return;
        }
        poll.stop();
        Dialogs.YesNoAnswers.push_back(false);
        closedOnNo = Window().close();
        shownAfterNo = Window().isVisible() && Window().Download().Engine().Running();
        QTimer::singleShot(300, [&] {
            questionsBeforeYes = static_cast<int>(Dialogs.Questions.size());
            Dialogs.YesNoAnswers.push_back(true);
            closedOnYes = Window().close();
        });
    });
    poll.start();
    Page().startButton->click();
    poll.stop();

    EXPECT_FALSE(closedOnNo);
    EXPECT_TRUE(shownAfterNo) << "the window closed or the download stopped on No";
    EXPECT_EQ(questionsBeforeYes, 1);
    EXPECT_EQ(Dialogs.Questions, QStringList({"Stop Downloading?", "Stop Downloading?"}));
    EXPECT_TRUE(closedOnYes);
    EXPECT_FALSE(Window().isVisible());

    const QStringList lines = LogLines();
    EXPECT_TRUE(lines.contains("Stopping Download...")) << lines.join('|').toStdString();
    EXPECT_FALSE(lines.contains("Download Complete!"));
    ASSERT_EQ(Dialogs.Errors,
              QStringList({"Retrieve Log Data FAILED! Please check your configuration and try "
                           "again."}));
    // By the time the box came up, acquisition had been restarted and acknowledged: the
    // start line is there and its failure line is not.
    const auto failed = std::find(linesAtBox.begin(), linesAtBox.end(),
                                  QStringLiteral("** RETRIEVE LOG DATA FAILED **"));
    ASSERT_NE(failed, linesAtBox.end()) << linesAtBox.join('|').toStdString();
    EXPECT_NE(std::find(failed, linesAtBox.end(), QStringLiteral("Start Acquisition...")),
              linesAtBox.end())
        << linesAtBox.join('|').toStdString();
    EXPECT_FALSE(linesAtBox.contains("Start Acquisition FAILED!"));
    EXPECT_FALSE(Window().Download().Engine().Running());

    // Closed again with nothing running: no question.
    Window().show();
    EXPECT_TRUE(Window().close());
    EXPECT_EQ(Dialogs.Questions.size(), 2);
}

} // namespace
