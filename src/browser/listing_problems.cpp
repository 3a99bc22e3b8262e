#include "browser/listing_problems.h"

#include "patdata/record_reader.h"
#include "patdata/win_place_odds.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace velmora {

FolderState CheckFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    std::string path = folder.empty() ? std::string(".") : folder;
    // "file/" fails as "not a directory", which would read as missing.
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (error && error != std::errc::no_such_file_or_directory && error != std::errc::not_a_directory) {
        return FolderState::Unreadable; // e.g. a folder above it that can't be searched
    }
    if (!fs::exists(status)) {
        return FolderState::Missing;
    }
    if (!fs::is_directory(status)) {
        return FolderState::NotAFolder;
    }
    fs::directory_iterator probe(path, error);
    return error ? FolderState::Unreadable : FolderState::Ready;
}

std::string_view PatFolderProblemText(FolderState state) {
    switch (state) {
    case FolderState::Ready:
        return "";
    case FolderState::Missing:
        return "PATフォルダが見つかりません。";
    case FolderState::NotAFolder:
        return "PATフォルダの指定先はフォルダではありません。";
    case FolderState::Unreadable:
        return "PATフォルダを読み込めません。";
    }
    return "";
}

std::string_view OddsFileFaultKey(OddsFileFault fault) {
    return fault == OddsFileFault::WrongFormat ? "wrong_format_odds_file" : "unreadable_odds_file";
}

std::string_view OddsFileFaultText(OddsFileFault fault) {
    return fault == OddsFileFault::WrongFormat ? "odds file of the wrong format" : "odds file unreadable";
}

std::string_view OddsFileFaultCaption(OddsFileFault fault) {
    return fault == OddsFileFault::WrongFormat ? "単複ｵｯｽﾞﾌｧｲﾙの形式が違う" : "単複ｵｯｽﾞﾌｧｲﾙが読めない";
}

OddsFileFault OddsReadFault(const RecordingMessageSink& shown) {
    bool wrongFormat = std::any_of(shown.messages.begin(), shown.messages.end(),
                                   [](const Message& m) { return m.text == kWrongFormatMessage; });
    return wrongFormat ? OddsFileFault::WrongFormat : OddsFileFault::Unreadable;
}

std::optional<OddsFileFault> ReadOddsFileHeader(const std::string& path, RaceHeader& header) {
    RecordingMessageSink shown;
    if (ReadRaceFileHeader(path, header, shown)) {
        return std::nullopt;
    }
    return OddsReadFault(shown);
}

std::string ListingNote(const std::string& folder, FolderState state,
                        const std::vector<SkippedOddsFile>& skipped) {
    if (state != FolderState::Ready) {
        return std::string(PatFolderProblemText(state)) + " " + folder;
    }
    if (skipped.empty()) {
        return "";
    }
    std::string note = "除外 " + std::to_string(skipped.size()) + "件: ";
    for (std::size_t i = 0; i < skipped.size(); ++i) {
        if (i > 0) {
            note += "、";
        }
        note += skipped[i].file + " (" + std::string(OddsFileFaultCaption(skipped[i].fault)) + ")";
    }
    return note;
}

} // namespace velmora
