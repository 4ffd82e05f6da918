#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QThread;
class WordIndex;

// Builds the look-up index of one list, its words and meanings, on a thread of its own over a
// connection of its own, so that the window asking for it never waits on the file. The result comes
// back as loaded() on the thread that made the loader. Destroying the loader cancels the read and
// joins the thread, which stops within a step of the statement it is in.
class WordIndexLoader : public QObject
{
    Q_OBJECT
public:
    explicit WordIndexLoader(QString path, QObject* parent = nullptr);
    ~WordIndexLoader() override;
    WordIndexLoader(const WordIndexLoader&) = delete;
    WordIndexLoader& operator=(const WordIndexLoader&) = delete;

    void start();
    // The index once loaded() has said so; null until then, and after a failure.
    const std::shared_ptr<const WordIndex>& index() const { return index_; }
    // Why the list could not be read, once loaded() has said so.
    const QString& error() const { return error_; }
    bool isDone() const { return done_; }

signals:
    void loaded();

private:
    void run();

    const QString path_;
    std::atomic<bool> cancelled_{false};
    // Set as the thread ends. Read once it is joined: QThread's own wait is invisible to
    // ThreadSanitizer (Qt is not built for it), and a result posted but never delivered is
    // destroyed on this side.
    std::atomic<bool> finished_{false};
    std::unique_ptr<QThread> thread_;
    std::shared_ptr<const WordIndex> index_;
    QString error_;
    bool done_ = false;
};
