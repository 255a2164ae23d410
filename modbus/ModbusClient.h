// TModbusClient: the library's client (master). Each request operation checks its
// arguments, builds the request into a new transaction, queues it on the connection and
// returns the transaction's ID at once; the result arrives later, on the main thread, through
// the function's completion event followed by OnTransactionProcessed.
//
// The client knows its connection only as an IModbusLink (a TModbusConnection on a serial
// line, or any other link): it writes the request message (address, function code, data; the
// framing adds the check on the wire) and decodes the reply message that ProcessTransaction
// receives, so both work on buffers alone.
//
// Main thread only. The client does not own its connection; it registers with it through
// SetConnection() and forgets it when the connection is destroyed.
#pragma once

#include "ModbusFileRecord.h"
#include "ModbusTransaction.h"
#include "ModbusTypes.h"

#include <cstdint>
#include <functional>
#include <string>

namespace Corvane {

class IModbusLink;

// The text of a Modbus exception code: "Unknown exception code" for 0 and every code of 9 or
// more. TModbusClient::TranslateExceptionCode starts from it.
std::string ExceptionCodeText(std::uint8_t code);

class TModbusClient {
public:
    using TInfo = const TTransactionInfo&;
    using TMultipleBitsAccessEvent =
        std::function<void(TModbusClient&, TInfo, std::uint16_t startBit, std::uint16_t bitCount,
                           const TBitValues& bitValues)>;
    using TMultipleRegistersAccessEvent =
        std::function<void(TModbusClient&, TInfo, std::uint16_t startReg, std::uint16_t regCount,
                           const TRegValues& regValues)>;
    using TSingleCoilWriteEvent =
        std::function<void(TModbusClient&, TInfo, std::uint16_t bitAddr, bool bitValue)>;
    using TSingleRegisterWriteEvent =
        std::function<void(TModbusClient&, TInfo, std::uint16_t regAddr, std::uint16_t regValue)>;
    using TSingleRegisterMaskWriteEvent = std::function<void(
        TModbusClient&, TInfo, std::uint16_t regAddr, std::uint16_t andMask, std::uint16_t orMask)>;
    using TMultipleRegistersReadWriteEvent = std::function<void(
        TModbusClient&, TInfo, std::uint16_t startRegToRead, std::uint16_t regCountToRead,
        const TRegValues& regValuesToRead, std::uint16_t startRegToWrite,
        std::uint16_t regCountToWrite, const TRegValues& regValuesToWrite)>;
    using TTransactionProcessedEvent =
        std::function<void(TModbusClient&, TInfo, std::uint8_t command, bool custom)>;
    using TExceptionStatusReadEvent =
        std::function<void(TModbusClient&, TInfo, const TExceptionStatusValues& statusValues)>;
    using TDiagnosticsEvent =
        std::function<void(TModbusClient&, TInfo, TDiagnosticAction action, std::uint16_t result)>;
    using TServerIdentificationReportEvent = std::function<void(
        TModbusClient&, TInfo, std::int32_t count, const TServerIdentificationData& data)>;
    using TFileRecordAccessEvent =
        std::function<void(TModbusClient&, TInfo, const TModbusFileRecordList& fileRecList)>;
    using TCustomTransactionCompleteEvent =
        std::function<void(TModbusClient&, TInfo, std::uint8_t command,
                           const std::string& requestData, const std::string& responseData)>;
    using TTranslateExceptionCodeEvent =
        std::function<void(TModbusClient&, std::uint8_t exceptionCode, std::string& description)>;
    using TModbusClientNotifyEvent = std::function<void(TModbusClient&)>;

    TModbusClient();
    virtual ~TModbusClient();
    TModbusClient(const TModbusClient&) = delete;
    TModbusClient& operator=(const TModbusClient&) = delete;

    IModbusLink* Connection() const { return FConnection; }
    void SetConnection(IModbusLink* value);
    std::int32_t MaxConsecutiveTimeouts() const { return FMaxConsecutiveTimeouts; }
    void SetMaxConsecutiveTimeouts(std::int32_t value);
    std::uint32_t ConsecutiveTimeouts() const { return FConsecutiveTimeouts; }
    std::uint8_t ServerAddress() const { return FServerAddress; }
    // Drops the queued transactions of the old address first.
    void SetServerAddress(std::uint8_t value);

