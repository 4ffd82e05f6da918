#include "base/DataFolder.h"

#include "base/Branding.h"

#include <QDir>
#include <QStandardPaths>

QString UserDataFolder()
{
    QString folder;
    const QString home = qEnvironmentVariable("HOME");
    if (QStandardPaths::isTestModeEnabled()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    } else if (const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
               QDir::isAbsolutePath(dataHome)) {
        folder = QDir::cleanPath(dataHome);
    } else if (QDir::isAbsolutePath(home)) {
        folder = QDir::cleanPath(home + QStringLiteral("/.local/share"));
    }
    if (!QDir::isAbsolutePath(folder))
        return QString();
    return folder + QLatin1Char('/') + Branding::SettingsApplication + QLatin1Char('/') +
           Branding::ProductName;
}
