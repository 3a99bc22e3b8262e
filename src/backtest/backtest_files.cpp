#include "backtest/backtest_files.h"

#include "backtest/pair_judging.h"
#include "common/text.h"
#include "patdata/record_reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {
namespace {

constexpr std::size_t kRaceHeaderSize = 142;
constexpr std::size_t kRunnerOddsSize = 18;
constexpr std::size_t kQuinellaCellsAt = 144; // header and the 2-byte spare field
constexpr std::size_t kPairOddsSize = 25;
constexpr std::size_t kResultFileSize = 687;
constexpr std::size_t kQuinellaPayoffsAt = 491;
constexpr std::size_t kWidePayoffsAt = 533;
constexpr std::size_t kPayoffEntrySize = 14; // key 6, payoff 8
// Every file the back-test reads needs at most this many bytes (an 18-runner
// quinella odds file: 3969).
constexpr std::size_t kReadLimit = 4096;

iconv_t Converter(void* handle) {
    return static_cast<iconv_t>(handle);
}

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A file descriptor closed on every path.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Walks the fields of a record in file order, as ReadField does.
class FieldCursor {
public:
    FieldCursor(BacktestFileReader& reader, std::string_view bytes, std::size_t at)
        : reader_(reader), bytes_(bytes), at_(at) {}
    bool Read(std::size_t width, std::string& field) {
        if (!ok_ || at_ + width > bytes_.size()) {
            ok_ = false;
            return false;
        }
        field = reader_.DecodeField(bytes_.substr(at_, width));
        at_ += width;
        return true;
    }
    bool ok() const { return ok_; }
    std::size_t at() const { return at_; }

private:
    BacktestFileReader& reader_;
    std::string_view bytes_;
    std::size_t at_;
    bool ok_ = true;
};

} // namespace

BacktestFileReader::BacktestFileReader() : converter_(iconv_open("UTF-8", "CP932")) {
    buffer_.reserve(kReadLimit);
    quinella_.reserve(kReadLimit);
}

BacktestFileReader::~BacktestFileReader() {
    if (Converter(converter_) != reinterpret_cast<iconv_t>(-1)) {
        iconv_close(Converter(converter_));
    }
}

