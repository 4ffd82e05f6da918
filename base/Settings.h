#pragma once

#include "base/StudyOrder.h"

#include <QList>
#include <QString>

#include <optional>

// The last text of the question-count box, stored per user under application "Quenmark", section
// "Lexitor Trainer Software", key "Text1". Without a user config folder (see UserConfigFolder)
// nothing is remembered: load() gives the default and store() does nothing.
class QuestionCountSetting
{
public:
    static inline const QString Default = QStringLiteral("20");

    QString load() const;
    void store(const QString& text);
};

// The word list the trainer uses, beside the question count under "StudyWordList": the name of an
// imported list, or "" (the default) for the bundled dbWords.mdb.
class WordListSetting
{
public:
    QString load() const;
    void store(const QString& name);
};

// What the study drill asks for: how many new words a day, and which word lengths. Stored beside
// the question count, in the same section, under "StudyNewPerDay" (a whole number, 0 to
// MaxNewPerDay) and "StudyLengths" (the lengths joined by commas, e.g. "2,3,4"). A value that
// cannot be read gives its default, so a hand-edited file never stops the drill, and load()
// writes that default over it, so that the file says what the drill does. "StudyPauseMs"
// (0 to MaxPauseMs, no control of its own) is how long the outcome of an answer stays before the
// next question; one shorter than MinPauseMs would hide the outcome, and counts as unreadable.
// Without a user config folder the defaults hold and nothing is stored.
// "StudyOrder" is the order new words come in: "shortest" (the default) or "mixed".
// "StudyNewPerDayAuto" ("true" or "false", default true) lets new words a day follow the
// player's recent answers a day (Auto); "StudyNewPerDayCap" (0 to MaxNewPerDay, default 50) is the
// most Auto takes in a day. "StudyNewPerDay" stays the fixed number (default 20): the pace when
// Auto is off, Auto's pace at 150 answers a day, and its pace until there are recent answers.
struct StudyPreferences
{
    static constexpr int DefaultNewPerDay = 20;
    static constexpr int MaxNewPerDay = 500;
    static constexpr int DefaultNewPerDayCap = 50;
    static inline const QList<int> AllLengths{2, 3, 4};
    static constexpr int DefaultPauseMs = 1200;
    static constexpr int MinPauseMs = 300;
    static constexpr int MaxPauseMs = 600000;

    int newPerDay = DefaultNewPerDay;
    int pauseMs = DefaultPauseMs;
    QList<int> lengths = AllLengths; // ascending, no repeats, a non-empty part of AllLengths
    StudyOrder order = StudyOrder::Shortest;
    bool newPerDayAuto = true;
    int newPerDayCap = DefaultNewPerDayCap;

    static StudyPreferences load();
    void store() const;
    // Stores only what the settings dialog shows: new words a day (Auto, its cap), the lengths and
    // the order.
    void storeShown() const;

    bool operator==(const StudyPreferences&) const = default;
};

// The user's config folder by the XDG rules, from the values of XDG_CONFIG_HOME and HOME: the
// first when it is an absolute path, else ".config" in the second when that is one. Relative or
// empty values count as unset; with neither there is no folder, and nothing may be written.
std::optional<QString> UserConfigFolder(const QString& home, const QString& configHome);
