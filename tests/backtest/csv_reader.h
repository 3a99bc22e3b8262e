#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora::test {

// A strict RFC 4180 reader for checking what the back-test writes: records end
// in CRLF, quoted fields may hold commas, quotes (doubled) and line breaks.
// Returns false on anything malformed.
inline bool ParseCsv(std::string_view text, std::vector<std::vector<std::string>>& records) {
    records.clear();
    std::vector<std::string> record;
    std::string field;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '"') {
            ++i;
            for (;;) {
                if (i >= text.size()) {
                    return false;
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i++];
            }
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                if (text[i] == '"') {
                    return false;
                }
                field += text[i++];
            }
        }
        if (i < text.size() && text[i] == ',') {
            record.push_back(std::move(field));
            field.clear();
            ++i;
            continue;
        }
        if (text.substr(i, 2) != "\r\n") {
            return false;
        }
        i += 2;
        record.push_back(std::move(field));
        field.clear();
        records.push_back(std::move(record));
        record.clear();
    }
    return true;
}

} // namespace velmora::test
