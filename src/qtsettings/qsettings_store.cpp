#include "qtsettings/qsettings_store.h"

#include <QSettings>
#include <QString>

namespace velmora {
namespace {

QString SettingsPath(const std::string& section, const std::string& key) {
    QString group = QString::fromStdString(section);
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group + QLatin1Char('/') + QString::fromStdString(key);
}

QSettings OpenSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Velmora"),
                     QStringLiteral("Velmora"));
}

} // namespace

std::optional<std::string> QSettingsStore::Read(const std::string& section, const std::string& key) const {
    QSettings settings = OpenSettings();
    QVariant value = settings.value(SettingsPath(section, key));
    if (!value.isValid()) {
        return std::nullopt;
    }
    return value.toString().toStdString();
}

void QSettingsStore::Write(const std::string& section, const std::string& key, const std::string& value) {
    QSettings settings = OpenSettings();
    settings.setValue(SettingsPath(section, key), QString::fromStdString(value));
    settings.sync();
}

} // namespace velmora
