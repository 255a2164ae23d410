#include "Win32Error.h"

#include "SerialLine.h"
#include "WideText.h"
#include "Win32Api.h"

namespace Corvane {

namespace {

thread_local std::string tLastErrorDetail;

} // namespace

std::string Win32ErrorText(unsigned long code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text),
        0, nullptr);
    std::string result;
    if (length > 0 && text != nullptr) {
        result = Utf8FromWide(std::wstring_view(text, length));
    }
    if (text != nullptr) {
        LocalFree(text);
    }
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' ||
                               result.back() == ' ' || result.back() == '.')) {
        result.pop_back();
    }
    return result.empty() ? "Windows error " + std::to_string(code) : result;
}

ECorvaneError Win32Error(TCorvaneMessage id, unsigned long code) {
    tLastErrorDetail = Win32ErrorText(code);
    if (id == msgSerialLineFailed) {
        return ECorvaneError(id, {tLastErrorDetail});
    }
    return ECorvaneError(id);
}

std::string LastSerialLineErrorDetail() {
    return tLastErrorDetail;
}

} // namespace Corvane
