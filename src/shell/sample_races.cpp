#include "shell/sample_races.h"

#include "sheet/race_sheet.h"

#include <stdexcept>

namespace velmora {
namespace {

std::array<SampleRace, 3> MakeSampleRaces() {
    SampleRace mainichiOkan{
        "’９９毎日王冠",
        2,
        {},
        {{"18.4", "3.3", "5.4"},
         {"20.8", "2.7", "4.3"},
         {"20.8", "1.7", "2.6"},
         {"14.0", "2.4", "3.7"},
         {"12.0", "2.4", "3.8"},
         {"73.7", "5.2", "8.5"},
         {"83.7", "5.9", "9.6"},
         {"1.3", "1.1", "1.2"},
         {"10.4", "1.8", "2.7"},
         {"16.2", "2.4", "3.7"}},
        "8-10 \\550",
    };
    SampleRace kyotoDaishoten{
        "’９９京都大賞典",
        2,
        {},
        {{"8.9", "2.0", "3.1"},
         {"2.4", "1.2", "1.5"},
         {"31.5", "4.8", "8.2"},
         {"6.7", "1.6", "2.4"},
         {"15.3", "2.9", "4.6"},
         {"9.8", "2.1", "3.3"},
         {"4.1", "1.4", "2.0"},
         {"48.2", "6.9", "11.6"},
         {"22.6", "3.6", "5.9"},
         {"64.0", "8.1", "13.9"}},
        "4-6 \\2580",
    };
    SampleRace satsukiSho{
        "’０１皐月賞",
        10,
        {"サクラミライ", "ハヤテノツバサ", "シンセイキッド", "ミヤビリュウセイ", "カゼノシラベ",
         "トウカイブレイブ", "アオゾラテンマ", "ニシノハヤブサ", "ゴールドシグナル", "ヤマノカグラ",
         "ダイチノホマレ", "リュウノヒカリ", "キタノオウジャ", "ミドリノタイガ", "サンライズビート",
         "ホシノコンパス", "ユキミザクラ", "ハルカゼマーチ"},
        {{"25.6", "4.1", "6.5"},
         {"12.3", "2.6", "4.0"},
         {"88.4", "12.0", "19.5"},
         {"45.0", "7.2", "11.8"},
         {"9.7", "2.2", "3.4"},
         {"154.2", "18.6", "30.1"},
         {"2.8", "1.3", "1.6"},
         {"33.9", "5.3", "8.7"},
         {"61.5", "9.4", "15.2"},
         {"17.8", "3.2", "5.1"},
         {"120.7", "15.1", "24.8"},
         {"7.4", "1.9", "2.9"},
         {"210.3", "25.4", "41.0"},
         {"4.5", "1.6", "2.2"},
         {"38.2", "6.0", "9.8"},
         {"72.6", "10.5", "17.3"},
         {"19.9", "3.5", "5.6"},
         {"99.1", "13.7", "22.4"}},
        "7-14 \\780?",
    };
    return {mainichiOkan, kyotoDaishoten, satsukiSho};
}

} // namespace

const std::array<SampleRace, 3>& SampleRaces() {
    static const std::array<SampleRace, 3> races = MakeSampleRaces();
    return races;
}

void ShowSampleRace(RaceSheet& sheet, int number) {
    if (number < 1 || number > static_cast<int>(SampleRaces().size())) {
        throw std::out_of_range("no such sample race");
    }
    const SampleRace& race = SampleRaces()[static_cast<std::size_t>(number - 1)];
    sheet.ClearSheet();
    sheet.SetHorseNumIndex(race.horseNumIndex);
    for (std::size_t i = 0; i < race.horseNames.size(); ++i) {
        sheet.SetText(Column::HorseName, static_cast<int>(i) + 1, race.horseNames[i]);
    }
    for (std::size_t i = 0; i < race.odds.size(); ++i) {
        sheet.SetText(Column::TanOdds, static_cast<int>(i) + 1, race.odds[i][0]);
    }
    for (std::size_t i = 0; i < race.odds.size(); ++i) {
        sheet.SetText(Column::FukuOddsMin, static_cast<int>(i) + 1, race.odds[i][1]);
        sheet.SetText(Column::FukuOddsMax, static_cast<int>(i) + 1, race.odds[i][2]);
    }
    for (const char* line : {"オッズは", "締め切り", "2～3時間前", "のものです。", ""}) {
        sheet.AddItem(SheetList::Result, line);
    }
    sheet.AddItem(SheetList::Result, "ﾚｰｽ結果は");
    sheet.AddItem(SheetList::Result, race.resultLine);
    sheet.AddItem(SheetList::Result, "でした。");
}

void mnuTestData1_Click(RaceSheet& sheet) {
    ShowSampleRace(sheet, 1);
}
void mnuTestData2_Click(RaceSheet& sheet) {
    ShowSampleRace(sheet, 2);
}
void mnuTestData3_Click(RaceSheet& sheet) {
    ShowSampleRace(sheet, 3);
}

} // namespace velmora
