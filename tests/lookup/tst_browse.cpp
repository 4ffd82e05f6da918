// The Browse window: which rows its filters and searches leave, the states they show, and a
// window opened from Look up that reads the list and the history without writing to either.
#include "HistoryFill.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "lookup/BrowseModel.h"
#include "lookup/BrowseWindow.h"
#include "study/WordStateView.h"
#include "words/WordIndexLoader.h"
#include "words/WordStore.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {

// States set by hand: AX and XI learning (XI missed last time), QI known, AB and BA new (AB
// never graded, BA not in the history at all).
class HandStates : public WordStateView
{
public:
    HandStates()
    {
        put("AB", std::nullopt, 0, false);
        put("AX", Fsrs::MemoryState{2.0, 5.0}, 0, false);
        put("XI", Fsrs::MemoryState{3.0, 6.0}, 0, true);
        put("QI", Fsrs::MemoryState{40.0, 4.0}, 9, false);
    }
    const QHash<QString, WordMemory>& words() const override { return all_; }
    const WordMemory* find(const QString& word) const override
    {
        const auto it = all_.constFind(word);
        return it == all_.constEnd() ? nullptr : &*it;
    }
    const MemoryPolicy& policy() const override { return policy_; }
    quint64 statesRevision() const override { return 0; }

private:
    void put(const QString& word, std::optional<Fsrs::MemoryState> memory, int step, bool missed)
    {
        WordMemory m;
        m.word = word;
        m.memory = memory;
        m.step = step;
        m.reviews = memory ? 2 : 0;
        m.missedLast = missed;
        if (memory)
            m.due = QDateTime(QDate(2026, 3, 5), QTime(9, 0), Qt::UTC);
        all_.insert(word, m);
    }
    QHash<QString, WordMemory> all_;
    MemoryPolicy policy_;
};

const QStringList TwoLetters = {"AA", "AB", "AX", "BA", "QI", "XI"};

QStringList column(const BrowseModel& model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.append(model.index(row, column).data().toString());
    return texts;
}

} // namespace

