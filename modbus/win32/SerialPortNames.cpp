// Serial port listing from the registry: every serial driver records the COM name of each of
// its ports as a string value under HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM (value
// name: the driver's device, "\Device\Serial0"; data: the port, "COM1"). The key is volatile:
// it holds the ports present now, and a port that is unplugged disappears from it.
// What the key holds is read as hostile: the data need not end in a NUL, may hold one inside,
// may be of odd length, or far longer than any port name.
#include "SerialPortNames.h"

#include "PortNameOrder.h"
#include "WideText.h"
#include "Win32Api.h"

#include <algorithm>

namespace Corvane {

namespace {

// Longer names are not port names; their values are skipped.
constexpr DWORD kMaxPortNameChars = 255;
// Value names are at most 16383 characters in the registry.
constexpr DWORD kMaxValueNameChars = 16384;

// The text of REG_SZ data of byteCount bytes: up to its first NUL, an odd last byte dropped.
std::wstring StringData(const wchar_t* data, DWORD byteCount) {
    const std::size_t chars = byteCount / sizeof(wchar_t);
    const std::wstring_view view(data, chars);
    return std::wstring(view.substr(0, view.find(L'\0')));
}

} // namespace

const char* const kSystemPortListing = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

void GetSerialPortNames(std::vector<std::string>& names, const std::string& root) {
    names.clear();
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideFromUtf8(root).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return;
    }
    std::wstring valueName(kMaxValueNameChars, L'\0');
    wchar_t data[kMaxPortNameChars + 1];
    for (DWORD index = 0;; ++index) {
        DWORD nameChars = kMaxValueNameChars;
        DWORD type = REG_NONE;
        DWORD byteCount = sizeof data;
        const LSTATUS status = RegEnumValueW(key, index, valueName.data(), &nameChars, nullptr,
                                             &type, reinterpret_cast<BYTE*>(data), &byteCount);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        // ERROR_MORE_DATA: data longer than any port name; skipped, the listing goes on.
        if (status != ERROR_SUCCESS || type != REG_SZ || byteCount > sizeof data) {
            if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) {
                break;
            }
            continue;
        }
        const std::wstring port = StringData(data, byteCount);
        if (!port.empty()) {
            names.push_back(Utf8FromWide(port));
        }
    }
    RegCloseKey(key);
    std::sort(names.begin(), names.end(), NaturalLess);
}

} // namespace Corvane
