#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

class MessageSink;
class RaceSheet;

// The message shown when a pair would join a runner with itself.
inline constexpr const char* kSameRunnerMessage = "おかしいよ。馬番が２個同じだよ。馬連にならないよ";

// The five-character text that names an unordered pair: smaller number first,
// each right-aligned in two characters, joined by "-" (3, 12 -> " 3-12").
// Equal numbers are reported and still formatted.
std::string FormatPair(int a, int b, MessageSink& messages);

struct RunnerPair {
    int first = 0; // the smaller number
    int second = 0;
    bool operator==(const RunnerPair&) const = default;
};

// The pair a text names as FormatPair writes it, two runners 1 ... 18 in
// characters 1-2 and 4-5, smaller first; what follows (a result mark) is not
// read. Nothing for any other text.
std::optional<RunnerPair> ParsePair(std::string_view text);

// True when a line of lstResult is exactly the pair's text.
bool IsPairListed(const RaceSheet& sheet, int a, int b, MessageSink& messages);

// Appends a pair to lstResult and, while the sheet shows a race file, its
// quinella and wide odds from tUmaOdds to the two parallel lists.
void AddRecommendation(RaceSheet& sheet, const std::string& pairText);

// Lists up to nine pairs around the win and place favourites, choosing the
// axes by the reliability grades on the sheet.
void ListRecommendations(RaceSheet& sheet, MessageSink& messages);

} // namespace velmora
