#include "quiz/TestDriver.h"

#include "TestContext.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "quiz/QuestionWindow.h"
#include "words/WordStore.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <deque>
#include <memory>
#include <optional>

namespace {

// Plays the player's part in a test run. Whenever a new modal window comes up it takes the next
// step of its script: 'R' answers a question rightly, 'W' wrongly, 'C' closes it with the close
// box; the results window is read and closed with its button. Nothing here may leave a window
// open (a failed check in a timer would leave exec() waiting for ever), so every problem is
// recorded in `failures` and the window is closed regardless.
class Player : public QObject
{
public:
    struct Question
    {
        QString window;
        QString status;
        QColor statusColor;
    };
    struct Results
    {
        QString correct, wrong, percentage;
        QStringList list1, list2;
    };

    explicit Player(QString script) : script_(std::move(script))
    {
        connect(&timer_, &QTimer::timeout, this, &Player::poll);
        timer_.start(1);
    }

    QStringList failures;
    QList<Question> questions;
    QStringList rightWords, wrongWords; // the captions clicked, in order
    std::optional<Results> results;
    int resultsShown = 0;
    QList<QPointer<QDialog>> shown;
    int maxQuestions = 100;

    bool scriptDone() const { return next_ == script_.size(); }

private:
    void poll()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->property("player.seen").toBool())
            return;
        dialog->setProperty("player.seen", true);
        shown.append(dialog);
        if (dialog->windowModality() != Qt::ApplicationModal)
            failures << dialog->objectName() + QStringLiteral(" not modal to the program");
        if (dialog->objectName() == QLatin1String("Form4"))
            readResults(dialog);
        else if (auto* question = qobject_cast<QuestionWindow*>(dialog))
            answer(question);
        else
            failures << QStringLiteral("unexpected window ") + dialog->objectName();
        if (dialog->isVisible()) {
            failures << dialog->objectName() + QStringLiteral(" left open");
            dialog->reject();
        }
    }

    void answer(QuestionWindow* window)
    {
        const auto* status = window->findChild<QLabel*>(QStringLiteral("Label1"));
        questions.append({window->objectName(), status ? status->text() : QString(),
                          status ? status->palette().color(QPalette::WindowText) : QColor()});
        if (scriptDone() || questions.size() > maxQuestions) {
            failures << QStringLiteral("question %1 not in the script").arg(questions.size());
            window->reject();
            return;
        }
        const QChar step = script_[next_++];
        if (step == QLatin1Char('C')) {
            window->close();
            return;
        }
        const int right = window->correctIndex() + 1;
        const int k = step == QLatin1Char('R') ? right : right % 4 + 1;
        auto* button = window->findChild<QPushButton*>(QStringLiteral("PushButton%1").arg(k));
        if (!button) {
            failures << QStringLiteral("no PushButton%1").arg(k);
            return;
        }
        (step == QLatin1Char('R') ? rightWords : wrongWords).append(button->text());
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void readResults(QDialog* window)
    {
        // The run ends with this window; leave later runs to their own player.
        timer_.stop();
        ++resultsShown;
        const auto label = [window](const char* name) {
            const auto* l = window->findChild<QLabel*>(QLatin1String(name));
            return l ? l->text() : QString();
        };
        const auto list = [window](const char* name) {
            QStringList all;
            if (const auto* l = window->findChild<QListWidget*>(QLatin1String(name))) {
                for (int row = 0; row < l->count(); ++row)
                    all.append(l->item(row)->text());
            }
            return all;
        };
        results = Results{label("lblCorrect"), label("lblWrong"), label("lblPercentage"),
                          list("List1"), list("List2")};
        if (auto* close = window->findChild<QPushButton*>(QStringLiteral("PushButton1")))
            QTest::mouseClick(close, Qt::LeftButton);
    }

    QString script_;
    qsizetype next_ = 0;
    QTimer timer_;
};

