#include "Settings.h"

#include "Branding.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace {
const QString Key = QStringLiteral("Text1");

// The settings file, or nothing when the user has no config folder. Qt alone would fall back to
// the filesystem root ("/.config") without a home folder, and would take a relative
// XDG_CONFIG_HOME from the current folder.
std::unique_ptr<QSettings> openSettings()
{
    const QString home = qEnvironmentVariable("HOME");
    if (QStandardPaths::isTestModeEnabled()) {
        // Qt keeps the tests' settings in a folder of their own below the home folder.
        if (!QDir::isAbsolutePath(home))
            return nullptr;
        return std::make_unique<QSettings>(QSettings::UserScope, Branding::SettingsApplication);
    }
    const std::optional<QString> folder =
        UserConfigFolder(home, qEnvironmentVariable("XDG_CONFIG_HOME"));
    if (!folder)
        return nullptr;
    return std::make_unique<QSettings>(*folder + QLatin1Char('/') + Branding::SettingsApplication +
                                           QStringLiteral(".conf"),
                                       QSettings::NativeFormat);
}

} // namespace

std::optional<QString> UserConfigFolder(const QString& home, const QString& configHome)
{
    if (QDir::isAbsolutePath(configHome))
        return QDir::cleanPath(configHome);
    if (QDir::isAbsolutePath(home))
        return QDir::cleanPath(home + QStringLiteral("/.config"));
    return std::nullopt;
}

QString QuestionCountSetting::load() const
{
    const std::unique_ptr<QSettings> settings = openSettings();
    if (!settings)
        return Default;
    settings->beginGroup(Branding::ProductName);
    return settings->value(Key, Default).toString();
}

void QuestionCountSetting::store(const QString& text)
{
    const std::unique_ptr<QSettings> settings = openSettings();
    if (!settings)
        return;
    settings->beginGroup(Branding::ProductName);
    settings->setValue(Key, text);
}
