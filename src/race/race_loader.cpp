#include "race/race_loader.h"

#include "common/conversions.h"
#include "common/messages.h"
#include "common/text.h"
#include "engine/calculation.h"
#include "patdata/entry_file.h"
#include "patdata/file_naming.h"
#include "patdata/quinella_odds.h"
#include "patdata/win_place_odds.h"
#include "sheet/race_sheet.h"
#include "shell/remarks.h"
#include "shell/services.h"

#include <algorithm>

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

// Reads the file into `race`; a failure is reported (after any format message
// of the reader itself).
bool ReadRace(const std::string& path, RaceRecord& race, MessageSink& messages) {
    if (!ReadWinPlaceOdds(path, race, messages)) {
        ReportReadFailure(messages);
        return false;
    }
    return true;
}

// The common end of both ways in: names, the race file, the computation.
void FinishLoad(RaceSheet& sheet, Services& services, const std::string& path) {
    LoadEntryNames(sheet, path);
    sheet.sOddsFileName = path;
    btnCalc_Click(sheet, services);
}

// Re-read at every calculation so that odds the PAT software updated are
// picked up; a race whose quinella odds can't be read is forgotten.
void ReadRaceQuinellaOdds(RaceSheet& sheet, MessageSink& messages) {
    if (!ReadQuinellaOdds(GetQuinellaFileName(sheet.sOddsFileName), sheet.tUmaOdds, messages)) {
        sheet.sOddsFileName.clear();
    }
}

} // namespace

void btnCalc_Click(RaceSheet& sheet, Services& services) {
    if (!ComputeRunnerFigures(sheet, services.messages)) {
        return;
    }
    ReadRaceQuinellaOdds(sheet, services.messages);
    ComputeRecommendations(sheet, services.messages);
    ShowRandomRemark(sheet, services.remarks, services.random, services.clock);
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
    RaceRecord race;
    if (!ReadRace(sFileName, race, services.messages)) {
        return;
    }
    if (!FillSheetFromRace(sheet, race, services.messages)) {
        return;
    }
    FinishLoad(sheet, services, sFileName);
}

void OpenOddsFile(RaceSheet& sheet, Services& services, const std::string& chosenPath) {
    if (chosenPath.empty()) {
        return;
    }
    RaceRecord race;
    if (!ReadRace(chosenPath, race, services.messages)) {
        return;
    }
    // Refused before the sheet is touched, so that it stays as it was.
    if (!AcceptRunnerCount(RunnerCountValue(race), services.messages)) {
        return;
    }
    if (!FillSheetFromRace(sheet, race, services.messages)) {
        return;
    }
    FinishLoad(sheet, services, chosenPath);
}

} // namespace velmora