    // Data access (functions 01-06, 15, 16, 22, 23). Each returns the transaction ID.
    std::int32_t ReadCoils(std::uint16_t startBit, std::uint16_t bitCount, std::int32_t userData);
    std::int32_t ReadDiscreteInputs(std::uint16_t startBit, std::uint16_t bitCount,
                                    std::int32_t userData);
    std::int32_t ReadHoldingRegisters(std::uint16_t startReg, std::uint16_t regCount,
                                      std::int32_t userData);
    std::int32_t ReadInputRegisters(std::uint16_t startReg, std::uint16_t regCount,
                                    std::int32_t userData);
    std::int32_t WriteSingleCoil(std::uint16_t bitAddr, bool bitValue, std::int32_t userData);
    std::int32_t WriteSingleRegister(std::uint16_t regAddr, std::uint16_t regValue,
                                     std::int32_t userData);
    std::int32_t WriteMultipleCoils(std::uint16_t startBit, const TBitValues& bitValues,
                                    std::int32_t userData);
    std::int32_t WriteMultipleRegisters(std::uint16_t startReg, const TRegValues& regValues,
                                        std::int32_t userData);
    std::int32_t MaskWriteSingleRegister(std::uint16_t regAddr, std::uint16_t andMask,
                                         std::uint16_t orMask, std::int32_t userData);
    std::int32_t ReadWriteMultipleRegisters(std::uint16_t startRegToRead,
                                            std::uint16_t regCountToRead,
                                            std::uint16_t startRegToWrite,
                                            const TRegValues& regValuesToWrite,
                                            std::int32_t userData);
    // Diagnostics, identification (functions 07, 08, 17).
    std::int32_t ReadExceptionStatus(std::int32_t userData);
    std::int32_t Diagnostics(TDiagnosticAction action, std::int32_t userData);
    std::int32_t ReportServerID(std::int32_t userData);

    // The text of an exception code, which OnTranslateExceptionCode may replace.
    std::string TranslateExceptionCode(std::uint8_t exceptionCode);

    // Completion entry: the connection calls it on the main thread.
    void ProcessTransaction(TModbusTransaction& transaction);
    void CheckClientConnection() const;

    // Identity used by the connection to match completions to this very client.
    std::uint64_t Serial() const { return FSerial; }
    bool Destroying() const { return FDestroying; }
    // Free notification from a connection that is being destroyed.
    void ConnectionDestroyed(IModbusLink* connection);

