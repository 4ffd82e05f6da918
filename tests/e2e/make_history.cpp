// Writes a study history for the end-to-end tests: each word given is learnt thirty days ago
// (answered right three times in a quarter of an hour), so it is due for review now. Every
// answer is made at noon of its study day, or a few minutes after, so that what a case sees does
// not depend on the hour it runs: a quarter of an hour that ran past the start of a study day
// would make the third answer a review on the next day. With
// --spread the words are learnt over the last four weeks instead, and every fifth one is missed
// once since, as a player's month would leave them (for screenshots).
// With --days the words are a steady player's DAYS days instead: twenty new ones a day, each
// reviewed 1, 3, 8, 20 and 45 days after it was learnt, none today. The longer the wait, the more
// are missed (one in 32 after a day, one in ten after 45 days), as a player's memory fades. Were
// they missed alike whatever the wait, the day's fit would find recall under 90 % at three weeks,
// and no word known.
// With --age the history's answers are moved HOURS back in time instead, and the word states
// rebuilt from them, as if the player came back that much later.
//     e2e_make_history [--spread] HISTORY_FILE WORD...
//     e2e_make_history --days DAYS HISTORY_FILE WORD...
//     e2e_make_history --age HOURS HISTORY_FILE
#include "HistoryFill.h"
#include "base/Services.h"
#include "study/History.h"
#include "study/MemoryPolicy.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>

namespace {

// Noon of the study day `daysBack` days before the one `now` falls in.
QDateTime noonOfDay(const QDateTime& now, int daysBack)
{
    return MemoryPolicy::dayStart(MemoryPolicy::studyDay(now).addDays(-daysBack)).addSecs(8 * 3600);
}

class PrintedMessages : public MessageBoxes
{
public:
    void show(const QString& text, const QString&, MessageIcon) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        ++shown;
    }
    int shown = 0;
};
// The answers of DAYS days of steady study of the words, oldest first.
QList<AnswerRecord> steadyDays(int days, const QStringList& words, const QDateTime& now)
{
    QList<AnswerRecord> answers;
    for (qsizetype i = 0; i < words.size() && i / 20 < days; ++i) {
        const QString& word = words[i];
        QStringList candidates{word};
        for (int k = 0; k < 3; ++k) {
            QString decoy = word; // the word with one letter changed
            decoy[(k + 1) % decoy.size()] = QLatin1Char("QXZ"[k]);
            candidates.append(decoy);
        }
        const QDateTime learnt = noonOfDay(now, days - int(i / 20)).addSecs(i % 20 * 40);
        const QDateTime today = MemoryPolicy::dayStart(MemoryPolicy::studyDay(now));
        constexpr int Afters[] = {0, 1, 3, 8, 20, 45};
        constexpr int OneMissedIn[] = {8, 32, 24, 16, 12, 10};
        for (int k = 0; k < 6; ++k) {
            const QDateTime at = learnt.addDays(Afters[k]);
            if (at >= today)
                break;
            const bool missed = (i * 7 + k) % OneMissedIn[k] == 3;
            answers.append({at, QStringLiteral("study"), true, int(word.size()), candidates, 0,
                            missed ? 1 : 0, 1800});
        }
    }
    std::sort(answers.begin(), answers.end(),
              [](const AnswerRecord& a, const AnswerRecord& b) { return a.at < b.at; });
    return answers;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() == 3 && args.first() == QStringLiteral("--age")) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "age");
            db.setDatabaseName(args[2]);
            QSqlQuery shift(db);
            if (!db.open() || !shift.exec(QStringLiteral("UPDATE answers SET at_ms = at_ms - %1")
                                              .arg(qint64(args[1].toDouble() * 3600000.0))))
                return 1;
        }
        QSqlDatabase::removeDatabase(QStringLiteral("age"));
        PrintedMessages messages;
        History history(messages, args[2]);
        history.rebuild();
        return messages.shown == 0 ? 0 : 1;
    }
    if (args.size() >= 3 && args.first() == QStringLiteral("--days")) {
        fillHistory(args[2],
                    steadyDays(args[1].toInt(), args.mid(3), QDateTime::currentDateTimeUtc()));
        return 0;
    }
    const bool spread = !args.isEmpty() && args.first() == QStringLiteral("--spread");
    if (spread)
        args.removeFirst();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: e2e_make_history HISTORY_FILE WORD...\n");
        return 2;
    }
    PrintedMessages messages;
    History history(messages, args.first());
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime start = noonOfDay(now, 30);
    int recorded = 0;
    const QStringList nonWords{QStringLiteral("QZQZ"), QStringLiteral("XJXJ"),
                               QStringLiteral("VKVK")};
    const QStringList words = args.mid(1);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        QStringList candidates{word};
        for (int k = 0; k < 3; ++k) {
            QString decoy = spread ? word : nonWords[k].left(word.size());
            if (spread) // the word with one letter changed, like the trainer's own non-words
                decoy[(k + 1) % decoy.size()] = QLatin1Char("QXZ"[k]);
            candidates.append(decoy);
        }
        const QDateTime learnt = spread ? noonOfDay(now, 28 - int(i % 28)) : start;
        for (int minutes : {0, 2, 15}) {
            history.record({learnt.addSecs(minutes * 60), QStringLiteral("Form2"), true,
                            int(word.size()), candidates, 0, 0, 1500});
            ++recorded;
        }
        if (spread && i % 5 == 0 && learnt.addDays(1) < now) {
            history.record({learnt.addDays(1), QStringLiteral("study"), true, int(word.size()),
                            candidates, 0, 1 + int(i % 3), 2500});
            ++recorded;
        }
    }
    return messages.shown == 0 && history.flush() && history.answerCount() == recorded ? 0 : 1;
}
