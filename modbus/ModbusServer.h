// TModbusServer: the library's server (slave). It holds no data: for each request that the
// connection hands it (server mode), it asks the application through events whether the
// command is accepted, whether each item may be read or written and what each value is,
// reports each write, and builds a normal or exception reply. Broadcasts are processed by
// every server and never answered.
//
// The server knows its connection only as an IModbusLink, and only to check that it is
// active and to register with it: ProcessRequest reads the request message from a buffer and
// writes the reply message (its own address first, no check: the framing adds that on the
// wire) into another, so it runs on buffers alone.
//
// Main thread only (the worker waits while ProcessRequest runs). The server does not own its
// connection and forgets it when the connection is destroyed.
#pragma once

#include "ModbusTransaction.h"
#include "ModbusTypes.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace Corvane {

class IModbusLink;

class TModbusServer {
public:
    using TAcceptCommandEvent =
        std::function<void(TModbusServer&, std::uint8_t command, bool& accept)>;
    using TCanReadDiscreteBitEvent =
        std::function<void(TModbusServer&, std::uint16_t bitAddr, bool& allow)>;
    using TCanReadRegisterEvent =
        std::function<void(TModbusServer&, std::uint16_t regAddr, bool& allow)>;
    using TCanWriteCoilEvent = std::function<void(TModbusServer&, std::uint16_t bitAddr,
                                                  bool bitValue, TItemWriteStatus& status)>;
    using TCanWriteRegisterEvent = std::function<void(
        TModbusServer&, std::uint16_t regAddr, std::uint16_t regValue, TItemWriteStatus& status)>;
    using TGetDiscreteBitValueEvent =
        std::function<void(TModbusServer&, std::uint16_t bitAddr, bool& bitValue)>;
    using TGetRegisterValueEvent =
        std::function<void(TModbusServer&, std::uint16_t regAddr, std::uint16_t& regValue)>;
    using TSetCoilValueEvent =
        std::function<void(TModbusServer&, std::uint16_t bitAddr, bool bitValue)>;
    using TSetRegisterValueEvent =
        std::function<void(TModbusServer&, std::uint16_t regAddr, std::uint16_t regValue)>;
    using TCommandHandlerExceptionEvent =
        std::function<void(TModbusServer&, std::uint8_t command, TServerException exception,
                           std::uint8_t exceptionCode)>;

    TModbusServer() = default;
    virtual ~TModbusServer();
    TModbusServer(const TModbusServer&) = delete;
    TModbusServer& operator=(const TModbusServer&) = delete;

    std::uint8_t Address() const { return FAddress; }
    // 1..247; anything else raises "SSS Value must be between %d and %d".
    void SetAddress(std::uint8_t value);
    IModbusLink* Connection() const { return FConnection; }
    void SetConnection(IModbusLink* value);

    // Reads the request from transaction.Query and writes the answer, if any, into
    // transaction.Reply (emptied by the connection before the first server runs).
    void ProcessRequest(TModbusTransaction& transaction);
    void SendExceptionReply(TModbusBuffer& reply, std::uint8_t command, std::uint8_t exceptionCode);
    void CheckServerConnection() const;

    // Free notification from a connection that is being destroyed.
    void ConnectionDestroyed(IModbusLink* connection);

    TAcceptCommandEvent OnAcceptCommand;
    TCanReadDiscreteBitEvent OnCanReadCoil;
    TCanReadDiscreteBitEvent OnCanReadDiscreteInput;
    TCanReadRegisterEvent OnCanReadHoldingRegister;
    TCanReadRegisterEvent OnCanReadInputRegister;
    TCanWriteCoilEvent OnCanWriteCoil;
    TCanWriteRegisterEvent OnCanWriteHoldingRegister;
    TCommandHandlerExceptionEvent OnCommandHandlerException;
    TGetDiscreteBitValueEvent OnGetCoilValue;
    TGetDiscreteBitValueEvent OnGetDiscreteInputValue;
    TGetRegisterValueEvent OnGetHoldingRegisterValue;
    TGetRegisterValueEvent OnGetInputRegisterValue;
    TSetCoilValueEvent OnSetCoilValue;
    TSetRegisterValueEvent OnSetHoldingRegisterValue;

protected:
    // The asking notifiers start from false, 0 or iwsIllegalAddress, so with no handler every
    // command is refused and every item is unreadable and unwritable.
    virtual bool DoAcceptCommand(std::uint8_t command);
    virtual bool DoCanReadCoil(std::uint16_t bitAddr);
    virtual bool DoCanReadDiscreteInput(std::uint16_t bitAddr);
    virtual bool DoCanReadHoldingRegister(std::uint16_t regAddr);
    virtual bool DoCanReadInputRegister(std::uint16_t regAddr);
    virtual TItemWriteStatus DoCanWriteCoil(std::uint16_t bitAddr, bool bitValue);
    virtual TItemWriteStatus DoCanWriteHoldingRegister(std::uint16_t regAddr,
                                                       std::uint16_t regValue);
    virtual void DoCommandHandlerException(std::uint8_t command, TServerException exception,
                                           std::uint8_t exceptionCode);
    virtual bool DoGetCoilValue(std::uint16_t bitAddr);
    virtual bool DoGetDiscreteInputValue(std::uint16_t bitAddr);
    virtual std::uint16_t DoGetHoldingRegisterValue(std::uint16_t regAddr);
    virtual std::uint16_t DoGetInputRegisterValue(std::uint16_t regAddr);
    virtual void DoSetCoilValue(std::uint16_t bitAddr, bool bitValue);
    virtual void DoSetHoldingRegisterValue(std::uint16_t regAddr, std::uint16_t regValue);

private:
    class TAnswer;
    void ProcessRead(TModbusTransaction& t, std::uint8_t command, TAnswer& answer);
    void ProcessSingleWrite(TModbusTransaction& t, std::uint8_t command, TAnswer& answer);
    void ProcessMultipleWrite(TModbusTransaction& t, std::uint8_t command, TAnswer& answer);

    std::uint8_t FAddress = 1;
    IModbusLink* FConnection = nullptr;
};

// Hands a decoded request to the servers, in their order: with a non-zero
// transaction.Info.ServerAddress the first server of that address processes it (nobody when
// none has it); with 0 (broadcast) every server does. The list is taken by value, because a
// handler may attach or detach servers while the request is processed. Main thread.
void DispatchRequest(std::vector<TModbusServer*> servers, TModbusTransaction& transaction);

} // namespace Corvane
