#include "win32/registry_store.h"

#include <windows.h>

#include <vector>

namespace hg {

namespace {

std::string KeyPath(const std::string& app, const std::string& section) {
    return "Software\\Tallowmere\\" + app + "\\" + section;
}

}  // namespace

std::string RegistryStore::Read(const std::string& app, const std::string& section,
                                const std::string& name, const std::string& fallback) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return fallback;
    std::string result = fallback;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<BYTE> data(size + 2, 0);
        DWORD got = size;
        if (RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &got) ==
            ERROR_SUCCESS) {
            if (type == REG_SZ || type == REG_EXPAND_SZ) {
                result.assign(reinterpret_cast<const char*>(data.data()));
            } else if (type == REG_DWORD && got == sizeof(DWORD)) {
                // Someone typed the value in as a number: read it as its decimal text.
                DWORD v;
                memcpy(&v, data.data(), sizeof v);
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
    if (RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, nullptr, 0,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

}  // namespace hg
