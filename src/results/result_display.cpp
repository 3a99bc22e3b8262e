#include "results/result_display.h"

#include "common/messages.h"
#include "common/text.h"
#include "results/result_file.h"
#include "sheet/race_sheet.h"
#include "shell/services.h"

#include <string>

namespace velmora {
namespace {

template <std::size_t N>
void AddPayoffLines(RaceSheet& sheet, const char* title, const std::array<PayoffEntry, N>& entries) {
    sheet.AddItem(SheetList::RaceResult, title);
    for (std::size_t k = 1; k < N; ++k) {
        sheet.AddItem(SheetList::RaceResult, entries[k].Key + entries[k].Payoff);
    }
}

// Appends the mark to every recommendation line that names the paying pair.
// A marked line no longer matches any key, so a pair is marked at most once.
void MarkHits(RaceSheet& sheet, const PayoffEntry& entry, const char* mark) {
    const auto& lines = sheet.Items(SheetList::Result);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (KeyNamesPair(entry.Key, lines[i])) {
            sheet.SetItem(SheetList::Result, i, lines[i] + mark);
        }
    }
}

template <std::size_t N>
void AddMarkedPayoffLines(RaceSheet& sheet, const char* title, const std::array<PayoffEntry, N>& entries,
                          const char* mark) {
    sheet.AddItem(SheetList::RaceResult, title);
    for (std::size_t k = 1; k < N; ++k) {
        sheet.AddItem(SheetList::RaceResult, entries[k].Key + entries[k].Payoff);
        MarkHits(sheet, entries[k], mark);
    }
}

void ShowResult(RaceSheet& sheet, const ResultRecord& result) {
    sheet.ClearList(SheetList::RaceResult);
    sheet.AddItem(SheetList::RaceResult, "競争成績");
    for (std::size_t k = 1; k < result.Finishers.size(); ++k) {
        const FinisherEntry& finisher = result.Finishers[k];
        sheet.AddItem(SheetList::RaceResult, finisher.FinishField1 + finisher.FinishField2 +
                                                 finisher.HorseName + finisher.FinishField4);
    }
    AddPayoffLines(sheet, "単勝", result.WinPayoffs);
    AddPayoffLines(sheet, "複勝", result.PlacePayoffs);
    AddPayoffLines(sheet, "枠連", result.BracketQuinellaPayoffs);
    AddMarkedPayoffLines(sheet, "馬連", result.QuinellaPayoffs, kQuinellaHitMark);
    AddMarkedPayoffLines(sheet, "ワイド", result.WidePayoffs, kWideHitMark);
}

} // namespace

bool KeyNamesPair(std::string_view key, std::string_view pairLine) {
    std::string_view trimmedKey = TrimSpaces(key);
    return !trimmedKey.empty() && TrimSpaces(pairLine) == trimmedKey;
}

void cmdResult_Click(RaceSheet& sheet, Services& services) {
    const std::string path = ResultFileName(sheet.sOddsFileName);
    if (path.empty()) {
        return;
    }
    ResultRecord result;
    if (!ReadResultFile(path, result)) {
        services.messages.ShowMessage(kReadFailedMessage, kReadFailedCaption, MessageIcon::Critical);
        return;
    }
    ShowResult(sheet, result);
}

} // namespace velmora
