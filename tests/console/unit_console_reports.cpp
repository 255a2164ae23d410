// The report texts of console transactions, as they reach the log.
#include "ConsoleReports.h"
#include "ConsoleTestSupport.h"
#include "ModbusClient.h"
#include "TransactionLog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

using namespace Sondrel;
using ConsoleTest::TRecordingView;
using ::testing::ElementsAre;

namespace {

struct TReportFixture {
    TRecordingView View;
    TTransactionLog Log{View, [] { return TLogTime{12, 0, 1, 5}; }};
};

Corvane::TTransactionInfo Info(std::int32_t id, Corvane::TReplyStatus status,
                               std::uint8_t exceptionCode = 0) {
    Corvane::TTransactionInfo info;
    info.ID = id;
    info.Status = status;
    info.ExceptionCode = exceptionCode;
    info.Exception = Corvane::ExceptionFromCode(exceptionCode);
    return info;
}

} // namespace

TEST(TransactionReport, InitAndDoneNameTheOperationAndId) {
    TReportFixture f;
    LogTransactionInit(f.Log, 17, kReadCoilsName);
    LogTransactionDone(f.Log, 17, kWriteMultipleCoilsName);
    EXPECT_THAT(f.View.Texts(),
                ElementsAre("[12:00:01.005] INIT: Read Coils (code $01) [ID: 17]",
                            "[12:00:01.005] DONE: Write Multiple Coils (code $0F) [ID: 17]"));
}

TEST(TransactionReport, SuccessfulCoilReadWritesDoneOutcomeCountBitsAndEmptyLine) {
    TReportFixture f;
    LogCompletion(f.Log, kReadCoilsName, Info(3, Corvane::rsNormalResponse), nullptr,
                  BitDetails(ciCoil, 10, 1, Corvane::TBitValues{true}));
    EXPECT_THAT(f.View.Texts(), ElementsAre("[12:00:01.005] DONE: Read Coils (code $01) [ID: 3]",
                                            "[12:00:01.005] SUCCESS: Normal response",
                                            "[12:00:01.005] 1 coil was processed.",
                                            "[12:00:01.005] Coil 10 is ON.", ""));
}

TEST(TransactionReport, FailedTransactionWritesNoDetails) {
    TReportFixture f;
    LogCompletion(f.Log, kReadCoilsName, Info(4, Corvane::rsTimeoutExpired), nullptr,
                  BitDetails(ciCoil, 0, 2, Corvane::TBitValues{false, false}));
    EXPECT_THAT(f.View.Texts(),
                ElementsAre("[12:00:01.005] DONE: Read Coils (code $01) [ID: 4]",
                            "[12:00:01.005] FAILURE: Response timeout expired", ""));
}

TEST(TransactionReport, ExceptionResponseAddsTheTranslatedExceptionText) {
    TReportFixture f;
    LogTransactionOutcome(f.Log, Info(1, Corvane::rsExceptionResponse, 2), nullptr);
    LogTransactionOutcome(f.Log, Info(1, Corvane::rsExceptionResponse, 200),
                          [](std::uint8_t code) { return "custom " + std::to_string(code); });
    EXPECT_THAT(f.View.Texts(), ElementsAre("[12:00:01.005] FAILURE: Modbus exception response",
                                            "[12:00:01.005] Server exception: Illegal data address",
                                            "[12:00:01.005] FAILURE: Modbus exception response",
                                            "[12:00:01.005] Server exception: custom 200"));
}

TEST(TransactionReport, OutcomeTextsFollowTheReplyStatus) {
    EXPECT_EQ(OutcomeText(Corvane::rsFrameCorrupted), "FAILURE: Response frame corrupted");
    EXPECT_EQ(OutcomeText(Corvane::rsMistargeted), "FAILURE: Mistargeted response");
    EXPECT_EQ(OutcomeText(Corvane::rsUnmatched), "FAILURE: Unmatched response");
    EXPECT_EQ(OutcomeText(static_cast<Corvane::TReplyStatus>(77)),
              "FAILURE: Response timeout expired")
        << "a status out of range must never read as a success";
}

TEST(TransactionReport, BroadcastNotice) {
    TReportFixture f;
    LogBroadcastNotice(f.Log);
    EXPECT_THAT(f.View.Texts(), ElementsAre("[12:00:01.005] Broadcasting mode: No reply is "
                                            "expected to be returned from a remote server(s)."));
}

TEST(ExceptionTexts, CodesOneToEightHaveTextsOthersAreUnknown) {
    EXPECT_EQ(Corvane::ExceptionCodeText(1), "Illegal command");
    EXPECT_EQ(Corvane::ExceptionCodeText(6), "Server is busy");
    EXPECT_EQ(Corvane::ExceptionCodeText(8), "Memory parity error");
    EXPECT_EQ(Corvane::ExceptionCodeText(0), "Unknown exception code");
    EXPECT_EQ(Corvane::ExceptionCodeText(9), "Unknown exception code");
    EXPECT_EQ(Corvane::ExceptionCodeText(255), "Unknown exception code");
}

