#pragma once

// Writes the PAT data files of one race ("Zo-", "Uo-", "De-", "Ks-") in CP932 with
// their exact field widths, from a short in-memory description. For tests, sample
// folders and fuzz seeds: the program itself only ever reads these files.
//
// Every text below is UTF-8. A field whose text does not fit its width in CP932
// bytes, or has no CP932 form, is an error (FixtureError); nothing is cut. Texts
// are padded with spaces: names and captions on the right, numbers and odds on
// the left (" 9", "  2.4"). Fields left empty get sensible defaults, so a test can
// describe a race in a few lines:
//
//     patfixture::Race race;
//     race.runners = patfixture::RunnersWithOdds({"2.4", "5.1", "ﾄﾘｹｼ", "12.5", ...});
//     patfixture::WriteRaceFiles(race, folder);

#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::patfixture {

// A description that cannot be written: a field too long, a text without CP932
// form, a horse number out of range, a malformed description line.
class FixtureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The scratch marker as the PAT software writes it into the odds fields.
inline constexpr std::string_view kScratched = "ﾄﾘｹｼ";

struct Runner {
    // Field texts as they go into the 5-byte odds fields ("2.4", "12.5", "ﾄﾘｹｼ").
    // A win odds text that is not a number marks the runner as not running.
    std::string winOdds;
    // Empty: derived from the win odds of the field (same text as the win odds
    // for a runner that does not run).
    std::string placeOddsMin;
    std::string placeOddsMax;
    // Empty: "ウマ" and the horse number in full-width digits.
    std::string horseName;
    std::string jockey; // empty: a default name
};

// One cell of the quinella odds file (6-byte fields).
struct PairCell {
    std::string quinella;
    std::string wideMin;
    std::string wideMax;
};

// One payoff entry of the result file, written as given (right-aligned).
// Quinella and wide keys compare with the program's pair texts after trimming,
// so derived keys are written " 3- 5" / " 3-12" style.
struct Payoff {
    std::string key;
    std::string amount; // yen, e.g. "1230"
};

struct Finisher {
    std::string position;    // 2 bytes
    std::string horseNumber; // 2 bytes
    std::string horseName;   // 18 bytes
    std::string time;        // 6 bytes, e.g. "1.34.5"
    std::string jockey;      // 12 bytes
};

struct Result {
    // Finishing order by horse number, first at the front. Runners not listed
    // follow by ascending win odds; the file holds the first seven.
    std::vector<int> order;
    std::string winnerTime = "1.34.5";
    // When set, these replace the derived tables (at most 7, 3, 5, 3, 3 and 11 entries).
    std::optional<std::vector<Finisher>> finishers;
    std::optional<std::vector<Payoff>> win;
    std::optional<std::vector<Payoff>> place;
    std::optional<std::vector<Payoff>> bracketQuinella;
    std::optional<std::vector<Payoff>> quinella;
    std::optional<std::vector<Payoff>> wide;
};

struct Race {
    // The file name behind the three-character prefix; empty gives
    // <courseCode><meetingNo:02><meetingDay:02><raceNo:02>.jra, e.g. 06050111.jra.
    std::string fileId;
    // The two characters the result file's name carries after the first
    // character of the file id (Zo-ABC.jra -> Ks-A??BC.jra).
    std::string resultInfix = "00";

    std::string date = "20261206"; // first header field of every file
    std::string courseCode = "05";
    std::string courseName = "東京";
    int meetingNo = 1;
    int meetingDay = 1;
    int raceNo = 1;
    std::string formatMarker = "3";
    std::string postTime = "1000";
    std::string oddsTime = "09:30:00"; // when the odds files were written, HH:MM:SS
    std::string raceName = "テストレース";
    std::string conditions = "３歳以上１勝クラス　芝１６００ｍ";

    // Header RunnerCount texts; empty: the number of runners.
    std::string runnerCount;      // odds and quinella odds files
    std::string entryRunnerCount; // entry file

    std::vector<Runner> runners; // horse numbers 1, 2, ... in order

    // Explicit quinella file cells keyed (i, j) with i < j; other pairs are derived.
    std::map<std::pair<int, int>, PairCell> pairs;

    bool withOddsFile = true;
    bool withQuinellaFile = true;
    bool withEntryFile = true;
    std::optional<Result> result; // no result file when empty
};

struct FixtureFile {
    std::string name;  // bare file name, e.g. "Zo-06050111.jra"
    std::string bytes; // CP932 file contents
};

// Runners with the given win odds and everything else derived.
std::vector<Runner> RunnersWithOdds(const std::vector<std::string>& winOdds);

std::string OddsFileName(const Race& race);     // "Zo-" + file id
std::string QuinellaFileName(const Race& race); // "Uo-" + file id
std::string EntryFileName(const Race& race);    // "De-" + file id
std::string ResultFileName(const Race& race);   // "Ks-" + id[0] + infix + id[1..]

// The file contents on their own.
std::string WinPlaceOddsBytes(const Race& race);
std::string QuinellaOddsBytes(const Race& race);
std::string EntryFileBytes(const Race& race);
std::string ResultFileBytes(const Race& race); // needs race.result

// Every file the race asks for, in the order Zo, Uo, De, Ks.
std::vector<FixtureFile> BuildRaceFiles(const Race& race);

// Writes BuildRaceFiles into an existing folder and returns the full paths.
// Nothing is written when the description fails.
std::vector<std::filesystem::path> WriteRaceFiles(const Race& race, const std::filesystem::path& folder);

// Writes `bytes` as the PAT software replaces a file: a new file beside it,
// renamed over the old one, so that a reader never sees a half-written file.
void ReplaceByRename(const std::filesystem::path& folder, const std::string& name, const std::string& bytes);

// Derived values, exposed for tests that want to compare with them.
PairCell DerivedPairCell(const Race& race, int i, int j);
// The place odds range of a runner, as low and high texts.
std::pair<std::string, std::string> DerivedPlaceOdds(const Race& race, int number);
// Odds text divided by `factor`, cut and written as in a field `width` wide.
std::string DividedOdds(const std::string& odds, double factor, std::size_t width);
std::vector<int> FinishingOrder(const Race& race);

// The description text format of the velmora-patfixture tool (README.md).
Race ParseRaceDescription(std::string_view text);

} // namespace velmora::patfixture
