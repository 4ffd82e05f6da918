#include "base/WhenText.h"

#include <QLocale>

QString WhenText::of(const QDateTime& moment, const QDateTime& now)
{
    const QDateTime local = moment.toLocalTime();
    const QDate today = now.toLocalTime().date();
    const QString time = local.time().toString(QStringLiteral("HH:mm"));
    if (local.date() == today)
        return QStringLiteral("today at ") + time;
    if (local.date() == today.addDays(1))
        return QStringLiteral("tomorrow at ") + time;
    if (local.date() == today.addDays(-1))
        return QStringLiteral("yesterday at ") + time;
    return QLocale::c().toString(local.date(), QStringLiteral("ddd d MMM")) +
           QStringLiteral(" at ") + time;
}
