#include "backtest/result_index.h"

#include "browser/file_list.h"
#include "common/text.h"
#include "patdata/file_naming.h"
#include "results/result_file.h"

namespace velmora {
namespace {

constexpr std::size_t kPrefixLength = 3; // "Zo-" and "Ks-"
constexpr char kKeySeparator = '\0';     // never part of a file name

} // namespace

std::string ResultIndex::KeyOfResultName(std::string_view name) {
    if (name.size() <= kPrefixLength || !EqualsIgnoringAsciiCase(name.substr(0, kPrefixLength), "ks-")) {
        return {};
    }
    // "Ks-", the kept character, two wildcard characters, the rest.
    std::size_t pos = kPrefixLength;
    pos += CharacterLength(name, pos);
    std::size_t head = pos;
    for (int wildcard = 0; wildcard < 2; ++wildcard) {
        if (pos >= name.size()) {
            return {};
        }
        pos += CharacterLength(name, pos);
    }
    std::string key = ToLowerAscii(name.substr(0, head));
    key += kKeySeparator;
    key += ToLowerAscii(name.substr(pos));
    return key;
}

bool ResultIndex::IsResultName(std::string_view name) {
    return name.size() > kPrefixLength && EqualsIgnoringAsciiCase(name.substr(0, kPrefixLength), "ks-");
}

ResultIndex::ResultIndex(const std::string& folder)
    : ResultIndex(folder, FindFolderFiles(folder, IsResultName)) {}

ResultIndex::ResultIndex(const std::string& folder, const std::vector<std::string>& resultNames) {
    folderPrefix_ = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    folderHasOddsPrefix_ = FindOddsPrefix(folderPrefix_) != std::string::npos;
    for (const std::string& name : resultNames) {
        std::string key = KeyOfResultName(name);
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
    if (!inFolder || folderHasOddsPrefix_ || name.find('/') != std::string_view::npos || !IsAscii(name) ||
        name.size() <= kPrefixLength || !EqualsIgnoringAsciiCase(name.substr(0, kPrefixLength), "zo-")) {
        return ResultFileName(oddsPath);
    }
    std::string key = "ks-";
    key += ToLowerAscii(name.substr(kPrefixLength, 1));
    key += kKeySeparator;
    key += ToLowerAscii(name.substr(kPrefixLength + 1));
    auto found = first_.find(key);
    return found == first_.end() ? std::string() : folderPrefix_ + found->second;
}

} // namespace velmora
