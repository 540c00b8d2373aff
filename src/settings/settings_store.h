#pragma once
// Per-user option storage: text values addressed by application, section and value name.
// Every text, here and throughout the portable code, is UTF-8; the platform converts at its edge.
#include <string>

namespace hg {

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // The stored text, or `fallback` when the value is absent.
    virtual std::string Read(const std::string& app, const std::string& section,
                             const std::string& name, const std::string& fallback) = 0;
    // Creates the section and the value as needed.
    virtual void Write(const std::string& app, const std::string& section, const std::string& name,
                       const std::string& value) = 0;
};

}  // namespace hg
