#include "History.h"

#include <QDir>
#include <QStandardPaths>

class History::Impl
{
public:
    QHash<QString, WordMemory> words;
};

QString History::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quenmark/Lexitor Trainer Software/history.sqlite");
}

History::History(MessageBoxes& messages, QString path, MemoryPolicy policy)
    : messages_(messages), path_(std::move(path)), policy_(std::move(policy)), d_(new Impl)
{}

History::~History()
{
    delete d_;
}

bool History::open()
{
    return false;
}

bool History::isSaving() const
{
    return false;
}

void History::record(const AnswerRecord&) {}

void History::rebuild() {}

const QHash<QString, WordMemory>& History::words() const
{
    return d_->words;
}

const WordMemory* History::find(const QString& word) const
{
    const auto it = d_->words.constFind(word);
    return it == d_->words.constEnd() ? nullptr : &*it;
}

int History::answerCount() const
{
    return 0;
}

QList<History::LengthProgress> History::progressByLength(const WordStore&, const QDateTime&) const
{
    return {};
}

QList<History::DayProgress> History::lastDays(int, const QDateTime&) const
{
    return {};
}

QList<History::MissedWord> History::mostMissed(int) const
{
    return {};
}

bool History::forgetAll(QString*)
{
    return false;
}
