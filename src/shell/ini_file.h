#pragma once

#include <string>

namespace velmora {

// Reads values from one INI file the way the Windows profile reader does:
// section and key names match in any letter case, the first of duplicates wins,
// surrounding blanks and one pair of enclosing quotes are removed, a value is cut
// to 1023 bytes. The file is CP932 unless it starts with a UTF-8 byte-order mark.
// Every read goes to the file anew.
class CINIFile {
public:
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& sFileName) { fileName_ = sFileName; }

    // The value, or sDefaultValue when the file, the section or the key is missing;
    // leading spaces are removed either way.
    std::string GetValue(const std::string& sSectionName, const std::string& sKeyName,
                         const std::string& sDefaultValue) const;

private:
    std::string fileName_;
};

} // namespace velmora
