#include "shell/remarks.h"

#include "common/conversions.h"
#include "common/platform.h"
#include "sheet/race_sheet.h"
#include "shell/ini_file.h"

#include <algorithm>

namespace velmora {

RemarkList ReadRemarks(const std::string& iniPath) {
    CINIFile ini;
    ini.SetFileName(iniPath);
    RemarkList remarks;
    int count = ParseIntOrZero(ini.GetValue("Remarks", "Num", "0"));
    for (int i = 1; i <= count; ++i) {
        remarks.push_back(ini.GetValue("Remarks", "Remark" + std::to_string(i), ""));
    }
    return remarks;
}

RemarkList& GetRemarks() {
    static RemarkList remarks;
    return remarks;
}

void LoadRemarks() {
    std::string folder = ProgramFolder();
    if (folder.empty()) {
        return;
    }
    GetRemarks() = ReadRemarks(folder + "/" + kRemarkFileName);
}

void ShowRandomRemark(RaceSheet& sheet, const RemarkList& remarks, RandomSource& random, const Clock& clock) {
    if (remarks.empty()) {
        return;
    }
    random.Seed(clock.Ticks());
    float u = random.NextUnit();
    float k = static_cast<float>(remarks.size());
    auto index = static_cast<std::size_t>(k * u + 1.0f);
    // Single-precision rounding may land on k + 1 when u is just below 1.
    index = std::min(std::max<std::size_t>(index, 1), remarks.size());
    sheet.SetStatusText(remarks[index - 1]);
}

} // namespace velmora
