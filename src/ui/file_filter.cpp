#include "ui/file_filter.h"

#include "patdata/file_naming.h"

#include <QStringList>

namespace velmora {

QString QtNameFilter(const std::string& dialogFilter) {
    const QStringList parts = QString::fromStdString(dialogFilter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        const QString shown = QLatin1Char('(') + pattern + QLatin1Char(')');
        if (!description.endsWith(shown)) {
            description = description.isEmpty() ? shown : description + QLatin1Char(' ') + shown;
        }
        filters.append(description);
    }
    return filters.join(QStringLiteral(";;"));
}

QString OddsFileNameFilter() {
    return QtNameFilter(GetOddsFileFilter());
}

} // namespace velmora
