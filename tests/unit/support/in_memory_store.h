#pragma once
// The tests' settings store: values in memory, with a log of every write in order.
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "settings/settings_store.h"

namespace hg {

class InMemoryStore : public SettingsStore {
  public:
    std::string Read(const std::string& app, const std::string& section, const std::string& name,
                     const std::string& fallback) override {
        auto it = values_.find({app, section, name});
        return it == values_.end() ? fallback : it->second;
    }
    void Write(const std::string& app, const std::string& section, const std::string& name,
               const std::string& value) override {
        values_[{app, section, name}] = value;
        writes_.push_back(section + "\\" + name + "=" + value);
    }
    bool Has(const std::string& section, const std::string& name) const {
        return values_.count({"hrthglow", section, name}) != 0;
    }
    // Every write in order, as "Section\Name=Value": lets tests check the order of seeding.
    const std::vector<std::string>& Writes() const { return writes_; }
    void ClearWriteLog() { writes_.clear(); }

  private:
    std::map<std::tuple<std::string, std::string, std::string>, std::string> values_;
    std::vector<std::string> writes_;
};

}  // namespace hg
