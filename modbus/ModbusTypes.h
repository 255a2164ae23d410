// Enumerations and value arrays shared by every part of the Modbus library.
// Unscoped enumerations with fixed underlying types: their ordinals are stored in
// settings files, so the order of the enumerators must never change.
#pragma once

#include <cstdint>
#include <vector>

namespace Corvane {

// Outcome of one transaction. The engine retries while the value is rsMistargeted or below,
// and the consecutive-timeout supervision counts transactions below rsUnmatched.
enum TReplyStatus : std::uint8_t {
    rsTimeoutExpired = 0,
    rsFrameCorrupted = 1,
    rsMistargeted = 2,
    rsUnmatched = 3,
    rsExceptionResponse = 4,
    rsNormalResponse = 5,
};

// Exception kinds, numbered as the Modbus exception codes 1..8; anything else is seUnknown.
enum TServerException : std::uint8_t {
    seUnknown = 0,
    seIllegalCommand = 1,
    seIllegalDataAddress = 2,
    seIllegalDataValue = 3,
    seServerFailure = 4,
    seAcknowledge = 5,
    seServerBusy = 6,
    seNegativeAcknowledge = 7,
    seMemoryParityError = 8,
};

enum TBaudRate : std::uint8_t {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000,
    brCustom,
};

enum TConnectionMode : std::uint8_t { cmClient, cmServer };
enum TDataBits : std::uint8_t { db7, db8 };
enum TStopBits : std::uint8_t { sb1, sb2 };
enum TParityScheme : std::uint8_t { psNone, psOdd, psEven };
enum TFlowControl : std::uint8_t { fcNone, fcRtsToggle, fcRtsCts, fcDtrDsr };
enum TTransmissionMode : std::uint8_t { tmRTU, tmASCII };
// How RTU frames are delimited on the line (see FrameTiming.h): ftClassic, the connection's
// own silent time of at least 16 ms; ftStandard, the gaps of the Modbus serial line standard,
// with replies and requests that also end as soon as their length is complete.
enum TFrameTiming : std::uint8_t { ftClassic, ftStandard };
enum TThreadPriority : std::uint8_t {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical,
};

// Buffer cursor moves of TModbusBuffer::Seek.
enum TBufferMove : std::uint8_t {
    bmStart,
    bmEnd,
    bmByteBack,
    bmByteForward,
    bmWordBack,
    bmWordForward,
};

// Actions of the Diagnostics function (08), in the order of their sub-function table.
enum TDiagnosticAction : std::uint8_t {
    daReturnQueryData,
    daRestartCommsOption,
    daRestartCommsOptionAndClearEventLog,
    daReturnDiagnosticRegister,
    daForceListenOnlyMode,
    daClearCountersAndDiagnosticRegister,
    daReturnBusMessageCount,
    daReturnBusCommErrorCount,
    daReturnBusExceptionErrorCount,
    daReturnServerMessageCount,
    daReturnServerNoReplyCount,
    daReturnServerNegativeAcknowledgeCount,
    daReturnServerBusyCount,
    daReturnBusCharacterOverrunCount,
    daClearOverrunCounterAndFlag,
};

// Answer of a server's write-permission events.
enum TItemWriteStatus : std::uint8_t { iwsIllegalAddress, iwsIllegalValue, iwsAllowWrite };

using TBitValues = std::vector<bool>;
using TRegValues = std::vector<std::uint16_t>;
using TExceptionStatusValues = std::vector<bool>;
using TServerIdentificationData = std::vector<std::uint8_t>;
using TFrameData = std::vector<std::uint8_t>;

// The rate in bits per second that a TBaudRate enumerator names (0 for brCustom).
std::uint32_t BaudRateValue(TBaudRate rate);

// Maps a raw exception code to its kind: codes below 9 map to themselves, others to seUnknown.
inline TServerException ExceptionFromCode(std::uint8_t code) {
    return code < 9 ? static_cast<TServerException>(code) : seUnknown;
}

} // namespace Corvane
