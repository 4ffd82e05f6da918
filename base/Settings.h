#pragma once

#include <QString>

#include <optional>

// The one remembered value: the last text of the question-count box, stored per user under
// application "Quenmark", section "Lexitor Trainer Software", key "Text1". Without a user config
// folder (see UserConfigFolder) nothing is remembered: load() gives the default and store() does
// nothing.
class QuestionCountSetting
{
public:
    static inline const QString Default = QStringLiteral("20");

    QString load() const;
    void store(const QString& text);
};

// The user's config folder by the XDG rules, from the values of XDG_CONFIG_HOME and HOME: the
// first when it is an absolute path, else ".config" in the second when that is one. Relative or
// empty values count as unset; with neither there is no folder, and nothing may be written.
std::optional<QString> UserConfigFolder(const QString& home, const QString& configHome);
