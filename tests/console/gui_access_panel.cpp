// The access panel of the main window: the operations of the Discrete Access, Modbus Access
// and Server Diagnostics pages against a scripted peer on a pseudo-terminal (their checks,
// INIT lines, broadcasts and the reports of their completions), the register list's labels
// and the two address prompts of the Edit menu.
#include "WindowFixture.h"

#include "AccessPanelController.h"
#include "DiscreteAccessPage.h"
#include "ModbusAccessPage.h"
#include "ServerDiagnosticsPage.h"
#include "ui_DiscreteAccessPage.h"
#include "ui_ModbusAccessPage.h"
#include "ui_ServerDiagnosticsPage.h"

#include "PtyPair.h"
#include "ScriptedPeer.h"

#include "RadioGroup.h"

#include <QApplication>
#include <QTest>
#include <QTreeWidget>

#include <chrono>
#include <optional>

using namespace std::chrono_literals;
using namespace ConsoleTest;
using TestSupport::Bytes;
using TestSupport::PeerReply;
using TestSupport::PtyPair;
using TestSupport::RtuFrame;
using TestSupport::ScriptedPeer;

namespace {

// The request body (address, function, data) without its CRC.
Bytes Body(const Bytes& request) {
    return request.size() < 2 ? Bytes{} : Bytes(request.begin(), request.end() - 2);
}

std::uint16_t WordAt(const Bytes& body, std::size_t at) {
    return static_cast<std::uint16_t>(body.at(at) << 8 | body.at(at + 1));
}

// A server at address 1 as the tests need it: bits read as ON, registers as 0, writes echoed,
// diagnostics answered with 0x1234 (query data echoed), exception status 0x05, an empty
// identification. Broadcasts and other functions get no reply.
Bytes Answer(const Bytes& body) {
    if (body.size() < 2 || body[0] != 0x01) {
        return {};
    }
    const std::uint8_t function = body[1];
    switch (function) {
    case 0x01:
    case 0x02: {
        const std::size_t bytes = (WordAt(body, 4) + 7u) / 8u;
        Bytes reply{0x01, function, static_cast<std::uint8_t>(bytes)};
        reply.insert(reply.end(), bytes, 0xFF);
        return reply;
    }
    case 0x03:
    case 0x04: {
        const std::size_t bytes = WordAt(body, 4) * 2u;
        Bytes reply{0x01, function, static_cast<std::uint8_t>(bytes)};
        reply.insert(reply.end(), bytes, 0x00);
        return reply;
    }
    case 0x05:
    case 0x06:
    case 0x0F:
    case 0x10:
        return Bytes(body.begin(), body.begin() + 6);
    case 0x16:
        return Bytes(body.begin(), body.begin() + 8);
    case 0x17: {
        const std::size_t bytes = WordAt(body, 4) * 2u;
        Bytes reply{0x01, 0x17, static_cast<std::uint8_t>(bytes)};
        reply.insert(reply.end(), bytes, 0x00);
        return reply;
    }
    case 0x07:
        return {0x01, 0x07, 0x05};
    case 0x08:
        if (WordAt(body, 2) == 0) {
            return body;
        }
        return {0x01, 0x08, body[2], body[3], 0x12, 0x34};
    case 0x11:
        return {0x01, 0x11, 0x00};
    default:
        return {};
    }
}

class AccessPanel : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        StoreSetting("SerialPort1", QString::fromStdString(Pty.SlavePath()));
    }
    void TearDown() override {
        Peer.reset();
        WindowFixture::TearDown();
    }

    // Starts the window with the connection open and the peer answering.
    Sondrel::TCorvaneDemoMainForm& StartConnected() {
        auto& window = Start();
        Peer = std::make_unique<ScriptedPeer>(
            Pty, [](const Bytes& request, int) -> std::vector<PeerReply> {
                const Bytes body = Answer(Body(request));
                if (body.empty()) {
                    return {};
                }
                return {PeerReply{RtuFrame(body)}};
            });
        window.Connect1Click();
        EXPECT_TRUE(window.ModbusConnection1.Active());
        OpenLines = LogLines().size();
        return window;
    }

    // The log's lines written after the connection opened.
    QStringList NewLines() { return LogLines().mid(OpenLines); }
    // Waits until at least lineCount lines were written after the connection opened.
    bool WaitForLines(qsizetype lineCount) {
        return WaitFor([&] { return NewLines().size() >= lineCount; });
    }

    Ui::TDiscreteAccessPage& Discrete() { return Ui().DiscreteAccessTabSheet->Form(); }
    Ui::TModbusAccessPage& Registers() { return Ui().RegisterAccessTabSheet->Form(); }
    Ui::TServerDiagnosticsPage& Diagnostics() { return Ui().ServerDiagnosticsTabSheet->Form(); }
    static QString Init(const QString& name, int id) {
        return QStringLiteral("INIT: %1 [ID: %2]").arg(name).arg(id);
    }
    static QString Done(const QString& name, int id) {
        return QStringLiteral("DONE: %1 [ID: %2]").arg(name).arg(id);
    }
    // The ID of the INIT line that starts the new lines.
    int FirstId() {
        const QString first = NewLines().value(0);
        const auto at = first.lastIndexOf(QStringLiteral("[ID: "));
        return at < 0 ? -1 : first.mid(at + 5).chopped(1).toInt();
    }

    PtyPair Pty;
    std::unique_ptr<ScriptedPeer> Peer;
    qsizetype OpenLines = 0;
};

