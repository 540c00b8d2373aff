#include "platform/win32/registry_store.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/win32/wide_text.h"

namespace hg {

namespace {

// Through the wide functions: Windows keeps every value as UTF-16, so any language survives the
// round trip, and values written by the ANSI functions of earlier versions read back unchanged.
std::wstring KeyPath(const std::string& app, const std::string& section) {
    return Widen("Software\\Tallowmere\\" + app + "\\" + section);
}

// The text a stored value stands for. Every value is written as a string; one typed in by
// hand with another type reads as the text it holds: a number as its decimal digits (a 32-bit
// one as signed, so a negative number stored that way reads back as itself, and no value of
// the settings needs the unsigned reading above 2^31), a list of strings as its first string.
// Bytes are no text: a binary value reads as the empty text, which loads no control, so that
// it neither stands in for the default (it is present) nor guesses at an encoding.
std::string TextOfValue(DWORD type, const std::vector<BYTE>& data, DWORD size) {
    auto number = [&](size_t bytes, bool bigEndian) -> std::string {
        if (size != bytes) return {};
        uint64_t v = 0;
        for (size_t i = 0; i < bytes; ++i)
            v |= static_cast<uint64_t>(data[bigEndian ? bytes - 1 - i : i]) << (8 * i);
        if (bytes == 4) return std::to_string(static_cast<int32_t>(static_cast<uint32_t>(v)));
        return std::to_string(static_cast<int64_t>(v));
    };
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
        case REG_MULTI_SZ: {
            // Up to the first terminator: the whole string, or a list's first.
            std::wstring text(size / sizeof(wchar_t), L'\0');
            std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
            if (auto nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
            return Narrow(text);
        }
        case REG_DWORD:
            return number(sizeof(DWORD), false);
        case REG_DWORD_BIG_ENDIAN:
            return number(sizeof(DWORD), true);
        case REG_QWORD:
            return number(sizeof(uint64_t), false);
        default:
            return {};
    }
}

}  // namespace

std::string RegistryStore::Read(const std::string& app, const std::string& section,
                                const std::string& name, const std::string& fallback) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return fallback;
    const std::wstring valueName = Widen(name);
    std::string result = fallback;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        // Room for a terminator the stored data may lack.
        std::vector<BYTE> data(size + sizeof(wchar_t), 0);
        DWORD got = size;
        if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, data.data(), &got) ==
            ERROR_SUCCESS)
            result = TextOfValue(type, data, got);
    }
    RegCloseKey(key);
    return result;
}

void RegistryStore::Write(const std::string& app, const std::string& section,
                          const std::string& name, const std::string& value) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, nullptr, 0, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    const std::wstring text = Widen(value);
    RegSetValueExW(key, Widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

}  // namespace hg
