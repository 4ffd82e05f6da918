#include "studywindows/StudyController.h"

#include "base/Branding.h"
#include "base/look/QtMessageBoxes.h"
#include "lists/WordListsDialog.h"
#include "study/DueCount.h"
#include "study/ProgressFigures.h"
#include "study/WordCounts.h"
#include "study/WordTimeline.h"
#include "studywindows/StudySettingsDialog.h"
#include "studywindows/StudyWindow.h"
#include "words/Meanings.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibrary>
#include <QSaveFile>
#include <QScopeGuard>
#include <QSet>
#include <QtDebug>

QString ProgressModule::moduleFileName()
{
    return QStringLiteral(LEXITOR_PROGRESS_MODULE);
}

ProgressModule::ProgressModule(QString programFolder)
    : modulePath_(QDir(programFolder).filePath(moduleFileName()))
{}

ProgressModule::~ProgressModule()
{
    if (loading_.valid())
        loading_.wait();
}

void ProgressModule::startLoading()
{
    if (tried_ || loading_.valid())
        return;
    loading_ = std::async(std::launch::async, [path = modulePath_] {
        // Never unloaded: Qt Charts keeps static data that must outlive every chart.
        QLibrary module(path);
        module.setLoadHints(QLibrary::PreventUnloadHint);
        const auto factory =
            reinterpret_cast<ProgressViewFactory>(module.resolve(LEXITOR_PROGRESS_FACTORY));
        return Loaded{factory, factory ? QString() : module.errorString()};
    });
}

std::unique_ptr<ProgressView> ProgressModule::create(ProgressActions* actions, QWidget* parent)
{
    if (!tried_) {
        startLoading();
        const Loaded loaded = loading_.get();
        tried_ = true;
        factory_ = loaded.factory;
        error_ = loaded.error;
    }
    if (!factory_)
        return nullptr;
    return std::unique_ptr<ProgressView>(factory_(actions, parent));
}

StudyController::StudyController(TrainerContext& context, History& history, const WallClock& clock)
    : context_(context), history_(history), clock_(clock), progress_(context.env.programFolder),
      lists_(context.env, context.store, history)
{
    confirm = [](QWidget* parent, const QString& text) {
        return QtMessageBoxes::ask(parent, text, Branding::ProductName);
    };
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
    if (!inSession_ && history_.takeUpBackgroundWork() && dueChanged_)
        dueChanged_();
}

StudySettings StudyController::settings() const
{
    const StudyPreferences prefs = StudyPreferences::load();
    StudySettings settings;
    settings.newPerDay = prefs.newPerDay;
    settings.lengths = prefs.lengths;
    return settings;
}

std::optional<int> StudyController::dueNow()
{
    try {
        history_.open();
        if (!inSession_)
            history_.takeUpBackgroundWork();
        const DueCount count = countDue(history_, settings(), clock_.nowUtc());
        newToday_ = count.newLeftToday;
        return count.due;
    } catch (const std::exception& e) {
        // No word list to study from: the written tests report that to the player.
        qWarning().noquote() << "No due count:" << e.what();
        return std::nullopt;
    }
}

