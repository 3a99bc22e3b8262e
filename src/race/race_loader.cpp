#include "race/race_loader.h"

#include "common/conversions.h"
#include "common/messages.h"
#include "common/text.h"
#include "engine/calculation.h"
#include "patdata/entry_file.h"
#include "patdata/file_naming.h"
#include "patdata/pat_file.h"
#include "patdata/quinella_odds.h"
#include "patdata/win_place_odds.h"
#include "sheet/race_sheet.h"
#include "shell/remarks.h"
#include "shell/services.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace velmora {
namespace {

constexpr double kMinimumRunners = 8.0;

double RunnerCountValue(const RaceRecord& race) {
    return NumericValue(race.Header.RunnerCount);
}

void ReportReadFailure(MessageSink& messages) {
    messages.ShowMessage(kReadFailedMessage, kReadFailedCaption, MessageIcon::Critical);
}

void ReportTooSmallRace(MessageSink& messages) {
    messages.ShowMessage(kTooSmallRaceMessage, kAppTitle, MessageIcon::None);
}

// The sheet shows 8 to 18 runners. The count is taken rounded, which is also how
// many entries the reader took; a count above 18 can't come from a readable file.
bool AcceptRunnerCount(double count, MessageSink& messages) {
    if (count < kMinimumRunners) {
        ReportTooSmallRace(messages);
        return false;
    }
    if (CountFromValue(count) > kMaxRunners) {
        ReportReadFailure(messages);
        return false;
    }
    return true;
}

// A race's odds files, from disk or from bytes read before: an opener gives
// the file to read, which a load reads once.
using FileOpener = std::function<std::unique_ptr<PatFile>()>;

FileOpener OnDisk(const std::string& path) {
    return [path] { return std::make_unique<PatFile>(path); };
}

FileOpener InMemory(const std::optional<std::string>& bytes) {
    return [&bytes] {
        // No bytes: a file that could not be opened, as an empty path is.
        return bytes ? std::make_unique<PatFile>(PatFile::Contents{*bytes})
                     : std::make_unique<PatFile>(std::string());
    };
}

// Reads the file into `race`; a failure is reported (after any format message
// of the reader itself).
bool ReadRace(const FileOpener& open, RaceRecord& race, MessageSink& messages) {
    std::unique_ptr<PatFile> file = open();
    if (!ReadWinPlaceOdds(*file, race, messages)) {
        ReportReadFailure(messages);
        return false;
    }
    return true;
}

// Read afresh at every calculation so that odds the PAT software updated are
// picked up; a race whose quinella odds can't be read is forgotten.
void Compute(RaceSheet& sheet, Services& services, const FileOpener& openQuinella) {
    if (!ComputeRunnerFigures(sheet, services.messages)) {
        return;
    }
    std::unique_ptr<PatFile> file = openQuinella();
    if (!ReadQuinellaOdds(*file, sheet.tUmaOdds, services.messages)) {
        sheet.sOddsFileName.clear();
    }
    ComputeRecommendations(sheet, services.messages);
    ShowRandomRemark(sheet, services.remarks, services.random, services.clock);
}

// The common end of both ways in: names, the race file, the computation.
void FinishLoad(RaceSheet& sheet, Services& services, const std::string& path,
                const FileOpener& openQuinella) {
    LoadEntryNames(sheet, path);
    sheet.sOddsFileName = path;
    Compute(sheet, services, openQuinella);
}

// The file browser's way in: a race refused on the sheet leaves it cleared.
void LoadSelected(RaceSheet& sheet, Services& services, const std::string& path, const FileOpener& openRace,
                  const FileOpener& openQuinella) {
    RaceRecord race;
    if (!ReadRace(openRace, race, services.messages)) {
        return;
    }
    if (!FillSheetFromRace(sheet, race, services.messages)) {
        return;
    }
    FinishLoad(sheet, services, path, openQuinella);
}

// The open command's way in: a race it can't take leaves the sheet as it was.
void LoadOpened(RaceSheet& sheet, Services& services, const std::string& path, const FileOpener& openRace,
                const FileOpener& openQuinella) {
    RaceRecord race;
    if (!ReadRace(openRace, race, services.messages)) {
        return;
    }
    // Refused before the sheet is touched, so that it stays as it was.
    if (!AcceptRunnerCount(RunnerCountValue(race), services.messages)) {
        return;
    }
    if (!FillSheetFromRace(sheet, race, services.messages)) {
        return;
    }
    FinishLoad(sheet, services, path, openQuinella);
}

} // namespace

void btnCalc_Click(RaceSheet& sheet, Services& services) {
    Compute(sheet, services, OnDisk(GetQuinellaFileName(sheet.sOddsFileName)));
}

bool FillSheetFromRace(RaceSheet& sheet, const RaceRecord& race, MessageSink& messages) {
    sheet.ClearSheet();
    const double count = RunnerCountValue(race);
    if (!AcceptRunnerCount(count, messages)) {
        return false;
    }
    const int n = CountFromValue(count);
    sheet.SetHorseNumText(std::to_string(n));
    const RaceHeader& header = race.Header;
    sheet.SetKaisai(header.CourseName + " 第" + header.MeetingNo + "回 " + header.MeetingDay + "日");
    sheet.SetRaceName(header.RaceNo + "R " + header.RaceName);
    for (int i = 1; i <= n; ++i) {
        const RunnerOdds& runner = race.Runners[static_cast<std::size_t>(i)];
        sheet.SetText(Column::TanOdds, i, Trimmed(runner.WinOdds));
        sheet.SetText(Column::FukuOddsMin, i, Trimmed(runner.PlaceOddsMin));
        sheet.SetText(Column::FukuOddsMax, i, Trimmed(runner.PlaceOddsMax));
    }
    return true;
}

void LoadEntryNames(RaceSheet& sheet, const std::string& oddsPath) {
    EntryRecord entries;
    if (ReadEntryFile(GetEntryFileName(oddsPath), entries)) {
        SetHorseNames(sheet, entries);
    } else {
        sheet.ClearHorseNames();
    }
}

void SetHorseNames(RaceSheet& sheet, const EntryRecord& entries) {
    const int count = std::min<int>(CountFromValue(NumericValue(entries.Header.RunnerCount)), kMaxRunners);
    for (int i = 1; i <= count; ++i) {
        sheet.SetText(Column::HorseName, i, entries.Runners[static_cast<std::size_t>(i)].HorseName);
    }
}

void UpdateFormFromSelection(RaceSheet& sheet, Services& services, const std::string& sFileName) {
    LoadSelected(sheet, services, sFileName, OnDisk(sFileName), OnDisk(GetQuinellaFileName(sFileName)));
}

void OpenOddsFile(RaceSheet& sheet, Services& services, const std::string& chosenPath) {
    if (chosenPath.empty()) {
        return;
    }
    LoadOpened(sheet, services, chosenPath, OnDisk(chosenPath), OnDisk(GetQuinellaFileName(chosenPath)));
}

void UpdateFormFromBytes(RaceSheet& sheet, Services& services, const std::string& oddsPath,
                         const RaceOddsBytes& bytes) {
    LoadSelected(sheet, services, oddsPath, InMemory(bytes.winPlace), InMemory(bytes.quinella));
}

void OpenOddsFileFromBytes(RaceSheet& sheet, Services& services, const std::string& oddsPath,
                           const RaceOddsBytes& bytes) {
    if (oddsPath.empty()) {
        return;
    }
    LoadOpened(sheet, services, oddsPath, InMemory(bytes.winPlace), InMemory(bytes.quinella));
}

} // namespace velmora
