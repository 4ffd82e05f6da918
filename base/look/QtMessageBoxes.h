#pragma once

#include "Services.h"

// Modal QMessageBox with OK only, or Yes and No for a question. The text's CR / CR LF breaks are
// shown as line breaks.
class QtMessageBoxes : public MessageBoxes
{
public:
    static QString displayText(const QString& text);
    void show(const QString& text, const QString& title, MessageIcon icon) override;
    bool ask(const QString& text, const QString& title) override;
};
