#include "PlainText.h"

#include <QTest>

// Text from outside as the program shows it (cleaned) and repeats it (escaped).
class PlainTextTest : public QObject
{
    Q_OBJECT

private slots:
    void hostileCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("cleaned");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("plain") << QStringLiteral("rough, cindery lava")
                               << QStringLiteral("rough, cindery lava")
                               << QStringLiteral("rough, cindery lava");
        QTest::newRow("accents, blanks kept")
            << QStringLiteral("\u00E9t\u00E9\u00A0na\u00EFf \u00DF")
            << QStringLiteral("\u00E9t\u00E9\u00A0na\u00EFf \u00DF")
            << QStringLiteral("\u00E9t\u00E9\u00A0na\u00EFf \u00DF");
        QTest::newRow("escape sequence") << QStringLiteral("a\x1b[2Jb") << QStringLiteral("a [2Jb")
                                         << QStringLiteral("a\\x1b[2Jb");
        QTest::newRow("bell, tab, NUL")
            << QString::fromUtf16(u"a\ab\tc\0d", 7) << QStringLiteral("a b c d")
            << QStringLiteral("a\\x07b\\x09c\\x00d");
        QTest::newRow("CR, LF, DEL") << QStringLiteral("a\rb\nc\x7f") << QStringLiteral("a b c ")
                                     << QStringLiteral("a\\x0db\\x0ac\\x7f");
        QTest::newRow("C1: NEL, CSI") << QStringLiteral("a\u0085b\u009bc")
                                      << QStringLiteral("a b c") << QStringLiteral("a\\x85b\\x9bc");
        QTest::newRow("line and paragraph separators")
            << QStringLiteral("a\u2028b\u2029c") << QStringLiteral("a b c")
            << QStringLiteral("a\\u2028b\\u2029c");
        QTest::newRow("bidi controls")
            << QStringLiteral("\u202Eevil\u202C\u200E\u200F\u061C\u202A\u2066\u2069")
            << QStringLiteral(" evil       ")
            << QStringLiteral("\\u202eevil\\u202c\\u200e\\u200f\\u061c\\u202a\\u2066\\u2069");
        QTest::newRow("next to the bidi controls")
            << QStringLiteral("\u200D\u2027\u202F\u2065\u206A\u061B")
            << QStringLiteral("\u200D\u2027\u202F\u2065\u206A\u061B")
            << QStringLiteral("\u200D\u2027\u202F\u2065\u206A\u061B");
    }
    void hostileCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QString, cleaned);
        QFETCH(QString, escaped);
        QCOMPARE(PlainText::cleaned(text), cleaned);
        QCOMPARE(PlainText::escaped(text), escaped);
    }

    // Cc, Zl and Zp as Unicode assigns them, over the whole first plane.
    void controlsAreTheUnicodeCategories()
    {
        const QList<char16_t> bidi{0x061C, 0x200E, 0x200F, 0x202A, 0x202B, 0x202C,
                                   0x202D, 0x202E, 0x2066, 0x2067, 0x2068, 0x2069};
        for (char32_t u = 0; u <= 0xFFFF; ++u) {
            const QChar::Category category = QChar::category(u);
            const bool control = category == QChar::Other_Control ||
                                 category == QChar::Separator_Line ||
                                 category == QChar::Separator_Paragraph || bidi.contains(u);
            QVERIFY2(PlainText::isControl(char16_t(u)) == control,
                     qPrintable(QString::number(u, 16)));
        }
    }

    void shortened_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shortened");
        QTest::newRow("fits") << QStringLiteral("ABCD") << QStringLiteral("ABCD");
        QTest::newRow("cut") << QStringLiteral("ABCDE") << QStringLiteral("ABCD...");
        QTest::newRow("pair kept whole")
            << QStringLiteral("AB\U0001F600") << QStringLiteral("AB\U0001F600");
        QTest::newRow("pair not split")
            << QStringLiteral("ABC\U0001F600") << QStringLiteral("ABC...");
    }
    void shortened()
    {
        QFETCH(QString, text);
        QFETCH(QString, shortened);
        QCOMPARE(PlainText::shortened(text, 4), shortened);
    }
};

QTEST_GUILESS_MAIN(PlainTextTest)
#include "tst_plaintext.moc"
