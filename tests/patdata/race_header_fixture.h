#pragma once

#include "patdata/records.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::test {

// One field of the race header with its byte offset and width, and a text that
// fills it and differs from every other field's, so any shift shows.
struct HeaderField {
    const char* name;
    std::size_t offset;
    int width;
    std::string RaceHeader::*member;
    std::string text;
};

// The 16 fields in file order.
std::vector<HeaderField> RaceHeaderFields(std::string_view marker = "2", std::string_view runnerCount = "16");

// The 142 bytes of a race header built from RaceHeaderFields.
std::string RaceHeaderBytes(std::string_view marker = "2", std::string_view runnerCount = "16");

// Base-19 digit naming a runner 0 … 18 in one character.
char RunnerDigit(int runner);

} // namespace velmora::test
