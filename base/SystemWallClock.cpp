#include "base/SystemWallClock.h"

QDateTime SystemWallClock::nowUtc() const
{
    return QDateTime::currentDateTimeUtc();
}
