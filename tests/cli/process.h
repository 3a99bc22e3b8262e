#pragma once

#include <string>
#include <utility>
#include <vector>

namespace velmora::test {

struct ProcessResult {
    int exitCode = -1; // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs a program with the given arguments and extra environment entries
// ("NAME=value", replacing inherited ones), feeding `input` to its standard input.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment, const std::string& input = {});

} // namespace velmora::test
