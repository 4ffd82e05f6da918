#include "base/Numbers.h"

#include "base/ErrorReporting.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace Numbers {

void increment(qint16& value)
{
    if (value == std::numeric_limits<qint16>::max())
        throw AppError::overflow();
    ++value;
}

std::optional<double> parseNumber(const QString& text, const QLocale& locale)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool isNumeric(const QString& text, const QLocale& locale)
{
    return parseNumber(text, locale).has_value();
}

static double nearestEven(double value)
{
    // std::nearbyint follows the current rounding mode, which is to-nearest-even by default;
    // make that explicit so a caller that changed the mode cannot change our answers.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(saved);
    return rounded;
}

// Text to a whole number of type Whole: halves to even, "Type mismatch" for no number,
// "Overflow" outside Whole's range.
template <class Whole> Whole toWhole(const QString& text, const QLocale& locale)
{
    const std::optional<double> value = parseNumber(text, locale);
    if (!value)
        throw AppError::typeMismatch();
    const double rounded = nearestEven(*value);
    if (rounded < std::numeric_limits<Whole>::min() || rounded > std::numeric_limits<Whole>::max())
        throw AppError::overflow();
    return static_cast<Whole>(rounded);
}

qint16 toInt16(const QString& text, const QLocale& locale)
{
    return toWhole<qint16>(text, locale);
}

qint32 toInt32(const QString& text, const QLocale& locale)
{
    return toWhole<qint32>(text, locale);
}

double roundHalfEven(double value, int places)
{
    if (!std::isfinite(value))
        return value;
    const double scale = std::pow(10.0, places);
    return nearestEven(value * scale) / scale;
}

QString format(double value, const QLocale& locale)
{
    if (value == 0.0)
        return QStringLiteral("0"); // covers -0.0 too
    // ASCII digits, like every other number on screen; only the decimal separator is the
    // locale's (some locales would otherwise bring their own digits too).
    QString text = QString::number(value, 'g', 15);
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text;
}

} // namespace Numbers
