#include "results/result_file.h"

#include "common/text.h"
#include "patdata/file_naming.h"
#include "patdata/pat_file.h"
#include "patdata/record_reader.h"

#include <cstddef>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

namespace velmora {
namespace {

constexpr std::string_view kResultPrefix = "Ks-";
constexpr std::size_t kOddsPrefixLength = 3;
constexpr int kWildcardCount = 2;

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += CharacterLength(text, pos)) {
        ++count;
    }
    return count;
}

// The search pattern split around its two wildcards. Every other character of
// the odds file's path is literal, even a "?" or "*" that Linux allows in names.
struct ResultPattern {
    std::string folder;     // up to and including the last "/", or empty
    std::string namePrefix; // literal part of the name before the wildcards
    std::string nameSuffix; // literal part of the name after them
};

bool BuildPattern(const std::string& oddsPath, ResultPattern& pattern) {
    std::size_t prefixAt = FindOddsPrefix(oddsPath);
    if (prefixAt == std::string::npos) {
        return false;
    }
    std::size_t keptAt = prefixAt + kOddsPrefixLength;
    if (keptAt >= oddsPath.size()) {
        return false; // nothing follows "zo-"
    }
    std::size_t wildcardsAt = keptAt + CharacterLength(oddsPath, keptAt);
    std::string head = oddsPath.substr(0, prefixAt);
    head += kResultPrefix;
    head += oddsPath.substr(keptAt, wildcardsAt - keptAt);
    std::string tail = oddsPath.substr(wildcardsAt);
    if (tail.find('/') != std::string::npos) {
        return false; // the wildcards would fall in a folder name
    }
    std::size_t slash = head.rfind('/');
    std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    pattern.folder = head.substr(0, nameAt);
    pattern.namePrefix = head.substr(nameAt);
    pattern.nameSuffix = std::move(tail);
    return true;
}

bool MatchesPattern(std::string_view name, const ResultPattern& pattern) {
    std::size_t literal = pattern.namePrefix.size() + pattern.nameSuffix.size();
    if (name.size() < literal) {
        return false;
    }
    std::string_view head = name.substr(0, pattern.namePrefix.size());
    std::string_view tail = name.substr(name.size() - pattern.nameSuffix.size());
    std::string_view middle = name.substr(head.size(), name.size() - literal);
    return EqualsIgnoringAsciiCase(head, pattern.namePrefix) &&
           EqualsIgnoringAsciiCase(tail, pattern.nameSuffix) && CharacterCount(middle) == kWildcardCount;
}

// First matching ordinary file in byte order of the name; empty when none or
// when the folder cannot be listed completely.
std::string FindFirstMatch(const ResultPattern& pattern) {
    namespace fs = std::filesystem;
    fs::path folder(pattern.folder.empty() ? std::string(".") : pattern.folder);
    std::error_code error;
    std::string first;
    for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || typeError) {
            continue;
        }
        std::string name = it->path().filename().string();
        if (MatchesPattern(name, pattern) && (first.empty() || name < first)) {
            first = std::move(name);
        }
    }
    return error ? std::string() : first;
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

std::string ResultFileName(const std::string& oddsPath) {
    ResultPattern pattern;
    if (!BuildPattern(oddsPath, pattern)) {
        return {};
    }
    std::string name = FindFirstMatch(pattern);
    return name.empty() ? std::string() : pattern.folder + name;
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
