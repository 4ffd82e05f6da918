#pragma once

#include "base/Services.h"
#include "study/WordListChoice.h"
#include "words/WordListCounter.h"

#include <QDialog>
#include <QHash>

#include <functional>
#include <memory>

class QListWidget;
class QPushButton;

// The word-lists window: the bundled list and the imported ones with their words per length, the
// one in use marked. It opens at once: the counts come in from a WordListCounter as each list is
// read, and a list that can't be read shows as damaged (it can still be removed). "Import..." asks
// for a file and builds a list from it, with a progress window that can cancel a long list, then
// reports what was kept and rejected; "Use" switches to the selected list; "Rename..." gives an
// imported list a new name, its progress staying with it; "Replace..." puts the words of another
// file in place of an imported list's, its name and progress staying, and says how many words
// came and went; "Remove..." deletes an imported list after asking (a yes/no question of the
// message boxes).
class WordListsDialog : public QDialog
{
    Q_OBJECT
public:
    struct Prompts
    {
        // Asks for the word list to import; "" to cancel.
        std::function<QString(QWidget* parent)> openPath;
        // Asks for a list's new name, showing its name now; "" to cancel.
        std::function<QString(QWidget* parent, const QString& name)> newName;
        // Asks for the word list to put in place of the named one's words; "" to cancel.
        std::function<QString(QWidget* parent, const QString& name)> replacePath;
    };

    WordListsDialog(WordListChoice& choice, MessageBoxes& messages, Prompts prompts,
                    QWidget* parent = nullptr);
    ~WordListsDialog() override;

    // "Bundled list: 124 / 1,300 / 5,469 words of 2 / 3 / 4 letters (in use)".
    static QString entryText(const WordListChoice::Entry& entry, bool inUse);
    // "The word list \"Collins\" is replaced: 12 words came in and 3 went. Its progress is kept."
    static QString replacedText(const QString& name, qint64 came, qint64 went);

private:
    void importList();
    void useSelected();
    void removeSelected();
    void renameSelected();
    void replaceSelected();
    // Runs the reading of a list file on a thread of its own, with a progress window that can
    // cancel it.
    WordListImport::Outcome withProgress(const WordListImport::Work& work);
    void enableForSelection();
    void refill(const QString& select);
    void showCounts(const QString& name, const QList<qint64>& counts, const QString& error);
    QString selectedName() const;
    void tell(const QString& text, MessageIcon icon);

    WordListChoice& choice_;
    MessageBoxes& messages_;
    Prompts prompts_;
    QListWidget* lists_ = nullptr;
    QPushButton* use_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* rename_ = nullptr;
    QPushButton* replace_ = nullptr;
    bool reading_ = false;                          // a list file is being read (withProgress)
    QHash<QString, WordListChoice::Entry> counted_; // by name, as the counter told them
    std::unique_ptr<WordListCounter> counter_;
};
