#include "patdata/file_naming.h"

#include "common/text.h"

#include <algorithm>

namespace velmora {
namespace {

constexpr std::string_view kOddsPrefix = "zo-";
constexpr std::string_view kQuinellaPrefix = "Uo-";
constexpr std::string_view kOddsExtension = ".jra";

std::string SiblingFileName(const std::string& path, std::string_view newPrefix) {
    std::size_t position = FindOddsPrefix(path);
    if (position == std::string::npos) {
        return {};
    }
    std::string sibling = path.substr(0, position);
    sibling += newPrefix;
    sibling += path.substr(position + kOddsPrefix.size());
    return sibling;
}

} // namespace

std::string GetOddsFileFilter() {
    return "単複ｵｯｽﾞﾌｧｲﾙ (Zo-*.jra)|Zo-*.jra";
}

bool MatchesOddsFileMask(std::string_view fileName) {
    if (fileName.size() < kOddsPrefix.size() + kOddsExtension.size()) {
        return false;
    }
    return EqualsIgnoringAsciiCase(fileName.substr(0, kOddsPrefix.size()), kOddsPrefix) &&
           EqualsIgnoringAsciiCase(fileName.substr(fileName.size() - kOddsExtension.size()), kOddsExtension);
}

std::optional<OddsFileKind> OddsFileKindOf(std::string_view fileName) {
    if (MatchesOddsFileMask(fileName)) {
        return OddsFileKind::WinPlace;
    }
    if (fileName.size() >= kOddsPrefix.size() &&
        EqualsIgnoringAsciiCase(fileName.substr(0, kOddsPrefix.size()), kQuinellaPrefix) &&
        MatchesOddsFileMask(OddsFileNameOfKind(fileName, OddsFileKind::WinPlace))) {
        return OddsFileKind::Quinella;
    }
    return std::nullopt;
}

std::string OddsFileNameOfKind(std::string_view oddsFileName, OddsFileKind kind) {
    std::string name(kind == OddsFileKind::WinPlace ? "Zo-" : kQuinellaPrefix);
    name += oddsFileName.substr(std::min(oddsFileName.size(), kOddsPrefix.size()));
    return name;
}

std::size_t FindOddsPrefix(std::string_view path) {
    std::size_t slash = path.rfind('/');
    std::size_t nameAt = slash == std::string_view::npos ? 0 : slash + 1;
    std::size_t found = ToLowerAscii(path.substr(nameAt)).find(kOddsPrefix);
    return found == std::string::npos ? found : nameAt + found;
}

std::string GetEntryFileName(const std::string& path) {
    return SiblingFileName(path, "De-");
}

std::string GetQuinellaFileName(const std::string& path) {
    return SiblingFileName(path, kQuinellaPrefix);
}

} // namespace velmora
