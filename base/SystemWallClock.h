#pragma once

#include "base/Services.h"

// The system's date and time, in UTC.
class SystemWallClock : public WallClock
{
public:
    QDateTime nowUtc() const override;
};
