#include "StudyFixture.h"

#include <QApplication>
#include <QLabel>
#include <QStandardPaths>
#include <QTest>
#include <QTextDocument>

// Words, meanings and list names come from files anyone can write: the windows show them as the
// text they are, never as markup, and without their control characters.
class PlayerTextTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void studyStatusShowsTheMeaningAsText_data()
    {
        QTest::addColumn<QString>("meaning");
        QTest::addColumn<QString>("shown");
        const QString markup =
            QStringLiteral("<font color=#ff00ff>MMMM</font><img src=/some/picture.png>");
        QTest::newRow("markup") << markup << markup;
        QTest::newRow("controls") << QStringLiteral("a\x1b[31mb\r\nc\u2028d\u202Ee\tf")
                                  << QStringLiteral("a [31mb  c d e f");
    }
    void studyStatusShowsTheMeaningAsText()
    {
        QFETCH(QString, meaning);
        QFETCH(QString, shown);
        Fixture fx;
        // The same list, every word with that meaning.
        const QStringList words =
            WordDatabase::sequentialWords(2, 40) + WordDatabase::sequentialWords(3, 40);
        QHash<QString, QString> meanings;
        for (const QString& word : words)
            meanings.insert(word, meaning);
        const QString path = fx.t.path(QStringLiteral("meanings.mdb"));
        WordDatabase::write(path, words, meanings);
        fx.store.close();
        fx.store.open(path);

        StudyWindow w(fx.context, *fx.session, 600000);
        QVERIFY(w.start());
        w.show();
        QTest::keyClick(&w, Qt::Key(Qt::Key_0 + fx.rightButton(w) % 4 + 1));
        const auto* status = w.findChild<QLabel*>(QStringLiteral("Outcome"));
        const QString text = status->accessibleName();
        QVERIFY2(text.startsWith(QStringLiteral("Wrong: ")) && text.endsWith(shown),
                 qPrintable(text));
        QCOMPARE(status->textFormat(), Qt::PlainText);
        QCOMPARE(status->toolTip(), Qt::convertFromPlainText(text));
    }
};

QTEST_MAIN(PlayerTextTest)
#include "tst_playertext.moc"
