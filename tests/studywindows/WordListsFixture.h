#pragma once

// What the word-list tests share: a bundled list, a lists folder and a history, each in folders
// of the test's own.
#include "TestDoubles.h"
#include "TestFiles.h"
#include "WordDatabase.h"
#include "base/Settings.h"
#include "quiz/TrainerContext.h"
#include "study/History.h"
#include "study/HistoryFolder.h"
#include "study/WordListChoice.h"
#include "words/WordListCatalog.h"

#include <QDir>
#include <QTemporaryDir>

// The list that Replace starts from, and one that keeps QI and FOO, drops ZA and QUIZ and brings
// XU, JINX and ZEST.
inline const QByteArray FirstWords("qi\nza\nfoo\nquiz\n");
inline const QByteArray NextWords("qi\tvital force\nxu\nfoo\njinx\nzest\n");

// A view named like a word view whose rows never end.
inline const QString EndlessView =
    QStringLiteral("WITH RECURSIVE c(fldword) AS (SELECT 'XI' UNION ALL "
                   "SELECT fldword FROM c) SELECT fldword FROM c");

// The bundled list in the program folder, an empty lists folder and a history of the bundled
// list, each in folders of the test's own.
struct Fixture
{
    Fixture()
    {
        WordDatabase::openIn(store, t.path(WordListChoice::BundledFile), {"AA", "CAT", "ZOOM"});
        WordListSetting().store(QString());
    }
    QString writeList(const QByteArray& bytes, const QString& name = QStringLiteral("My list.txt"))
    {
        const QString path = t.folder.filePath(name);
        writeFile(path, bytes);
        return path;
    }
    QStringList listFiles() const
    {
        return QDir(lists.path()).entryList(QDir::Files | QDir::Hidden);
    }
    // An imported list as another trainer would have put it there.
    QString addList(const QString& name, const QStringList& words = {"XI", "XIS", "XYST"})
    {
        const QString path = WordListCatalog(lists.path()).pathOf(name);
        WordDatabase::write(path, words);
        return path;
    }

    TestEnvironment t;
    QTemporaryDir lists;
    QTemporaryDir data; // the player's data folder, for the histories
    WordStore store{t.random};
    TrainerContext context{t.env, store};
    History history{t.messages, t.folder.filePath(QStringLiteral("history.sqlite"))};
    WordListChoice choice{context.env, context.store, history, WordListCatalog(lists.path()),
                          HistoryFolder(data.path())};
};
