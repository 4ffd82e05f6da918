#include "lookup/LookupFacts.h"

#include "base/PlainText.h"
#include "base/WhenText.h"
#include "study/StudyState.h"
#include "study/WordStateView.h"
#include "words/WordQuery.h"

#include <QLocale>

#include <algorithm>

namespace {

QString times(int n)
{
    if (n == 1)
        return QStringLiteral("once");
    if (n == 2)
        return QStringLiteral("twice");
    return QStringLiteral("%1 times").arg(QLocale().toString(n));
}

QString wordsFit(int n)
{
    return n == 1 ? QStringLiteral("1 word fits")
                  : QStringLiteral("%1 words fit").arg(QLocale().toString(n));
}

// What the player typed, as plain text short enough for a line.
QString typedText(const QString& typed)
{
    return PlainText::shortened(PlainText::cleaned(typed.trimmed()), 24);
}

LookupFacts verdictOnly(QString verdict)
{
    LookupFacts facts;
    facts.verdict = std::move(verdict);
    return facts;
}

} // namespace

LookupFacts LookupFacts::of(const Sources& sources, const QString& typed)
{
    const WordQuery query = WordQuery::read(typed);
    const QString in = QStringLiteral(" in ") + sources.listName;
    switch (query.problem) {
    case WordQuery::Problem::Empty:
        return verdictOnly(QStringLiteral("Type a word, or letters with ? for a blank tile"));
    case WordQuery::Problem::NotLetters:
        return verdictOnly(typedText(typed) + QStringLiteral(" is not a word") + in +
                           QStringLiteral(": words are letters only (? is a blank tile)"));
    case WordQuery::Problem::TooLong:
        return verdictOnly(typedText(typed) + QStringLiteral(" is not a word") + in +
                           QStringLiteral(": its words have two to four letters"));
    case WordQuery::Problem::None:
        break;
    }
    const QString& word = query.text;
    LookupFacts facts;
    if (query.hasBlanks()) {
        facts.verdict =
            word + QStringLiteral(": ") + wordsFit(sources.index.countMatches(word)) + in;
        facts.anagrams =
            anagramsText(QStringLiteral("Anagrams of ") + word, sources.index, word, QString());
        return facts;
    }
    const bool valid = sources.index.contains(word);
    facts.verdict =
        valid ? word + QStringLiteral(" is a word") : word + QStringLiteral(" is not a word") + in;
    if (valid) {
        const QString meaning = sources.index.meaning(word);
        if (!meaning.isEmpty())
            facts.meaning = QStringLiteral("Meaning: ") + meaning;
    }
    facts.hooks = hooksText(sources.index.hooks(word));
    facts.anagrams = anagramsText(QStringLiteral("Anagrams"), sources.index, word, word);
    if (!sources.states) {
        if (valid)
            facts.state = QStringLiteral("Study: not known yet, as your history is not open");
        return facts;
    }
    const WordMemory* memory = sources.states->find(word);
    if (valid)
        facts.state = stateText(memory, sources.states->policy(), sources.now);
    else if (memory && memory->confusions > 0)
        facts.state = QStringLiteral("Study: taken for a word ") + times(memory->confusions);
    return facts;
}

QString LookupFacts::hooksText(const WordIndex::Hooks& hooks)
{
    if (!hooks.known)
        return QStringLiteral("Hooks: not known, as the lists hold words of two to four letters");
    const auto list = [](const QList<WordIndex::Hook>& hooks) {
        if (hooks.isEmpty())
            return QStringLiteral("none");
        QStringList parts;
        for (const WordIndex::Hook& hook : hooks)
            parts.append(QString(hook.letter) + QStringLiteral(" (") + hook.word +
                         QLatin1Char(')'));
        return parts.join(QStringLiteral(", "));
    };
    return QStringLiteral("Front hooks: ") + list(hooks.front) + QStringLiteral("; back hooks: ") +
           list(hooks.back);
}

QString LookupFacts::anagramsText(const QString& title, const WordIndex& index,
                                  const QString& letters, const QString& itself)
{
    // One more than shown, in case the word itself is among them.
    qsizetype found = 0;
    QStringList others = index.anagrams(letters, ShownAnagrams + 1, &found);
    if (others.removeAll(itself) > 0)
        --found;
    if (others.isEmpty())
        return title + QStringLiteral(": none");
    const qsizetype more = found - std::min(others.size(), qsizetype(ShownAnagrams));
    QString text =
        title + QStringLiteral(": ") + others.mid(0, ShownAnagrams).join(QStringLiteral(", "));
    if (more > 0)
        text += QStringLiteral(" and %1 more").arg(QLocale().toString(more));
    return text;
}

QString LookupFacts::stateText(const WordMemory* memory, const MemoryPolicy& policy,
                               const QDateTime& now)
{
    const StudyState state = studyStateOf(memory, policy);
    if (state == StudyState::New)
        return QStringLiteral("Study: new, not answered yet");
    const int wrong = memory->lapses;
    const int right = memory->reviews - wrong;
    QString text = QStringLiteral("Study: ") + studyStateName(state);
    text +=
        QStringLiteral("; answered right ") + (right > 0 ? times(right) : QStringLiteral("never"));
    text += QStringLiteral(", wrong ") + (wrong > 0 ? times(wrong) : QStringLiteral("never"));
    if (memory->lastReview.isValid())
        text += QStringLiteral("; last answer ") + WhenText::of(memory->lastReview, now) +
                (memory->missedLast ? QStringLiteral(" (wrong)") : QStringLiteral(" (right)"));
    if (memory->due.isValid())
        text += QStringLiteral("; next review ") + reviewText(memory->due, now);
    return text;
}

QString LookupFacts::reviewText(const QDateTime& due, const QDateTime& now)
{
    return due <= now ? QStringLiteral("now") : WhenText::of(due, now);
}
