#include "base/Settings.h"

#include "base/Branding.h"

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
const QString OrderKey = QStringLiteral("StudyOrder");
const QString NewPerDayAutoKey = QStringLiteral("StudyNewPerDayAuto");
const QString NewPerDayCapKey = QStringLiteral("StudyNewPerDayCap");

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

// The settings file opened on the program's own section, or nothing (see openSettings).
std::unique_ptr<QSettings> openProductSection()
{
    std::unique_ptr<QSettings> settings = openSettings();
    if (settings)
        settings->beginGroup(Branding::ProductName);
    return settings;
}

QString loadText(const QString& key, const QString& fallback)
{
    const std::unique_ptr<QSettings> settings = openProductSection();
    return settings ? settings->value(key, fallback).toString() : fallback;
}

void storeText(const QString& key, const QString& text)
{
    if (const std::unique_ptr<QSettings> settings = openProductSection())
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

namespace {

// A whole number from 0 to max, or nullopt.
std::optional<int> readNumber(const QSettings& settings, const QString& key, int max)
{
    bool ok = false;
    const int value = settings.value(key).toString().trimmed().toInt(&ok);
    if (!ok || value < 0 || value > max)
        return std::nullopt;
    return value;
}

// The lengths, ascending and without repeats, or nullopt when one cannot be read.
std::optional<QList<int>> readLengths(const QSettings& settings)
{
    QList<int> lengths;
    // Written by hand without quotes, "2,3" reads as a list of two values.
    const QStringList parts =
        settings.value(LengthsKey).toStringList().join(QLatin1Char(',')).split(QLatin1Char(','));
    for (const QString& part : parts) {
        bool ok = false;
        const int length = part.trimmed().toInt(&ok);
        if (!ok || !StudyPreferences::AllLengths.contains(length))
            return std::nullopt;
        if (!lengths.contains(length))
            lengths.append(length);
    }
    std::sort(lengths.begin(), lengths.end());
    return lengths;
}

// "true" or "false" (or 1 and 0), or nullopt.
std::optional<bool> readFlag(const QSettings& settings, const QString& key)
{
    const QString text = settings.value(key).toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return std::nullopt;
}

QString flagText(bool flag)
{
    return flag ? QStringLiteral("true") : QStringLiteral("false");
}

QString lengthsText(const QList<int>& lengths)
{
    QStringList parts;
    for (int length : lengths)
        parts.append(QString::number(length));
    return parts.join(QLatin1Char(','));
}

} // namespace

// A value that cannot be read is replaced in the file by the default in use, so that the file
// says what the drill does; readable values are left as they were written.
StudyPreferences StudyPreferences::load()
{
    StudyPreferences prefs;
    const std::unique_ptr<QSettings> settings = openProductSection();
    if (!settings)
        return prefs;
    const auto repair = [&settings](const QString& key, const QString& value) {
        if (settings->contains(key))
            settings->setValue(key, value);
    };
    if (const std::optional<int> perDay = readNumber(*settings, NewPerDayKey, MaxNewPerDay))
        prefs.newPerDay = *perDay;
    else
        repair(NewPerDayKey, QString::number(prefs.newPerDay));
    if (const std::optional<int> pause = readNumber(*settings, PauseKey, MaxPauseMs);
        pause && *pause >= MinPauseMs)
        prefs.pauseMs = *pause;
    else
        repair(PauseKey, QString::number(prefs.pauseMs));
    if (const std::optional<QList<int>> lengths = readLengths(*settings))
        prefs.lengths = *lengths;
    else
        repair(LengthsKey, lengthsText(prefs.lengths));
    if (const auto order =
            studyOrderNamed(settings->value(OrderKey).toString().trimmed().toLower()))
        prefs.order = *order;
    else
        repair(OrderKey, studyOrderName(prefs.order));
    if (const std::optional<bool> automatic = readFlag(*settings, NewPerDayAutoKey))
        prefs.newPerDayAuto = *automatic;
    else
        repair(NewPerDayAutoKey, flagText(prefs.newPerDayAuto));
    if (const std::optional<int> cap = readNumber(*settings, NewPerDayCapKey, MaxNewPerDay))
        prefs.newPerDayCap = *cap;
    else
        repair(NewPerDayCapKey, QString::number(prefs.newPerDayCap));
    return prefs;
}

void StudyPreferences::store() const
{
    storeShown();
    storeText(PauseKey, QString::number(pauseMs));
}

void StudyPreferences::storeShown() const
{
    const std::unique_ptr<QSettings> settings = openProductSection();
    if (!settings)
        return;
    settings->setValue(NewPerDayKey, QString::number(newPerDay));
    settings->setValue(LengthsKey, lengthsText(lengths));
    settings->setValue(OrderKey, studyOrderName(order));
    settings->setValue(NewPerDayAutoKey, flagText(newPerDayAuto));
    settings->setValue(NewPerDayCapKey, QString::number(newPerDayCap));
}
