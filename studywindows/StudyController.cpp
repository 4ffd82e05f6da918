#include "studywindows/StudyController.h"

#include "base/Branding.h"
#include "lists/WordListsDialog.h"
#include "lookup/BrowseWindow.h"
#include "lookup/LookupWindow.h"
#include "study/DueCount.h"
#include "study/ProgressFromHistory.h"
#include "study/StudySession.h"
#include "studywindows/StudySettingsDialog.h"
#include "studywindows/StudyWindow.h"
#include "words/WordIndexLoader.h"
#include "words/WordListWriter.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QScopeGuard>
#include <QtDebug>
#include <algorithm>

StudyController::StudyController(TrainerContext& context, History& history, const WallClock& clock)
    : context_(context), history_(history), clock_(clock), progress_(context.env.programFolder),
      lists_(context.env, context.store, history)
{
    askSavePath = [](QWidget* parent) {
        return QFileDialog::getSaveFileName(parent, QStringLiteral("Save the missed words"),
                                            QDir::home().filePath(QStringLiteral("missed.txt")),
                                            QStringLiteral("Word lists (*.txt);;All files (*)"));
    };
    askListPath = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Import a word list"),
                                            QDir::homePath(),
                                            QStringLiteral("Word lists (*.txt);;All files (*)"));
    };
    askListName = [](QWidget* parent, const QString& name) {
        return QInputDialog::getText(parent, QStringLiteral("Rename a word list"),
                                     QStringLiteral("New name for \"%1\":").arg(name),
                                     QLineEdit::Normal, name);
    };
    askReplacementPath = [](QWidget* parent, const QString& name) {
        return QFileDialog::getOpenFileName(
            parent, QStringLiteral("Replace the words of \"%1\"").arg(name), QDir::homePath(),
            QStringLiteral("Word lists (*.txt);;All files (*)"));
    };
    history_.setBackgroundDone([this] { backgroundDone(); });
}

StudyController::~StudyController()
{
    history_.setBackgroundDone(nullptr);
}

void StudyController::setDueChanged(std::function<void()> changed)
{
    dueChanged_ = std::move(changed);
}

void StudyController::backgroundDone()
{
    // The states tallied or read ahead (the history still unopened), or a fit, a rebuild or the
    // day's pace figure taken up.
    const bool readAhead = history_.mode() == HistoryMode::Untried;
    const std::optional<PaceFigure> pace = history_.paceFigure();
    if (inSession_)
        return;
    const bool changed =
        readAhead || history_.takeUpBackgroundWork() || history_.paceFigure() != pace;
    if (changed && dueChanged_)
        dueChanged_();
}

StudySettings StudyController::settings() const
{
    const StudyPreferences prefs = StudyPreferences::load();
    StudySettings settings;
    settings.newPerDay = prefs.newPerDay;
    settings.lengths = prefs.lengths;
    settings.order = prefs.order;
    settings.autoPace = prefs.newPerDayAuto;
    settings.newPerDayCap = prefs.newPerDayCap;
    return settings;
}

StudySettings StudyController::pacedSettings(StudySettings chosen,
                                             const std::optional<PaceFigure>& figure) const
{
    if (!history_.policy().leitner)
        chosen.newPerDay = autoPace(chosen, figure);
    return chosen;
}

std::optional<int> StudyController::dueNow()
{
    if (history_.mode() == HistoryMode::Untried && history_.preloading()) {
        // A first count from the states tallied while they are read; one of a list with words
        // gone waits for the states themselves (backgroundDone).
        const std::optional<DueTally> tally = history_.preloadTally();
        if (!tally || !context_.store.wordsGone().isEmpty())
            return std::nullopt;
        const DueCount count = countDue(*tally, pacedSettings(settings(), std::nullopt));
        newToday_ = count.newLeftToday;
        return count.due;
    }
    try {
        history_.open();
        const StudySettings chosen = settings();
        if (!inSession_) {
            history_.takeUpBackgroundWork();
            if (chosen.autoPace)
                history_.readPaceInBackground(clock_.nowUtc());
        }
        const std::optional<PaceFigure> figure = history_.paceFigure();
        paceLine_ = paceText(chosen, figure);
        const DueCount count = countDue(history_, pacedSettings(chosen, figure), clock_.nowUtc(),
                                        context_.store.wordsGone());
        newToday_ = count.newLeftToday;
        return count.due;
    } catch (const std::exception& e) {
        // No word list to study from: the written tests report that to the player.
        qWarning().noquote() << "No due count:" << e.what();
        return std::nullopt;
    }
}

