#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmora {

// The result files ("Ks-") of one folder, listed once, so that a back-test of
// thousands of races need not search the folder again for every race. A
// lookup finds the same file as ResultFileName: for Zo-ABCDEF.jra the first
// name in byte order matching Ks-A??BCDEF.jra, ASCII letters in any case.
class ResultIndex {
public:
    // Lists the ordinary files of `folder`; a folder that can't be read gives none.
    explicit ResultIndex(const std::string& folder);
    // The same from the names of its result files, listed already in byte order.
    ResultIndex(const std::string& folder, const std::vector<std::string>& resultNames);

    // Whether a file of this name is looked at as a result file.
    static bool IsResultName(std::string_view name);

    // Full path of the result file of the odds file at `oddsPath`, or empty.
    // Paths the index can't answer exactly (a "zo-" in a folder name, a name
    // that is not plain ASCII) are searched on disk the usual way.
    std::string Find(const std::string& oddsPath) const;

    // The lookup key of a result file name, or empty when it can't be one.
    static std::string KeyOfResultName(std::string_view name);

private:
    std::string folderPrefix_; // folder with its trailing "/"
    bool folderHasOddsPrefix_ = false;
    std::unordered_map<std::string, std::string> first_; // key -> first name in byte order
};

} // namespace velmora
