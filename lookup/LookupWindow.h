#pragma once

#include "lookup/LookupFacts.h"

#include <QDialog>

#include <functional>

#include <memory>

class MatchModel;
class QBoxLayout;
class QLabel;
class QLineEdit;
class QListView;
class WallClock;
class WordIndexLoader;
class WordStore;
class QPushButton;

// The Look up window: a field for a word or for letters with blank tiles ('?'). Return says
// whether the list in use holds the word, its meaning, hooks, anagrams and how its study stands;
// the words that fit what is typed show below as it is typed, made as the list scrolls to them.
// It only reads: the index and the history's states as they are in memory. While the index is
// still being read (on its loader's thread) the window says so; what was typed, and a Return,
// are answered as soon as it is there.
class LookupWindow : public QDialog
{
    Q_OBJECT
public:
    struct Sources
    {
        std::shared_ptr<const WordIndex> index;  // null while it is read
        const WordIndexLoader* loader = nullptr; // reading the index, when it is null
        const WordStore* store = nullptr;        // Browse's words
        const WordStateView* states = nullptr;   // null while the history isn't open
        QString listName;
        // Drills the words given now, modal over the window (Browse's Study these); null: none.
        std::function<void(QWidget*, const QStringList&)> studyThese;
    };

    LookupWindow(Sources sources, const WallClock& clock, QWidget* parent = nullptr);
    ~LookupWindow() override;

    // Looks up what the field holds (Return).
    void lookUp();
    // Opens the Browse window over the same list (Browse...).
    void browse();

    // "12 words fit A?E" over the list of matches.
    static QString matchesCaption(const QString& pattern, int count);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void typed(const QString& text);
    // The loader is done: the index, or why the list could not be read.
    void indexLoaded();
    QLabel* addFact(QBoxLayout* layout, const char* name);
    void addMatches(QBoxLayout* layout); // the caption and the list of the words that fit
    void addButtons(QBoxLayout* layout);
    static void setFact(QLabel* label, const QString& text);
    // Taller when the facts now shown need more room than the window has: a fact wraps to the
    // window's width, and squeezed it would be cut off or lie over the list.
    void makeRoomForFacts();

    Sources sources_;
    const WallClock& clock_;
    QLineEdit* field_ = nullptr;
    QLabel* verdict_ = nullptr;
    QLabel* meaning_ = nullptr;
    QLabel* hooks_ = nullptr;
    QLabel* anagrams_ = nullptr;
    QLabel* state_ = nullptr;
    QLabel* matchesCaption_ = nullptr;
    QListView* matches_ = nullptr;
    MatchModel* model_ = nullptr;
    QPushButton* browse_ = nullptr;
    bool lookUpWaiting_ = false; // Return was pressed while the list was being read
};