QString StudyController::paceText(const StudySettings& settings,
                                  const std::optional<PaceFigure>& figure)
{
    const auto words = [](int n) {
        return n == 1 ? QStringLiteral("1 new word") : QStringLiteral("%1 new words").arg(n);
    };
    if (!settings.autoPace)
        return words(settings.newPerDay) + QStringLiteral(" a day, fixed in Settings");
    if (!figure)
        return words(autoPace(settings, figure)) +
               QStringLiteral(" a day (Auto, until it has a recent day of answers to go by)");
    return words(autoPace(settings, figure)) +
           QStringLiteral(" today, for your %1 answers a day (Auto)")
               .arg(qRound(figure->answersPerDay));
}

// Today's work, then its summary; from the summary, or from the word that nothing is left to do,
// the player may keep practising, session after session.
void StudyController::study(QWidget* parent)
{
    drill(parent, std::nullopt);
}

void StudyController::studyThese(QWidget* parent, const QStringList& words)
{
    drill(parent, words);
}

void StudyController::drill(QWidget* parent, const std::optional<QStringList>& words)
{
    inSession_ = true;
    const auto leave = qScopeGuard([this] { inSession_ = false; });
    try {
        history_.open();
        StudySettings chosen = settings();
        if (words) { // the words' own lengths, whatever Settings says
            chosen.lengths.clear();
            for (int length = 2; length <= 4; ++length)
                if (std::any_of(words->cbegin(), words->cend(),
                                [&](const QString& w) { return w.size() == length; }))
                    chosen.lengths.append(length);
        }
        StudyEngine engine(context_.store, history_, clock_, context_.env.random, chosen);
        if (engine.settings().lengths.isEmpty()) {
            // Words of the player's choosing come with their own lengths: Settings can't help.
            context_.env.messages.show(
                StudyWindow::missingLengthsText(engine.emptyLengths(), engine.fullLengths()) +
                    QStringLiteral(", so there is nothing to study.") +
                    (words ? QString()
                           : QStringLiteral("\r\rChoose other lengths in Settings, or another word "
                                            "list.")),
                Branding::ProductName, MessageIcon::None);
            return;
        }
        if (words)
            engine.focusOn(*words);
        StudySession session(engine, context_.store);
        for (;;) {
            StudyWindow window(context_, session,
                               pauseMs.value_or(StudyPreferences::load().pauseMs), parent);
            if (window.start())
                window.exec();
            if (!offerPractice(session, engine, parent))
                return;
            session.keepPractising();
        }
    } catch (const std::exception& e) {
        tell(e);
    }
}

void StudyController::tell(const std::exception& e)
{
    context_.env.messages.show(QString::fromUtf8(e.what()), context_.env.appTitle,
                               MessageIcon::Warning);
}

bool StudyController::offerPractice(const StudySession& session, const StudyEngine& engine,
                                    QWidget* parent)
{
    const bool chosenWords = engine.focusLeft().has_value(); // nothing to practise after them
    switch (session.afterRound()) {
    case StudySession::Offer::Nothing:
        return false;
    case StudySession::Offer::AskToPractise:
        if (chosenWords)
            return false;
        return context_.env.messages.ask(
            QStringLiteral("Nothing to study now: today's words are done.\r\rNext review: ") +
                StudySummaryWindow::nextReviewText(engine.nextReviewAfterSession(), clock_.nowUtc(),
                                                   allSaved()) +
                QStringLiteral("\r\rKeep practising?"),
            Branding::ProductName);
    case StudySession::Offer::Summary:
        break;
    }
    StudySessionResult result = session.result();
    result.endedAt = clock_.nowUtc();
    result.nextReview = engine.nextReviewAfterSession();
    result.saved = allSaved();
    result.canPractise = !chosenWords;
    StudySummaryWindow summary(result, parent);
    return summary.exec() == StudySummaryWindow::KeepPractising;
}

