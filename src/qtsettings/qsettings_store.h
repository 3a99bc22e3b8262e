#pragma once

#include "settings/settings_store.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QSettings;

namespace velmora {

// Why the settings file (or its lock file beside it) is not safe to open:
// empty when it is an ordinary small file, or absent. A pipe or device would
// block the reader, a huge file or a value that deserialises a claimed size
// could exhaust memory, a lock that is not a file is never released.
std::string SettingsFileProblem(const std::filesystem::path& file);

// The settings store of the desktop program and the command line: QSettings in
// its native format, in <config home>/Velmora/Velmora.conf. Section names nest
// along "\" as QSettings groups nest along "/".
//
// A settings file that is not safe to open is left alone: reads give the
// defaults, writes last for this run only, and the listener hears why, once.
class QSettingsStore : public SettingsStore {
public:
    using ProblemListener = std::function<void(const std::string&)>;

    QSettingsStore();
    explicit QSettingsStore(std::filesystem::path file);
    ~QSettingsStore() override;
    QSettingsStore(const QSettingsStore&) = delete;
    QSettingsStore& operator=(const QSettingsStore&) = delete;

    std::optional<std::string> Read(const std::string& section, const std::string& key) const override;
    void Write(const std::string& section, const std::string& key, const std::string& value) override;

    // Calls `listener` once with the reason the file is left alone: at once if
    // that is known already, else when it turns up.
    void OnProblem(ProblemListener listener);
    const std::string& Problem() const { return problem_; }

    static std::filesystem::path UserSettingsFile();

private:
    std::string TargetProblem() const;
    bool CanWrite();
    void Report(std::string problem);

    std::filesystem::path file_;
    std::unique_ptr<QSettings> settings_; // none while the file is left alone
    std::map<std::pair<std::string, std::string>, std::string> unsaved_;
    std::string problem_;
    ProblemListener listener_;
    bool reported_ = false;
};

} // namespace velmora
