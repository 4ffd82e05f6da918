#include "Settings.h"

#include "Branding.h"

#include <QSettings>

#include <algorithm>

namespace {
const QString CountKey = QStringLiteral("Text1");
const QString NewPerDayKey = QStringLiteral("StudyNewPerDay");
const QString LengthsKey = QStringLiteral("StudyLengths");
const QString PauseKey = QStringLiteral("StudyPauseMs");

// The program's own section of the per-user settings.
struct Section : QSettings
{
    Section() : QSettings(QSettings::UserScope, Branding::SettingsApplication)
    {
        beginGroup(Branding::ProductName);
    }
};

} // namespace

QString QuestionCountSetting::load() const
{
    return Section().value(CountKey, Default).toString();
}

void QuestionCountSetting::store(const QString& text)
{
    Section().setValue(CountKey, text);
}

StudyPreferences StudyPreferences::load()
{
    Section settings;
    StudyPreferences prefs;
    bool ok = false;
    const int perDay = settings.value(NewPerDayKey).toString().trimmed().toInt(&ok);
    if (ok && perDay >= 0 && perDay <= MaxNewPerDay)
        prefs.newPerDay = perDay;
    const int pause = settings.value(PauseKey).toString().trimmed().toInt(&ok);
    if (ok && pause >= 0 && pause <= MaxPauseMs)
        prefs.pauseMs = pause;

    QList<int> lengths;
    const QStringList parts = settings.value(LengthsKey).toString().split(QLatin1Char(','));
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
    Section settings;
    settings.setValue(NewPerDayKey, QString::number(newPerDay));
    QStringList parts;
    for (int length : lengths)
        parts.append(QString::number(length));
    settings.setValue(LengthsKey, parts.join(QLatin1Char(',')));
    settings.setValue(PauseKey, QString::number(pauseMs));
}
