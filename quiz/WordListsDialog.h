#pragma once

#include "Services.h"
#include "WordListChoice.h"

#include <QDialog>

#include <functional>

class QListWidget;
class QPushButton;

// The word-lists window: the bundled list and the imported ones with their words per length, the
// one in use marked. "Import..." asks for a file and builds a list from it, with a progress window
// that can cancel a long list, then reports what was kept and rejected; "Use" switches to the
// selected list; "Remove..." deletes an imported list after asking.
class WordListsDialog : public QDialog
{
    Q_OBJECT
public:
    struct Prompts
    {
        // Asks for the word list to import; "" to cancel.
        std::function<QString(QWidget* parent)> openPath;
        // Asks a yes/no question.
        std::function<bool(QWidget* parent, const QString& text)> confirm;
    };

    WordListsDialog(WordListChoice& choice, MessageBoxes& messages, Prompts prompts,
                    QWidget* parent = nullptr);

    // "Bundled list: 124 / 1,300 / 5,469 words of 2 / 3 / 4 letters (in use)".
    static QString entryText(const WordListChoice::Entry& entry, bool inUse);

private:
    void importList();
    void useSelected();
    void removeSelected();
    void refill(const QString& select);
    QString selectedName() const;
    void tell(const QString& text, MessageIcon icon);

    WordListChoice& choice_;
    MessageBoxes& messages_;
    Prompts prompts_;
    QListWidget* lists_ = nullptr;
    QPushButton* use_ = nullptr;
    QPushButton* remove_ = nullptr;
};
