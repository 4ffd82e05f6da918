#include "base/Random.h"

#include "base/ErrorReporting.h"

#include <QDateTime>
#include <QTime>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

qint16 RandomBetween(RandomSource& source, qint16 low, qint16 high)
{
    const float r = source.nextFraction();
    // n = high - low + 1 in 16-bit arithmetic: each step must stay in range.
    const int difference = int(high) - int(low);
    if (difference < std::numeric_limits<qint16>::min() ||
        difference > std::numeric_limits<qint16>::max())
        throw AppError::overflow();
    const int n = difference + 1;
    if (n > std::numeric_limits<qint16>::max())
        throw AppError::overflow();
    const double value = std::floor(double(low) + double(n) * double(r));
    // For low <= high the value lies in low..high; a reversed range still lands in 16 bits.
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        throw AppError::overflow();
    return static_cast<qint16>(value);
}

qsizetype RandomIndex(RandomSource& source, qsizetype count)
{
    const double value = std::floor(double(count) * double(source.nextFraction()));
    return std::clamp(qsizetype(value), qsizetype(0), count - 1);
}

qint64 SystemClock::nanosecondsOfDay() const
{
    using namespace std::chrono;
    const QDateTime now = QDateTime::currentDateTime();
    const qint64 msecs = qint64(now.time().msecsSinceStartOfDay());
    // Sub-millisecond part from the steady clock, so draws within one millisecond differ too.
    const qint64 fine = duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
    return msecs * 1'000'000 + fine % 1'000'000;
}

quint64 SplitMix64(quint64& state)
{
    state += 0x9E3779B97F4A7C15ull;
    quint64 z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

namespace {
// One SplitMix64 step, as a float: the top 24 bits give every float in [0, 1) on a 2^-24 grid,
// never 1.
float SplitMixFraction(quint64& state)
{
    return float(SplitMix64(state) >> 40) * (1.0f / 16777216.0f);
}
} // namespace

TimeOfDayRandom::TimeOfDayRandom(const Clock& clock, quint64 seed) : clock_(clock), state_(seed) {}

float TimeOfDayRandom::nextFraction()
{
    // The time of day is folded into the state before each step.
    state_ ^= quint64(clock_.nanosecondsOfDay());
    return SplitMixFraction(state_);
}

float SeededRandom::nextFraction()
{
    return SplitMixFraction(state_);
}
