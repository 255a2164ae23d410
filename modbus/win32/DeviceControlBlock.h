// The device control block (DCB) that SetCommState writes for the line settings, built from
// nothing so that no setting of an earlier program on the port survives:
//   length 28 (the structure's size); BaudRate as given (standard or custom speeds alike);
//   ByteSize 7 or 8; Parity 0, 1, 2 for none, odd, even; StopBits 0 for one, 2 for two;
//   XonChar 0x11, XoffChar 0x13; every other count and character 0.
//   Flags: binary mode (0x1) always; parity check (0x2) with parity; fcRtsCts adds CTS output
//   flow and the RTS handshake (0x2004), fcDtrDsr adds DSR output flow and the DTR handshake
//   (0x28); RTS enabled (0x1000) when RTSEnabled under fcNone or fcDtrDsr; DTR enabled (0x10)
//   when DTREnabled unless fcDtrDsr. Under fcRtsToggle RTS stays low: the frame sender raises
//   it around each frame.
// Pure functions; any thread.
#pragma once

#include "SerialLine.h"
#include "Win32Api.h"

#include <cstdint>

namespace Corvane {

DCB DeviceControlBlock(const TLineSettings& settings);

// The flag bits of a block as one word (fBinary is bit 0), as the Windows documentation
// numbers them.
std::uint32_t DeviceControlFlags(const DCB& dcb);

} // namespace Corvane
