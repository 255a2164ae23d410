#include "DeviceControlBlock.h"

#include <cstring>

namespace Corvane {

namespace {

// The flag word follows DCBlength and BaudRate.
constexpr std::size_t kFlagsOffset = 2 * sizeof(DWORD);

} // namespace

DCB DeviceControlBlock(const TLineSettings& s) {
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = s.BaudRate;
    dcb.ByteSize = s.DataBits == db7 ? 7 : 8;
    dcb.Parity = s.Parity == psOdd ? ODDPARITY : (s.Parity == psEven ? EVENPARITY : NOPARITY);
    dcb.StopBits = s.StopBits == sb2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.fBinary = TRUE;
    dcb.fParity = s.Parity != psNone ? TRUE : FALSE;
    if (s.FlowControl == fcRtsCts) {
        dcb.fOutxCtsFlow = TRUE;
        dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    } else if (s.FlowControl == fcDtrDsr) {
        dcb.fOutxDsrFlow = TRUE;
        dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
    }
    if (s.RTSEnabled && (s.FlowControl == fcNone || s.FlowControl == fcDtrDsr)) {
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
    }
    if (s.DTREnabled && s.FlowControl != fcDtrDsr) {
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
    }
    return dcb;
}

std::uint32_t DeviceControlFlags(const DCB& dcb) {
    std::uint32_t flags = 0;
    std::memcpy(&flags, reinterpret_cast<const unsigned char*>(&dcb) + kFlagsOffset, sizeof flags);
    return flags;
}

} // namespace Corvane
