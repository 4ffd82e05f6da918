#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <memory>

class QThread;

// Counts the words of word lists on a thread of its own, each list's statements bounded like the
// word store's, so that a list whose views never end costs its time limit there and holds up
// nothing else. Each list's result comes back as counted() on the thread that made the counter.
// Destroying the counter cancels what is left and joins the thread, which stops within a step.
class WordListCounter : public QObject
{
    Q_OBJECT
public:
    struct List
    {
        QString name;
        QString path;
    };

    explicit WordListCounter(QList<List> lists, QObject* parent = nullptr);
    ~WordListCounter() override;
    WordListCounter(const WordListCounter&) = delete;
    WordListCounter& operator=(const WordListCounter&) = delete;

    void start();

signals:
    // counts: the words of 2, 3 and 4 letters; empty, with why, when the list can't be read.
    void counted(const QString& name, const QList<qint64>& counts, const QString& error);

private:
    // A list's first try; one that fails within it gets the word store's whole limit.
    static constexpr std::chrono::milliseconds QuickLimit{100};

    void run();
    // Counts the list and posts the result; false when it failed and was not the last try.
    bool count(const List& list, std::chrono::milliseconds limit, bool last);

    const QList<List> lists_;
    std::atomic<bool> cancelled_{false};
    std::unique_ptr<QThread> thread_;
};