// --- Edit checks and client errors -----------------------------------------------------------

TEST_F(AccessPanel, ACoilCountOutOfRangeIsReportedAndFocusedAndNothingIsQueued) {
    auto& window = Start();
    Ui().PageControl1->setTabVisible(Ui().PageControl1->indexOf(Ui().DiscreteAccessTabSheet), true);
    Ui().PageControl1->setCurrentWidget(Ui().DiscreteAccessTabSheet);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    Discrete().ReadStartBitEdit->setFocus();

    Discrete().ReadBitCountEdit->setText("2009");
    window.AccessPanel().ReadCoilsButtonClick();
    EXPECT_EQ(Dialogs.Errors, QStringList({"Value must be between 1 and 2008"}));
    EXPECT_EQ(QApplication::focusWidget(), Discrete().ReadBitCountEdit);
    EXPECT_TRUE(LogLines().isEmpty());
    EXPECT_EQ(window.ModbusConnection1.PendingTransactionCount(), 0);

    // The start is checked first: its error is the one reported and its edit is focused.
    Discrete().ReadStartBitEdit->setText("1x");
    Discrete().ReadCoilsButton->click();
    EXPECT_EQ(Dialogs.Errors.value(1), "'1x' is not a valid integer value");
    EXPECT_EQ(QApplication::focusWidget(), Discrete().ReadStartBitEdit);
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(AccessPanel, AClientErrorIsOneMessageBoxWithoutAnInitLine) {
    auto& window = Start();
    // The connection is closed: the client refuses the request.
    window.AccessPanel().ReadCoilsButtonClick();
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_FALSE(Dialogs.Errors[0].isEmpty());
    EXPECT_TRUE(LogLines().isEmpty());
}

// --- Coils --------------------------------------------------------------------------------------

TEST_F(AccessPanel, AOneCoilReadReportsItsBit) {
    StartConnected();
    Discrete().ReadStartBitEdit->setText("10");
    Discrete().ReadBitCountEdit->setText("1");
    Discrete().ReadCoilsButton->click();
    ASSERT_TRUE(WaitForLines(6)) << NewLines().join('|').toStdString();
    const int id = FirstId();
    const QString name = "Read Coils (code $01)";
    EXPECT_EQ(NewLines(), QStringList({Init(name, id), Done(name, id), "SUCCESS: Normal response",
                                       "1 coil was processed.", "Coil 10 is ON.", ""}));
    EXPECT_EQ(Body(Peer->Requests().at(0)), (Bytes{0x01, 0x01, 0x00, 0x0A, 0x00, 0x01}));
    EXPECT_TRUE(Dialogs.Errors.isEmpty());
}

TEST_F(AccessPanel, ABroadcastCoilWriteWritesOnlyItsInitLineAndTheNotice) {
    auto& window = StartConnected();
    Discrete().WriteStartBitEdit->setText("3");
    window.AccessPanel().WriteStartBitEditExit();
    Discrete().DiscreteListView->topLevelItem(0)->setCheckState(0, Qt::Checked);
    Discrete().DiscreteBroadcastCheckBox->setChecked(true);
    Discrete().WriteSingleCoilButton->click();
    ASSERT_TRUE(WaitFor([&] { return Peer->RequestCount() == 1; }));
    // Time for a completion that must not come.
    WaitFor([] { return false; }, 400);
    const int id = FirstId();
    EXPECT_EQ(NewLines(),
              QStringList({Init("Write Single Coil (code $05)", id),
                           "Broadcasting mode: No reply is expected to be returned from a "
                           "remote server(s)."}));
    EXPECT_EQ(Body(Peer->Requests().at(0)), (Bytes{0x00, 0x05, 0x00, 0x03, 0xFF, 0x00}));
}

// --- Registers ----------------------------------------------------------------------------------

TEST_F(AccessPanel, AHoldingRegisterReadReportsOnlyWhileConsoleRegisterAccessIsSet) {
    auto& window = StartConnected();
    // A read of the download's kind: the flag is off, so the console writes nothing.
    window.CompletionReporter().ConsoleRegisterAccess = false;
    window.ModbusClient1.ReadHoldingRegisters(0, 2, 0);
    ASSERT_TRUE(WaitFor([&] { return Peer->RequestCount() == 1; }));
    WaitFor([] { return false; }, 400);
    EXPECT_TRUE(NewLines().isEmpty()) << NewLines().join('|').toStdString();

    // The button sets the flag first: INIT, then the report of every other operation: DONE,
    // the outcome, the count line and an empty line.
    Registers().ReadRegCountEdit->setText("2");
    Registers().ReadHoldingRegistersButton->click();
    EXPECT_TRUE(window.CompletionReporter().ConsoleRegisterAccess);
    ASSERT_TRUE(WaitForLines(5));
    EXPECT_EQ(NewLines(),
              QStringList({Init("Read Holding Registers (code $03)", FirstId()),
                           Done("Read Holding Registers (code $03)", FirstId()),
                           "SUCCESS: Normal response", "2 holding registers were processed.", ""}));
}

TEST_F(AccessPanel, RegisterLabelsPassTheTopAddressAndTheClientJudgesTheWrite) {
    auto& window = StartConnected();
    Registers().WriteStartRegEdit->setText("65535");
    Registers().WriteRegCountEdit->setText("3");
    window.AccessPanel().WriteRegCountEditExit();
    QTreeWidget* list = Registers().RegisterListView;
    ASSERT_EQ(list->topLevelItemCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list->topLevelItem(i)->text(0), QString("Register %1").arg(65535 + i));
    }

    // The client's own limit refuses the write: its text is the one message, no INIT line.
    QString clientError;
    try {
        window.ModbusClient1.WriteMultipleRegisters(65535, {0, 0, 0}, 0);
    } catch (const std::exception& e) {
        clientError = QString::fromStdString(e.what());
    }
    ASSERT_FALSE(clientError.isEmpty());
    Registers().WriteMultipleRegistersButton->click();
    EXPECT_EQ(Dialogs.Errors, QStringList({clientError}));
    EXPECT_TRUE(NewLines().isEmpty());
    EXPECT_EQ(Peer->RequestCount(), 0);
}

