#include "WordList.h"

#include <QTest>

// The meaning that may follow a word on its line.
class WordListTest : public QObject
{
    Q_OBJECT

private slots:
    void meaning_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("word"); // "" when the line is rejected
        QTest::addColumn<QString>("meaning");
        const QString longMeaning = QStringLiteral("very ").repeated(60) + QStringLiteral("long");
        QTest::newRow("tab") << QByteArray("aa\trough, cindery lava") << "AA"
                             << "rough, cindery lava";
        QTest::newRow("spaces") << QByteArray("Aa   rough  lava  \r\n") << "AA"
                                << "rough  lava";
        QTest::newRow("tab and spaces") << QByteArray(" aa \t lava") << "AA"
                                        << "lava";
        QTest::newRow("none") << QByteArray("aa") << "AA"
                              << "";
        QTest::newRow("none, blanks after") << QByteArray("aa \t ") << "AA"
                                            << "";
        QTest::newRow("long") << QByteArray(longMeaning.toLatin1().prepend("aa ")) << "AA"
                              << QStringLiteral("very ").repeated(32).chopped(1) + QChar(0x2026);
        QTest::newRow("invalid UTF-8 in the meaning")
            << QByteArray("aa lava \xFF\xC3") << "AA" << QStringLiteral("lava \uFFFD\uFFFD");
        QTest::newRow("UTF-8 meaning")
            << QByteArray("aa \xC3\xA9t\xC3\xA9") << "AA" << QStringLiteral("\u00E9t\u00E9");
        QTest::newRow("no word before it") << QByteArray("a1 lava") << ""
                                           << "";
        QTest::newRow("invalid word") << QByteArray("a\xFF lava") << ""
                                      << "";
        QTest::newRow("comment") << QByteArray("# aa lava") << ""
                                 << "";
    }
    void meaning()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, word);
        QFETCH(QString, meaning);
        WordList list;
        QVERIFY(list.feed(line.constData(), std::size_t(line.size())));
        QVERIFY(list.finish());
        QCOMPARE(list.words(), word.isEmpty() ? QStringList() : QStringList{word});
        QHash<QString, QString> expected;
        if (!meaning.isEmpty())
            expected.insert(word, meaning);
        QCOMPARE(list.meanings(), expected);
    }
};

QTEST_GUILESS_MAIN(WordListTest)
#include "tst_wordlist.moc"