bool BacktestFileReader::Load(const std::string& path, std::size_t limit, std::string& bytes) {
    bytes.clear();
    if (path.empty() || path.find('\0') != std::string::npos) {
        return false;
    }
    // Like the shared reader: no blocking on a FIFO, ordinary files only.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    bytes.resize(limit);
    std::size_t done = 0;
    while (done < limit) {
        ssize_t got = ::read(file.get(), bytes.data() + done, limit - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            bytes.clear();
            return false;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return true;
}

void BacktestFileReader::AppendDecoded(std::string_view bytes, std::string& out) {
    constexpr char32_t kReplacement = 0xFFFD;
    iconv_t cd = Converter(converter_);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        for (char c : bytes) {
            AppendUtf8(out, static_cast<unsigned char>(c) < 0x80 ? static_cast<char32_t>(c) : kReplacement);
        }
        return;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const char* in = bytes.data();
    std::size_t left = bytes.size();
    char buffer[256];
    while (left > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t rc = iconv(cd, const_cast<char**>(&in), &left, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (rc != static_cast<std::size_t>(-1) || errno == E2BIG) {
            continue;
        }
        // A byte that is no CP932 becomes U+FFFD and decoding goes on behind
        // it; a lead byte cut off at the end ends the field.
        AppendUtf8(out, kReplacement);
        if (errno == EINVAL) {
            break;
        }
        ++in;
        --left;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
}

std::string BacktestFileReader::DecodeField(std::string_view bytes) {
    if (IsAscii(bytes)) {
        return std::string(bytes);
    }
    std::string out;
    AppendDecoded(bytes, out);
    return PadToWidth(std::move(out), bytes.size());
}

bool BacktestFileReader::DecodeHeader(std::string_view bytes, RaceHeader& header, OddsStatus& status) {
    FieldCursor fields(*this, bytes, 0);
    static constexpr std::array<std::pair<std::string RaceHeader::*, std::size_t>, 16> kLayout{{
        {&RaceHeader::Field1, 8},
        {&RaceHeader::Field2, 8},
        {&RaceHeader::Field3, 2},
        {&RaceHeader::Field4, 8},
        {&RaceHeader::Field5, 2},
        {&RaceHeader::CourseName, 4},
        {&RaceHeader::Field7, 4},
        {&RaceHeader::MeetingNo, 2},
        {&RaceHeader::MeetingDay, 2},
        {&RaceHeader::RaceNo, 2},
        {&RaceHeader::Field11, 1},
        {&RaceHeader::FormatMarker, 1},
        {&RaceHeader::Field13, 4},
        {&RaceHeader::RaceName, 28},
        {&RaceHeader::Conditions, 64},
        {&RaceHeader::RunnerCount, 2},
    }};
    for (const auto& [member, width] : kLayout) {
        if (!fields.Read(width, header.*member)) {
            status = OddsStatus::Unreadable;
            return false;
        }
    }
    const std::string& marker = header.FormatMarker;
    if (marker != " " && marker != "2" && marker != "3") {
        status = OddsStatus::WrongFormat;
        return false;
    }
    status = OddsStatus::Read;
    return true;
}

BacktestFileReader::OddsStatus BacktestFileReader::ReadRaceFileHeader(const std::string& path,
                                                                      RaceHeader& header) {
    if (!Load(path, kRaceHeaderSize, buffer_)) {
        return OddsStatus::Unreadable;
    }
    OddsStatus status = OddsStatus::Unreadable;
    DecodeHeader(buffer_, header, status);
    return status;
}

BacktestFileReader::OddsStatus BacktestFileReader::ReadWinPlaceOdds(const std::string& path,
                                                                    RaceRecord& record) {
    if (!Load(path, kRaceHeaderSize + kRunnerOddsSize * kMaxRunners, buffer_)) {
        return OddsStatus::Unreadable;
    }
    OddsStatus status = OddsStatus::Unreadable;
    if (!DecodeHeader(buffer_, record.Header, status)) {
        return status;
    }
    int runnerCount = CountFromField(record.Header.RunnerCount);
    FieldCursor fields(*this, buffer_, kRaceHeaderSize);
    for (int i = 1; i <= runnerCount; ++i) {
        if (i > kMaxRunners) {
            return OddsStatus::Unreadable;
        }
        RunnerOdds& runner = record.Runners[static_cast<std::size_t>(i)];
        if (!(fields.Read(1, runner.Field1) && fields.Read(2, runner.Field2) &&
              fields.Read(5, runner.WinOdds) && fields.Read(5, runner.PlaceOddsMin) &&
              fields.Read(5, runner.PlaceOddsMax))) {
            return OddsStatus::Unreadable;
        }
    }
    return OddsStatus::Read;
}

bool BacktestFileReader::LoadQuinellaOdds(const std::string& path) {
    quinellaRunners_ = 0;
    if (!Load(path, kReadLimit, quinella_)) {
        return false;
    }
    RaceHeader header;
    OddsStatus status = OddsStatus::Unreadable;
    if (!DecodeHeader(quinella_, header, status) || quinella_.size() < kQuinellaCellsAt) {
        return false;
    }
    int runnerCount = CountFromField(header.RunnerCount);
    if (runnerCount >= 2) {
        // The reader stops at the first cell that names a runner above 18.
        if (runnerCount > kMaxRunners) {
            return false;
        }
        auto n = static_cast<std::size_t>(runnerCount);
        if (quinella_.size() < kQuinellaCellsAt + kPairOddsSize * (n * (n - 1) / 2)) {
            return false;
        }
    }
    quinellaRunners_ = runnerCount;
    return true;
}

PairOdds BacktestFileReader::QuinellaCell(int a, int b) {
    PairOdds cell{std::string(2, ' '), std::string(5, ' '), std::string(6, ' '), std::string(6, ' '),
                  std::string(6, ' ')};
    if (a < 1 || a >= b || b > quinellaRunners_) {
        return cell;
    }
    auto i = static_cast<std::size_t>(a);
    auto j = static_cast<std::size_t>(b);
    auto n = static_cast<std::size_t>(quinellaRunners_);
    std::size_t index = (i - 1) * n - i * (i - 1) / 2 + (j - i - 1);
    FieldCursor fields(*this, quinella_, kQuinellaCellsAt + kPairOddsSize * index);
    fields.Read(2, cell.Field1);
    fields.Read(5, cell.Field2);
    fields.Read(6, cell.QuinellaOdds);
    fields.Read(6, cell.WideOddsMin);
    fields.Read(6, cell.WideOddsMax);
    return cell;
}

bool BacktestFileReader::ReadPayoffs(const std::string& path, std::vector<BacktestPayoff>& quinella,
                                     std::vector<BacktestPayoff>& wide) {
    quinella.clear();
    wide.clear();
    if (!Load(path, kResultFileSize, buffer_) || buffer_.size() < kResultFileSize) {
        return false;
    }
    auto collect = [this](std::size_t at, int count, std::vector<BacktestPayoff>& paid) {
        for (int k = 0; k < count; ++k) {
            std::string_view entry =
                std::string_view(buffer_).substr(at + kPayoffEntrySize * static_cast<std::size_t>(k));
            std::string key = DecodeField(entry.substr(0, 6));
            std::string_view trimmed = TrimSpaces(key);
            if (!trimmed.empty()) {
                paid.push_back({std::string(trimmed), PayoffYen(DecodeField(entry.substr(6, 8)))});
            }
        }
    };
    collect(kQuinellaPayoffsAt, 3, quinella);
    collect(kWidePayoffsAt, 11, wide);
    return true;
}

} // namespace velmora
