#include "quiz/ResultsWindow.h"

#include "TestContext.h"
#include "TestDoubles.h"
#include "words/WordStore.h"

#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

QStringList items(const QListWidget* list)
{
    QStringList all;
    for (int row = 0; row < list->count(); ++row)
        all.append(list->item(row)->text());
    return all;
}

} // namespace

class tst_ResultsWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestContext> t_;

    QString text(const ResultsWindow& window, const char* name)
    {
        const auto* label = window.findChild<QLabel*>(QLatin1String(name));
        return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
    }
    QStringList list(const ResultsWindow& window, const char* name)
    {
        return items(window.findChild<QListWidget*>(QLatin1String(name)));
    }
    void setState(int correct, int wrong)
    {
        t_->context.state.correctCount = qint16(correct);
        t_->context.state.wrongCount = qint16(wrong);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void init() { t_ = std::make_unique<TestContext>(); }

    void cleanup() { t_.reset(); }

    void showsCountsAndPercentage_data()
    {
        QTest::addColumn<int>("correct");
        QTest::addColumn<int>("wrong");
        QTest::addColumn<QString>("countText");
        QTest::addColumn<QString>("percentage");
        QTest::newRow("15 of 20") << 15 << 5 << "20"
                                  << "Percentage: 75%";
        QTest::newRow("1 of 3") << 1 << 2 << "3"
                                << "Percentage: 33.33%";
        QTest::newRow("2 of 3") << 2 << 1 << "3"
                                << "Percentage: 66.67%";
        QTest::newRow("1 of 32 half to even") << 1 << 0 << "32"
                                              << "Percentage: 3.12%";
        QTest::newRow("3 of 32 half to even") << 3 << 0 << "32"
                                              << "Percentage: 9.38%";
        QTest::newRow("stopped early: 3 of 20") << 3 << 1 << "20"
                                                << "Percentage: 15%";
        QTest::newRow("1 of 8") << 1 << 7 << "8"
                                << "Percentage: 12.5%";
        QTest::newRow("all wrong") << 0 << 4 << "4"
                                   << "Percentage: 0%";
        QTest::newRow("negative count, no -0") << 0 << 0 << "-5"
                                               << "Percentage: 0%";
        QTest::newRow("count with a fraction") << 1 << 1 << "2.5"
                                               << "Percentage: 50%";
        QTest::newRow("largest count") << 32767 << 0 << "32767"
                                       << "Percentage: 100%";
    }
    void showsCountsAndPercentage()
    {
        QFETCH(int, correct);
        QFETCH(int, wrong);
        QFETCH(QString, countText);
        QFETCH(QString, percentage);
        setState(correct, wrong);

        ResultsWindow window(t_->context, countText);

        QCOMPARE(t_->test.messages.texts(), QStringList());
        QCOMPARE(text(window, "lblCorrect"), QStringLiteral("Number of Correct: %1").arg(correct));
        QCOMPARE(text(window, "lblWrong"), QStringLiteral("Number of Wrong: %1").arg(wrong));
        QCOMPARE(text(window, "lblPercentage"), percentage);
    }

    // The counts and the percentage share ASCII digits; only the decimal separator is the
    // locale's.
    void percentageUsesTheLocalesSeparator_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("percentage");
        QTest::addColumn<QString>("eighth");
        QTest::newRow("german") << "de_DE"
                                << "Percentage: 33,33%"
                                << "12,5";
        QTest::newRow("arabic") << "ar_EG" << QStringLiteral(u"Percentage: 33\u066B33%")
                                << QStringLiteral(u"12\u066B5");
    }
    void percentageUsesTheLocalesSeparator()
    {
        QFETCH(QString, locale);
        QFETCH(QString, percentage);
        QFETCH(QString, eighth);
        const QLocale saved;
        QLocale::setDefault(QLocale(locale));
        setState(1, 2);
        ResultsWindow window(t_->context, QStringLiteral("3"));
        QLocale::setDefault(saved);
        QCOMPARE(text(window, "lblCorrect"), QStringLiteral("Number of Correct: 1"));
        QCOMPARE(text(window, "lblPercentage"), percentage);
        QCOMPARE(ResultsPercentageText(1, QStringLiteral("8"), QLocale(locale)), eighth);
    }

    void listsKeepAnswerOrderAndDuplicates()
    {
        setState(2, 3);
        t_->context.state.correctWords = {QStringLiteral("ZO"), QStringLiteral("AX")};
        t_->context.state.wrongWords = {QStringLiteral("QJ"), QStringLiteral("XB"),
                                        QStringLiteral("QJ")};
        ResultsWindow window(t_->context, QStringLiteral("5"));
        QCOMPARE(list(window, "List1"), QStringList({"ZO", "AX"}));
        QCOMPARE(list(window, "List2"), QStringList({"QJ", "XB", "QJ"}));
    }

    void failingPercentageSkipsTheRestOfTheFill_data()
    {
        QTest::addColumn<int>("correct");
        QTest::addColumn<QString>("countText");
        QTest::addColumn<QString>("description");
        QTest::newRow("no question asked: 0 / 0") << 0 << "0"
                                                  << "Overflow";
        QTest::newRow("count rounds to 0") << 0 << "0.4"
                                           << "Overflow";
        QTest::newRow("count out of range") << 4 << "40000"
                                            << "Overflow";
        QTest::newRow("count no number") << 4 << "abc"
                                         << "Type mismatch";
        QTest::newRow("count empty") << 4 << ""
                                     << "Type mismatch";
    }
    void failingPercentageSkipsTheRestOfTheFill()
    {
        QFETCH(int, correct);
        QFETCH(QString, countText);
        QFETCH(QString, description);
        setState(correct, 2);
        t_->context.state.correctWords = QStringList(correct, QStringLiteral("AA"));
        t_->context.state.wrongWords = {QStringLiteral("QQ"), QStringLiteral("QQ")};
        const TestRunState before = t_->context.state;

        ResultsWindow window(t_->context, countText);

        QCOMPARE(t_->test.messages.texts(),
                 QStringList(ErrorReporter::messageText(
                     description, ErrorReporter::locationName("Form4", "Form_Load"), 108)));
        QCOMPARE(text(window, "lblCorrect"), QStringLiteral("Number of Correct: %1").arg(correct));
        QCOMPARE(text(window, "lblWrong"), QStringLiteral("Number of Wrong: 2"));
        QCOMPARE(text(window, "lblPercentage"), QStringLiteral("Percentage:"));
        QCOMPARE(list(window, "List1"), QStringList());
        QCOMPARE(list(window, "List2"), QStringList());
        QCOMPARE(t_->context.state.correctWords, before.correctWords);
        QCOMPARE(t_->context.state.wrongWords, before.wrongWords);
    }

    void closesByButtonOrCloseBox_data()
    {
        QTest::addColumn<bool>("byButton");
        QTest::newRow("Close Window") << true;
        QTest::newRow("close box") << false;
    }
    void closesByButtonOrCloseBox()
    {
        QFETCH(bool, byButton);
        setState(1, 1);
        ResultsWindow window(t_->context, QStringLiteral("2"));
        auto* button = window.findChild<QPushButton*>(QStringLiteral("PushButton1"));
        QVERIFY(button);
        QCOMPARE(button->text(), QStringLiteral("Close Window"));
        bool wasModal = false;
        bool openAfterEscape = false;
        QTimer::singleShot(0, &window, [&] {
            wasModal = QApplication::activeModalWidget() == &window;
            QTest::keyClick(&window, Qt::Key_Escape);
            openAfterEscape = window.isVisible();
            if (byButton)
                QTest::mouseClick(button, Qt::LeftButton);
            else
                window.close();
            if (window.isVisible())
                window.reject(); // never leave exec() waiting
        });
        window.exec();
        QVERIFY(wasModal);
        QVERIFY(openAfterEscape);
        QVERIFY(!window.isVisible());
        QCOMPARE(t_->test.messages.texts(), QStringList());
        QCOMPARE(t_->context.state.correctCount, qint16(1));
    }

    void looksLikeTheSummaryWindow()
    {
        setState(32767, 32767);
        t_->context.state.correctWords = {QStringLiteral("ZZZZ")};
        ResultsWindow window(t_->context, QStringLiteral("3"));
        QCOMPARE(window.objectName(), QStringLiteral("Form4"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Lexitor Trainer Software"));
        QVERIFY(!window.windowIcon().isNull());
        QCOMPARE(window.size(), QSize(536, 426));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(!(window.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(window.windowModality(), Qt::ApplicationModal);
        QCOMPARE(window.font().bold(), true);

        // The widest texts the labels can get ("Percentage: 1092233.33%") fit into them.
        QCOMPARE(text(window, "lblPercentage"), QStringLiteral("Percentage: 1092233.33%"));
        for (const char* name : {"lblCorrect", "lblWrong", "lblPercentage"}) {
            const auto* label = window.findChild<QLabel*>(QLatin1String(name));
            QVERIFY(label);
            QVERIFY2(label->sizeHint().width() <= label->width() &&
                         label->sizeHint().height() <= label->height(),
                     name);
            QVERIFY(label->parentWidget()->geometry().contains(
                label->geometry().translated(label->parentWidget()->pos())));
        }
        const auto* list1 = window.findChild<QListWidget*>(QStringLiteral("List1"));
        const auto* list2 = window.findChild<QListWidget*>(QStringLiteral("List2"));
        QCOMPARE(list1->accessibleName(), QStringLiteral("Correct Words"));
        QCOMPARE(list2->accessibleName(), QStringLiteral("Wrong Words"));
        QVERIFY(!list1->isSortingEnabled());
    }

    void handOverTheButtonWhenTheCursorFileIsThere_data()
    {
        QTest::addColumn<bool>("withFile");
        QTest::newRow("cursor file") << true;
        QTest::newRow("no cursor file") << false;
    }
    void handOverTheButtonWhenTheCursorFileIsThere()
    {
        QFETCH(bool, withFile);
        if (withFile) {
            const QString source = QFINDTESTDATA("../../data/HAND-M.CUR");
            QVERIFY(!source.isEmpty());
            QVERIFY(QFile::copy(source, t_->test.path(QStringLiteral("HAND-M.CUR"))));
        }
        ResultsWindow window(t_->context, QStringLiteral("1"));
        QCOMPARE(t_->test.messages.texts(), QStringList());
        const auto* button = window.findChild<QPushButton*>(QStringLiteral("PushButton1"));
        QCOMPARE(button->cursor().shape(), withFile ? Qt::BitmapCursor : Qt::ArrowCursor);
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(tst_ResultsWindow)
#include "tst_resultswindow.moc"