    TMultipleBitsAccessEvent OnCoilsRead;
    TModbusClientNotifyEvent OnConsecutiveTimeoutLimitExceed;
    TCustomTransactionCompleteEvent OnCustomTransactionComplete;
    TDiagnosticsEvent OnDiagnostics;
    TMultipleBitsAccessEvent OnDiscreteInputsRead;
    TExceptionStatusReadEvent OnExceptionStatusRead;
    TFileRecordAccessEvent OnFileRecordRead;
    TFileRecordAccessEvent OnFileRecordWrite;
    TMultipleRegistersAccessEvent OnHoldingRegistersRead;
    TMultipleRegistersAccessEvent OnInputRegistersRead;
    TMultipleBitsAccessEvent OnMultipleCoilsWrite;
    TMultipleRegistersReadWriteEvent OnMultipleRegistersReadWrite;
    TMultipleRegistersAccessEvent OnMultipleRegistersWrite;
    TServerIdentificationReportEvent OnServerIdentificationReport;
    TSingleCoilWriteEvent OnSingleCoilWrite;
    TSingleRegisterMaskWriteEvent OnSingleRegisterMaskWrite;
    TSingleRegisterWriteEvent OnSingleRegisterWrite;
    TTransactionProcessedEvent OnTransactionProcessed;
    TTranslateExceptionCodeEvent OnTranslateExceptionCode;

protected:
    virtual void DoCoilsRead(TInfo info, std::uint16_t startBit, std::uint16_t bitCount,
                             const TBitValues& bitValues);
    virtual void DoConsecutiveTimeoutLimitExceed();
    virtual void DoCustomTransactionComplete(TInfo info, std::uint8_t command,
                                             const std::string& requestData,
                                             const std::string& responseData);
    virtual void DoDiagnostics(TInfo info, TDiagnosticAction action, std::uint16_t result);
    virtual void DoDiscreteInputsRead(TInfo info, std::uint16_t startBit, std::uint16_t bitCount,
                                      const TBitValues& bitValues);
    virtual void DoExceptionStatusRead(TInfo info, const TExceptionStatusValues& statusValues);
    virtual void DoFileRecordRead(TInfo info, const TModbusFileRecordList& fileRecList);
    virtual void DoFileRecordWrite(TInfo info, const TModbusFileRecordList& fileRecList);
    virtual void DoHoldingRegistersRead(TInfo info, std::uint16_t startReg, std::uint16_t regCount,
                                        const TRegValues& regValues);
    virtual void DoInputRegistersRead(TInfo info, std::uint16_t startReg, std::uint16_t regCount,
                                      const TRegValues& regValues);
    virtual void DoMultipleCoilsWrite(TInfo info, std::uint16_t startBit, std::uint16_t bitCount,
                                      const TBitValues& bitValues);
    virtual void DoMultipleRegistersReadWrite(TInfo info, std::uint16_t startRegToRead,
                                              std::uint16_t regCountToRead,
                                              const TRegValues& regValuesToRead,
                                              std::uint16_t startRegToWrite,
                                              std::uint16_t regCountToWrite,
                                              const TRegValues& regValuesToWrite);
    virtual void DoMultipleRegistersWrite(TInfo info, std::uint16_t startReg,
                                          std::uint16_t regCount, const TRegValues& regValues);
    virtual void DoServerIdentificationReport(TInfo info, std::int32_t count,
                                              const TServerIdentificationData& data);
    virtual void DoSingleCoilWrite(TInfo info, std::uint16_t bitAddr, bool bitValue);
    virtual void DoSingleRegisterMaskWrite(TInfo info, std::uint16_t regAddr, std::uint16_t andMask,
                                           std::uint16_t orMask);
    virtual void DoSingleRegisterWrite(TInfo info, std::uint16_t regAddr, std::uint16_t regValue);
    virtual void DoTransactionProcessed(TInfo info, std::uint8_t command, bool custom);
    virtual void DoTranslateExceptionCode(std::uint8_t exceptionCode, std::string& description);

private:
    template <typename Build>
    std::int32_t SubmitRequest(std::int32_t userData, Build&& build);

    void CompleteBitsRead(TModbusTransaction& t, std::uint8_t command);
    void CompleteRegistersRead(TModbusTransaction& t, std::uint8_t command);
    void CompleteSingleCoilWrite(TModbusTransaction& t);
    void CompleteSingleRegisterWrite(TModbusTransaction& t);
    void CompleteMultipleCoilsWrite(TModbusTransaction& t);
    void CompleteMultipleRegistersWrite(TModbusTransaction& t);
    void CompleteMaskWrite(TModbusTransaction& t);
    void CompleteReadWriteMultiple(TModbusTransaction& t);
    void CompleteExceptionStatus(TModbusTransaction& t);
    void CompleteDiagnostics(TModbusTransaction& t);
    void CompleteServerIdentification(TModbusTransaction& t);
    void CompleteFileRecordRead(TModbusTransaction& t);
    void CompleteFileRecordWrite(TModbusTransaction& t);
    void CompleteCustom(TModbusTransaction& t, std::uint8_t command);
    void SuperviseTimeouts(const TTransactionInfo& info);

    IModbusLink* FConnection = nullptr;
    std::int32_t FMaxConsecutiveTimeouts = -1;
    std::uint32_t FConsecutiveTimeouts = 0;
    std::uint8_t FServerAddress = 1;
    std::uint64_t FSerial;
    bool FDestroying = false;
};

} // namespace Corvane
