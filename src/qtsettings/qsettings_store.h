#pragma once

#include "settings/settings_store.h"

namespace velmora {

// The settings store of the desktop program and the command line: QSettings in
// its native format, user scope, organisation and application "Velmora".
// Section names nest along "\" as QSettings groups nest along "/".
class QSettingsStore : public SettingsStore {
public:
    std::optional<std::string> Read(const std::string& section, const std::string& key) const override;
    void Write(const std::string& section, const std::string& key, const std::string& value) override;
};

} // namespace velmora
