#include "Settings.h"

#include "Branding.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <memory>

namespace {
const QString Key = QStringLiteral("Text1");
const QString NewPerDayKey = QStringLiteral("StudyNewPerDay");
const QString LengthsKey = QStringLiteral("StudyLengths");
const QString PauseKey = QStringLiteral("StudyPauseMs");
const QString WordListKey = QStringLiteral("StudyWordList");

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

namespace {

QString loadText(const QString& key, const QString& fallback)
{
    const std::unique_ptr<QSettings> settings = openSettings();
    if (!settings)
        return fallback;
    settings->beginGroup(Branding::ProductName);
    return settings->value(key, fallback).toString();
}

void storeText(const QString& key, const QString& text)
{
    const std::unique_ptr<QSettings> settings = openSettings();
    if (!settings)
        return;
    settings->beginGroup(Branding::ProductName);
    settings->setValue(key, text);
}

} // namespace

QString QuestionCountSetting::load() const
{
    return loadText(Key, Default);
}

void QuestionCountSetting::store(const QString& text)
{
    storeText(Key, text);
}

QString WordListSetting::load() const
{
    return loadText(WordListKey, QString());
}

void WordListSetting::store(const QString& name)
{
    storeText(WordListKey, name);
}

StudyPreferences StudyPreferences::load()
{
    StudyPreferences prefs;
    const std::unique_ptr<QSettings> settings = openSettings();
    if (!settings)
        return prefs;
    settings->beginGroup(Branding::ProductName);
    bool ok = false;
    const int perDay = settings->value(NewPerDayKey).toString().trimmed().toInt(&ok);
    if (ok && perDay >= 0 && perDay <= MaxNewPerDay)
        prefs.newPerDay = perDay;
    const int pause = settings->value(PauseKey).toString().trimmed().toInt(&ok);
    if (ok && pause >= 0 && pause <= MaxPauseMs)
        prefs.pauseMs = pause;

    QList<int> lengths;
    // Written by hand without quotes, "2,3" reads as a list of two values.
    const QStringList parts =
        settings->value(LengthsKey).toStringList().join(QLatin1Char(',')).split(QLatin1Char(','));
    for (const QString& part : parts) {
        const int length = part.trimmed().toInt(&ok);
        if (!ok || !AllLengths.contains(length))
            return prefs; // unreadable: all lengths
        if (!lengths.contains(length))
            lengths.append(length);
    }
    std::sort(lengths.begin(), lengths.end());
    if (!lengths.isEmpty())
        prefs.lengths = lengths;
    return prefs;
}

void StudyPreferences::store() const
{
    const std::unique_ptr<QSettings> settings = openSettings();
    if (!settings)
        return;
    settings->beginGroup(Branding::ProductName);
    settings->setValue(NewPerDayKey, QString::number(newPerDay));
    QStringList parts;
    for (int length : lengths)
        parts.append(QString::number(length));
    settings->setValue(LengthsKey, parts.join(QLatin1Char(',')));
    settings->setValue(PauseKey, QString::number(pauseMs));
}
