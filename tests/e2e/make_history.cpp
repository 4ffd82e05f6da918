// Writes a study history for the end-to-end tests: each word given is learnt thirty days ago
// (answered right three times in a quarter of an hour), so it is due for review now.
//     e2e_make_history HISTORY_FILE WORD...
#include "History.h"
#include "Services.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

namespace {
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
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: e2e_make_history HISTORY_FILE WORD...\n");
        return 2;
    }
    PrintedMessages messages;
    History history(messages, args.first());
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-30);
    const QStringList nonWords{QStringLiteral("QZQZ"), QStringLiteral("XJXJ"),
                               QStringLiteral("VKVK")};
    for (const QString& word : args.mid(1)) {
        QStringList candidates{word};
        for (const QString& n : nonWords)
            candidates.append(n.left(word.size()));
        for (int minutes : {0, 2, 15})
            history.record({start.addSecs(minutes * 60), QStringLiteral("Form2"), true,
                            int(word.size()), candidates, 0, 0, 1500});
    }
    return messages.shown == 0 && history.answerCount() == 3 * (args.size() - 1) ? 0 : 1;
}
