#include "base/ErrorReporting.h"
#include "base/Numbers.h"

#include <QTest>

class NumbersTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toInt16_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("error");
        const QString en = QStringLiteral("en_US");
        const QString de = QStringLiteral("de_DE");
        QTest::newRow("plain") << en << "20" << 20 << QString();
        QTest::newRow("blanks") << en << "  7 " << 7 << QString();
        QTest::newRow("plus sign") << en << "+5" << 5 << QString();
        QTest::newRow("negative") << en << "-5" << -5 << QString();
        QTest::newRow("half down to even") << en << "2.5" << 2 << QString();
        QTest::newRow("half up to even") << en << "3.5" << 4 << QString();
        QTest::newRow("negative half") << en << "-2.5" << -2 << QString();
        QTest::newRow("not a half") << en << "2.51" << 3 << QString();
        QTest::newRow("exponent") << en << "1e3" << 1000 << QString();
        QTest::newRow("group separator") << en << "1,000" << 1000 << QString();
        QTest::newRow("largest") << en << "32767" << 32767 << QString();
        QTest::newRow("smallest") << en << "-32768" << -32768 << QString();
        QTest::newRow("rounds into range") << en << "32767.4" << 32767 << QString();
        QTest::newRow("german comma") << de << "3,5" << 4 << QString();
        QTest::newRow("german point is grouping") << de << "1.000" << 1000 << QString();
        QTest::newRow("letters") << en << "abc" << 0 << "Type mismatch";
        QTest::newRow("empty") << en << "" << 0 << "Type mismatch";
        QTest::newRow("blank") << en << "   " << 0 << "Type mismatch";
        QTest::newRow("trailing junk") << en << "12abc" << 0 << "Type mismatch";
        QTest::newRow("too large") << en << "40000" << 0 << "Overflow";
        QTest::newRow("just too large") << en << "32767.5" << 0 << "Overflow";
        QTest::newRow("too small") << en << "-32769" << 0 << "Overflow";
        QTest::newRow("huge exponent") << en << "1e300" << 0 << "Overflow";
    }
    void toInt16()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(int, expected);
        QFETCH(QString, error);
        try {
            const qint16 value = Numbers::toInt16(text, QLocale(locale));
            QVERIFY2(error.isEmpty(), "expected an error");
            QCOMPARE(int(value), expected);
        } catch (const AppError& e) {
            QCOMPARE(e.description(), error);
        }
    }

    void isNumeric_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("whole") << "20" << true;
        QTest::newRow("negative fraction") << " -1.5 " << true;
        QTest::newRow("exponent") << "2E2" << true;
        QTest::newRow("too large is still numeric") << "99999999" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("blank") << "  " << false;
        QTest::newRow("letters") << "abc" << false;
        QTest::newRow("two numbers") << "1 2" << false;
    }
    void isNumeric()
    {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QCOMPARE(Numbers::isNumeric(text, QLocale(QStringLiteral("en_US"))), numeric);
    }

    void incrementStopsAtTheTop()
    {
        qint16 count = 32766;
        Numbers::increment(count);
        QCOMPARE(count, qint16(32767));
        QVERIFY_THROWS_EXCEPTION(AppError, Numbers::increment(count));
        QCOMPARE(count, qint16(32767));
        qint16 low = -1;
        Numbers::increment(low);
        QCOMPARE(low, qint16(0));
    }

    void roundAndFormat_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        const QString en = QStringLiteral("en_US");
        QTest::newRow("75") << 15.0 / 20 * 100 << en << "75";
        QTest::newRow("33.33") << 1.0 / 3 * 100 << en << "33.33";
        QTest::newRow("66.67") << 2.0 / 3 * 100 << en << "66.67";
        QTest::newRow("3.125 to even") << 1.0 / 32 * 100 << en << "3.12";
        QTest::newRow("9.375 to even") << 3.0 / 32 * 100 << en << "9.38";
        QTest::newRow("15") << 3.0 / 20 * 100 << en << "15";
        QTest::newRow("12.5") << 1.0 / 8 * 100 << en << "12.5";
        QTest::newRow("zero") << 0.0 << en << "0";
        QTest::newRow("negative zero") << 0.0 / -5 * 100 << en << "0";
        QTest::newRow("no grouping") << 32767.0 / 1 * 100 << en << "3276700";
        QTest::newRow("german decimal comma") << 1.0 / 3 * 100 << "de_DE"
                                              << "33,33";
        QTest::newRow("negative") << -1.0 / 3 * 100 << en << "-33.33";
        QTest::newRow("arabic: ascii digits, arabic separator")
            << 1.0 / 3 * 100 << "ar_EG" << QStringLiteral(u"33\u066B33");
        QTest::newRow("arabic whole number") << 3276700.0 << "ar_EG"
                                             << "3276700";
    }
    void roundAndFormat()
    {
        QFETCH(double, value);
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QCOMPARE(Numbers::format(Numbers::roundHalfEven(value, 2), QLocale(locale)), text);
    }

    void toInt32ReadsColours()
    {
        QCOMPARE(Numbers::toInt32(QStringLiteral("25600")), 25600);
        QCOMPARE(Numbers::toInt32(QStringLiteral("16777215")), 16777215);
        QVERIFY_THROWS_EXCEPTION(AppError, Numbers::toInt32(QString()));
    }
};

QTEST_GUILESS_MAIN(NumbersTest)
#include "tst_numbers.moc"
