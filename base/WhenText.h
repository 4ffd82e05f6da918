#pragma once

#include <QDateTime>
#include <QString>

// A moment as the windows say it, in local time and seen from now: "today at 18:30",
// "tomorrow at 09:15", "yesterday at 21:40" or "Fri 12 Mar at 09:15".
namespace WhenText {

QString of(const QDateTime& moment, const QDateTime& now);

} // namespace WhenText
