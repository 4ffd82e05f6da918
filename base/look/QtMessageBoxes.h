#pragma once

#include "base/Services.h"

class QWidget;

// Modal QMessageBox with OK only, or Yes and No for a question. The text is plain text (it may
// name a word list or quote a line of one); its CR / CR LF breaks are shown as line breaks.
class QtMessageBoxes : public MessageBoxes
{
public:
    static QString displayText(const QString& text);
    // A question over the parent window.
    static bool ask(QWidget* parent, const QString& text, const QString& title);
    void show(const QString& text, const QString& title, MessageIcon icon) override;
    bool ask(const QString& text, const QString& title) override;
};
