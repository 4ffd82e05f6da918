#pragma once

#include <QString>

// The one remembered value: the last text of the question-count box, stored per user under
// application "Quenmark", section "Lexitor Trainer Software", key "Text1".
class QuestionCountSetting
{
public:
    static inline const QString Default = QStringLiteral("20");

    QString load() const;
    void store(const QString& text);
};
