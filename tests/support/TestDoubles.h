#pragma once

#include "base/Environment.h"
#include "base/Services.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include <deque>
#include <functional>
#include <memory>

// Records every message instead of showing it.
class RecordingMessageBoxes : public MessageBoxes
{
public:
    struct Message
    {
        QString text;
        QString title;
        MessageIcon icon;
    };

    void show(const QString& text, const QString& title, MessageIcon icon) override
    {
        shown.append({text, title, icon});
        if (onShow)
            onShow(shown.last());
    }
    bool ask(const QString& text, const QString& title) override
    {
        show(text, title, MessageIcon::None);
        return answer;
    }

    QStringList texts() const
    {
        QStringList all;
        for (const Message& m : shown)
            all.append(m.text);
        return all;
    }

    QList<Message> shown;
    // Runs while the "modal" message is up, e.g. to check what a window looks like at that moment.
    std::function<void(const Message&)> onShow;
    bool answer = false; // to every question asked
};

// Hands out scripted fractions; when the script runs dry it continues with a fixed-seed
// generator, so tests script only the draws they care about.
class ScriptedRandom : public RandomSource
{
public:
    float nextFraction() override
    {
        ++draws;
        if (!script.empty()) {
            const float f = script.front();
            script.pop_front();
            return f;
        }
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return float(state >> 40) * (1.0f / 16777216.0f);
    }

    // The fraction that makes RandomBetween(low, high) give value.
    static float fractionFor(int value, int low, int high)
    {
        return float((double(value - low) + 0.5) / double(high - low + 1));
    }
    void push(int value, int low, int high) { script.push_back(fractionFor(value, low, high)); }
    void pushFraction(float f) { script.push_back(f); }
    // Queues the letters of a word as RandomBetween(65, 90) draws.
    void pushLetters(const QString& letters)
    {
        for (QChar c : letters)
            push(c.unicode(), 65, 90);
    }

    std::deque<float> script;
    int draws = 0;
    quint64 state = 12345;
};

class RecordingUrlOpener : public UrlOpener
{
public:
    bool open(const QUrl& url) override
    {
        opened.append(url);
        return succeed;
    }
    QList<QUrl> opened;
    bool succeed = true;
};

class RecordingSoundPlayer : public SoundPlayer
{
public:
    struct Play
    {
        QString path;
        bool wait;
    };
    bool play(const QString& path, bool wait) override
    {
        played.append({path, wait});
        return true;
    }
    QList<Play> played;
};

class FrozenClock : public Clock
{
public:
    qint64 nanosecondsOfDay() const override { return now; }
    qint64 now = 12 * 3600 * 1'000'000'000ll;
};

// A clock that stands still until a test moves it.
class ManualWallClock : public WallClock
{
public:
    QDateTime nowUtc() const override { return now; }
    void advanceSecs(qint64 seconds) { now = now.addSecs(seconds); }
    void advanceDays(double days) { now = now.addMSecs(qint64(days * 86400000.0)); }
    QDateTime now = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
};

// An Environment over recording doubles and a fresh temporary program folder.
class TestEnvironment
{
public:
    TestEnvironment() : env(messages, random, urls, sounds, folder.path()) {}

    QString path(const QString& name) const { return env.path(name); }

    QTemporaryDir folder;
    RecordingMessageBoxes messages;
    ScriptedRandom random;
    RecordingUrlOpener urls;
    RecordingSoundPlayer sounds;
    Environment env;
};
