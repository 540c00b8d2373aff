#pragma once
#include "settings/settings_store.h"

namespace hg {

// The options in the current user's registry:
// HKEY_CURRENT_USER\Software\Tallowmere\<app>\<section>, every value a string.
class RegistryStore : public SettingsStore {
  public:
    std::string Read(const std::string& app, const std::string& section, const std::string& name,
                     const std::string& fallback) override;
    void Write(const std::string& app, const std::string& section, const std::string& name,
               const std::string& value) override;
};

}  // namespace hg
