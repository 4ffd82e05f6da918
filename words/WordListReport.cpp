// What a word list reader tells about the list it read: the reasons, the counts and the samples
// of rejected lines.

#include "words/WordList.h"

#include "base/PlainText.h"
#include "words/WordSchema.h"

QString WordList::describe(Reason reason, Encoding encoding)
{
    switch (reason) {
    case Reason::NotLetters:
        return QStringLiteral("not letters A-Z");
    case Reason::Unfoldable:
        return QStringLiteral("letters that don't fold to A-Z");
    case Reason::WrongLength:
        return QStringLiteral("wrong length");
    case Reason::Duplicate:
        return QStringLiteral("duplicate");
    case Reason::InvalidText:
        return encoding == Encoding::Utf8 ? QStringLiteral("not valid UTF-8")
                                          : QStringLiteral("not valid UTF-16");
    }
    return QString();
}

QString WordList::describe(const Sample& sample, Encoding encoding)
{
    QString text = QStringLiteral("\"%1\": %2").arg(sample.text, describe(sample.reason, encoding));
    if (sample.reason == Reason::Duplicate)
        text += QStringLiteral(" of line %1").arg(sample.firstLine);
    return text;
}

QString WordList::shownText(const Rejection& rejection)
{
    const auto printable = [](QString text) {
        for (QChar& c : text)
            if (!c.isPrint() || PlainText::isControl(c.unicode()))
                c = QLatin1Char('?');
        return text;
    };
    if (rejection.reason != Reason::InvalidText)
        return printable(
            QString::fromUtf8(rejection.text.data(), qsizetype(rejection.text.size())));
    QString text;
    for (const char c : rejection.text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x80)
            text += QStringLiteral("\\x") + QString::number(byte, 16).toUpper();
        else
            text += printable(QString(QLatin1Char(c)));
    }
    return text;
}

QString WordList::lengthName(int length)
{
    switch (length) {
    case 2:
        return QStringLiteral("two-letter");
    case 3:
        return QStringLiteral("three-letter");
    default:
        return QStringLiteral("four-letter");
    }
}

QString WordList::report(const QLocale& locale, Samples samples) const
{
    const auto figure = [&locale](std::int64_t n) { return locale.toString(qlonglong(n)); };
    QString text;
    for (int length = WordSchema::ShortestWord; length <= WordSchema::LongestWord; ++length)
        text += QStringLiteral("%1-letter words: %2\n").arg(length).arg(figure(count(length)));
    std::int64_t total = 0;
    QString reasons;
    for (int reason = 0; reason < ReasonCount; ++reason) {
        const std::int64_t n = rejected(Reason(reason));
        total += n;
        if (n == 0)
            continue;
        reasons += QStringLiteral("  %1: %2\n").arg(describe(Reason(reason), encoding_), figure(n));
        for (const Sample& sample : samples_) {
            if (samples == Samples::Left || sample.reason != Reason(reason))
                continue;
            reasons +=
                QStringLiteral("    line %1: \"%2\"")
                    .arg(figure(sample.line), PlainText::shortened(sample.text, MaxSampleChars));
            if (sample.reason == Reason::Duplicate)
                reasons += QStringLiteral(" (first on line %1)").arg(figure(sample.firstLine));
            reasons += QLatin1Char('\n');
        }
    }
    return text + QStringLiteral("rejected lines: %1\n").arg(figure(total)) + reasons;
}

QString WordList::refusal(int length, bool allowEmpty) const
{
    if (count(length) > WordSchema::MaxWordsPerLength)
        return QStringLiteral("holds %1 %2 words, more than the 32,767 one word length can hold")
            .arg(count(length))
            .arg(lengthName(length));
    if (count(length) == 0 && !allowEmpty)
        return QStringLiteral("holds no %1 words").arg(lengthName(length));
    return QString();
}
