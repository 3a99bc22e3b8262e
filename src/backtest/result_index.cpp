#include "backtest/result_index.h"

#include "common/text.h"
#include "patdata/file_naming.h"
#include "results/result_file.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace velmora {
namespace {

// Bytes of the character at `pos`: a whole well-formed UTF-8 sequence, else one
// byte, the way the wildcard search counts characters.
std::size_t CharacterLength(std::string_view text, std::size_t pos) {
    auto byte = static_cast<unsigned char>(text[pos]);
    std::size_t length = (byte & 0xE0U) == 0xC0U   ? 2
                         : (byte & 0xF0U) == 0xE0U ? 3
                         : (byte & 0xF8U) == 0xF0U ? 4
                                                   : 1;
    if (length == 1 || pos + length > text.size()) {
        return 1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[pos + i]) & 0xC0U) != 0x80U) {
            return 1;
        }
    }
    return length;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

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

ResultIndex::ResultIndex(const std::string& folder) {
    namespace fs = std::filesystem;
    folderPrefix_ = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    folderHasOddsPrefix_ = FindOddsPrefix(folderPrefix_) != std::string::npos;
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(fs::path(folder.empty() ? std::string(".") : folder), error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::string name = it->path().filename().string();
        std::error_code typeError;
        if (name.size() > kPrefixLength &&
            EqualsIgnoringAsciiCase(std::string_view(name).substr(0, 3), "ks-") &&
            it->is_regular_file(typeError) && !typeError) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    for (std::string& name : names) {
        std::string key = KeyOfResultName(name);
        if (!key.empty()) {
            first_.try_emplace(std::move(key), std::move(name));
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
