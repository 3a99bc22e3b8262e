#pragma once

#include "history/odds_recorder.h"

#include <map>
#include <string>
#include <vector>

namespace velmora::test {

// Keeps every distinct version handed to it, per file, in arrival order. Told
// to fail, it refuses the next versions the way a history that can't write
// does, and keeps them once it works again.
class RecordingRecorder : public OddsRecorder {
public:
    RecordOutcome Record(const SeenFile& file) override {
        if (failNext > 0) {
            --failNext;
            return RecordOutcome::NotRecorded;
        }
        std::vector<std::string>& versions = versionsByPath[file.path];
        if (!versions.empty() && versions.back() == file.bytes) {
            return RecordOutcome::Unchanged;
        }
        versions.push_back(file.bytes);
        return RecordOutcome::Added;
    }
    std::vector<std::string> Versions(const std::string& path) const {
        auto found = versionsByPath.find(path);
        return found == versionsByPath.end() ? std::vector<std::string>{} : found->second;
    }

    std::map<std::string, std::vector<std::string>> versionsByPath;
    int failNext = 0; // versions still to refuse
};

} // namespace velmora::test
