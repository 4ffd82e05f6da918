#pragma once

#include <QObject>

#include <functional>

// Where a background thread's news reaches the thread that made the inbox: post() may be called
// on any thread, and the handler runs queued on the owner's, once for each post. Nothing of ours
// is allocated on the posting thread: the queued call is Qt's own, and the handler was made by
// the owner, so a race checker sees every hand-over through the data the news refers to (a
// mailbox under its mutex). Destroying the inbox drops the posts not yet delivered.
class ThreadInbox : public QObject
{
    Q_OBJECT

public:
    explicit ThreadInbox(std::function<void()> handler);

    void post() { emit posted(); }

signals:
    void posted();
};
