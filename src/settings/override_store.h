#pragma once
// A store that answers some values from a fixed list before asking the store beneath: options
// given on a command line win over the stored ones for one run and are never written back.
#include <map>
#include <string>
#include <utility>

#include "settings/settings_store.h"

namespace hg {

class OverrideStore : public SettingsStore {
  public:
    // Keyed by (section, value name), exactly as the schema spells them.
    using Overrides = std::map<std::pair<std::string, std::string>, std::string>;

    OverrideStore(SettingsStore& base, Overrides overrides)
        : base_(base), overrides_(std::move(overrides)) {}

    std::string Read(const std::string& app, const std::string& section, const std::string& name,
                     const std::string& fallback) override {
        auto it = overrides_.find({section, name});
        return it != overrides_.end() ? it->second : base_.Read(app, section, name, fallback);
    }
    // Seeding still reaches the file; the override keeps answering for this run.
    void Write(const std::string& app, const std::string& section, const std::string& name,
               const std::string& value) override {
        base_.Write(app, section, name, value);
    }

  private:
    SettingsStore& base_;
    Overrides overrides_;
};

}  // namespace hg