TEST_F(AccessPanel, MaskWriteAndReadWriteMultipleReportTheirCounts) {
    auto& window = StartConnected();
    Registers().MaskWriteRegAddrEdit->setText("7");
    Registers().AndMaskEdit->setText("61680");
    Registers().OrMaskEdit->setText("3855");
    Registers().MaskWriteSingleRegisterButton->click();
    ASSERT_TRUE(WaitForLines(6)) << NewLines().join('|').toStdString();
    const QString mask = "Mask Write Register (code $16)";
    const int maskId = FirstId();
    EXPECT_EQ(NewLines(),
              QStringList({Init(mask, maskId), Done(mask, maskId), "SUCCESS: Normal response",
                           "1 holding register was processed.",
                           "Register: 7 | AND mask: 61680 | OR mask: 3855", ""}));

    // Read 2 from 4; write the list's 3 registers from 10.
    Registers().ReadStartRegEdit->setText("4");
    Registers().ReadRegCountEdit->setText("2");
    Registers().WriteStartRegEdit->setText("10");
    Registers().WriteRegCountEdit->setText("3");
    window.AccessPanel().WriteStartRegEditExit();
    OpenLines = LogLines().size();
    Registers().ReadWriteMultipleRegistersButton->click();
    ASSERT_TRUE(WaitForLines(8)) << NewLines().join('|').toStdString();
    const QString readWrite = "Read/Write Multiple Registers (code $17)";
    const int id = FirstId();
    EXPECT_EQ(NewLines(),
              QStringList({Init(readWrite, id), Done(readWrite, id), "SUCCESS: Normal response",
                           "WRITE OPERATION:", "3 holding registers were processed.",
                           "READ OPERATION:", "2 holding registers were processed.", ""}));
    const Bytes request = Body(Peer->Requests().at(1));
    ASSERT_GE(request.size(), 11u);
    EXPECT_EQ(WordAt(request, 2), 4);  // read start
    EXPECT_EQ(WordAt(request, 4), 2);  // read count
    EXPECT_EQ(WordAt(request, 6), 10); // write start
    EXPECT_EQ(WordAt(request, 8), 3);  // write count
    EXPECT_TRUE(window.CompletionReporter().ConsoleRegisterAccess);
}

// --- Server diagnostics
// ---------------------------------------------------------------------------

