#pragma once

#include "base/Services.h"

#include <QtGlobal>

// One SplitMix64 step: moves state on by the golden-ratio increment and returns the step's 64-bit
// output, a fixed scramble of the new state.
quint64 SplitMix64(quint64& state);

// A whole number from low to high inclusive, every value equally likely. Throws "Overflow" when
// high - low + 1 does not fit in 16 bits.
qint16 RandomBetween(RandomSource& source, qint16 low, qint16 high);

// A whole number from 0 to count - 1 (count at least 1), every value equally likely, for counts
// past 16 bits too: where count fits, the same as RandomBetween(source, 0, count - 1) on the
// same draw.
qsizetype RandomIndex(RandomSource& source, qsizetype count);

// Nanoseconds since local midnight, from the system clock.
class SystemClock : public Clock
{
public:
    qint64 nanosecondsOfDay() const override;
};

// The program's random source: a 64-bit generator into whose state the time of day is mixed on
// every draw. Mixing (rather than restarting from the time) keeps draws within one clock tick
// different from each other.
class TimeOfDayRandom : public RandomSource
{
public:
    explicit TimeOfDayRandom(const Clock& clock, quint64 seed = 0x9E3779B97F4A7C15ull);
    float nextFraction() override;

private:
    const Clock& clock_;
    quint64 state_;
};

// A 64-bit generator (SplitMix64) from a fixed seed: the same seed, the same draws.
class SeededRandom : public RandomSource
{
public:
    explicit SeededRandom(quint64 seed) : state_(seed) {}
    float nextFraction() override;

private:
    quint64 state_;
};
