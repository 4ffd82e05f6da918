#include "base/PlainText.h"

namespace PlainText {

bool isControl(char16_t c)
{
    if (c < 0x20 || (c >= 0x7F && c < 0xA0))
        return true;
    if (c < 0x61C)
        return false;
    return c == 0x61C || c == 0x200E || c == 0x200F || c == 0x2028 || c == 0x2029 ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

QString cleaned(QString text)
{
    for (QChar& c : text)
        if (isControl(c.unicode()))
            c = QLatin1Char(' ');
    return text;
}

QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!isControl(u))
            out += c;
        else if (u < 0x100)
            out += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
    }
    return out;
}

QString shortened(const QString& text, qsizetype maxChars)
{
    if (text.size() <= maxChars)
        return text;
    const bool splitsPair = maxChars > 0 && text.at(maxChars - 1).isHighSurrogate();
    return text.left(splitsPair ? maxChars - 1 : maxChars) + QStringLiteral("...");
}

} // namespace PlainText