class TestBrowse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void rows_data()
    {
        QTest::addColumn<bool>("statesOpen");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QStringList>("states");
        using F = BrowseModel::Filter;
        QTest::newRow("all") << true << int(F::All) << "" << TwoLetters
                             << QStringList{"new", "new", "learning", "new", "known", "learning"};
        QTest::newRow("new, graded never or not in the history")
            << true << int(F::New) << "" << QStringList{"AA", "AB", "BA"}
            << QStringList{"new", "new", "new"};
        QTest::newRow("learning, missed or not")
            << true << int(F::Learning) << "" << QStringList{"AX", "XI"}
            << QStringList{"learning", "learning"};
        QTest::newRow("known") << true << int(F::Known) << "" << QStringList{"QI"}
                               << QStringList{"known"};
        QTest::newRow("missed last time")
            << true << int(F::MissedLast) << "" << QStringList{"XI"} << QStringList{"learning"};
        QTest::newRow("letters anywhere, any case, spaced")
            << true << int(F::All) << " a " << QStringList{"AA", "AB", "AX", "BA"}
            << QStringList{"new", "new", "learning", "new"};
        QTest::newRow("blank tile") << true << int(F::All) << "?i" << QStringList{"QI", "XI"}
                                    << QStringList{"known", "learning"};
        QTest::newRow("blank tile and filter")
            << true << int(F::New) << "?A" << QStringList{"AA", "BA"} << QStringList{"new", "new"};
        QTest::newRow("filter and letters")
            << true << int(F::Learning) << "x" << QStringList{"AX", "XI"}
            << QStringList{"learning", "learning"};
        QTest::newRow("pattern of another length fits none")
            << true << int(F::All) << "A??" << QStringList() << QStringList();
        QTest::newRow("no word holds them")
            << true << int(F::Known) << "zz" << QStringList() << QStringList();
        QTest::newRow("history closed: every word, state unknown")
            << false << int(F::All) << "" << TwoLetters << QStringList(6, "unknown");
        QTest::newRow("history closed: no state fits a filter")
            << false << int(F::New) << "" << QStringList() << QStringList();
        QTest::newRow("history closed: missed fits none")
            << false << int(F::MissedLast) << "" << QStringList() << QStringList();
    }

    void rows()
    {
        QFETCH(bool, statesOpen);
        QFETCH(int, filter);
        QFETCH(QString, search);
        QFETCH(QStringList, words);
        QFETCH(QStringList, states);
        HandStates hand;
        BrowseModel model(nullptr);
        model.load(TwoLetters, statesOpen ? &hand : nullptr,
                   QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC));
        model.setFilter(BrowseModel::Filter(filter));
        model.setSearch(search);
        QCOMPARE(model.shownWords(), words);
        QCOMPARE(column(model, BrowseModel::WordColumn), words);
        QCOMPARE(column(model, BrowseModel::StateColumn), states);
        QCOMPARE(model.total(), TwoLetters.size());
        // Clearing both brings every word back, in list order.
        model.setFilter(BrowseModel::Filter::All);
        model.setSearch(QString());
        QCOMPARE(model.shownWords(), TwoLetters);
    }

    // Only graded words have a next review; one past due is "now".
    void reviews()
    {
        HandStates hand;
        BrowseModel model(nullptr);
        model.load(TwoLetters, &hand, QDateTime(QDate(2026, 3, 6), QTime(9, 0), Qt::UTC));
        const QStringList reviews = column(model, BrowseModel::ReviewColumn);
        QCOMPARE(reviews, (QStringList{"", "", "now", "", "now", "now"}));
    }

    // Opened from Look up on the length typed: the list's words with their meanings; a filter
    // narrows the rows; the history is read, never written.
    void openedFromLookUp()
    {
        TestEnvironment t;
        WordStore store(t.random);
        const QStringList words = {"AX", "QI", "TEA", "EAT", "ATE", "AXES"};
        const QHash<QString, QString> meanings{{"TEA", "a <b>drink</b>"}};
        WordDatabase::openIn(store, t.path("dbWords.mdb"), words, meanings);
        auto index = std::make_shared<WordIndex>(words); // as its loader reads it
        index->addMeanings(meanings);
        History history(t.messages, t.path("history.sqlite"));
        ManualWallClock clock;
        history.open();
        history.record(answerOn("TEA", clock.now.addDays(-2), false));
        history.record(answerOn("EAT", clock.now.addDays(-2)));
        QVERIFY(history.flush());
        const int answers = history.answerCount();
        const quint64 revision = history.statesRevision();

        LookupWindow lookup({index, nullptr, &store, &history, "L", {}}, clock);
        lookup.show();
        QTest::keyClicks(lookup.findChild<QLineEdit*>("LookUpField"), "tea");
        QStringList shown, learning, missed;
        QString meaning, lengthName;
        bool accessible = true;
        QTimer::singleShot(0, [&] {
            auto* browse = qobject_cast<BrowseWindow*>(QApplication::activeModalWidget());
            QVERIFY(browse);
            for (QWidget* control : browse->findChildren<QWidget*>()) {
                if (qobject_cast<QComboBox*>(control) || qobject_cast<QLineEdit*>(control) ||
                    qobject_cast<QTableView*>(control))
                    accessible = accessible && !control->accessibleName().isEmpty();
            }
            shown = browse->shownWords();
            auto* table = browse->findChild<QTableView*>("BrowseTable");
            const int tea = int(shown.indexOf("TEA"));
            meaning = table->model()->index(tea, BrowseModel::MeaningColumn).data().toString();
            lengthName = browse->findChild<QComboBox*>("BrowseLength")->currentText();
            auto* filter = browse->findChild<QComboBox*>("BrowseFilter");
            filter->setCurrentIndex(filter->findText("Learning"));
            learning = browse->shownWords();
            filter->setCurrentIndex(filter->findText("Missed last time"));
            missed = browse->shownWords();
            browse->reject();
        });
        lookup.findChild<QPushButton*>("BrowseButton")->click();
        QVERIFY(accessible);
        QCOMPARE(lengthName, QString("3 letters"));
        QCOMPARE(shown, store.words(3));
        QCOMPARE(meaning, QString("a <b>drink</b>")); // plain text, as the list gave it
        learning.sort();
        QCOMPARE(learning, (QStringList{"EAT", "TEA"}));
        QCOMPARE(missed, QStringList{"TEA"});
        QCOMPARE(history.pendingCount(), 0);
        QCOMPARE(history.answerCount(), answers);
        QCOMPARE(history.statesRevision(), revision);
    }

    // Once the look-up index is read, meanings come from it: rows shown read nothing more from
    // the list's file.
    void meaningsFromTheIndexOnceRead()
    {
        TestEnvironment t;
        WordStore store(t.random);
        const QString path = t.path("dbWords.mdb");
        WordDatabase::openIn(store, path, {"QI", "ZA"}, {{"QI", "vital force"}});
        WordIndexLoader loader(path);
        ManualWallClock clock;
        BrowseWindow browse({nullptr, &loader, &store, nullptr, "L", {}}, clock, 2);
        store.close();
        loader.start();
        const QAbstractItemModel* rows = browse.findChild<QTableView*>("BrowseTable")->model();
        QTRY_COMPARE(rows->index(0, BrowseModel::MeaningColumn).data().toString(),
                     QString("vital force"));
        QCOMPARE(rows->index(1, BrowseModel::MeaningColumn).data().toString(), QString());
    }
};

QTEST_MAIN(TestBrowse)
#include "tst_browse.moc"
