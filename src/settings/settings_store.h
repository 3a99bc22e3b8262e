#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace velmora {

// Per-user settings: sections of keys holding texts. A section name may nest
// with "\" ("Option\PopularColor"). Every read goes to the store anew.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> Read(const std::string& section, const std::string& key) const = 0;
    virtual void Write(const std::string& section, const std::string& key, const std::string& value) = 0;

    std::string Get(const std::string& section, const std::string& key,
                    const std::string& defaultValue) const {
        return Read(section, key).value_or(defaultValue);
    }
};

// Keeps the settings in memory: for tests, and wherever nothing may persist.
class MemorySettingsStore : public SettingsStore {
public:
    std::optional<std::string> Read(const std::string& section, const std::string& key) const override {
        if (values_.empty()) {
            return std::nullopt; // no key to build for a store nothing was written to
        }
        auto it = values_.find({section, key});
        if (it == values_.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    void Write(const std::string& section, const std::string& key, const std::string& value) override {
        values_[{section, key}] = value;
    }
    std::size_t size() const { return values_.size(); }

private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

} // namespace velmora