// The main window's button for each question window.
QString handlerFor(const QString& form)
{
    static const QHash<QString, QString> handlers{
        {"Form2", "PushButton1_Click"}, {"Form3", "PushButton2_Click"},
        {"Form7", "PushButton6_Click"}, {"Form5", "PushButton4_Click"},
        {"Form6", "PushButton5_Click"}, {"Form8", "PushButton7_Click"}};
    return handlers.value(form);
}

const QuestionForm& formNamed(const QString& name)
{
    for (const QuestionForm& form : QuestionForms::all()) {
        if (form.name == name)
            return form;
    }
    qFatal("no such form");
}

} // namespace

class tst_Driver : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestContext> t_;
    QString countText_;

    void openStore(const QStringList& words = WordDatabase::sequentialWords(2, 30) +
                                              WordDatabase::sequentialWords(3, 30) +
                                              WordDatabase::sequentialWords(4, 30))
    {
        WordDatabase::openIn(t_->store, t_->test.path(QStringLiteral("dbWords.mdb")), words);
    }

    // Runs one test from the button of that question window with the player's script.
    std::unique_ptr<Player> run(const QString& form, const QString& countText,
                                const QString& script)
    {
        countText_ = countText;
        auto player = std::make_unique<Player>(script);
        TestDriver driver(t_->context, [this] { return countText_; });
        driver.run(handlerFor(form), formNamed(form));
        return player;
    }

    static QString report(const QString& description, const QString& window,
                          const QString& procedure, int line)
    {
        return ErrorReporter::messageText(description,
                                          ErrorReporter::locationName(window, procedure), line);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void init() { t_ = std::make_unique<TestContext>(); }

    void cleanup() { t_.reset(); }

    void runsATest_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("countText");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("percentage");
        // description and window of each expected error report, "" for none
        QTest::addColumn<QStringList>("errors");

        QTest::newRow("one question") << "Form2"
                                      << "1"
                                      << "R"
                                      << "Percentage: 100%" << QStringList();
        QTest::newRow("three, mixed") << "Form6"
                                      << "3"
                                      << "RWR"
                                      << "Percentage: 66.67%" << QStringList();
        QTest::newRow("stopped at the fourth") << "Form7"
                                               << "20"
                                               << "RRWC"
                                               << "Percentage: 10%" << QStringList();
        QTest::newRow("first closed unanswered") << "Form8"
                                                 << "20"
                                                 << "C"
                                                 << "Percentage: 0%" << QStringList();
        QTest::newRow("no question: 0") << "Form3"
                                        << "0"
                                        << ""
                                        << "Percentage:" << QStringList({"Overflow Form4"});
        QTest::newRow("no question: -5") << "Form5"
                                         << "-5"
                                         << ""
                                         << "Percentage: 0%" << QStringList();
        QTest::newRow("2.5 asks 2") << "Form2"
                                    << "2.5"
                                    << "RW"
                                    << "Percentage: 50%" << QStringList();
        QTest::newRow("3.5 asks 4") << "Form5"
                                    << "3.5"
                                    << "RRWR"
                                    << "Percentage: 75%" << QStringList();
        QTest::newRow("40000 asks until closed")
            << "Form3"
            << "40000"
            << "RWRRC"
            << "Percentage:" << QStringList({"Overflow Form1", "Overflow Form4"});
        QTest::newRow("abc asks until closed")
            << "Form8"
            << "abc"
            << "WC"
            << "Percentage:" << QStringList({"Type mismatch Form1", "Type mismatch Form4"});
    }
    void runsATest()
    {
        QFETCH(QString, form);
        QFETCH(QString, countText);
        QFETCH(QString, script);
        QFETCH(QString, percentage);
        QFETCH(QStringList, errors);
        // Leftovers of an earlier run that the driver must clear.
        t_->context.state.correctCount = 7;
        t_->context.state.wrongWords = {QStringLiteral("OLD")};
        t_->context.state.statusText = QStringLiteral("Correct with OLD");
        openStore();

        const std::unique_ptr<Player> player = run(form, countText, script);

        QCOMPARE(player->failures, QStringList());
        QVERIFY(player->scriptDone());
        QCOMPARE(player->questions.size(), script.size());
        for (const Player::Question& q : player->questions)
            QCOMPARE(q.window, form);
        QCOMPARE(player->resultsShown, 1);
        for (const QPointer<QDialog>& window : player->shown)
            QVERIFY2(window.isNull(), "a window outlived its showing");

        QStringList expectedErrors;
        for (const QString& e : errors) {
            const QString window = e.section(' ', -1);
            const QString description = e.section(' ', 0, -2);
            expectedErrors << (window == "Form1"
                                   ? report(description, "Form1", handlerFor(form), 112)
                                   : report(description, "Form4", "Form_Load", 108));
        }
        QCOMPARE(t_->test.messages.texts(), expectedErrors);

        const TestRunState& state = t_->context.state;
        QCOMPARE(state.correctCount, qint16(script.count('R')));
        QCOMPARE(state.wrongCount, qint16(script.count('W')));
        QCOMPARE(state.correctWords, player->rightWords);
        QCOMPARE(state.wrongWords, player->wrongWords);
        QCOMPARE(state.answerPending, script.endsWith('C'));

        QVERIFY(player->results);
        const Player::Results& results = *player->results;
        QCOMPARE(results.correct, QStringLiteral("Number of Correct: %1").arg(script.count('R')));
        QCOMPARE(results.wrong, QStringLiteral("Number of Wrong: %1").arg(script.count('W')));
        QCOMPARE(results.percentage, percentage);
        const bool filled = errors.isEmpty();
        QCOMPARE(results.list1, filled ? player->rightWords : QStringList());
        QCOMPARE(results.list2, filled ? player->wrongWords : QStringList());
    }

    void statusLineCarriesTheLastAnswer()
    {
        openStore();
        const std::unique_ptr<Player> first = run("Form2", "3", "WRW");
        QCOMPARE(first->failures, QStringList());
        QCOMPARE(first->questions.size(), 3);
        QCOMPARE(first->questions[0].status, TestRunState::WaitingForAnswer);
        QCOMPARE(first->questions[0].statusColor, QColor(Qt::black));
        QVERIFY(first->questions[1].status.startsWith("Wrong. Correct answer was "));
        QCOMPARE(first->questions[1].statusColor, QColor(255, 0, 0));
        QCOMPARE(first->questions[2].status, "Correct with " + first->rightWords[0]);
        QCOMPARE(first->questions[2].statusColor, QColor(0, 100, 0));

        // The next run starts clean: zero counts, empty lists, the waiting status in black.
        const std::unique_ptr<Player> second = run("Form5", "2", "RR");
        QCOMPARE(second->failures, QStringList());
        QCOMPARE(second->questions.size(), 2);
        QCOMPARE(second->questions[0].status, TestRunState::WaitingForAnswer);
        QCOMPARE(second->questions[0].statusColor, QColor(Qt::black));
        QCOMPARE(t_->context.state.correctCount, qint16(2));
        QCOMPARE(t_->context.state.wrongCount, qint16(0));
        QCOMPARE(t_->context.state.correctWords, second->rightWords);
        QCOMPARE(t_->context.state.wrongWords, QStringList());
        QCOMPARE(second->results->list2, QStringList());
        QCOMPARE(t_->test.messages.texts(), QStringList());
    }

    void sameWordAnsweredWronglyTwiceStandsTwice()
    {
        // With one two-letter word, every wrong answer of an invalid-word test is that word.
        openStore({QStringLiteral("ZO"), QStringLiteral("CAT")});

        const std::unique_ptr<Player> player = run("Form5", "3", "WRW");
        QCOMPARE(player->failures, QStringList());
        QCOMPARE(t_->context.state.wrongWords, QStringList({"ZO", "ZO"}));
        QCOMPARE(player->results->list2, QStringList({"ZO", "ZO"}));
        QCOMPARE(player->results->percentage, QStringLiteral("Percentage: 33.33%"));
    }
};

QTEST_MAIN(tst_Driver)
#include "tst_driver.moc"
