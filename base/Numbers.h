#pragma once

#include <QLocale>
#include <QString>
#include <QtGlobal>

#include <optional>

// Whole numbers are 16-bit signed throughout the program; arithmetic that leaves that range raises
// "Overflow" (AppError).
namespace Numbers {

// Adds one; at 32767 it throws "Overflow" and leaves the value unchanged.
void increment(qint16& value);

// Reads text as a number in the given locale: surrounding blanks, a sign, group separators, a
// decimal fraction and an exponent are allowed. Empty or blank text is no number.
std::optional<double> parseNumber(const QString& text, const QLocale& locale = QLocale());

bool isNumeric(const QString& text, const QLocale& locale = QLocale());

// Converts text to a 16-bit whole number, rounding halves to the even neighbour ("2.5" -> 2,
// "3.5" -> 4). Text that is no number throws "Type mismatch"; a value outside -32768..32767
// throws "Overflow".
qint16 toInt16(const QString& text, const QLocale& locale = QLocale());

// Rounds to the given number of decimal places, halves to the even neighbour.
double roundHalfEven(double value, int places);

// Writes a number with at most 15 significant digits, no trailing zeros, no group separators, ASCII
// digits and the locale's decimal separator. Never writes "-0".
QString format(double value, const QLocale& locale = QLocale());

} // namespace Numbers

namespace Numbers {
// Converts text to a 32-bit whole number with the same rules as toInt16.
qint32 toInt32(const QString& text, const QLocale& locale = QLocale());
} // namespace Numbers
