#include "qtsettings/qsettings_store.h"

#include "common/save_target.h"
#include "settings/settings_ops.h"

#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <system_error>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// The program keeps a few dozen short keys: anything far beyond that was not
// written by it.
constexpr std::uintmax_t kMaxSettingsBytes = 1024 * 1024;
// How long a write waits for another program holding the settings lock.
constexpr int kLockWaitMs = 2000;

QString SettingsPath(const std::string& section, const std::string& key) {
    QString group = QString::fromStdString(section);
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group + QLatin1Char('/') + QString::fromStdString(key);
}

QString QPath(const fs::path& path) {
    return QString::fromStdString(path.string());
}

fs::path LockFile(const fs::path& file) {
    return fs::path(file.string() + ".lock");
}

// An open file descriptor, closed when it goes.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// The program writes only texts, which QSettings keeps as they are or with a
// leading "@" doubled; "@Variant(" starts a value of another type, one that
// is decoded with whatever size it claims.
bool HoldsForeignVariant(std::string_view text) {
    constexpr std::string_view kVariant = "@Variant(";
    for (std::size_t at = text.find(kVariant); at != std::string_view::npos;
         at = text.find(kVariant, at + 1)) {
        if (at == 0 || text[at - 1] != '@') {
            return true;
        }
    }
    return false;
}

// Reads the file without blocking, even where it turned into a pipe since it
// was looked at; empty with `problem` set when it can't be read.
std::string ReadSmallFile(const fs::path& file, std::string& problem) {
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0) {
        problem = "cannot be read";
        return {};
    }
    if (!S_ISREG(info.st_mode) || static_cast<std::uintmax_t>(info.st_size) > kMaxSettingsBytes) {
        problem = "is not an ordinary file of settings";
        return {};
    }
    std::string text;
    std::array<char, 8192> buffer{};
    for (ssize_t got = 0; (got = ::read(fd.get(), buffer.data(), buffer.size())) != 0;) {
        if (got < 0) {
            problem = "cannot be read";
            return {};
        }
        text.append(buffer.data(), static_cast<std::size_t>(got));
        if (text.size() > kMaxSettingsBytes) {
            problem = "is not an ordinary file of settings";
            return {};
        }
    }
    return text;
}

std::string FileProblem(const fs::path& file) {
    std::error_code error;
    fs::file_status status = fs::status(file, error);
    if (status.type() == fs::file_type::not_found) {
        return {};
    }
    if (error) {
        return "cannot be examined (" + error.message() + ")";
    }
    if (status.type() != fs::file_type::regular) {
        return "is not a regular file";
    }
    std::uintmax_t size = fs::file_size(file, error);
    if (error || size > kMaxSettingsBytes) {
        return "is larger than any settings file this program writes";
    }
    std::string problem;
    std::string text = ReadSmallFile(file, problem);
    if (problem.empty() && HoldsForeignVariant(text)) {
        problem = "holds a @Variant value, which this program never writes";
    }
    return problem;
}

std::string LockProblem(const fs::path& lock) {
    std::error_code error;
    fs::file_status status = fs::symlink_status(lock, error);
    if (status.type() == fs::file_type::not_found) {
        return {};
    }
    if (error || status.type() != fs::file_type::regular) {
        return "has a lock file " + lock.string() + " that is not a regular file";
    }
    return {};
}

} // namespace

std::string SettingsFileProblem(const fs::path& file) {
    std::string problem = FileProblem(file);
    if (problem.empty()) {
        problem = LockProblem(LockFile(file));
    }
    return problem.empty() ? problem : "settings file " + file.string() + " " + problem;
}

fs::path QSettingsStore::UserSettingsFile() {
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return fs::path(config.toStdString()) / "Velmora" / "Velmora.conf";
}

QSettingsStore::QSettingsStore() : QSettingsStore(UserSettingsFile()) {}

QSettingsStore::QSettingsStore(fs::path file) : file_(std::move(file)) {
    if (std::string problem = FileProblem(file_); !problem.empty()) {
        Report("settings file " + file_.string() + " " + problem +
               "; the defaults are used and no setting is saved");
        return;
    }
    settings_ = std::make_unique<QSettings>(QPath(file_), QSettings::NativeFormat);
    // Reading takes no lock; only writing would hang on this one.
    if (std::string problem = LockProblem(LockFile(file_)); !problem.empty()) {
        Report("settings file " + file_.string() + " " + problem + "; settings are not saved");
    }
}

QSettingsStore::~QSettingsStore() = default;

std::optional<std::string> QSettingsStore::Read(const std::string& section, const std::string& key) const {
    if (auto unsaved = unsaved_.find({section, key}); unsaved != unsaved_.end()) {
        return unsaved->second;
    }
    if (!settings_) {
        return std::nullopt;
    }
    QVariant value = settings_->value(SettingsPath(section, key));
    if (!value.isValid()) {
        return std::nullopt;
    }
    return value.toString().toStdString();
}

void QSettingsStore::Write(const std::string& section, const std::string& key, const std::string& value) {
    if (!CanWrite()) {
        unsaved_[{section, key}] = value;
        return;
    }
    settings_->setValue(SettingsPath(section, key), QString::fromStdString(value));
    settings_->sync();
}

// Where the settings and their lock file would really be written, through
// every link: never into the PAT folder, never into anything but an ordinary
// file of their own. Empty when both are fine.
std::string QSettingsStore::TargetProblem() const {
    const std::vector<std::string> patFolder{GetPatFolder(*this)};
    for (const fs::path& file : {file_, LockFile(file_)}) {
        switch (ResolveSaveTarget(file.string(), patFolder).verdict) {
        case SaveTargetVerdict::Allowed:
            break;
        case SaveTargetVerdict::InsideProtectedFolder:
            return "settings file " + file.string() + " leads into the PAT folder";
        case SaveTargetVerdict::NotAPlainFile:
            return "settings file " + file.string() + " is not an ordinary file of its own";
        case SaveTargetVerdict::Unresolvable:
            return "settings file " + file.string() + " cannot be followed to a place to write";
        }
    }
    return {};
}

// QSettings would wait for its lock without end and read whatever the file
// has become; both are looked at again before every write.
bool QSettingsStore::CanWrite() {
    if (!settings_ || !problem_.empty()) {
        return false;
    }
    std::string problem = TargetProblem();
    if (problem.empty()) {
        problem = SettingsFileProblem(file_);
    }
    if (problem.empty()) {
        std::error_code ignored; // a folder that can't be made shows in the lock below
        fs::create_directories(file_.parent_path(), ignored);
        QLockFile lock(QPath(LockFile(file_)));
        if (!lock.tryLock(kLockWaitMs)) {
            problem = "settings file " + file_.string() +
                      (lock.error() == QLockFile::LockFailedError ? " stays locked by another program"
                                                                  : " cannot be written");
        }
    }
    if (!problem.empty()) {
        Report(problem + "; settings are not saved");
        return false;
    }
    return true;
}

void QSettingsStore::Report(std::string problem) {
    problem_ = std::move(problem);
    if (listener_ && !reported_) {
        reported_ = true;
        listener_(problem_);
    }
}

void QSettingsStore::OnProblem(ProblemListener listener) {
    listener_ = std::move(listener);
    if (!problem_.empty() && !reported_) {
        reported_ = true;
        listener_(problem_);
    }
}

} // namespace velmora