TEST_F(AccessPanel, DiagnosticsUseTheSelectedActionAndReportItsLine) {
    auto& window = StartConnected();
    const QString name = "Diagnostics (code $08)";
    Diagnostics().DiagnosticActionRadioGroup->SetItemIndex(Corvane::daReturnQueryData);
    Diagnostics().DiagnosticsButton->click();
    ASSERT_TRUE(WaitForLines(5)) << NewLines().join('|').toStdString();
    EXPECT_EQ(NewLines().value(3), "\"Return Query Data\" action was performed by the server. "
                                   "It appears to be responding.");

    OpenLines = LogLines().size();
    Diagnostics().DiagnosticActionRadioGroup->SetItemIndex(Corvane::daReturnDiagnosticRegister);
    window.AccessPanel().DiagnosticsButtonClick();
    ASSERT_TRUE(WaitForLines(5));
    const int id = FirstId();
    EXPECT_EQ(NewLines(), QStringList({Init(name, id), Done(name, id), "SUCCESS: Normal response",
                                       "\"Return Diagnostic Register\" action returned the "
                                       "value 4660.",
                                       ""}));
    EXPECT_EQ(WordAt(Body(Peer->Requests().at(1)), 2), 2); // the sub-function sent

    OpenLines = LogLines().size();
    Diagnostics().DiagnosticActionRadioGroup->SetItemIndex(Corvane::daReturnBusMessageCount);
    window.AccessPanel().DiagnosticsButtonClick();
    ASSERT_TRUE(WaitForLines(5));
    EXPECT_EQ(NewLines().value(3), "\"Return Bus Message Count\" action returned the value 4660.");
}

TEST_F(AccessPanel, AnEmptyServerIdentificationIsReportedAsEmpty) {
    StartConnected();
    Diagnostics().ReportServerIDButton->click();
    ASSERT_TRUE(WaitForLines(6)) << NewLines().join('|').toStdString();
    const QString name = "Report Server ID (code $11)";
    const int id = FirstId();
    EXPECT_EQ(NewLines(),
              QStringList({Init(name, id), Done(name, id), "SUCCESS: Normal response",
                           "Size of server identification info is 0 bytes.", "<empty>", ""}));
}

TEST_F(AccessPanel, ExceptionStatusListsItsEightBits) {
    StartConnected();
    Diagnostics().ReadExceptionStatusButton->click();
    ASSERT_TRUE(WaitForLines(13)) << NewLines().join('|').toStdString();
    const QStringList lines = NewLines();
    EXPECT_EQ(lines.value(3), "8 exception status bits were processed.");
    EXPECT_EQ(lines.value(4), "Exception status bit 0 is ON.");
    EXPECT_EQ(lines.value(5), "Exception status bit 1 is OFF.");
    EXPECT_EQ(lines.value(6), "Exception status bit 2 is ON.");
    EXPECT_EQ(lines.value(11), "Exception status bit 7 is OFF.");
}

// --- Address prompts
// ------------------------------------------------------------------------------

TEST_F(AccessPanel, TheClientAddressPromptTakesTheLowEightBitsAndWritesTheSettings) {
    auto& window = Start();
    Dialogs.InputAnswers.push_back(QString("300"));
    Ui().ToolsClientOptionsItem->trigger();
    EXPECT_EQ(window.ModbusClient1.ServerAddress(), 44);
    EXPECT_NE(ReadProgramFile("CorvaneDemo.dat").find("ServerAddress=44"), std::string::npos);
    EXPECT_TRUE(Dialogs.Errors.isEmpty());

    Dialogs.InputAnswers.push_back(QString("abc"));
    window.AccessPanel().ToolsClientOptionsItemClick();
    EXPECT_EQ(Dialogs.Errors, QStringList({"'abc' is not a valid server address."}));
    EXPECT_EQ(window.ModbusClient1.ServerAddress(), 44);

    Dialogs.InputAnswers.push_back(std::nullopt); // cancelled
    window.AccessPanel().ToolsClientOptionsItemClick();
    EXPECT_EQ(window.ModbusClient1.ServerAddress(), 44);
    EXPECT_EQ(Dialogs.Errors.size(), 1);
}

TEST_F(AccessPanel, TheServerAddressPromptShowsTheServersRangeError) {
    WriteProgramFile("CorvaneDemo.dat", "[ModbusConnection1]\r\nConnectionMode=1\r\n");
    auto& window = Start();
    Dialogs.InputAnswers.push_back(QString("0"));
    window.AccessPanel().ToolsServerOptionsItemClick();
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_EQ(window.ModbusServer1.Address(), 1);

    Dialogs.InputAnswers.push_back(QString("17"));
    Ui().ToolsServerOptionsItem->trigger();
    EXPECT_EQ(window.ModbusServer1.Address(), 17);
    EXPECT_EQ(Panel(1), "Local server address: 17");
    EXPECT_NE(ReadProgramFile("CorvaneDemo.dat").find("Address=17"), std::string::npos);
    EXPECT_EQ(Dialogs.Errors.size(), 1);
}

} // namespace
