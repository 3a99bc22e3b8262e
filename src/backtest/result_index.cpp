#include "backtest/result_index.h"

#include "common/text.h"
#include "patdata/file_naming.h"
#include "results/result_file.h"

namespace velmora {
namespace {

constexpr std::size_t kPrefixLength = 3; // "Zo-" and "Ks-"

bool StartsWithIgnoringCase(std::string_view name, std::string_view prefix) {
    return name.size() > prefix.size() && EqualsIgnoringAsciiCase(name.substr(0, prefix.size()), prefix);
}

// The head of a result name that starts with "Ks-": the prefix and one character.
std::size_t HeadBytesOfResultName(std::string_view name) {
    return kPrefixLength + CharacterLength(name, kPrefixLength);
}

} // namespace

bool ResultIndex::IsResultName(std::string_view name) {
    return StartsWithIgnoringCase(name, "ks-");
}

ResultIndex::ResultIndex(const std::string& folder, const std::vector<std::string>& resultNames) {
    folderPrefix_ = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    for (const std::string& name : resultNames) {
        if (!IsResultName(name)) {
            continue;
        }
        std::string key = ResultKeyOfResultName(name, HeadBytesOfResultName(name));
        if (!key.empty()) {
            first_.try_emplace(std::move(key), name);
        }
    }
}

std::string ResultIndex::Find(const std::string& oddsPath) const {
    bool inFolder = oddsPath.size() > folderPrefix_.size() &&
                    oddsPath.compare(0, folderPrefix_.size(), folderPrefix_) == 0;
    std::string_view name =
        inFolder ? std::string_view(oddsPath).substr(folderPrefix_.size()) : std::string_view();
    // The index holds names that start with the prefix; anything else is
    // searched on disk by the same rule.
    if (!inFolder || name.find('/') != std::string_view::npos || FindOddsPrefix(name) != 0) {
        return ResultFileName(oddsPath);
    }
    auto found = first_.find(ResultKeyOfOddsName(name));
    return found == first_.end() ? std::string() : folderPrefix_ + found->second;
}

} // namespace velmora
