#pragma once

// One start of the program for the main window's tests: services, context and the main window,
// over a fake connection to the word store and study actions that count what they are asked.

#include "TestDoubles.h"
#include "TestFiles.h"
#include "app/MainWindow.h"
#include "app/StoreConnection.h"
#include "base/ErrorReporting.h"
#include "quiz/TrainerContext.h"
#include "words/WordStore.h"

#include <QApplication>
#include <QList>
#include <QRegularExpression>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTest>

#include <optional>

// Each case starts with no stored settings; test mode keeps them apart from the player's.
inline void clearStoredSettings()
{
    QSettings settings(QSettings::UserScope, QStringLiteral("Quenmark"));
    settings.clear();
    settings.sync();
}

inline const QString NotSet = QStringLiteral("Object variable or With block variable not set");

// Stands in for the word store's connection: can refuse to be created or to open.
class FakeConnection : public StoreConnection
{
public:
    void create() override
    {
        calls << QStringLiteral("create");
        if (!canCreate)
            throw AppError(QStringLiteral("ActiveX component can't create object"));
        created = true;
        opened = false;
    }
    bool isOpen() const override
    {
        if (!created)
            throw AppError(NotSet);
        return opened;
    }
    void close() override
    {
        calls << QStringLiteral("close");
        if (!created)
            throw AppError(NotSet);
        opened = false;
    }
    void open(const QString& path) override
    {
        calls << QStringLiteral("open ") + path;
        if (!created)
            throw AppError(NotSet);
        if (!canOpen)
            throw AppError(QStringLiteral("file is not a database"));
        opened = true;
    }
    void release() override
    {
        calls << QStringLiteral("release");
        created = opened = false;
    }

    bool canCreate = true;
    bool canOpen = true;
    bool created = false;
    bool opened = false;
    QStringList calls;
};

// Study actions that count what the main window asks of it.
class FakeStudyActions : public StudyActions
{
public:
    std::optional<int> dueNow() override
    {
        ++asked;
        return due;
    }
    void study(QWidget*) override
    {
        ++studied;
        due = 3;
        fresh = 0;
    }
    std::optional<int> newToday() override { return fresh; }
    void showProgress(QWidget*) override { ++progressShown; }
    void editSettings(QWidget*) override { ++settingsEdited; }
    void lookUp(QWidget*) override { ++lookedUp; }
    void wordListOpened(const QString& name) override { openedList = name; }
    QString listInUse() override { return list; }

    std::optional<int> due = 12;
    std::optional<int> fresh;
    QString list = QStringLiteral("Collins sample");
    std::optional<QString> openedList;
    int asked = 0;
    int studied = 0;
    int progressShown = 0;
    int settingsEdited = 0;
    int lookedUp = 0;
};

// The line numbers of the "Application Error" messages, in order.
inline QList<int> reportedLines(const RecordingMessageBoxes& boxes)
{
    static const QRegularExpression at(QStringLiteral("at line (\\d+)\r"));
    QList<int> lines;
    for (const auto& m : boxes.shown) {
        const auto match = at.match(m.text);
        lines << (match.hasMatch() ? match.captured(1).toInt() : -1);
    }
    return lines;
}

// One program start: services, context and main window over a fresh program folder that holds a
// dbWords.mdb (an empty file: the fake connection never reads it).
struct Program
{
    explicit Program(bool withDatabase = true, bool realStore = false)
        : store(test.random), context(test.env, store),
          window(context, realStore ? nullptr : &connection, &actions)
    {
        if (withDatabase)
            writeFile(test.path(QStringLiteral("dbWords.mdb")));
        window.setProgramEnder([this] { ++ended; });
    }

    template <class T> T* child(const char* name) const
    {
        return window.findChild<T*>(QLatin1String(name));
    }

    void showActive()
    {
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    TestEnvironment test;
    FakeConnection connection;
    FakeStudyActions actions;
    WordStore store;
    TrainerContext context;
    MainWindow window;
    int ended = 0;
};