TEST(CountLine, SingularBelowTwoIncludingZero) {
    EXPECT_EQ(CountLine(0, ciCoil), "0 coil was processed.");
    EXPECT_EQ(CountLine(1, ciDiscreteInput), "1 discrete input was processed.");
    EXPECT_EQ(CountLine(2, ciHoldingRegister), "2 holding registers were processed.");
    EXPECT_EQ(CountLine(125, ciInputRegister), "125 input registers were processed.");
}

TEST(DetailLines, DiscreteInputsAreLabelledAndNumberedFromTheStart) {
    EXPECT_THAT(BitDetails(ciDiscreteInput, 65534, 2, Corvane::TBitValues{false, true}),
                ElementsAre("2 discrete inputs were processed.", "Discrete input 65534 is OFF.",
                            "Discrete input 65535 is ON."));
}

TEST(DetailLines, BitLinesNeverRunPastTheValuesGiven) {
    EXPECT_THAT(BitDetails(ciCoil, 0, 3, Corvane::TBitValues{true}),
                ElementsAre("3 coils were processed.", "Coil 0 is ON."));
}

TEST(DetailLines, SingleCoilWrite) {
    EXPECT_THAT(SingleCoilWriteDetails(7, false),
                ElementsAre("1 coil was processed.", "Coil 7 is OFF."));
}

TEST(DetailLines, RegisterOperationsReportCountsOnly) {
    EXPECT_THAT(RegisterCountDetails(ciHoldingRegister, 1),
                ElementsAre("1 holding register was processed."));
    EXPECT_THAT(MaskWriteDetails(4, 65280, 18),
                ElementsAre("1 holding register was processed.",
                            "Register: 4 | AND mask: 65280 | OR mask: 18"));
    EXPECT_THAT(ReadWriteDetails(3, 1),
                ElementsAre("WRITE OPERATION:", "3 holding registers were processed.",
                            "READ OPERATION:", "1 holding register was processed."));
}

TEST(DetailLines, ExceptionStatusBitsFromBitZero) {
    const auto lines = ExceptionStatusDetails(
        Corvane::TExceptionStatusValues{true, false, false, false, false, false, false, true});
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "8 exception status bits were processed.");
    EXPECT_EQ(lines[1], "Exception status bit 0 is ON.");
    EXPECT_EQ(lines[2], "Exception status bit 1 is OFF.");
    EXPECT_EQ(lines[8], "Exception status bit 7 is ON.");
}

TEST(DetailLines, ServerIdentificationInUpperCaseHexOrEmpty) {
    EXPECT_THAT(ServerIdentificationDetails(3, {0x01, 0xA2, 0xFF}),
                ElementsAre("Size of server identification info is 3 bytes.", "01 A2 FF "));
    EXPECT_THAT(ServerIdentificationDetails(0, {}),
                ElementsAre("Size of server identification info is 0 bytes.", "<empty>"));
}

TEST(DiagnosticsLines, ResultWordFillsThePlaceholder) {
    EXPECT_EQ(DiagnosticsLine(Corvane::daReturnBusMessageCount, 42),
              "\"Return Bus Message Count\" action returned the value 42.");
    EXPECT_EQ(DiagnosticsLine(Corvane::daReturnDiagnosticRegister, 65535),
              "\"Return Diagnostic Register\" action returned the value 65535.");
    EXPECT_EQ(DiagnosticsLine(Corvane::daReturnBusCharacterOverrunCount, 0),
              "\"Return Bus Character Overrun Count\" action returned the value 0.");
}

TEST(DiagnosticsLines, EveryActionHasItsOwnLine) {
    EXPECT_EQ(DiagnosticsLine(Corvane::daReturnQueryData, 0),
              "\"Return Query Data\" action was performed by the server. It appears to be "
              "responding.");
    EXPECT_EQ(DiagnosticsLine(Corvane::daForceListenOnlyMode, 0),
              "\"Force Listen Only Mode\" action was performed by the server. It should never go "
              "here.");
    EXPECT_EQ(DiagnosticsLine(Corvane::daClearOverrunCounterAndFlag, 9),
              "\"Clear Overrun Counter And Flag\" action was performed by the server.");
    std::set<std::string> lines;
    for (int a = Corvane::daReturnQueryData; a <= Corvane::daClearOverrunCounterAndFlag; ++a) {
        const auto action = static_cast<Corvane::TDiagnosticAction>(a);
        const std::string line = DiagnosticsLine(action, 5);
        // Each line quotes its action's caption.
        EXPECT_EQ(line.rfind("\"" + std::string(DiagnosticActionCaption(action)) + "\"", 0), 0u)
            << line;
        lines.insert(line);
    }
    EXPECT_EQ(lines.size(), 15u);
}
