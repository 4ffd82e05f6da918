#include "study/ThreadInbox.h"

ThreadInbox::ThreadInbox(std::function<void()> handler)
{
    connect(this, &ThreadInbox::posted, this, std::move(handler), Qt::QueuedConnection);
}
