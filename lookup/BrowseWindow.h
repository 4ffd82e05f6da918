#pragma once

#include "lookup/LookupWindow.h"

#include <QDialog>

class BrowseModel;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The Browse window: every word of one length of the list in use, with how its study stands, its
// meaning and its next review; a chooser of the length, a filter by study state and a search.
// It only reads: the store's words, the meanings (from the look-up index once it is read), and
// the history's states as they are in memory.
class BrowseWindow : public QDialog
{
    Q_OBJECT
public:
    // Opens on the words of `length` when the list has them, else on its shortest.
    BrowseWindow(LookupWindow::Sources sources, const WallClock& clock, int length = 0,
                 QWidget* parent = nullptr);
    ~BrowseWindow() override;

    // The words the table shows, in its order.
    QStringList shownWords() const;
    int length() const;

    // "1,234 of 32,767 words".
    static QString countText(int shown, int total);

private:
    // The length chooser, the filter and the search, with their prompts.
    QHBoxLayout* makeControls();
    QTableView* makeTable();
    void showLength(int length);
    void refilter();
    void showCount();
    // Drills the words shown, then shows how their study stands now.
    void studyThese();

    LookupWindow::Sources sources_;
    const WallClock& clock_;
    BrowseModel* model_ = nullptr;
    QComboBox* lengths_ = nullptr;
    QComboBox* filter_ = nullptr;
    QLineEdit* search_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* study_ = nullptr;
};
