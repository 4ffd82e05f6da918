#pragma once

#include <QString>

#include <thread>

// Begins, on a second core, work that the start-up will need while the main thread builds the
// main window: loading the SQLite driver, decoding the program icon and loading the image reader
// for the hand cursor. It only warms caches: every start-up step still runs, in its order and
// with its error reports, on the main thread. Construct it after the application object and
// destroy it before; the destructor waits for the work to end.
class StartupPrefetch
{
public:
    explicit StartupPrefetch(const QString& programFolder);
    ~StartupPrefetch();
    StartupPrefetch(const StartupPrefetch&) = delete;
    StartupPrefetch& operator=(const StartupPrefetch&) = delete;

private:
    std::thread worker_;
};
