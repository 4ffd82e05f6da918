#include "lookup/LookupWindow.h"

#include "base/Services.h"
#include "base/look/DesignUnits.h"
#include "base/look/ProgramIcon.h"
#include "base/look/PushButton.h"
#include "lookup/BrowseWindow.h"
#include "lookup/MatchModel.h"
#include "words/WordIndexLoader.h"
#include "words/WordQuery.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

const QString Prompt =
    QStringLiteral("Type a word, or letters with ? for a blank tile, then Return");
const QString Reading = QStringLiteral("Reading the list...");

} // namespace

LookupWindow::LookupWindow(Sources sources, const WallClock& clock, QWidget* parent)
    : QDialog(parent), sources_(std::move(sources)), clock_(clock)
{
    setObjectName(QStringLiteral("LookUp"));
    setWindowTitle(QStringLiteral("Look Up"));
    setWindowIcon(ProgramIcon());
    setFont(Fonts::window());

    field_ = new QLineEdit(this);
    field_->setObjectName(QStringLiteral("LookUpField"));
    field_->setAccessibleName(QStringLiteral("Word to look up"));
    field_->setAccessibleDescription(QStringLiteral("A word, or letters with ? for a blank tile"));
    field_->setPlaceholderText(QStringLiteral("QI, or A?E"));
    field_->setMaxLength(64);
    auto* prompt = new QLabel(QStringLiteral("&Word or letters (? for a blank):"), this);
    prompt->setBuddy(field_);
    auto* row = new QHBoxLayout;
    row->addWidget(prompt);
    row->addWidget(field_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    verdict_ = addFact(layout, "Verdict");
    verdict_->setFont(Fonts::pushButton()); // the answer, larger than the facts under it
    meaning_ = addFact(layout, "Meaning");
    hooks_ = addFact(layout, "Hooks");
    anagrams_ = addFact(layout, "Anagrams");
    state_ = addFact(layout, "StudyState");

    layout->addSpacing(Twips::toPixels(120));
    addMatches(layout);
    addButtons(layout);
    setMinimumWidth(Twips::toPixels(7200));

    connect(field_, &QLineEdit::returnPressed, this, &LookupWindow::lookUp);
    connect(field_, &QLineEdit::textChanged, this, &LookupWindow::typed);
    setFact(verdict_, sources_.index ? Prompt : Reading);
    setFact(matchesCaption_, QString());
    if (!sources_.index && sources_.loader) {
        connect(sources_.loader, &WordIndexLoader::loaded, this, &LookupWindow::indexLoaded);
        if (sources_.loader->isDone())
            indexLoaded();
    }
    field_->setFocus();
}

void LookupWindow::addMatches(QBoxLayout* layout)
{
    model_ = new MatchModel(sources_.index, this);
    matchesCaption_ = addFact(layout, "MatchesCaption");
    matches_ = new QListView(this);
    matches_->setObjectName(QStringLiteral("Matches"));
    matches_->setAccessibleName(QStringLiteral("Words that fit"));
    matches_->setModel(model_);
    matches_->setUniformItemSizes(true); // rows of one height: no row is measured off screen
    matches_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    matches_->setMinimumHeight(Twips::toPixels(2400));
    matchesCaption_->setBuddy(matches_);
    layout->addWidget(matches_, 1);
}

void LookupWindow::addButtons(QBoxLayout* layout)
{
    auto* close = new PushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    browse_ = new PushButton(QStringLiteral("Browse..."), this);
    browse_->setObjectName(QStringLiteral("BrowseButton"));
    // The words of a length come from the store, the lengths there are from the index.
    browse_->setEnabled(sources_.store != nullptr && sources_.index != nullptr);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(browse_);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(browse_, &QPushButton::clicked, this, &LookupWindow::browse);
}

void LookupWindow::indexLoaded()
{
    if (!sources_.loader->index()) {
        setFact(verdict_,
                QStringLiteral("The list could not be read: ") + sources_.loader->error());
        return;
    }
    sources_.index = sources_.loader->index();
    model_->setIndex(sources_.index);
    browse_->setEnabled(sources_.store != nullptr);
    setFact(verdict_, Prompt);
    typed(field_->text());
    if (std::exchange(lookUpWaiting_, false))
        lookUp();
}

LookupWindow::~LookupWindow() = default;

QLabel* LookupWindow::addFact(QBoxLayout* layout, const char* name)
{
    auto* label = new QLabel(this);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText); // words, meanings and list names are the player's text
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label);
    return label;
}

void LookupWindow::setFact(QLabel* label, const QString& text)
{
    label->setText(text);
    label->setAccessibleName(text);
    label->setVisible(!text.isEmpty());
}

void LookupWindow::lookUp()
{
    if (!sources_.index) {
        lookUpWaiting_ = true;
        return;
    }
    const LookupFacts facts = LookupFacts::of(
        {*sources_.index, sources_.states, sources_.listName, clock_.nowUtc()}, field_->text());
    setFact(verdict_, facts.verdict);
    setFact(meaning_, facts.meaning);
    setFact(hooks_, facts.hooks);
    setFact(anagrams_, facts.anagrams);
    setFact(state_, facts.state);
    makeRoomForFacts();
}

void LookupWindow::makeRoomForFacts()
{
    if (!isVisible())
        return; // a window not shown yet takes its size from its layout when it shows
    layout()->activate();
    int needed = layout()->totalHeightForWidth(width());
    if (const QScreen* shown = screen())
        needed = std::min(needed, shown->availableGeometry().height());
    if (needed > height())
        resize(width(), needed);
}

void LookupWindow::browse()
{
    // The words of the length typed, when it is one the list has.
    BrowseWindow window(sources_, clock_, int(WordQuery::read(field_->text()).text.size()), this);
    window.exec();
}

void LookupWindow::typed(const QString& text)
{
    const WordQuery query = WordQuery::read(text);
    const QString pattern = query.problem == WordQuery::Problem::None ? query.text : QString();
    model_->setPattern(pattern);
    setFact(matchesCaption_, pattern.isEmpty() || !sources_.index
                                 ? QString()
                                 : matchesCaption(pattern, sources_.index->countMatches(pattern)));
    makeRoomForFacts();
}

QString LookupWindow::matchesCaption(const QString& pattern, int count)
{
    if (count == 0)
        return QStringLiteral("No word fits ") + pattern;
    return (count == 1 ? QStringLiteral("1 word fits ")
                       : QStringLiteral("%1 words fit ").arg(QLocale().toString(count))) +
           pattern;
}

void LookupWindow::keyPressEvent(QKeyEvent* event)
{
    // Return belongs to the field; it never closes the window.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
