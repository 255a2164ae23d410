#include "RegistryKeyStore.h"

#include "win32/WideText.h"
#include "win32/Win32Api.h"

#include <cstring>
#include <vector>

namespace Sondrel {

namespace {

constexpr DWORD kMaxValueBytes = 1 << 20;
// Value names are at most 16383 characters in the registry.
constexpr DWORD kMaxNameChars = 16384;

HKEY Key(void* key) {
    return static_cast<HKEY>(key);
}

bool HasNul(const std::string& text) {
    return text.find('\0') != std::string::npos;
}

std::wstring UpToNul(const wchar_t* data, std::size_t chars) {
    const std::wstring_view view(data, chars);
    return std::wstring(view.substr(0, view.find(L'\0')));
}

// The text of a value as read, whatever its type (see the header).
std::string AsText(DWORD type, const std::vector<BYTE>& data) {
    const auto* wide = reinterpret_cast<const wchar_t*>(data.data());
    const std::size_t chars = data.size() / sizeof(wchar_t);
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return Corvane::Utf8FromWide(UpToNul(wide, chars));
    case REG_MULTI_SZ: {
        std::string joined;
        std::size_t at = 0;
        while (at < chars && wide[at] != L'\0') {
            const std::wstring part = UpToNul(wide + at, chars - at);
            joined += (joined.empty() ? "" : ", ") + Corvane::Utf8FromWide(part);
            at += part.size() + 1;
        }
        return joined;
    }
    case REG_DWORD:
        if (data.size() == sizeof(DWORD)) {
            DWORD number = 0;
            std::memcpy(&number, data.data(), sizeof number);
            return std::to_string(number);
        }
        break;
    case REG_QWORD:
        if (data.size() == sizeof(unsigned long long)) {
            unsigned long long number = 0;
            std::memcpy(&number, data.data(), sizeof number);
            return std::to_string(number);
        }
        break;
    default:
        break;
    }
    // Other data as UTF-8 text, invalid sequences replaced.
    return Corvane::Utf8FromWide(Corvane::WideFromUtf8(
        std::string_view(reinterpret_cast<const char*>(data.data()), data.size())));
}

} // namespace

TRegistryKeyStore::TRegistryKeyStore(const std::string& keyPath) : FPath(keyPath) {
    HKEY key = nullptr;
    if (!HasNul(keyPath) &&
        RegCreateKeyExW(HKEY_CURRENT_USER, Corvane::WideFromUtf8(keyPath).c_str(), 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        FKey = key;
    }
}

TRegistryKeyStore::~TRegistryKeyStore() {
    if (FKey != nullptr) {
        RegCloseKey(Key(FKey));
    }
}

std::wstring TRegistryKeyStore::StoredName(const std::wstring& name) const {
    std::wstring candidate(kMaxNameChars, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD chars = kMaxNameChars;
        const LSTATUS status = RegEnumValueW(Key(FKey), index, candidate.data(), &chars, nullptr,
                                             nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS ||
            (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)) {
            return name;
        }
        if (status == ERROR_SUCCESS &&
            CompareStringOrdinal(candidate.c_str(), static_cast<int>(chars), name.c_str(),
                                 static_cast<int>(name.size()), TRUE) == CSTR_EQUAL) {
            return candidate.substr(0, chars);
        }
    }
}

bool TRegistryKeyStore::Contains(const std::string& name) const {
    if (FKey == nullptr || HasNul(name)) {
        return false;
    }
    return RegQueryValueExW(Key(FKey), Corvane::WideFromUtf8(name).c_str(), nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS;
}

std::string TRegistryKeyStore::ReadSetting(const std::string& name,
                                           const std::string& defaultValue) {
    if (FKey == nullptr || HasNul(name)) {
        return defaultValue;
    }
    const std::wstring wide = Corvane::WideFromUtf8(name);
    DWORD type = REG_NONE;
    DWORD bytes = 0;
    const LSTATUS probe =
        RegQueryValueExW(Key(FKey), wide.c_str(), nullptr, &type, nullptr, &bytes);
    if (probe == ERROR_FILE_NOT_FOUND) {
        WriteSetting(name, defaultValue);
        return defaultValue;
    }
    if (probe != ERROR_SUCCESS || bytes > kMaxValueBytes) {
        return std::string();
    }
    // The value may change between the two calls: the buffer has room for the largest size.
    std::vector<BYTE> data(kMaxValueBytes);
    bytes = kMaxValueBytes;
    if (RegQueryValueExW(Key(FKey), wide.c_str(), nullptr, &type, data.data(), &bytes) !=
        ERROR_SUCCESS) {
        return std::string();
    }
    data.resize(bytes);
    return AsText(type, data);
}

bool TRegistryKeyStore::WriteSetting(const std::string& name, const std::string& value) {
    if (FKey == nullptr || HasNul(name) || HasNul(value)) {
        return false;
    }
    const std::wstring stored = StoredName(Corvane::WideFromUtf8(name));
    const std::wstring text = Corvane::WideFromUtf8(value);
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(Key(FKey), stored.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS;
}

std::string TRegistryKeyStore::Location() const {
    return "HKEY_CURRENT_USER\\" + FPath;
}

} // namespace Sondrel
