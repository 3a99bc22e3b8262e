#include "results/result_file.h"

#include "common/folder_files.h"
#include "common/text.h"
#include "patdata/file_naming.h"
#include "patdata/pat_file.h"
#include "patdata/record_reader.h"

#include <cstddef>
#include <string_view>
#include <utility>

namespace velmora {
namespace {

constexpr std::string_view kResultPrefix = "Ks-";
constexpr std::size_t kOddsPrefixLength = 3;
constexpr int kWildcardCount = 2;

constexpr char kKeySeparator = '\0'; // never part of a file name

struct SplitName {
    std::string folder; // up to and including the last "/", or empty
    std::string name;
};

SplitName SplitFolder(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    return {path.substr(0, nameAt), path.substr(nameAt)};
}

// First ordinary file in byte order whose key is `key`; empty when none or
// when the folder cannot be listed completely.
std::string FindFirstMatch(const std::string& folder, const std::string& key, std::size_t headBytes) {
    FolderFiles files = ListFolderFiles(
        folder, [&](std::string_view name) { return ResultKeyOfResultName(name, headBytes) == key; });
    return files.readable && !files.names.empty() ? files.names.front() : std::string();
}

// Reads fields one after another and stops at the first that fails.
class FieldSequence {
public:
    explicit FieldSequence(PatFile& file) : file_(file) {}
    void Read(int width, std::string& field) { ok_ = ok_ && ReadField(file_, width, field); }
    void Read(int keyWidth, PayoffEntry& entry) {
        Read(keyWidth, entry.Key);
        Read(8, entry.Payoff);
    }
    bool ok() const { return ok_; }

private:
    PatFile& file_;
    bool ok_ = true;
};

template <std::size_t N>
void ReadPayoffs(FieldSequence& fields, int keyWidth, std::array<PayoffEntry, N>& payoffs) {
    for (std::size_t k = 1; k < N; ++k) {
        fields.Read(keyWidth, payoffs[k]);
    }
}

} // namespace

std::size_t ResultNameHeadBytes(std::string_view oddsName) {
    std::size_t prefixAt = FindOddsPrefix(oddsName);
    if (prefixAt == std::string_view::npos) {
        return 0;
    }
    std::size_t keptAt = prefixAt + kOddsPrefixLength;
    if (keptAt >= oddsName.size()) {
        return 0; // nothing follows "zo-"
    }
    return keptAt + CharacterLength(oddsName, keptAt);
}

std::string ResultKeyOfOddsName(std::string_view oddsName) {
    std::size_t headBytes = ResultNameHeadBytes(oddsName);
    if (headBytes == 0) {
        return {};
    }
    std::size_t prefixAt = FindOddsPrefix(oddsName);
    std::string key = ToLowerAscii(oddsName.substr(0, prefixAt));
    key += ToLowerAscii(kResultPrefix);
    key +=
        ToLowerAscii(oddsName.substr(prefixAt + kOddsPrefixLength, headBytes - prefixAt - kOddsPrefixLength));
    key += kKeySeparator;
    key += ToLowerAscii(oddsName.substr(headBytes));
    return key;
}

std::string ResultKeyOfResultName(std::string_view resultName, std::size_t headBytes) {
    if (headBytes == 0 || resultName.size() < headBytes) {
        return {};
    }
    std::size_t pos = headBytes;
    for (int wildcard = 0; wildcard < kWildcardCount; ++wildcard) {
        if (pos >= resultName.size()) {
            return {};
        }
        pos += CharacterLength(resultName, pos);
    }
    std::string key = ToLowerAscii(resultName.substr(0, headBytes));
    key += kKeySeparator;
    key += ToLowerAscii(resultName.substr(pos));
    return key;
}

std::string ResultFileName(const std::string& oddsPath) {
    SplitName split = SplitFolder(oddsPath);
    std::string key = ResultKeyOfOddsName(split.name);
    if (key.empty()) {
        return {};
    }
    std::string name = FindFirstMatch(split.folder.empty() ? std::string(".") : split.folder, key,
                                      ResultNameHeadBytes(split.name));
    return name.empty() ? std::string() : split.folder + name;
}

bool ReadResultFile(const std::string& path, ResultRecord& record) {
    PatFile file(path);
    if (!file.IsOpen()) {
        return false;
    }
    static constexpr std::array<int, kResultHeaderFieldCount + 1> kHeaderWidths{0, 8, 4,  4, 2,  2,
                                                                                2, 1, 10, 1, 28, 28};
    FieldSequence fields(file);
    for (std::size_t k = 1; k < kHeaderWidths.size(); ++k) {
        fields.Read(kHeaderWidths[k], record.HeaderFields[k]);
    }
    for (std::size_t k = 1; k < record.Finishers.size(); ++k) {
        FinisherEntry& finisher = record.Finishers[k];
        fields.Read(2, finisher.FinishField1);
        fields.Read(2, finisher.FinishField2);
        fields.Read(18, finisher.HorseName);
        fields.Read(6, finisher.FinishField4);
        fields.Read(12, finisher.FinishField5);
    }
    fields.Read(5, record.MidField);
    ReadPayoffs(fields, 2, record.WinPayoffs);
    ReadPayoffs(fields, 2, record.PlacePayoffs);
    ReadPayoffs(fields, 4, record.BracketQuinellaPayoffs);
    ReadPayoffs(fields, 6, record.QuinellaPayoffs);
    ReadPayoffs(fields, 6, record.WidePayoffs);
    return fields.ok();
}

} // namespace velmora
