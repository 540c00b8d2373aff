#pragma once
// Per-user option storage: text values addressed by application, section and value name.
#include <map>
#include <string>
#include <tuple>
#include <vector>

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

// A store that lives in memory: the unit tests' store, and the one used where no registry exists.
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
