#include "platform/win32/registry_store.h"

#include <windows.h>

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
            ERROR_SUCCESS) {
            if (type == REG_SZ || type == REG_EXPAND_SZ) {
                std::wstring text(got / sizeof(wchar_t), L'\0');
                std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
                if (auto nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
                result = Narrow(text);
            } else if (type == REG_DWORD && got == sizeof(DWORD)) {
                // Someone typed the value in as a number: read it as its decimal text.
                DWORD v;
                std::memcpy(&v, data.data(), sizeof v);
                result = std::to_string(static_cast<long>(static_cast<LONG>(v)));
            }
        }
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