bool StudyController::allSaved() const
{
    return history_.isSaving();
}

void StudyController::showProgress(QWidget* parent)
{
    progress_.startLoading();
    const ProgressData figures = data();
    std::unique_ptr<ProgressView> view = progress_.create(this, parent);
    if (!view) {
        context_.env.messages.show(QStringLiteral("The progress window cannot be shown: ") +
                                       progress_.errorString(),
                                   context_.env.appTitle, MessageIcon::Warning);
        return;
    }
    view->setData(figures);
    view->dialog()->exec();
}

void StudyController::editSettings(QWidget* parent)
{
    StudySettingsDialog::edit(parent);
}

QString StudyController::listInUse()
{
    return lists_.active().isEmpty() ? WordListChoice::BundledName : lists_.active();
}

void StudyController::wordListOpened(const QString& name)
{
    lists_.opened(name);
    index_.reset();
    history_.preload(clock_.nowUtc()); // the states are read while the main window is made
}

void StudyController::manageWordLists(QWidget* parent)
{
    WordListsDialog dialog(lists_, context_.env.messages,
                           {askListPath, askListName, askReplacementPath}, parent);
    dialog.exec();
    index_.reset(); // another list may be in use
}

void StudyController::lookUp(QWidget* parent)
{
    try {
        LookupWindow window(lookupSources(), clock_, parent);
        window.exec();
    } catch (const std::exception& e) {
        tell(e);
    }
}

void StudyController::browse(QWidget* parent)
{
    try {
        BrowseWindow window(lookupSources(), clock_, 0, parent);
        window.exec();
    } catch (const std::exception& e) {
        tell(e);
    }
}

LookupWindow::Sources StudyController::lookupSources()
{
    // Read again after a failure: the next look-up tries the list anew.
    if (!index_ || (index_->isDone() && !index_->index())) {
        index_ = std::make_unique<WordIndexLoader>(context_.store.path());
        index_->start();
    }
    // The states are in memory once the history is open (the main window's count opens it a
    // moment after start-up); a look-up never opens it, nor waits for it.
    const WordStateView* states = history_.mode() == HistoryMode::Untried ? nullptr : &history_;
    return {index_->index(),
            index_.get(),
            &context_.store,
            states,
            listInUse(),
            [this](QWidget* parent, const QStringList& words) { studyThese(parent, words); }};
}

ProgressData StudyController::data()
{
    history_.open(); // the figures read only what an open history holds
    return ProgressFigures::fromHistory(context_.store, history_, clock_.nowUtc());
}

void StudyController::saveWordList(QWidget* parent, const QStringList& words)
{
    const QString path = askSavePath(parent);
    if (path.isEmpty())
        return;
    if (!WordListWriter::writeMissed(context_.store, path, words))
        context_.env.messages.show(QStringLiteral("The word list could not be saved to ") + path,
                                   context_.env.appTitle, MessageIcon::Warning);
}

bool StudyController::forgetAll(QWidget* /*parent*/)
{
    if (!context_.env.messages.ask(QStringLiteral("Forget all your progress? Your history is kept "
                                                  "in a file of its own, and study starts afresh."),
                                   Branding::ProductName))
        return false;
    QString movedTo;
    if (!history_.forgetAll(&movedTo)) {
        context_.env.messages.show(QStringLiteral("Your progress could not be set aside."),
                                   context_.env.appTitle, MessageIcon::Warning);
        return false;
    }
    context_.env.messages.show(QStringLiteral("Your old history is kept as ") + movedTo,
                               context_.env.appTitle, MessageIcon::None);
    return true;
}