// Today's work, then its summary; from the summary, or from the word that nothing is left to do,
// the player may keep practising, session after session.
void StudyController::study(QWidget* parent)
{
    inSession_ = true;
    const auto leave = qScopeGuard([this] { inSession_ = false; });
    try {
        history_.open();
        StudyEngine engine(context_.store, history_, clock_, context_.env.random, settings());
        if (engine.settings().lengths.isEmpty()) {
            context_.env.messages.show(
                StudyWindow::missingLengthsText(engine.emptyLengths()) +
                    QStringLiteral(", so there is nothing to study.\r\rChoose other lengths in "
                                   "Settings, or another word list."),
                Branding::ProductName, MessageIcon::None);
            return;
        }
        bool practice = false;
        for (;;) {
            StudyWindow window(context_, engine, pauseMs.value_or(StudyPreferences::load().pauseMs),
                               parent);
            if (!window.start(practice)) {
                if (practice ||
                    !context_.env.messages.ask(
                        QStringLiteral("Nothing to study now: today's words are "
                                       "done.\r\rNext review: ") +
                            StudySummaryWindow::nextReviewText(engine.nextReviewAfterSession(),
                                                               clock_.nowUtc(), allSaved()) +
                            QStringLiteral("\r\rKeep practising?"),
                        Branding::ProductName))
                    return;
                practice = true;
                continue;
            }
            window.exec();
            StudySessionResult result = window.sessionResult();
            result.endedAt = clock_.nowUtc();
            result.nextReview = engine.nextReviewAfterSession();
            result.saved = allSaved();
            StudySummaryWindow summary(result, parent);
            if (summary.exec() != StudySummaryWindow::KeepPractising)
                return;
            practice = true;
        }
    } catch (const std::exception& e) {
        context_.env.messages.show(QString::fromUtf8(e.what()), context_.env.appTitle,
                                   MessageIcon::Warning);
    }
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

void StudyController::wordListOpened(const QString& name)
{
    lists_.opened(name);
}

void StudyController::manageWordLists(QWidget* parent)
{
    WordListsDialog dialog(lists_, context_.env.messages, {askListPath, confirm}, parent);
    dialog.exec();
}

ProgressData StudyController::data()
{
    ProgressData data;
    const QDateTime now = clock_.nowUtc();
    QMap<int, QStringList> lists;
    try {
        for (int length = 2; length <= 4; ++length) {
            lists.insert(length, context_.store.words(length));
            const LengthCounts l =
                countWords(length, lists[length], history_.words(), history_.policy());
            data.lengths.append({l.length, l.newWords, l.learning, l.known});
        }
    } catch (const std::exception&) {
        // no word list: no words to count
    }
    ProgressFigures::addTimeline(data, wordTimeline(lists, history_.words(), history_.policy(), now,
                                                    ProgressFigures::DueDays));
    for (const History::DayProgress& d : history_.lastDays(30, now))
        data.days.append({d.day, d.answers, d.right});
    for (const History::MissedWord& m : history_.mostMissed(100))
        data.missed.append({m.word, m.misses, m.valid,
                            m.valid ? Meanings::of(context_.store, m.word) : QString()});
    ProgressFigures::describe(data);
    return data;
}

// Only the words of the word list go in as words: a non-word, or a word the list no longer
// holds, goes in as a comment line, which lexitor-words skips.
void StudyController::saveWordList(QWidget* parent, const QStringList& words)
{
    const QString path = askSavePath(parent);
    if (path.isEmpty())
        return;
    QSet<QString> known;
    try {
        for (int length = 2; length <= 4; ++length)
            for (const QString& word : context_.store.words(length))
                known.insert(word);
    } catch (const std::exception&) {
        // no word list to check against: nothing can be saved as a word
    }
    QStringList real, others;
    QHash<QString, QString> meanings;
    for (const QString& word : words) {
        (known.contains(word) ? real : others).append(word);
        if (known.contains(word))
            meanings.insert(word, Meanings::of(context_.store, word));
    }
    if (!writeWordList(path, real, others, meanings))
        context_.env.messages.show(QStringLiteral("The word list could not be saved to ") + path,
                                   context_.env.appTitle, MessageIcon::Warning);
}

bool StudyController::writeWordList(const QString& path, const QStringList& words,
                                    const QStringList& nonWords,
                                    const QHash<QString, QString>& meanings)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const QString& word : words) {
        // One line a word: a meaning that held a line break would end it early.
        const QString meaning = meanings.value(word).simplified();
        file.write((meaning.isEmpty() ? word : word + QLatin1Char(' ') + meaning).toUtf8() + '\n');
    }
    if (!nonWords.isEmpty())
        file.write("# Missed too, but not words:\n");
    for (const QString& nonWord : nonWords)
        file.write("# " + nonWord.toUtf8() + '\n');
    return file.commit();
}

bool StudyController::forgetAll(QWidget* parent)
{
    if (!confirm(parent, QStringLiteral("Forget all your progress? Your history is kept in a "
                                        "file of its own, and study starts afresh.")))
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
