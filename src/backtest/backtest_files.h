#pragma once

#include "backtest/backtest_record.h"
#include "patdata/records.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Reads what the back-test takes from a race's PAT files, giving exactly what
// the shared readers give (same fields, same decoding, same verdicts), but
// with one read of each file's head and one converter kept for all files.
// The shared readers take a system call and a converter per field, which for
// a folder of thousands of races costs many times the reading itself.
class BacktestFileReader {
public:
    BacktestFileReader();
    ~BacktestFileReader();
    BacktestFileReader(const BacktestFileReader&) = delete;
    BacktestFileReader& operator=(const BacktestFileReader&) = delete;

    enum class OddsStatus { Read, Unreadable, WrongFormat };

    // As ReadRaceFileHeader, with a wrong format marker told apart instead of shown.
    OddsStatus ReadRaceFileHeader(const std::string& path, RaceHeader& header);
    // As ReadWinPlaceOdds; pass a fresh record.
    OddsStatus ReadWinPlaceOdds(const std::string& path, RaceRecord& record);

    // Whether ReadQuinellaOdds would succeed on the file; keeps the file's
    // head so that the cells can be asked for afterwards.
    bool LoadQuinellaOdds(const std::string& path);
    // The cell (a, b) as ReadQuinellaOdds leaves it, a < b: all spaces when the
    // file does not cover the pair. Valid after a successful load.
    PairOdds QuinellaCell(int a, int b);

    // The quinella and wide entries of a result file with a key, as
    // ReadResultFile would read them; false when that read would fail.
    bool ReadPayoffs(const std::string& path, std::vector<BacktestPayoff>& quinella,
                     std::vector<BacktestPayoff>& wide);

    // DecodeCp932Field, with plain ASCII passed through as it is.
    std::string DecodeField(std::string_view bytes);

private:
    // Reads up to `limit` bytes of the file's head into `bytes`.
    static bool Load(const std::string& path, std::size_t limit, std::string& bytes);
    bool DecodeHeader(std::string_view bytes, RaceHeader& header, OddsStatus& status);
    void AppendDecoded(std::string_view bytes, std::string& out);

    std::string buffer_;
    std::string quinella_; // the quinella odds file's head, kept for QuinellaCell
    void* converter_;      // iconv_t, opened once
    int quinellaRunners_ = 0;
};

} // namespace velmora
