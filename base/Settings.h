#pragma once

#include <QList>
#include <QString>

// The last text of the question-count box, stored per user under application "Quenmark", section
// "Lexitor Trainer Software", key "Text1".
class QuestionCountSetting
{
public:
    static inline const QString Default = QStringLiteral("20");

    QString load() const;
    void store(const QString& text);
};

// What the study drill asks for: how many new words a day, and which word lengths. Stored beside
// the question count, in the same section, under "StudyNewPerDay" (a whole number, 0 to
// MaxNewPerDay) and "StudyLengths" (the lengths joined by commas, e.g. "2,3,4"). A value that
// cannot be read gives its default, so a hand-edited file never stops the drill. "StudyPauseMs"
// (0 to MaxPauseMs, no control of its own) is how long the outcome of an answer stays before the
// next question.
struct StudyPreferences
{
    static constexpr int DefaultNewPerDay = 20;
    static constexpr int MaxNewPerDay = 500;
    static inline const QList<int> AllLengths{2, 3, 4};
    static constexpr int DefaultPauseMs = 1200;
    static constexpr int MaxPauseMs = 600000;

    int newPerDay = DefaultNewPerDay;
    int pauseMs = DefaultPauseMs;
    QList<int> lengths = AllLengths; // ascending, no repeats, a non-empty part of AllLengths

    static StudyPreferences load();
    void store() const;

    bool operator==(const StudyPreferences&) const = default;
};
