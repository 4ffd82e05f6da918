#pragma once

#include "base/Services.h"

// Modal QMessageBox with OK only, or Yes and No for a question. The text is plain text (it may
// name a word list or quote a line of one); its CR / CR LF breaks are shown as line breaks.
class QtMessageBoxes : public MessageBoxes
{
public:
    static QString displayText(const QString& text);
    void show(const QString& text, const QString& title, MessageIcon icon) override;
    // A question over the active window (the one whose button asked it), Yes the default.
    bool ask(const QString& text, const QString& title) override;
};
