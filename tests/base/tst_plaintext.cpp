#include "base/PlainText.h"

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
        // Which characters are controls is checked below, over the whole first plane.
        QTest::newRow("C0, DEL, C1")
            << QString::fromUtf16(u"a\x1b[2J\a\t\0\r\n\x7f\u0085b", 13)
            << QStringLiteral("a [2J       b")
            << QStringLiteral("a\\x1b[2J\\x07\\x09\\x00\\x0d\\x0a\\x7f\\x85b");
        QTest::newRow("separators and bidi controls")
            << QStringLiteral("\u2028\u202Eevil\u202C\u2029") << QStringLiteral("  evil  ")
            << QStringLiteral("\\u2028\\u202eevil\\u202c\\u2029");
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
