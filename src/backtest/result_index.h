#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmora {

// The result files ("Ks-") of one folder, listed once, so that a back-test of
// thousands of races need not search the folder again for every race. A
// lookup finds the same file as ResultFileName, by the same key.
class ResultIndex {
public:
    // From the names of the folder's result files, listed already in byte order.
    ResultIndex(const std::string& folder, const std::vector<std::string>& resultNames);

    // Whether a file of this name is looked at as a result file.
    static bool IsResultName(std::string_view name);

    // Full path of the result file of the odds file at `oddsPath`, or empty.
    // An odds file elsewhere, or one whose prefix is not at the start of its
    // name, is searched on disk the usual way.
    std::string Find(const std::string& oddsPath) const;

private:
    std::string folderPrefix_;                           // folder with its trailing "/"
    std::unordered_map<std::string, std::string> first_; // key -> first name in byte order
};

} // namespace velmora
