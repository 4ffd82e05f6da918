// Feeds the number rules arbitrary text under four locales whose separators and digits differ:
// the numeric test, toInt16 and toInt32 must agree with each other, and fail only as "Type
// mismatch" (no number) or "Overflow" (a number out of range).

#include "base/ErrorReporting.h"
#include "base/Numbers.h"

#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

enum class Failure
{
    None,
    TypeMismatch,
    Overflow
};

template <class Whole> struct Outcome
{
    Whole value = 0;
    Failure failure = Failure::None;
};

template <class Whole, class Convert> Outcome<Whole> convert(Convert&& call)
{
    try {
        return {call(), Failure::None};
    } catch (const AppError& e) {
        if (e.description() == AppError::typeMismatch().description())
            return {0, Failure::TypeMismatch};
        check(e.description() == AppError::overflow().description());
        return {0, Failure::Overflow};
    }
}

} // namespace

// The first byte picks the locale and how the rest is read: as UTF-8, or as raw UTF-16 code units
// (lone surrogates included).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::array<QLocale, 4> locales{
        QLocale(QStringLiteral("en_US")), QLocale(QStringLiteral("de_DE")),
        QLocale(QStringLiteral("ar_EG")), QLocale(QStringLiteral("fr_FR"))};
    if (size == 0)
        return 0;
    const QLocale& locale = locales[data[0] % locales.size()];
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const qsizetype length = qsizetype(size - 1);
    QString text;
    if ((data[0] & 4) != 0) {
        text.resize(length / 2);
        std::memcpy(text.data(), bytes, std::size_t(text.size()) * sizeof(QChar));
    } else {
        text = QString::fromUtf8(bytes, length);
    }

    const std::optional<double> number = Numbers::parseNumber(text, locale);
    const bool numeric = Numbers::isNumeric(text, locale);
    check(numeric == number.has_value());
    const auto small = convert<qint16>([&] { return Numbers::toInt16(text, locale); });
    const auto large = convert<qint32>([&] { return Numbers::toInt32(text, locale); });

    // No number is a type mismatch for both; a number is never one.
    check((small.failure == Failure::TypeMismatch) == !numeric);
    check((large.failure == Failure::TypeMismatch) == !numeric);
    if (large.failure == Failure::None) {
        const bool fits = large.value >= std::numeric_limits<qint16>::min() &&
                          large.value <= std::numeric_limits<qint16>::max();
        check(fits == (small.failure == Failure::None));
        check(!fits || small.value == large.value);
        // Rounding moves a value by half at most.
        check(*number >= double(large.value) - 0.5 && *number <= double(large.value) + 0.5);
    } else if (small.failure == Failure::None) {
        std::abort(); // fits 16 bits but not 32
    }
    return 0;
}
